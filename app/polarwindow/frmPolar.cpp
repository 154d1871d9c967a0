#include "frmPolar.h"

#include "MathLib.h"
#include "NightMode.h"
#include "NumberText.h"
#include "ProfileStore.h"
#include "Twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

const QString Title = QStringLiteral("Vanehold");
const QString FileFilter = QStringLiteral("(*.pol)");
const QString FileError = QStringLiteral("Polar File Error: ");
const char16_t* const kPolarWindow = u"Polar Window";

QString Indexed(const char* name, int index)
{
    return QLatin1String(name) + QLatin1Char('_') + NumberText::Format(double(index), u"0");
}

// The client area: paints the two layers and hands the mouse on.
class PolarCanvas : public QWidget {
public:
    using QWidget::QWidget;
    std::function<void(QPainter&, const QRect&)> paint;
    std::function<void()> resized;
    std::function<void(QMouseEvent*)> pressed;
    std::function<void(QMouseEvent*)> moved;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        paint(painter, event->rect());
    }
    void resizeEvent(QResizeEvent*) override { resized(); }
    void mousePressEvent(QMouseEvent* event) override { pressed(event); }
    void mouseMoveEvent(QMouseEvent* event) override { moved(event); }
};

// The framed legend of the course lines. The left button drags it around
// the client area; the right button opens its menu.
class LedgerFrame : public QGroupBox {
public:
    LedgerFrame(QWidget* parent, std::function<void(QPoint)> popup)
        : QGroupBox(QStringLiteral("Tack Ledger"), parent), m_popup(std::move(popup))
    {
        setAutoFillBackground(true);
        const QFontMetrics metrics = fontMetrics();
        int width = 0;
        for (const Entry& e : Entries())
            width = std::max(width, metrics.horizontalAdvance(QLatin1String(e.label)));
        setFixedSize(SampleLeft + SampleLength + 6 + width + 8, 2 * metrics.height() + 6 * metrics.height() + 8);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QGroupBox::paintEvent(event);
        QPainter painter(this);
        const QFontMetrics metrics = fontMetrics();
        int y = Top();
        for (const Entry& e : Entries()) {
            const int middle = y + metrics.height() / 2;
            painter.setPen(QPen(NightMode::Ink(e.color), e.width));
            painter.drawLine(SampleLeft, middle, SampleLeft + SampleLength, middle);
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(QPoint(SampleLeft + SampleLength + 6, y + metrics.ascent()), QLatin1String(e.label));
            y += metrics.height();
        }
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_last = event->globalPosition().toPoint();
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!(event->buttons() & Qt::LeftButton))
            return;
        const QPoint now = event->globalPosition().toPoint();
        QPoint place = pos() + now - m_last;
        m_last = now;
        // Kept inside the window, so it cannot be lost past an edge.
        const QWidget* client = parentWidget();
        place.setX(std::clamp(place.x(), 0, std::max(0, client->width() - width())));
        place.setY(std::clamp(place.y(), 0, std::max(0, client->height() - height())));
        move(place);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::RightButton)
            m_popup(event->globalPosition().toPoint());
    }

private:
    struct Entry {
        QColor color;
        int width;
        const char* label;
    };
    static std::array<Entry, 6> Entries()
    {
        return {{{Qt::black, 2, "Current Wind Angle and Speed"},
                 {QColor(0, 255, 0), 1, "Best Wind Angle Starboard Tack"},
                 {QColor(255, 0, 0), 1, "Best Wind Angle Port Tack"},
                 {QColor(0, 0, 255), 2, "Target Bearing (Heads Up)"},
                 {QColor(0, 255, 0), 2, "Target Starboard Tack (Heads Up)"},
                 {QColor(255, 0, 0), 2, "Target Port Tack (Heads Up)"}}};
    }
    int Top() const { return contentsRect().top() + 2; }
    static constexpr int SampleLeft = 8;
    static constexpr int SampleLength = 24;

    QPoint m_last;
    std::function<void(QPoint)> m_popup;
};

QString InputBoxDialog(QWidget* parent, const QString& prompt, const QString& title, const QString& text)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, text, &ok);
    return ok ? answer : QString();
}

void MessageBoxDialog(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::warning(parent, title, text);
}

bool AskYesNoDialog(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

bool OpenFileDialog(QWidget* parent, const QString& folder, const QString& file, const QString& filter,
                    QString& chosen, QString& error)
{
    chosen = QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), QDir(folder).filePath(file), filter);
    if (chosen.isEmpty()) {
        error = QStringLiteral("Cancel was selected.");
        return false;
    }
    return true;
}

bool SaveFileDialog(QWidget* parent, const QString& folder, const QString& file, const QString& filter,
                    QString& chosen)
{
    chosen = QFileDialog::getSaveFileName(parent, QStringLiteral("Save As"), QDir(folder).filePath(file), filter,
                                          nullptr, QFileDialog::DontConfirmOverwrite);
    return !chosen.isEmpty();
}

