#include "frmMain.h"

#include "NightMode.h"
#include "NumberText.h"
#include "SerialPort.h"
#include "SerialPortFactory.h"
#include "ToolbarImages.h"
#include "frmAbout.h"
#include "frmDiagram.h"
#include "frmHelp.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

const QString Title = QStringLiteral("Vanehold");
const QColor AlarmColour(255, 128, 128);

template <class Widget>
void SetText(Widget* widget, const QString& text)
{
    if (widget->text() != text)
        widget->setText(text);
}

QString Indexed(const char* name, int index)
{
    return QLatin1String(name) + QLatin1Char('_') + NumberText::Format(double(index), u"0");
}

bool AskYesNoBox(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

int ChooseBox(QWidget* parent, const QString& title, const QString& text, const QStringList& buttons)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Cancel, parent);
    std::vector<QAbstractButton*> choices;
    for (const QString& caption : buttons)
        choices.push_back(box.addButton(caption, QMessageBox::AcceptRole));
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    const auto at = std::find(choices.begin(), choices.end(), box.clickedButton());
    return at == choices.end() ? -1 : int(at - choices.begin());
}

// A status panel that shows as much of its text as fits, the whole of it
// in the tool tip.
class PanelLabel : public QLabel {
public:
    PanelLabel(QWidget* parent, const QString& name, const QString& tip)
        : QLabel(parent)
        , m_sTip(tip)
    {
        setObjectName(name);
        setToolTip(tip);
        setMinimumWidth(1);
    }
    void SetFullText(const QString& text)
    {
        m_sFull = text;
        Elide();
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        Elide();
    }
    QSize minimumSizeHint() const override { return QSize(minimumWidth(), QLabel::minimumSizeHint().height()); }

private:
    void Elide()
    {
        const int room = contentsRect().width() - 2 * margin() - 4;
        const QString shown = fontMetrics().elidedText(m_sFull, Qt::ElideRight, std::max(room, 0));
        setText(shown);
        setToolTip(shown == m_sFull ? m_sTip : m_sFull);
    }
    QString m_sTip;
    QString m_sFull;
};

void WarnBox(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::warning(parent, title, text);
}

QLabel* NewLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QPushButton* NewButton(QWidget* parent, const QString& name, const QString& text, const QString& tip)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    // A click takes the focus, so a box being typed into is left, and
    // stored, before the button acts.
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

} // namespace

frmMain::frmMain(MainWindowSetup setup, QWidget* parent)
    : QMainWindow(parent)
    , m_setup(std::move(setup))
    , m_runner(m_setup.Core, m_setup.CoreThread)
    , m_core(m_runner.Core())
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Title);
    setWindowIcon(ApplicationImage());
    if (!m_setup.AskYesNo)
        m_setup.AskYesNo = AskYesNoBox;
    if (!m_setup.Beep)
        m_setup.Beep = [] { QApplication::beep(); };
    if (!m_setup.Warn)
        m_setup.Warn = WarnBox;
    if (!m_setup.Choose)
        m_setup.Choose = ChooseBox;
    if (m_setup.ManualTimers) {
        m_tmrUnload = std::make_unique<ManualTimer>();
    } else {
        auto unload = std::make_unique<IntervalTimer>(1000, [this] { tmrUnload_Timer(); }, this);
        unload->setObjectName(QStringLiteral("tmrUnload"));
        m_tmrUnload = std::move(unload);
    }

    m_banner = new AlarmBanner(this);
    BuildToolbar();
    BuildControls();
    BuildMenus();
    BuildShortcuts();
    Bind();
}

frmMain::~frmMain()
{
    // Focus moves while the widgets go; this window is no longer one then.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    // The timer and the boxes' filter call back into the window; they go
    // first.
    for (QLineEdit* box : {txtAutoPilot, txtDesired[1], txtDesired[2]})
        box->removeEventFilter(this);
    if (m_history)
        m_history->removeEventFilter(this);
    m_history.reset();
    if (m_polar)
        m_polar->removeEventFilter(this);
    m_polar.reset();
    m_tack.reset();
    m_tmrUnload.reset();
    delete m_helpKey;
    delete m_help;
    delete m_about;
    delete m_diagram;
    delete m_options;
}

frmOptions& frmMain::Options()
{
    if (!m_options)
        m_options = new frmOptions(m_runner, m_setup.Options, this);
    return *m_options;
}

