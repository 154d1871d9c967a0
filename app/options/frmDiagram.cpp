#include "frmDiagram.h"

#include "DiagramArrows.h"
#include "NightMode.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {

// Options tabs the buttons open.
constexpr int InputTab = 0;
constexpr int DataTab = 1;
constexpr int OutputTab = 2;

// Shape1, the computer, holds the buttons.
const QRect Shape1(230, 12, 190, 236);

} // namespace

frmDiagram::frmDiagram(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmDiagram"));
    setWindowTitle(QStringLiteral("Vanehold - Block Diagram"));
    setFixedSize(610, 260);

    auto button = [this](const char* name, const char* text, const char* tip, int y) {
        auto* b = new QPushButton(QLatin1String(text), this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(QLatin1String(tip));
        b->setAutoDefault(false);
        b->setGeometry(Shape1.left() + 15, y, Shape1.width() - 30, 30);
        return b;
    };
    cmdInput = button("cmdInput", "Input", "NMEA 0183 Data", 45);
    cmdControl = button("cmdControl", "Control Loop", "Apparent or True Angle Tracking Options", 85);
    cmdOutput = button("cmdOutput", "Output", "Output Options", 125);
    cmdHistory = button("cmdHistory", "History Plot", "Strip Chart Recorder", 165);
    cmdPolar = button("cmdPolar", "Polar Plot", "Performance Polar Plot", 205);
    connect(cmdInput, &QPushButton::clicked, this, [this] { emit OptionsRequested(InputTab, cmdInput); });
    connect(cmdControl, &QPushButton::clicked, this, [this] { emit OptionsRequested(DataTab, cmdControl); });
    connect(cmdOutput, &QPushButton::clicked, this, [this] { emit OptionsRequested(OutputTab, cmdOutput); });
    connect(cmdHistory, &QPushButton::clicked, this, &frmDiagram::HistoryRequested);
    connect(cmdPolar, &QPushButton::clicked, this, &frmDiagram::PolarRequested);

    auto label = [this](const char* text, const QRect& place, bool framed, const char* tip = "") {
        auto* l = new QLabel(QLatin1String(text), this);
        l->setAlignment(Qt::AlignCenter);
        l->setGeometry(place);
        l->setToolTip(QLatin1String(tip));
        if (framed) {
            l->setFrameShape(QFrame::Box);
            l->setAutoFillBackground(true);
        }
        return l;
    };
    label("Wind", QRect(20, 40, 90, 36), true);
    label("Speed", QRect(20, 112, 90, 36), true);
    label("GPS", QRect(20, 184, 90, 36), true);
    label("NMEA 0183", QRect(132, 104, 96, 16), false);
    label("Computer", QRect(Shape1.left(), Shape1.top() + 4, Shape1.width(), 24), false);
    label("NMEA 0183", QRect(422, 122, 86, 16), false);
    label("Autopilot", QRect(510, 122, 84, 36), true, "Stanard Autopilot");
}

void frmDiagram::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(NightMode::Ink(Qt::black));
    painter.drawRect(Shape1);
    // The three instruments meet on one line into the computer; the
    // computer's output line goes to the autopilot.
    for (int y : {58, 130, 202})
        painter.drawLine(110, y, 130, y);
    painter.drawLine(130, 58, 130, 202);
    const ArrowLine lnArrowRight[] = {
        {QLineF(130, 130, Shape1.left(), 130), ArrowTag::Right},
        {QLineF(Shape1.right() + 1, 140, 510, 140), ArrowTag::Right},
    };
    for (const ArrowLine& line : lnArrowRight)
        DrawArrowLine(painter, *this, line);
}

void frmDiagram::ShowNear(QWidget* control, QWidget* window)
{
    QPoint at = control->mapToGlobal(QPoint(control->width() / 2, control->height()));
    const QRect area = control->screen()->geometry();
    // A window not shown yet has no frame: the control's window lends its
    // margins.
    QSize size = window->frameGeometry().size();
    if (!window->isVisible()) {
        const QWidget* own = control->window();
        size += own->frameGeometry().size() - own->geometry().size();
    }
    if (at.x() + size.width() > area.x() + area.width())
        at.setX(area.x() + area.width() - size.width());
    if (at.y() + size.height() > area.y() + area.height())
        at.setY(area.y() + area.height() - size.height());
    window->move(at);
    window->show();
    window->raise();
    window->activateWindow();
}

void frmDiagram::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    emit VisibilityChanged(true);
}

void frmDiagram::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    emit VisibilityChanged(false);
}