bool ColorDialog(QWidget* parent, const QColor& initial, QColor& chosen)
{
    const QColor color = QColorDialog::getColor(initial, parent);
    if (!color.isValid())
        return false;
    chosen = color;
    return true;
}

void Prepare(QPainter& painter, const QFont& font)
{
    painter.setFont(font);
    painter.setRenderHint(QPainter::Antialiasing);
}

} // namespace

frmPolar::frmPolar(PolarHost& host, PolarWindowSetup setup, QWidget* parent)
    : QMainWindow(parent)
    , m_host(host)
    , m_setup(std::move(setup))
    , m_table(std::make_unique<PolarTable>())
    , m_plot(*m_table, m_settings, m_live)
{
    setObjectName(QStringLiteral("frmPolar"));
    setWindowTitle(QStringLiteral("Vanehold - Polar"));
    if (!m_setup.InputBox)
        m_setup.InputBox = InputBoxDialog;
    if (!m_setup.MessageBox)
        m_setup.MessageBox = MessageBoxDialog;
    if (!m_setup.AskYesNo)
        m_setup.AskYesNo = AskYesNoDialog;
    if (!m_setup.OpenFile)
        m_setup.OpenFile = OpenFileDialog;
    if (!m_setup.SaveFile)
        m_setup.SaveFile = SaveFileDialog;
    if (!m_setup.ChooseColor)
        m_setup.ChooseColor = ColorDialog;
    BuildControls();
    BuildMenus();
    resize(640, 480);
}

frmPolar::~frmPolar()
{
    Form_Unload();
}

void frmPolar::BuildControls()
{
    auto* canvas = new PolarCanvas(this);
    canvas->setObjectName(QStringLiteral("Client"));
    canvas->setMouseTracking(true);
    canvas->setAttribute(Qt::WA_OpaquePaintEvent);
    canvas->paint = [this](QPainter& painter, const QRect& area) { PaintCanvas(painter, area); };
    canvas->resized = [this] { Form_Resize(); };
    canvas->pressed = [this](QMouseEvent* e) {
        Form_MouseDown(e->button(), int(e->position().x()), int(e->position().y()));
    };
    canvas->moved = [this](QMouseEvent* e) { Form_MouseMove(int(e->position().x()), int(e->position().y())); };
    m_canvas = canvas;
    setCentralWidget(canvas);

    lnMenu = new QFrame(canvas);
    lnMenu->setObjectName(QStringLiteral("lnMenu"));
    lnMenu->setFrameShape(QFrame::HLine);
    lnMenu->setFrameShadow(QFrame::Sunken);
    lnMenu->setGeometry(0, 0, canvas->width(), 2);

    const QFontMetrics metrics = fontMetrics();
    const QString texts[2] = {QStringLiteral("Wind Angle Speed"), QStringLiteral("00.0\n100\n10.0")};
    const int widths[2] = {metrics.horizontalAdvance(QStringLiteral("Speed")) + 6,
                           metrics.horizontalAdvance(QStringLiteral("-180.0")) + 6};
    for (int i = 0; i < 2; ++i) {
        lblMouse[i] = new QLabel(texts[i], canvas);
        lblMouse[i]->setObjectName(Indexed("lblMouse", i));
        lblMouse[i]->setWordWrap(i == 0);
        lblMouse[i]->setAutoFillBackground(true);
        // The pointer moving over the read-out is still over the plot.
        lblMouse[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        lblMouse[i]->setFixedSize(widths[i], 3 * metrics.lineSpacing() + 4);
        lblMouse[i]->hide();
    }

    lblSteer = new QLabel(canvas);
    lblSteer->setObjectName(QStringLiteral("lblSteer"));
    lblSteer->setAlignment(Qt::AlignCenter);
    cmdSteer = new QPushButton(canvas);
    cmdSteer->setObjectName(QStringLiteral("cmdSteer"));
    cmdTack = new QPushButton(canvas);
    cmdTack->setObjectName(QStringLiteral("cmdTack"));
    const int steerWidth = metrics.horizontalAdvance(QStringLiteral("< Steer -180")) + 24;
    for (QWidget* w : {static_cast<QWidget*>(lblSteer), static_cast<QWidget*>(cmdSteer),
                       static_cast<QWidget*>(cmdTack)}) {
        w->setFixedWidth(steerWidth);
        w->setAutoFillBackground(true);
        w->hide();
    }
    connect(cmdSteer, &QPushButton::clicked, this, &frmPolar::cmdSteer_Click);
    connect(cmdTack, &QPushButton::clicked, this, &frmPolar::cmdTack_Click);

    mnuLedger = new QMenu(QStringLiteral("Popup Ledger"), this);
    mnuLedger->setObjectName(QStringLiteral("mnuLedger"));
    frmLedger = new LedgerFrame(canvas, [this](QPoint at) { mnuLedger->popup(at); });
    frmLedger->setObjectName(QStringLiteral("frmLedger"));
    frmLedger->setToolTip(QStringLiteral("You can drag this ledger to a different location"));
    frmLedger->move(4, 4 * metrics.height());
    frmLedger->hide();
}

QAction* frmPolar::Item(QMenu* menu, const QString& name, const QString& caption, std::function<void()> command,
                        bool checkable)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, [this, action, checkable, command = std::move(command)] {
        // A tick is the window's to set, not the click's.
        if (checkable)
            action->setChecked(!action->isChecked());
        command();
    });
    return action;
}