frmDiagram& frmMain::Diagram()
{
    if (!m_diagram) {
        m_diagram = new frmDiagram(this);
        connect(m_diagram, &frmDiagram::OptionsRequested, this, [this](int tab, QWidget* button) {
            Options().SetTab(tab);
            frmDiagram::ShowNear(button, &Options());
        });
        connect(m_diagram, &frmDiagram::VisibilityChanged, mnuViewDiagram, &QAction::setChecked);
        connect(m_diagram, &frmDiagram::PolarRequested, this, [this] { ShowWindow(CoreWindow::Polar); });
        // Open already: its chart's configuration menu instead of a second
        // window.
        connect(m_diagram, &frmDiagram::HistoryRequested, this, [this] {
            if (m_history && m_history->isVisible())
                m_history->ConfigurePopup();
            else
                ShowWindow(CoreWindow::History);
        });
    }
    return *m_diagram;
}

frmAbout& frmMain::About()
{
    if (!m_about)
        m_about = new frmAbout(windowIcon(), this);
    return *m_about;
}

frmHelp& frmMain::Help()
{
    if (!m_help)
        m_help = new frmHelp(this);
    return *m_help;
}

void frmMain::ShowDiagram()
{
    ShowBelow(&Diagram());
    mnuViewDiagram->setChecked(m_diagram->isVisible());
}

void frmMain::Bind()
{
    SteeringCore* core = &m_core;
    MainView* view = &m_view;
    connect(view, &MainView::PanelText, this, [this](int panel, const QString& text) {
        if (panel >= 1 && panel <= 3)
            static_cast<PanelLabel*>(m_panels[panel])->SetFullText(text);
    });
    connect(core, &SteeringCore::AlarmShown, this, [this](const QString& text, bool sounding) {
        m_banner->Show(text, sounding);
        m_keyAcknowledge->setEnabled(sounding);
    });
    connect(m_banner, &AlarmBanner::Acknowledged, core, &SteeringCore::AlarmAcknowledge);
    // The strip moves to whichever window of the program the sailor turns
    // to.
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (m_banner->isVisible())
            m_banner->Place();
    });
    // The core asks as the last thing its mode procedure does.
    connect(core, &SteeringCore::EngageAsked, this, &frmMain::AskEngage);
    connect(view, &MainView::ModeButtonDown, this,
            [this](int mode, bool down) { m_modeButtons[mode]->setChecked(down); });
    connect(view, &MainView::ControlEnabled, this, [this](MainControl control, int index, bool enabled) {
        if (control == MainControl::tbrTrack)
            m_modeButtons[index]->setEnabled(enabled);
        else if (QWidget* widget = Control(control, index))
            widget->setEnabled(enabled);
    });
    connect(view, &MainView::OptionSelected, this, [this](int index) { optControl[index]->setChecked(true); });
    connect(view, &MainView::AutoPilotText, this, [this](const QString& text) { SetText(txtAutoPilot, text); });
    connect(view, &MainView::DesiredText, this,
            [this](int index, const QString& text) { SetText(txtDesired[index], text); });
    connect(view, &MainView::DeltaText, this,
            [this](int index, const QString& text) { SetText(lblDelta[index], text); });
    connect(core, &SteeringCore::DeltaAlarm, this, &frmMain::ShowDeltaAlarm);
    connect(core, &SteeringCore::BeepRequested, this, [this] { m_setup.Beep(); });
    connect(core, &SteeringCore::ForegroundRequested, this, &frmMain::RequestForeground);
    connect(view, &MainView::ValueText, this,
            [this](InstrumentValue which, const QString& text) { SetText(m_values[int(which)], text); });
    connect(view, &MainView::ValueGreyed, this, &frmMain::ShowValueGreyed);
    // The Polar window takes the values itself once it exists (see
    // PolarWindow). It is made outside the receive path: loading it may ask
    // the user about a missing polar file, and the control loop must not
    // wait on that.
    connect(core, &SteeringCore::PolarValues, this, [this] {
        if (!m_polar)
            QMetaObject::invokeMethod(this, [this] { PolarWindow(); }, Qt::QueuedConnection);
    });
    // The History window is made outside the receive path too (its load
    // may tell the user that the chart has no memory); until it exists the
    // readings wait for it.
    auto toHistory = [this](std::function<void(frmHistory&)> reading) {
        if (m_historyPending.empty())
            QMetaObject::invokeMethod(this, [this] { HistoryWindow(); }, Qt::QueuedConnection);
        m_historyPending.push_back(std::move(reading));
    };
    connect(core, &SteeringCore::HistoryReading, this,
            [this, toHistory](const QString& name, float value, const QString& units, const QDateTime& stamp) {
                const auto reading = [=](frmHistory& window) { window.SetValue(name, value, units, stamp); };
                if (m_history)
                    reading(*m_history);
                else
                    toHistory(reading);
            });
    connect(core, &SteeringCore::WindowRequested, this, &frmMain::ShowWindow);
    connect(core, &SteeringCore::TackRequested, this,
            [this](float SteerTo, float Heading, float AutoPilot, float WindAngle) {
                TackWindow().SetValue(SteerTo, Heading, AutoPilot, WindAngle);
            });
    connect(view, &MainView::WindIndicatorText, this, [this](const QString& text) {
        m_sWindIndicator = text;
        ShowCaption();
    });
    // Last: the core's facts reach the view once the window takes what
    // the view makes of them.
    m_view.Bind(m_core);
}

