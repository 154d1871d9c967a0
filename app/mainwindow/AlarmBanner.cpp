#include "AlarmBanner.h"

#include "NightMode.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

AlarmBanner::AlarmBanner(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("AlarmBanner"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("lblAlarm"));
    m_label->setWordWrap(true);
    QFont font = m_label->font();
    font.setBold(true);
    m_label->setFont(font);
    m_button = new QPushButton(QStringLiteral("Acknowledge"), this);
    m_button->setObjectName(QStringLiteral("cmdAlarmAcknowledge"));
    m_button->setToolTip(QStringLiteral("Stop the alarm sound (Esc)"));
    m_button->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_button, 0);
    connect(m_button, &QPushButton::clicked, this, &AlarmBanner::Acknowledged);
    ShowNight(false);
    hide();
}

void AlarmBanner::ShowNight(bool night)
{
    QPalette palette;
    if (night) {
        palette.setColor(QPalette::Window, NightMode::AlarmBack());
        palette.setColor(QPalette::WindowText, NightMode::AlarmText());
    } else {
        palette.setColor(QPalette::Window, QColor(255, 128, 128));
        palette.setColor(QPalette::WindowText, Qt::black);
    }
    setPalette(palette);
}

QString AlarmBanner::Text() const
{
    return m_label->text();
}

void AlarmBanner::Show(const QString& text, bool sounding)
{
    // Heard is enough: the strip would otherwise cover the menus and tabs
    // for as long as a cause lasts; the status panel still shows it.
    if (text.isEmpty() || !sounding) {
        hide();
        m_label->clear();
        m_over = nullptr;
        return;
    }
    m_label->setText(text);
    Place();
}

void AlarmBanner::Place()
{
    if (m_label->text().isEmpty())
        return;
    QWidget* active = QApplication::activeWindow();
    // Some platforms make the strip itself active when it shows: it stays
    // where it was.
    if (active == this)
        active = m_over;
    if (!active)
        active = m_owner;
    m_over = active;
    const QRect frame = active->geometry();
    const int height = sizeHint().height();
    setGeometry(frame.left(), frame.top(), std::max(frame.width(), 240), height);
    show();
    raise();
}