void frmPolar::Command(const std::function<void()>& change)
{
    change();
    PolarMenuRefresh();
    PolarRedraw();
}

void frmPolar::BuildMenus()
{
    QMenuBar* bar = menuBar();
    auto addMenu = [&](const char* name, const QString& title) {
        QMenu* menu = bar->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    auto separator = [](QMenu* menu) { return menu->addSeparator(); };

    QMenu* wind = addMenu("mnuWind", QStringLiteral("Wind"));
    mnuWindApparent = Item(wind, QStringLiteral("mnuWindApparent"), QStringLiteral("Show Apparent Wind"),
                           [this] { Command([this] { m_settings.m_iPlotType = 1; }); });
    mnuWindTrue = Item(wind, QStringLiteral("mnuWindTrue"), QStringLiteral("Show True Wind"),
                       [this] { Command([this] { m_settings.m_iPlotType = 0; }); });
    separator(wind);
    mnuPlotLabelWindSpeed =
        Item(wind, QStringLiteral("mnuPlotLabelWindSpeed"), QStringLiteral("Show Wind Speed Label"), [this] {
            Command([this] { m_settings.m_bPlotLabelWindSpeed = !m_settings.m_bPlotLabelWindSpeed; });
        });

    QMenu* range = addMenu("mnuRange", QStringLiteral("Range"));
    for (const int r : {6, 8, 10, 12}) {
        const QString number = NumberText::Format(double(r), u"0");
        const QString caption = (r < 10 ? QStringLiteral("  ") : QString()) + number + QStringLiteral(" Kts");
        mnuRange[r] = Item(range, QStringLiteral("mnuRange") + number, caption,
                           [this, r] { Command([this, r] { m_settings.m_fSpeedRange = float(r); }); });
    }
    separator(range);
    mnuRangeCustom = Item(range, QStringLiteral("mnuRangeCustom"), QStringLiteral("Other..."), [this] {
        float value = 0;
        // Above the fastest polar speed a rim shows nothing more.
        if (AskNumber(QStringLiteral("Enter the maximun speed (Kts) for the polar plot display."),
                      QStringLiteral("Polar Plot - Speed Range"), m_settings.m_fSpeedRange, value,
                      {0, true, PolarTable::MaxSpeed}))
            Command([this, value] { m_settings.m_fSpeedRange = value; });
    });

    QMenu* overlay = addMenu("mnuOverlay", QStringLiteral("Polars"));
    Item(overlay, QStringLiteral("mnuOverlayFile1"), QStringLiteral("Open..."), [this] { PolarFileOpen(0); }, false);
    Item(overlay, QStringLiteral("mnuSaveAs"), QStringLiteral("Save As..."), [this] { PolarFileSaveAs(); }, false);
    separator(overlay);
    Item(
        overlay, QStringLiteral("mnuOverlayColor"), QStringLiteral("Set Color..."),
        [this] {
            QColor chosen;
            if (!m_setup.ChooseColor(this, ColorFromLong(m_settings.m_lSpeedColor), chosen))
                return;
            m_settings.m_lSpeedColor = LongFromColor(chosen);
            PolarRedraw();
        },
        false);
    mnuOverlayScale = Item(
        overlay, QStringLiteral("mnuOverlayScale"), QStringLiteral("Set Scaling..."),
        [this] {
            float value = 0;
            if (!AskNumber(QStringLiteral("Enter the scaling factor, used to scale the polar plot speed data.  The "
                                          "scaling factor is normally set to 1, but can be set to other values to "
                                          "compensate for bad weather or heavy displacement."),
                           QStringLiteral("AutoPilot - Polar Plot - Speed Factor"), m_settings.m_fSpeedFactor, value,
                           {0, true}))
                return;
            // Read again, so that the factor applies. A failed read keeps
            // the table, so it keeps the factor the table was read with.
            if (!PolarFileRead(0, PolarFilePath(m_settings.m_sPolarFile[0], m_host.ProgramFolder()), value))
                return;
            m_settings.m_fSpeedFactor = value;
            PolarMenuRefresh();
            PolarRedraw();
        },
        false);
    separator(overlay);
    mnuOverlayFile2 = Item(overlay, QStringLiteral("mnuOverlayFile2"), QStringLiteral("Show Reference..."),
                           [this] { PolarFileOpen(1); }, false);

    QMenu* average = addMenu("mnuAverage", QStringLiteral("Average"));
    for (const int n : {0, 2, 4, 8, 16, 32}) {
        const QString number = NumberText::Format(double(n), u"0");
        const QString caption = n == 0 ? QStringLiteral("  None")
                                       : (n < 10 ? QStringLiteral("  ") : QString()) + number + QStringLiteral(" Sec");
        mnuAverage[n] = Item(average, QStringLiteral("mnuAverage") + number, caption,
                             [this, n] { Command([this, n] { m_settings.m_fPlotAverage = float(n); }); });
    }

    QMenu* course = addMenu("mnuCourse", QStringLiteral("Course"));
    const char* targets[] = {"Use Target Bearing", "Use Waypoint Brg", "Use Waypoint Rng, Brg"};
    for (int i = 0; i < 3; ++i)
        mnuCourseWaypoint[i] = Item(course, Indexed("mnuCourseWaypoint", i), QLatin1String(targets[i]),
                                    [this, i] { mnuCourseWaypoint_Click(i); });
    mnuCourseTargetSeparator = separator(course);
    mnuCourseTargetSeparator->setObjectName(QStringLiteral("mnuCourseTargetSeparator"));
    mnuCourseTargetBearing = Item(
        course, QStringLiteral("mnuCourseTargetBearing"), QStringLiteral("Set Target Bearing..."),
        [this] {
            float value = 0;
            if (AskNumber(QStringLiteral("Enter the Target Bearing."), QStringLiteral("Polar Plot - Target Bearing"),
                          m_settings.m_fCourseTargetBearing, value))
                Command([this, value] { m_settings.m_fCourseTargetBearing = value; });
        },
        false);
    separator(course);
    mnuCourseScale = Item(course, QStringLiteral("mnuCourseScale"),
                          QStringLiteral("Scale Projected Times and Speeds by Current Boat Speed"),
                          [this] { Command([this] { m_settings.m_bCourseScale = !m_settings.m_bCourseScale; }); });
    separator(course);
    mnuCourseLedger = Item(course, QStringLiteral("mnuCourseLedger"), QStringLiteral("Show Course Ledger"),
                           [this] { Command([this] { frmLedger->setVisible(frmLedger->isHidden()); }); });

    QMenu* boat = addMenu("mnuBoat", QStringLiteral("Boat"));
    const char* types[] = {"Sail Only", "Motor and Sail"};
    for (int i = 0; i < 2; ++i)
        mnuBoatType[i] = Item(boat, Indexed("mnuBoatType", i), QLatin1String(types[i]), [this, i] {
            Command([this, i] { m_settings.m_iBoatType = static_cast<int16_t>(i); });
        });
    mnuBoatMotorSpeed = Item(
        boat, QStringLiteral("mnuBoatMotorSpeed"), QStringLiteral("Set Motor Only Speed..."),
        [this] {
            float value = 0;
            if (AskNumber(QStringLiteral("Enter the Motor Only Speed to Traget/Waypoint."),
                          QStringLiteral("Polar Plot - Motor Speed"), m_settings.m_fBoatMotorSpeed, value,
                          {0, false, PolarTable::MaxSpeed}))
                Command([this, value] { m_settings.m_fBoatMotorSpeed = value; });
        },
        false);

    Item(mnuLedger, QStringLiteral("mnuLedgerHide"), QStringLiteral("Hide Ledger"),
         [this] { Command([this] { frmLedger->hide(); }); }, false);
}

void frmPolar::mnuCourseWaypoint_Click(int Index)
{
    Command([this, Index] {
        if (!m_settings.m_bCourseWaypoint || Index != m_settings.m_iCourseWaypointIndex) {
            m_settings.m_bCourseWaypoint = true;
            m_settings.m_iCourseWaypointIndex = static_cast<int16_t>(Index);
        } else {
            m_settings.m_bCourseWaypoint = false;
        }
    });
}

void frmPolar::Form_Load()
{
    Initialize(true);
}

void frmPolar::Form_Unload()
{
    if (m_bLoaded)
        PolarProfileSave();
}

void frmPolar::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmPolar::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    PolarRedraw();
}