void frmMain::BuildToolbar()
{
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("tbrTrack"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(32, 32));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, bar);

    struct Button {
        TrackMode mode;
        const char* key;
        const char* tip;
        Qt::Key shortcut;
    };
    const Button buttons[] = {
        {TrackModeOff, "Off", "Off", Qt::Key_F5},
        {TrackModeSetup, "Setup", "Setup, Set software to hardware autopilot heading", Qt::Key_F6},
        {TrackModeManual, "Manual", "Manual, adjust autopilot heading for desired wind angle", Qt::Key_F7},
        {TrackModeTrack, "Track", "Track, adjust desired wind angle to fine tuning", Qt::Key_F8},
    };
    for (const Button& b : buttons) {
        if (b.mode != TrackModeOff) {
            QAction* separator = bar->addSeparator();
            separator->setObjectName(Indexed("tbrTrack", b.mode - 1));
        }
        m_modeImages[b.mode] = ToolbarImage(b.mode);
        auto* action = new QAction(m_modeImages[b.mode], QLatin1String(b.key), this);
        action->setObjectName(Indexed("tbrTrack", b.mode));
        action->setCheckable(true);
        action->setShortcut(QKeySequence(b.shortcut));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setToolTip(QLatin1String(b.tip) + QStringLiteral(" (")
                           + QKeySequence(b.shortcut).toString(QKeySequence::NativeText) + QLatin1Char(')'));
        const int index = b.mode;
        connect(action, &QAction::triggered, this, [this, index] { tbrTrack_ButtonClick(index); });
        bar->addAction(action);
        m_modeButtons[b.mode] = action;
    }
}

