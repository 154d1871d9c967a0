#include "frmAbout.h"

#include "NightMode.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace {

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QFrame* Separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

frmAbout::frmAbout(const QIcon& icon, QWidget* parent)
    : QDialog(parent)
    , m_icon(icon)
{
    setObjectName(QStringLiteral("frmAbout"));
    const QString title = QApplication::applicationName();
    setWindowTitle(QStringLiteral("About ") + title);
    setWindowIcon(icon);

    picIcon = NewLabel(this, "picIcon", QString());
    picIcon->setPixmap(NightMode::Icon(icon).pixmap(48, 48));
    picIcon->setAlignment(Qt::AlignTop);
    QLabel* lblTitle = NewLabel(this, "lblTitle", title);
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    // The release (major.minor of the program's version), without the patch
    // number; the build system hands it in as VANEHOLD_RELEASE.
    const QString description = QStringLiteral("Version " VANEHOLD_RELEASE "\n\n"
                                               "Control Loop for Tracking Apparent or True Wind Angle.\n"
                                               "         a) Input - NMEA 1984 Wind & Speed Instruments\n"
                                               "         b) Output - NMEA 1984 AutoPilot");
    QLabel* lblDescription = NewLabel(this, "lblDescription", description);
    lblDescription->setTextFormat(Qt::PlainText);
    QLabel* lblDisclaimer = NewLabel(
        this, "lblDisclaimer",
        QStringLiteral("Vanehold steers through your own autopilot; it does not keep a lookout. Check the "
                       "heading it sends, keep a watch on deck and a hand ready to take over. The skipper "
                       "stays responsible for the boat."));
    lblDisclaimer->setWordWrap(true);

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 2, 1);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblDescription, 1, 1);
    grid->addWidget(Separator(this), 2, 0, 1, 2);
    grid->addWidget(lblDisclaimer, 3, 0, 1, 2);
    grid->addWidget(Separator(this), 4, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    grid->addLayout(buttons, 5, 0, 1, 2);
    setMinimumWidth(420);
}

void frmAbout::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && picIcon)
        picIcon->setPixmap(NightMode::Icon(m_icon).pixmap(48, 48));
}