void frmPolar::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::PaletteChange || !m_canvas)
        return;
    PolarRedraw();
    ShowTones();
    // The live layer went with the redraw; once values have been shown, it
    // comes back now rather than with the next reading.
    if (isVisible() && m_lTrackModeLast != 0)
        LiveUpdate();
}

void frmPolar::Initialize(bool bRecall)
{
    m_settings = PolarSettings();
    m_iPolarCount = 1;
    if (bRecall)
        PolarProfileRecall();
    m_bLoaded = true;
    PolarMenuRefresh();
    PolarFileRead(0, PolarFilePath(m_settings.m_sPolarFile[0], m_host.ProgramFolder()), m_settings.m_fSpeedFactor);
}

QString frmPolar::ProfileFolder() const
{
    return QFileInfo(m_host.ProfileFile()).absolutePath();
}

void frmPolar::PolarProfileRecall()
{
    const QString profile = m_host.ProfileFile();
    // Each key moves the window as soon as it is read.
    const struct {
        const char16_t* key;
        bool vertical;
        bool size;
    } places[] = {{u"Top", true, false}, {u"Left", false, false}, {u"Height", true, true}, {u"Width", false, true}};
    // A stored place is kept within the screens: a window larger than them
    // would only cost memory for its pictures.
    const QRect area = screen()->availableVirtualGeometry();
    for (const auto& place : places) {
        QString text;
        float twips = 0;
        if (ProfileStore::Read(profile, kPolarWindow, place.key, u"", text) <= 0 || !NumberText::TryParse(text, twips))
            continue;
        int pixels = PixelsFromTwips(twips, place.vertical ? logicalDpiY() : logicalDpiX());
        if (place.size)
            pixels = std::clamp(pixels, 1, std::max(1, place.vertical ? area.height() : area.width()));
        else if (place.vertical)
            pixels = std::clamp(pixels, area.top(), std::max(area.top(), area.bottom()));
        else
            pixels = std::clamp(pixels, area.left(), std::max(area.left(), area.right()));
        if (place.size)
            resize(place.vertical ? width() : pixels, place.vertical ? pixels : height());
        else
            move(place.vertical ? x() : pixels, place.vertical ? pixels : y());
    }
    PolarDataRecall(profile, m_settings);
}