void frmMain::BuildControls()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    auto* outer = new QVBoxLayout(central);

    const QString portKey = QKeySequence(Qt::CTRL | Qt::Key_Left).toString(QKeySequence::NativeText);
    const QString starboardKey = QKeySequence(Qt::CTRL | Qt::Key_Right).toString(QKeySequence::NativeText);
    const QString toPort = QStringLiteral("To Port");
    const QString toStarboard = QStringLiteral("To Starboard");
    const QString portTip = toPort + QStringLiteral(" (") + portKey + QLatin1Char(')');
    const QString starboardTip = toStarboard + QStringLiteral(" (") + starboardKey + QLatin1Char(')');

    QFont boxFont = font();
    boxFont.setPointSizeF(boxFont.pointSizeF() * 1.5);
    boxFont.setBold(true);

    auto* grid = new QGridLayout;
    outer->addLayout(grid);
    auto* lblAutoPilot = NewLabel(central, QStringLiteral("lblAutoPilot"), QStringLiteral("AutoPilot"));
    txtAutoPilot = new QLineEdit(central);
    txtAutoPilot->setObjectName(QStringLiteral("txtAutoPilot"));
    txtAutoPilot->setToolTip(QStringLiteral("AutoPilot Bearing"));
    // A steer from anywhere (the Tack dialog too) takes what the box says.
    connect(txtAutoPilot, &QLineEdit::textChanged, &m_core, &SteeringCore::AutoPilotTextEdited);
    cmdAutoPilot[1] = NewButton(central, Indexed("cmdAutoPilot", 1), toPort, portTip);
    cmdAutoPilot[2] = NewButton(central, Indexed("cmdAutoPilot", 2), toStarboard, starboardTip);
    grid->addWidget(lblAutoPilot, 0, 0);
    grid->addWidget(cmdAutoPilot[1], 0, 1);
    grid->addWidget(txtAutoPilot, 0, 2);
    grid->addWidget(cmdAutoPilot[2], 0, 3);

    lblDesired = NewLabel(central, QStringLiteral("lblDesired"), QStringLiteral("Desired"));
    lblDelta[0] = NewLabel(central, Indexed("lblDelta", 0), QStringLiteral("Delta"));
    lblDesired->setAlignment(Qt::AlignCenter);
    lblDelta[0]->setAlignment(Qt::AlignCenter);
    grid->addWidget(lblDesired, 1, 2);
    grid->addWidget(lblDelta[0], 1, 4);

    const char* options[] = {nullptr, "Track Apparent Wind Angle", "Track True Wind Angle"};
    const char* desiredTips[] = {nullptr, "Desired Apparent Wind Angle", "Desired True Wind Angle"};
    for (int i = 1; i <= 2; ++i) {
        optControl[i] = new QRadioButton(QLatin1String(options[i]), central);
        optControl[i]->setObjectName(Indexed("optControl", i));
        const int index = i;
        connect(optControl[i], &QRadioButton::clicked, this, [this, index] { optControl_Click(index); });
        txtDesired[i] = new QLineEdit(central);
        txtDesired[i]->setObjectName(Indexed("txtDesired", i));
        txtDesired[i]->setToolTip(QLatin1String(desiredTips[i]));
        lblDelta[i] = NewLabel(central, Indexed("lblDelta", i), QString());
        lblDelta[i]->setAlignment(Qt::AlignCenter);
        lblDelta[i]->setMinimumWidth(60);
        lblDelta[i]->setFont(boxFont);
        grid->addWidget(optControl[i], 1 + i, 0);
        grid->addWidget(txtDesired[i], 1 + i, 2);
        grid->addWidget(lblDelta[i], 1 + i, 4);
    }
    cmdDesiredApp[1] = NewButton(central, Indexed("cmdDesiredApp", 1), toPort, portTip);
    cmdDesiredApp[2] = NewButton(central, Indexed("cmdDesiredApp", 2), toStarboard, starboardTip);
    cmdDesiredTrue[1] = NewButton(central, Indexed("cmdDesiredTrue", 1), toPort, portTip);
    cmdDesiredTrue[2] = NewButton(central, Indexed("cmdDesiredTrue", 2), toStarboard, starboardTip);
    grid->addWidget(cmdDesiredApp[1], 2, 1);
    grid->addWidget(cmdDesiredApp[2], 2, 3);
    grid->addWidget(cmdDesiredTrue[1], 3, 1);
    grid->addWidget(cmdDesiredTrue[2], 3, 3);

    for (QLineEdit* box : {txtAutoPilot, txtDesired[1], txtDesired[2]}) {
        box->setAlignment(Qt::AlignCenter);
        box->setFont(boxFont);
        box->setMaximumWidth(110);
        box->installEventFilter(this);
    }
    for (QPushButton** pair : {cmdAutoPilot, cmdDesiredApp, cmdDesiredTrue}) {
        for (int i = 1; i <= 2; ++i) {
            connect(pair[i], &QPushButton::clicked, this, [this, i] { cmdSteer_Click(i); });
        }
    }

    auto* line = new QFrame(central);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    outer->addWidget(line);
    auto* label2 = NewLabel(central, QStringLiteral("Label2"), QStringLiteral("Data"));
    QFont bold = font();
    bold.setBold(true);
    label2->setFont(bold);
    lblDesired->setFont(bold);
    lblDelta[0]->setFont(bold);
    outer->addWidget(label2);

    struct Value {
        InstrumentValue which;
        const char* name;
        const char* caption;
        int row;
        int column;
    };
    const Value values[] = {
        {InstrumentValue::Heading, "lblHeading", "Heading (M)", 0, 0},
        {InstrumentValue::BoatSpeed, "lblBoatSpeed", "Boat Speed (Kts)", 1, 0},
        {InstrumentValue::WaypointBearing, "lblWaypointBearing", "Waypoint Bearing (M)", 2, 0},
        {InstrumentValue::AppWindAngle, "lblAppWindAngle", "App Wind Angle (R)", 0, 2},
        {InstrumentValue::AppWindSpeed, "lblAppWindSpeed", "App Wind Speed (Kts)", 1, 2},
        {InstrumentValue::TrueWindAngle, "lblTrueWindAngle", "True Wind Angle (R)", 2, 2},
        {InstrumentValue::TrueWindSpeed, "lblTrueWindSpeed", "True Wind Speed (Kts)", 3, 2},
    };
    auto* data = new QGridLayout;
    data->setHorizontalSpacing(16);
    outer->addLayout(data);
    for (const Value& v : values) {
        QLabel* caption = NewLabel(central, Indexed(v.name, 1), QLatin1String(v.caption));
        QLabel* value = NewLabel(central, Indexed(v.name, 2), QString());
        value->setFont(boxFont);
        value->setMinimumWidth(70);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        data->addWidget(caption, v.row, v.column);
        data->addWidget(value, v.row, v.column + 1);
        m_values[int(v.which)] = value;
        if (v.which == InstrumentValue::AppWindAngle) {
            lblAppWindAngle[1] = caption;
            lblAppWindAngle[2] = value;
        } else if (v.which == InstrumentValue::TrueWindAngle) {
            lblTrueWindAngle[1] = caption;
            lblTrueWindAngle[2] = value;
        }
    }
    outer->addStretch(1);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    const char* descriptions[] = {nullptr, "Pilot Status", "Input Data Status", "Output Data Status"};
    for (int i = 1; i <= 3; ++i) {
        m_panels[i] = new PanelLabel(bar, Indexed("StatusBar", i), QLatin1String(descriptions[i]));
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        m_panels[i]->setMinimumWidth(i == 1 ? 90 : 120);
        // The output panel carries the alarms: it gets the room.
        bar->addWidget(m_panels[i], i == 3 ? 3 : i - 1);
    }
}