void frmPolar::PolarProfileSave()
{
    const QString profile = m_host.ProfileFile();
    const bool normal = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    if (normal && isVisible()) {
        const struct {
            const char16_t* key;
            int pixels;
            double dpi;
        } places[] = {{u"Top", y(), double(logicalDpiY())},
                      {u"Left", x(), double(logicalDpiX())},
                      {u"Height", height(), double(logicalDpiY())},
                      {u"Width", width(), double(logicalDpiX())}};
        for (const auto& place : places)
            ProfileStore::Write(profile, kPolarWindow, place.key,
                                NumberText::Plain(double(TwipsFromPixels(place.pixels, place.dpi))));
    }
    PolarDataSave(profile, m_settings, m_host.ProgramFolder());
}

void frmPolar::PolarMenuRefresh()
{
    for (const int n : {0, 2, 4, 8, 16, 32})
        mnuAverage[n]->setChecked(m_settings.m_fPlotAverage == float(n));

    for (int i = 0; i < 2; ++i)
        mnuBoatType[i]->setChecked(m_settings.m_iBoatType == i);
    mnuBoatMotorSpeed->setVisible(m_settings.m_iBoatType == 1);
    mnuBoatMotorSpeed->setText(QStringLiteral("Set Motor Only Speed to Target/Waypoint (")
                               + NumberText::Format(m_settings.m_fBoatMotorSpeed, u"0.0") + QStringLiteral(" Kts)..."));

    const bool course = m_settings.m_bCourseWaypoint;
    for (int i = 0; i < 3; ++i) {
        const bool ticked = course && m_settings.m_iCourseWaypointIndex == i;
        mnuCourseWaypoint[i]->setChecked(ticked);
    }
    mnuCourseLedger->setChecked(!frmLedger->isHidden());
    mnuCourseScale->setChecked(m_settings.m_bCourseScale);
    const bool target = course && m_settings.m_iCourseWaypointIndex == 0;
    mnuCourseTargetBearing->setVisible(target);
    mnuCourseTargetSeparator->setVisible(target);
    mnuCourseTargetBearing->setText(QStringLiteral("Set Target Bearing (")
                                    + NumberText::Format(m_settings.m_fCourseTargetBearing, u"0")
                                    + QStringLiteral(" M)..."));

    mnuOverlayFile2->setEnabled(true);
    mnuOverlayScale->setText(QStringLiteral("Set Scaling (") + NumberText::Format(m_settings.m_fSpeedFactor, u"0.0")
                             + QStringLiteral(")..."));

    bool listed = false;
    for (const int r : {6, 8, 10, 12}) {
        mnuRange[r]->setChecked(m_settings.m_fSpeedRange == float(r));
        listed |= mnuRange[r]->isChecked();
    }
    mnuRangeCustom->setChecked(!listed);

    mnuWindTrue->setChecked(m_settings.m_iPlotType == 0);
    mnuWindApparent->setChecked(m_settings.m_iPlotType == 1);
    mnuPlotLabelWindSpeed->setChecked(m_settings.m_bPlotLabelWindSpeed);

    QString title = Title + QStringLiteral(" - ");
    if (m_settings.m_fSpeedFactor != 1)
        title += NumberText::Format(double(m_settings.m_fSpeedFactor) * 100, u"0") + QStringLiteral("% ");
    setWindowTitle(title + PolarFileTitle(m_settings.m_sPolarFile[0]));
}

void frmPolar::ShowMessage(const QString& text)
{
    m_setup.MessageBox(this, Title, text);
}

bool frmPolar::AskNumber(const QString& prompt, const QString& title, float current, float& value,
                         NumberBounds bounds)
{
    for (;;) {
        const QString answer = m_setup.InputBox(this, prompt, title, NumberText::General(current));
        if (answer.isEmpty())
            return false;
        float number = 0;
        if (!NumberText::TryParse(answer, number)) {
            ShowMessage(answer + QStringLiteral(" - Type mismatch"));
            continue;
        }
        const QString low = NumberText::General(bounds.low);
        if (bounds.lowOpen && !(number > bounds.low)) {
            ShowMessage(answer + QStringLiteral(" - The value must be above ") + low);
            continue;
        }
        if (!bounds.lowOpen && !(number >= bounds.low)) {
            ShowMessage(answer + QStringLiteral(" - The value must be ") + low + QStringLiteral(" or more"));
            continue;
        }
        if (!(number <= bounds.high)) {
            ShowMessage(answer + QStringLiteral(" - The value must be ") + NumberText::General(bounds.high)
                        + QStringLiteral(" or less"));
            continue;
        }
        value = number;
        return true;
    }
}

bool frmPolar::PolarFileRead(int Polar, const QString& path, float speedFactor)
{
    QString message;
    const bool ok = m_table->PolarFileRead(Polar, path, speedFactor, message);
    if (!message.isEmpty())
        ShowMessage(message);
    return ok;
}

void frmPolar::PolarFileOpen(int Polar)
{
    QString chosen;
    QString error;
    const QString current = PolarFilePath(m_settings.m_sPolarFile[Polar], m_host.ProgramFolder());
    if (!m_setup.OpenFile(this, ProfileFolder(), current, FileFilter, chosen, error)) {
        ShowMessage(FileError + error);
        return;
    }
    // A new main polar is read unscaled. The name and the factor change only
    // with the table: a failed read leaves the table, the plot, the title and
    // the stored name as they were.
    const float factor = Polar == 0 ? 1.0f : m_settings.m_fSpeedFactor;
    if (!PolarFileRead(Polar, chosen, factor))
        return;
    if (Polar == 0)
        m_settings.m_fSpeedFactor = factor;
    m_settings.m_sPolarFile[Polar] = chosen;
    m_iPolarCount = Polar == 0 ? 1 : 2;
    PolarMenuRefresh();
    PolarRedraw();
}

void frmPolar::PolarFileSaveAs()
{
    QString chosen;
    const QString current = PolarFilePath(m_settings.m_sPolarFile[0], m_host.ProgramFolder());
    if (!m_setup.SaveFile(this, ProfileFolder(), current, FileFilter, chosen))
        return;
    const QFileInfo existing(chosen);
    if (existing.exists() && existing.size() > 0
        && !m_setup.AskYesNo(this, QStringLiteral("AutoPilot - Save As"),
                             chosen + QStringLiteral("file already exists.\nDo you want to replace it?")))
        return;
    // The old file is replaced only once the new one is complete, and File
    // 1 names the new file only when it was written.
    QString message;
    if (!m_table->PolarFileWrite(0, chosen, message)) {
        ShowMessage(message);
        return;
    }
    m_settings.m_sPolarFile[0] = chosen;
}

void frmPolar::StaticLayerBegin()
{
    const qreal ratio = m_canvas->devicePixelRatioF();
    const QSize pixels = m_canvas->size() * ratio;
    if (m_staticLayer.size() != pixels) {
        m_staticLayer = QPixmap(pixels);
        m_staticLayer.setDevicePixelRatio(ratio);
        m_liveLayer = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_liveLayer.setDevicePixelRatio(ratio);
    }
    m_staticLayer.fill(palette().color(QPalette::Window));
    m_liveLayer.fill(Qt::transparent);
}

void frmPolar::LiveLayerClear()
{
    m_liveLayer.fill(Qt::transparent);
}

void frmPolar::PolarRedraw()
{
    m_plot.SetGeometry(m_canvas->size());
    StaticLayerBegin();
    lblMouse[0]->hide();
    lblMouse[1]->hide();
    if (!m_staticLayer.isNull()) {
        QPainter painter(&m_staticLayer);
        Prepare(painter, m_canvas->font());
        // At night the grid a step below the curves, as grey is by day.
        m_plot.PolarDrawGrid(painter, NightMode::Fill(PolarColor::Grid));
        const QColor main = NightMode::Ink(ColorFromLong(m_settings.m_lSpeedColor));
        const bool apparent = m_settings.m_iPlotType == 1;
        const bool label = m_settings.m_bPlotLabelWindSpeed;
        m_plot.PolarDrawCurve(painter, 0, !apparent && label, main);
        // At night two reds of the curves may lie close: the overlay dashed.
        if (m_iPolarCount == 2)
            m_plot.PolarDrawCurve(painter, 1, apparent && label, NightMode::Ink(PolarColor::Reference),
                                  NightMode::Active() ? Qt::DashLine : Qt::SolidLine);
    }
    PolarDrawLegend();
    m_canvas->update();
}