void frmMain::BuildMenus()
{
    QMenuBar* bar = menuBar();
    auto addMenu = [&](const char* name, const QString& title) {
        QMenu* menu = bar->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    auto addItem = [&](QMenu* menu, const char* name, const QString& caption, bool enabled) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        // Windows of later work: visible, enabled once they exist.
        action->setEnabled(enabled);
        return action;
    };

    QMenu* file = addMenu("mnuFile", QStringLiteral("&File"));
    connect(addItem(file, "mnuFileDefault", QStringLiteral("Default"), true), &QAction::triggered, this,
            [this] { m_runner.Post([](SteeringCore& core) { core.ProfileInitialize(false); }); });
    connect(addItem(file, "mnuFileExit", QStringLiteral("Exit"), true), &QAction::triggered, this,
            [this] { close(); });

    QMenu* view = addMenu("mnuView", QStringLiteral("&View"));
    mnuViewDiagram = addItem(view, "mnuViewDiagram", QStringLiteral("Block Diagram..."), true);
    mnuViewDiagram->setCheckable(true);
    connect(mnuViewDiagram, &QAction::triggered, this, &frmMain::ShowDiagram);
    mnuViewHistory = addItem(view, "mnuViewHistory", QStringLiteral("History Plot..."), true);
    mnuViewHistory->setCheckable(true);
    connect(mnuViewHistory, &QAction::triggered, this, [this] { ShowWindow(CoreWindow::History); });
    mnuViewPolar = addItem(view, "mnuViewPolar", QStringLiteral("Polar Plot..."), true);
    mnuViewPolar->setCheckable(true);
    connect(mnuViewPolar, &QAction::triggered, this, [this] { ShowWindow(CoreWindow::Polar); });
    view->addSeparator()->setObjectName(QStringLiteral("mnuViewSeparator"));
    mnuViewNight = addItem(view, "mnuViewNight", QStringLiteral("Night Mode"), true);
    mnuViewNight->setCheckable(true);
    // From whichever window of the program has the focus: the Polar window
    // may be the one in front at night.
    mnuViewNight->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    mnuViewNight->setShortcutContext(Qt::ApplicationShortcut);
    connect(mnuViewNight, &QAction::triggered, this, &frmMain::mnuViewNight_Click);

    QMenu* options = addMenu("mnuConfigure", QStringLiteral("&Options"));
    const struct {
        const char* name;
        const char* caption;
        int tab;
    } optionItems[] = {
        {"mnuOptionsInput", "Input...", frmOptions::TabInput},
        {"mnuOptionsData", "Data...", frmOptions::TabData},
        {"mnuOptionsOutput", "Output...", frmOptions::TabOutput},
        {"mnuOptionsTrack", "Tracking...", frmOptions::TabTracking},
        {"mnuOptionsSimulate", "Simulate...", frmOptions::TabSimulate},
    };
    for (const auto& item : optionItems) {
        if (item.tab == frmOptions::TabSimulate)
            options->addSeparator()->setObjectName(QStringLiteral("mnuConfigureSeparator"));
        const int tab = item.tab;
        connect(addItem(options, item.name, QLatin1String(item.caption), true), &QAction::triggered, this,
                [this, tab] {
                    Options().SetTab(tab);
                    Options().ShowCenter();
                });
    }

    QMenu* help = addMenu("mnuHelp", QStringLiteral("&Help"));
    QAction* contents = addItem(help, "mnuHelpContents", QStringLiteral("Contents"), true);
    // From whichever window has the focus; over a modal dialog HelpKey
    // takes the key instead.
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    contents->setShortcutContext(Qt::ApplicationShortcut);
    connect(contents, &QAction::triggered, this, [this] { Help().ShowHelp(); });
    m_helpKey = new HelpKey([this] { Help().ShowHelp(); }, this);
    help->addSeparator()->setObjectName(QStringLiteral("mnuHelpSeparator"));
    connect(addItem(help, "mnuHelpDiagram", QStringLiteral("Block Diagram..."), true), &QAction::triggered, this,
            &frmMain::ShowDiagram);
    connect(addItem(help, "mnuHelpAbout", QStringLiteral("About..."), true), &QAction::triggered, this,
            [this] { About().show(); });
}