void frmPolar::PolarDrawLegend()
{
    if (!m_staticLayer.isNull()) {
        QPainter painter(&m_staticLayer);
        Prepare(painter, m_canvas->font());
        m_plot.PolarDrawLegend(painter, palette().color(QPalette::Window));
    }
    const bool course = m_settings.m_bCourseWaypoint;
    const int mode = m_live.m_lTrackMode;
    const bool buttons = course && (mode == TrackModeManual || mode == TrackModeTrack);
    lblSteer->setVisible(course && mode == TrackModeSetup);
    cmdSteer->setVisible(buttons);
    // A one-leg course has nothing to tack to.
    cmdTack->setVisible(buttons && m_bTackShown);
    const int left = int(m_plot.Centre().x()) - cmdTack->width() / 2;
    lblSteer->move(left, 0);
    cmdSteer->move(left, 0);
    cmdTack->move(left, cmdSteer->height() + 1);
    m_canvas->update();
}

void frmPolar::PolarDrawCurrent()
{
    if (m_liveLayer.isNull())
        return;
    QPainter painter(&m_liveLayer);
    Prepare(painter, m_canvas->font());
    m_plot.PolarDrawCurrent(painter, m_fPolarSpeed, m_fTargetSpeed);
}

void frmPolar::SetValue(const InstrumentValues& values)
{
    if (m_bLiveBusy) {
        m_livePending = values;
        m_bLivePending = true;
        return;
    }
    m_bLiveBusy = true;
    InstrumentValues next = values;
    for (;;) {
        m_live.Average(next, m_settings.m_fPlotAverage);
        // Hidden: the averages run on, nothing is drawn or sent.
        if (isVisible()) {
            if (m_live.m_lTrackMode != m_lTrackModeLast) {
                m_lTrackModeLast = m_live.m_lTrackMode;
                PolarDrawLegend();
            }
            m_fPolarSpeed = m_table->PolarLookup(0, std::fabs(m_live.m_fWindAngleTrue), m_live.m_fWindSpeedTrue);
            LiveUpdate();
            m_host.ChartSetValue(QStringLiteral("Polar Speed"), m_fPolarSpeed, QStringLiteral("Kts"));
        }
        if (!m_bLivePending)
            break;
        m_bLivePending = false;
        next = m_livePending;
    }
    m_bLiveBusy = false;
}

// Every live redraw passes here: the current point alone, or, in course
// mode, the course toward the target bearing or the waypoint.
void frmPolar::LiveUpdate()
{
    const bool course = m_settings.m_bCourseWaypoint && m_live.m_bHeadingValid;
    const int index = m_settings.m_iCourseWaypointIndex;
    const PolarLive& v = m_live;
    if (course && index == 0) {
        CourseUpdate(v.m_fHeading, m_settings.m_fCourseTargetBearing, v.m_fWindAngleTrue, v.m_fWindSpeedTrue,
                     v.m_fBoatSpeed, m_fPolarSpeed);
    } else if (course && (index == 1 || index == 2) && v.m_bWaypointValid) {
        CourseUpdate(v.m_fHeading, v.m_fWaypointBearing, v.m_fWindAngleTrue, v.m_fWindSpeedTrue, v.m_fBoatSpeed,
                     m_fPolarSpeed);
    } else {
        LiveLayerClear();
        PolarDrawCurrent();
    }
    m_canvas->update();
}

QColor frmPolar::ToneColor(CourseTone tone) const
{
    switch (tone) {
    case CourseTone::LightGreen:
        return PolarColor::LightGreen;
    case CourseTone::LightRed:
        return PolarColor::LightRed;
    case CourseTone::Starboard:
        return QColor(0, 255, 0);
    case CourseTone::Port:
        return QColor(255, 0, 0);
    case CourseTone::Bearing:
        return QColor(0, 0, 255);
    case CourseTone::None:
        break;
    }
    return palette().color(QPalette::Window);
}

void frmPolar::CourseUpdate(float Heading, float Bearing, float WindAngle, float WindSpeed, float BoatSpeed,
                            float PolarSpeed)
{
    CourseInput in;
    in.Heading = Heading;
    in.Bearing = Bearing;
    in.WindAngle = WindAngle;
    in.WindSpeed = WindSpeed;
    in.BoatSpeed = BoatSpeed;
    in.PolarSpeed = PolarSpeed;
    in.WaypointRange = m_live.m_fWaypointRange;
    const CoursePlan plan = CoursePlanMake(*m_table, m_settings, in);
    // Worked out first, so that the read-outs of this update show it.
    m_fSteerChange = plan.SteerChange;
    m_fTargetSpeed = plan.Vmg;
    if (plan.TackShown)
        m_fTackHeading = plan.TackHeading;
    m_bTackShown = plan.TackShown;

    LiveLayerClear();
    PolarDrawCurrent();
    if (!m_liveLayer.isNull()) {
        QPainter painter(&m_liveLayer);
        Prepare(painter, m_canvas->font());
        for (const CourseLine& line : plan.Lines)
            m_plot.PlotArrow(painter, line.arrow, line.width, line.angle1, line.radius1, line.angle2, line.radius2,
                             NightMode::Ink(ToneColor(line.tone)));
        painter.setPen(QPen(NightMode::Ink(Qt::black), 1));
        for (const auto& [row, text] : plan.Values)
            m_plot.LegendValue(painter, false, row, text);
    }

    lblSteer->setText(plan.SteerText);
    cmdSteer->setText(plan.SteerText);
    m_eSteerTone = plan.SteerTone;
    if (plan.TackShown) {
        cmdTack->setText(plan.TackCaption);
        m_eTackTone = plan.TackTone;
    }
    ShowTones();
    cmdTack->setVisible(plan.TackShown && !cmdSteer->isHidden());
}