void frmMain::BuildShortcuts()
{
    m_keyAcknowledge = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_keyAcknowledge->setObjectName(QStringLiteral("keyAlarmAcknowledge"));
    m_keyAcknowledge->setContext(Qt::ApplicationShortcut);
    m_keyAcknowledge->setEnabled(false);
    connect(m_keyAcknowledge, &QShortcut::activated, &m_core, &SteeringCore::AlarmAcknowledge);

    // Cold hands at night: the steer buttons from the keyboard.
    const struct {
        QKeySequence keys;
        int index;
    } steer[] = {{QKeySequence(Qt::CTRL | Qt::Key_Left), 1}, {QKeySequence(Qt::CTRL | Qt::Key_Right), 2}};
    for (const auto& s : steer) {
        auto* shortcut = new QShortcut(s.keys, this);
        shortcut->setObjectName(Indexed("keySteer", s.index));
        const int index = s.index;
        connect(shortcut, &QShortcut::activated, this, [this, index] {
            if (!cmdAutoPilot[index]->isEnabled())
                return;
            // As with a click, an angle being typed is stored first.
            if (auto* box = qobject_cast<QLineEdit*>(focusWidget()))
                StoreTextBox(box);
            cmdAutoPilot[index]->click();
        });
    }
}

void frmMain::Form_Load()
{
    m_runner.Ask([](SteeringCore& core) { core.ProfileInitialize(true); });
    ShowNightMode();
}

void frmMain::mnuViewNight_Click(bool on)
{
    m_runner.Post([on](SteeringCore& core) { core.SetNightMode(on); });
    ShowNightMode();
}

void frmMain::ShowNightMode()
{
    const bool on = m_runner.Ask([](SteeringCore& core) { return core.Settings().m_bNightMode; });
    NightMode::Apply(on);
    mnuViewNight->setChecked(on);
    for (int mode : {TrackModeOff, TrackModeSetup, TrackModeManual, TrackModeTrack})
        m_modeButtons[mode]->setIcon(NightMode::Icon(m_modeImages[mode]));
    for (QWidget* value : {static_cast<QWidget*>(txtAutoPilot), static_cast<QWidget*>(txtDesired[1]),
                           static_cast<QWidget*>(txtDesired[2])})
        value->setPalette(ValuePalette());
    for (QLabel* value : m_values)
        value->setPalette(ValuePalette());
    for (int i = 1; i <= 2; ++i)
        ShowDeltaAlarm(i, m_bAlarm[i]);
    m_banner->ShowNight(on);
}

QPalette frmMain::ValuePalette()
{
    // At night a value that is disabled (the heading commanded in Track,
    // the angle not tracked) must still be read: dimmed like a caption it
    // is lost in the dark red.
    QPalette palette;
    if (NightMode::Active()) {
        const QPalette night = QApplication::palette();
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText})
            palette.setColor(QPalette::Disabled, role, night.color(QPalette::Active, role));
    }
    return palette;
}

QWidget* frmMain::Control(MainControl control, int index) const
{
    switch (control) {
    case MainControl::tbrTrack:
        return nullptr; // actions, not widgets
    case MainControl::txtAutoPilot:
        return txtAutoPilot;
    case MainControl::cmdAutoPilot:
        return cmdAutoPilot[index];
    case MainControl::optControl:
        return optControl[index];
    case MainControl::lblDesired:
        return lblDesired;
    case MainControl::txtDesired:
        return txtDesired[index];
    case MainControl::cmdDesiredApp:
        return cmdDesiredApp[index];
    case MainControl::cmdDesiredTrue:
        return cmdDesiredTrue[index];
    case MainControl::lblDelta:
        return lblDelta[index];
    case MainControl::lblAppWindAngle:
        return lblAppWindAngle[index];
    case MainControl::lblTrueWindAngle:
        return lblTrueWindAngle[index];
    }
    return nullptr;
}

void frmMain::tbrTrack_ButtonClick(int index)
{
    switch (index) {
    case TrackModeOff:
        m_runner.Post([](SteeringCore& core) { core.TrackSetOff(); });
        break;
    case TrackModeSetup:
        m_runner.Post([](SteeringCore& core) { core.TrackSetSetup(); });
        break;
    case TrackModeManual:
        m_runner.Post([](SteeringCore& core) { core.TrackSetManual(); });
        break;
    case TrackModeTrack:
        m_runner.Post([](SteeringCore& core) { core.TrackSetTrack(); });
        break;
    default:
        break;
    }
}

void frmMain::optControl_Click(int Index)
{
    const TrackAngle angle = Index == 2 ? TrackAngle::True : TrackAngle::Apparent;
    m_runner.Post([angle](SteeringCore& core) { core.TrackSelect(angle); });
}

void frmMain::cmdSteer_Click(int Index)
{
    const float delta = Index == 2 ? 1.0f : -1.0f;
    m_runner.Post([delta, text = txtAutoPilot->text()](SteeringCore& core) { core.SailorSteerTo(delta, text); });
}

void frmMain::StoreTextBox(QLineEdit* box)
{
    if (box == txtAutoPilot)
        m_runner.Post([text = box->text()](SteeringCore& core) { core.StoreAutoPilotText(text); });
    else if (box == txtDesired[1])
        m_runner.Post([text = box->text()](SteeringCore& core) { core.StoreDesiredText(1, text); });
    else if (box == txtDesired[2])
        m_runner.Post([text = box->text()](SteeringCore& core) { core.StoreDesiredText(2, text); });
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    // The profile keeps which windows were open; the View menu ticks them.
    if (m_history && watched == m_history.get()
        && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        const bool visible = event->type() == QEvent::Show;
        m_runner.Post([visible](SteeringCore& core) { core.SetWindowVisible(CoreWindow::History, visible); });
        mnuViewHistory->setChecked(visible);
    }
    if (m_polar && watched == m_polar.get()
        && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        const bool visible = event->type() == QEvent::Show;
        m_runner.Post([visible](SteeringCore& core) { core.SetWindowVisible(CoreWindow::Polar, visible); });
        mnuViewPolar->setChecked(visible);
    }
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && (box == txtAutoPilot || box == txtDesired[1] || box == txtDesired[2])) {
        if (event->type() == QEvent::ShortcutOverride) {
            // The steer keys work from inside the boxes too (where they
            // would move the cursor by a word).
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() == Qt::ControlModifier
                && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
                event->ignore();
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                StoreTextBox(box);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // Leaving the box means another control of this window: a
            // half-typed heading must not reach the autopilot because
            // another program or a menu took the focus for a moment.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                StoreTextBox(box);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !m_sWindIndicator.isEmpty())
        ShowCaption();
    QMainWindow::changeEvent(event);
}

void frmMain::ShowCaption()
{
    setWindowTitle(isActiveWindow() ? Title + QStringLiteral(" - ") + m_sWindIndicator : m_sWindIndicator);
}

void frmMain::ShowBelow(QWidget* window)
{
    const QRect frame = frameGeometry();
    int left = frame.left();
    int top = frame.top() + frame.height();
    const QRect screenArea = screen()->geometry();
    // A window not shown yet has no frame: take ours as its measure.
    QSize size = window->frameGeometry().size();
    if (!window->isVisible())
        size += frame.size() - geometry().size();
    if (left + size.width() > screenArea.width())
        left = screenArea.width() - size.width();
    if (top + size.height() > screenArea.height())
        top = screenArea.height() - size.height();
    window->move(left, top);
    window->show();
}

frmHistory& frmMain::HistoryWindow()
{
    if (!m_history) {
        m_history = std::make_unique<frmHistory>(m_runner.ProfileFile(), m_setup.History);
        m_history->installEventFilter(this);
        m_history->Form_Load();
        for (const auto& reading : m_historyPending)
            reading(*m_history);
        m_historyPending.clear();
    }
    return *m_history;
}

frmPolar& frmMain::PolarWindow()
{
    if (!m_polar) {
        m_polar = std::make_unique<frmPolar>(m_runner, m_setup.Polar);
        m_polar->installEventFilter(this);
        m_polar->Form_Load();
        connect(&m_core, &SteeringCore::PolarValues, m_polar.get(), &frmPolar::SetValue);
    }
    return *m_polar;
}

frmTack& frmMain::TackWindow()
{
    if (!m_tack) {
        m_tack = std::make_unique<frmTack>(m_runner, this);
        m_tack->Form_Load();
    }
    return *m_tack;
}

void frmMain::ShowWindow(CoreWindow window)
{
    const bool history = window == CoreWindow::History;
    QWidget* shown = history ? static_cast<QWidget*>(&HistoryWindow()) : &PolarWindow();
    shown->show();
    shown->raise();
    shown->activateWindow();
    // A click on the ticked item takes the tick off; the window is open
    // all the same.
    (history ? mnuViewHistory : mnuViewPolar)->setChecked(true);
}

void frmMain::tmrUnload_Timer()
{
    close();
}

void frmMain::CloseForShutdown()
{
    m_bShutdown = true;
    // A question or dialog open now runs its own event loop: it is
    // answered No, and the close goes on once that loop has returned.
    bool nested = m_bClosing;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        nested = true;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->hide();
        if (QApplication::activeModalWidget() == modal)
            break;
    }
    if (m_bClosing)
        return; // the close in progress goes on when the question returns
    if (nested)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    else
        close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    m_bClosing = true;
    const bool tracking = m_runner.Ask([](SteeringCore& core) { return core.Mode(); }) == TrackModeTrack;
    if (!m_bShutdown && tracking) {
        const QString text = QStringLiteral("Vanehold is current tracking the wind.\n\nDo you wish to stop tracking?");
        const bool yes = m_setup.AskYesNo(this, QStringLiteral("Vanehold - Closing"), text);
        // A shutdown while the question was open closes all the same.
        if (!yes && !m_bShutdown) {
            // No is an answer for good: a pending retry must not ask again
            // every second.
            m_tmrUnload->SetEnabled(false);
            m_bClosing = false;
            event->ignore();
            return;
        }
    }
    const SteeringCore::CloseResult result = m_runner.Ask([](SteeringCore& core) { return core.Close(); });
    m_bClosing = false;
    if (result == SteeringCore::CloseResult::Busy) {
        // Still inside a receive event: try again in a second.
        m_tmrUnload->SetEnabled(true);
        event->ignore();
        return;
    }
    // Closed for good: a further tick must not save the profile again.
    m_tmrUnload->SetEnabled(false);
    // The other windows keep their own keys as they go (the History
    // window as it closes).
    if (m_history) {
        m_history->removeEventFilter(this);
        m_history->close();
    }
    if (m_polar) {
        m_polar->removeEventFilter(this);
        m_polar->Form_Unload();
        m_polar->close();
    }
    for (QWidget* window : {static_cast<QWidget*>(m_about), static_cast<QWidget*>(m_diagram),
                            static_cast<QWidget*>(m_options), static_cast<QWidget*>(m_help)})
        if (window)
            window->hide();
    if (m_tack) {
        m_tack->Form_Unload();
        m_tack->hide();
    }
    if (result == SteeringCore::CloseResult::SaveFailed) {
        // The program still closes, but the user learns that the changes
        // of this run are not in the profile. At shutdown nobody is there
        // to press OK.
        const QString text = QStringLiteral("The settings could not be saved to ")
            + m_runner.ProfileFile() + QStringLiteral(".");
        if (m_bShutdown)
            qWarning("%s", qPrintable(text));
        else
            m_setup.Warn(this, QStringLiteral("Vanehold - Closing"), text);
    }
    event->accept();
}