void frmPolar::ShowTones()
{
    auto paint = [this](QWidget* widget, QPalette::ColorRole role, CourseTone tone) {
        QPalette palette = widget->palette();
        palette.setColor(role, tone == CourseTone::None ? this->palette().color(QPalette::Window)
                                                        : NightMode::Fill(ToneColor(tone)));
        widget->setPalette(palette);
    };
    paint(lblSteer, QPalette::Window, m_eSteerTone);
    paint(cmdSteer, QPalette::Button, m_eSteerTone);
    paint(cmdTack, QPalette::Button, m_eTackTone);
}

void frmPolar::cmdSteer_Click()
{
    const float SteerTo = float(MathLib::Angle360(double(m_live.m_fHeading) + m_fSteerChange));
    m_host.TackRequest(SteerTo, m_live.m_fHeading, m_live.m_fWindAngleTrue);
}

void frmPolar::cmdTack_Click()
{
    m_host.TackRequest(float(MathLib::Angle360(m_fTackHeading)), m_live.m_fHeading, m_live.m_fWindAngleTrue);
}

void frmPolar::Form_Resize()
{
    if (isMinimized())
        return;
    lnMenu->setGeometry(0, 0, m_canvas->width(), 2);
    PolarRedraw();
}

void frmPolar::Form_MouseDown(Qt::MouseButton button, int X, int Y)
{
    if (button != Qt::LeftButton)
        return;
    double best = 500;
    float angle = 0;
    float windSpeed = 0;
    float speed = 0;
    double px = 0;
    double py = 0;
    m_plot.PolarNearestPoint(0, X, Y, best, angle, windSpeed, speed, px, py);
    QColor color = NightMode::Ink(Qt::black);
    if (m_iPolarCount == 2) {
        const double main = best;
        m_plot.PolarNearestPoint(1, X, Y, best, angle, windSpeed, speed, px, py);
        if (best < main)
            color = NightMode::Ink(PolarColor::Reference);
    }
    if (!(best < 500)) {
        lblMouse[0]->hide();
        lblMouse[1]->hide();
        return;
    }
    MouseLabelPlace(px, py);
    for (QLabel* label : lblMouse) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, color);
        label->setPalette(palette);
    }
    lblMouse[1]->setText(NumberText::Format(windSpeed, u"0.0") + QLatin1Char('\n') + NumberText::Format(angle, u"0")
                         + QLatin1Char('\n') + NumberText::Format(speed, u"0.0"));
    lblMouse[0]->show();
    lblMouse[1]->show();
    m_fMouseX = X;
    m_fMouseY = Y;
}

void frmPolar::Form_MouseMove(int X, int Y)
{
    if (lblMouse[0]->isHidden())
        return;
    if (std::hypot(X - m_fMouseX, Y - m_fMouseY) > 10) {
        lblMouse[0]->hide();
        lblMouse[1]->hide();
    }
}

void frmPolar::MouseLabelPlace(double PX, double PY)
{
    int x = NumberText::ToInt32Saturated(NumberText::RoundHalfEven(PX));
    int y = NumberText::ToInt32Saturated(NumberText::RoundHalfEven(PY));
    if (!m_liveLayer.isNull()) {
        QPainter painter(&m_liveLayer);
        painter.setPen(QPen(NightMode::Ink(Qt::black), 1));
        painter.drawLine(x, y - 10, x, y + 10);
    }
    const int total = lblMouse[0]->width() + lblMouse[1]->width();
    const int height = lblMouse[0]->height();
    if (x + total > m_canvas->width())
        x -= total;
    if (y + height > m_canvas->height())
        y -= height;
    lblMouse[0]->move(x, y);
    lblMouse[1]->move(x + lblMouse[0]->width(), y);
    m_canvas->update();
}

void frmPolar::PaintCanvas(QPainter& painter, const QRect& area)
{
    if (m_staticLayer.isNull()) {
        painter.fillRect(area, palette().color(QPalette::Window));
        return;
    }
    painter.drawPixmap(0, 0, m_staticLayer);
    painter.drawImage(0, 0, m_liveLayer);
}