QString frmMain::Panel(int index) const
{
    return m_view.Panel(index);
}

void frmMain::ShowDeltaAlarm(int index, bool alarm)
{
    m_bAlarm[index] = alarm;
    QLabel* label = lblDelta[index];
    // Only what the alarm changes is set; the rest follows the window.
    QPalette palette = ValuePalette();
    if (alarm && NightMode::Active()) {
        palette.setColor(QPalette::Window, NightMode::AlarmBack());
        palette.setColor(QPalette::WindowText, NightMode::AlarmText());
    } else if (alarm) {
        palette.setColor(QPalette::Window, AlarmColour);
    }
    label->setPalette(palette);
    label->setAutoFillBackground(alarm);
}

void frmMain::AskEngage(bool headingKnown, float boatHeading, float autoPilot)
{
    const auto whole = [](float value) { return NumberText::Format(value, u"0"); };
    const QString title = QStringLiteral("Vanehold - Manual");
    const QString box = QStringLiteral("Steer ") + whole(autoPilot);
    if (!headingKnown) {
        const QString text = QStringLiteral("No boat heading is known, so the heading in the AutoPilot box ("
                                            "%1) cannot be checked against the boat's.")
                                 .arg(whole(autoPilot));
        if (m_setup.Choose(this, title, text, {box}) == 0)
            m_runner.Post([autoPilot](SteeringCore& core) { core.TrackEngage(autoPilot); });
        return;
    }
    const QString text = QStringLiteral("The boat is heading %1, the AutoPilot box says %2: the autopilot would "
                                        "turn the boat.")
                             .arg(whole(boatHeading), whole(autoPilot));
    switch (m_setup.Choose(this, title, text, {QStringLiteral("Steer ") + whole(boatHeading), box})) {
    case 0:
        m_runner.Post([boatHeading](SteeringCore& core) { core.TrackEngage(boatHeading); });
        break;
    case 1:
        m_runner.Post([autoPilot](SteeringCore& core) { core.TrackEngage(autoPilot); });
        break;
    default:
        break;
    }
}

void frmMain::RequestForeground()
{
    // The sailor is at work in another window of the program: the alarm
    // strip lies over it there, and taking the keyboard away would only
    // move it.
    QWidget* active = QApplication::activeWindow();
    if (m_banner->isVisible() && active && active != this && active != m_banner)
        return;
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void frmMain::ShowValueGreyed(InstrumentValue which, bool greyed)
{
    // The enable state marks the tracked angle: a quiet value is greyed
    // by its colour.
    m_values[int(which)]->setForegroundRole(greyed ? QPalette::PlaceholderText : QPalette::WindowText);
}
