// The main window, headless: controls found by their names, the mode
// ladder, steering, the text boxes, the alarm, closing and the profile.

#include "../util/Engage.h"
#include "FakeSerialPort.h"
#include "NumberText.h"
#include "PilotOutput.h"
#include "SerialPortFactory.h"
#include "frmMain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Options dialog stand-in: records what the core reports for it, and can
// act inside NmeaLine.
class OptionsRecorder {
public:
    QStringList events;
    std::function<void()> onData;
    void Attach(SteeringCore& core)
    {
        SteeringCore* c = &core;
        QObject::connect(c, &SteeringCore::NmeaLine, [this](const QString& sline, bool) {
            events << QStringLiteral("data ") + sline;
            if (onData)
                onData();
        });
        QObject::connect(c, &SteeringCore::NmeaLineError,
                         [this](const QString& sline) { events << QStringLiteral("error ") + sline; });
        QObject::connect(c, &SteeringCore::PilotSent,
                         [this](const QString& sline) { events << QStringLiteral("pilot ") + sline; });
        QObject::connect(c, &SteeringCore::NmeaLinesCleared, [this] { events << QStringLiteral("clear nmea"); });
        QObject::connect(c, &SteeringCore::PilotLinesCleared, [this] { events << QStringLiteral("clear pilot"); });
        QObject::connect(c, &SteeringCore::NmeaLinkStatus,
                         [this](const QString& text) { events << QStringLiteral("nmea ") + text; });
        QObject::connect(c, &SteeringCore::PilotLinkStatus,
                         [this](const QString& text) { events << QStringLiteral("pilot status ") + text; });
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;
    QStringList m_questions;
    QStringList m_warnings;
    bool m_answer = false;
    int m_beeps = 0;
    int64_t m_now = 0; // the core's clock, milliseconds

    QString Profile() const { return m_dir->filePath(QStringLiteral("Vanehold.ini")); }

    frmMain& Open(bool forceSimulate = false, bool realQuestion = false)
    {
        MainWindowSetup setup;
        setup.Choose = SteerTheBox;
        setup.ManualTimers = true;
        setup.Core.ManualTimers = true;
        setup.Core.Clock = [this] { return m_now; };
        setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
        setup.Core.Ports = [](QObject* parent) { return new FakeSerialPort(parent); };
        setup.Core.ProfileFile = Profile();
        setup.Core.ForceSimulate = forceSimulate;
        setup.AskYesNo = [this](QWidget*, const QString& title, const QString& text) {
            m_questions << title + QLatin1Char('|') + text;
            return m_answer;
        };
        setup.Beep = [this] { ++m_beeps; };
        setup.Warn = [this](QWidget*, const QString& title, const QString& text) {
            m_warnings << title + QLatin1Char('|') + text;
        };
        if (realQuestion)
            setup.AskYesNo = nullptr;
        m_window = std::make_unique<frmMain>(setup);
        m_window->Form_Load();
        return *m_window;
    }

    template <typename T>
    T* Find(const char* name)
    {
        T* child = m_window->findChild<T*>(QLatin1String(name));
        if (!child)
            qWarning("no control %s", name);
        return child;
    }
    bool IsEnabled(const char* name)
    {
        QWidget* widget = Find<QWidget>(name);
        return widget && widget->isEnabled();
    }
    QAction* Button(int index)
    {
        return m_window->findChild<QAction*>(QStringLiteral("tbrTrack_") + QString(QChar('0' + index)));
    }
    FakeSerialPort& Nmea() { return *m_window->Core().findChild<FakeSerialPort*>(QStringLiteral("MSCommNmea")); }
    FakeSerialPort& Pilot() { return *m_window->Core().findChild<FakeSerialPort*>(QStringLiteral("MSCommPilot")); }

    // Course and speed over ground, then apparent wind: both winds known.
    void Instruments(const char* mwvAngle = "045")
    {
        Nmea().feed(QStringLiteral("$IIVTG,,T,050.0,M,6.0,N,,K\r\n$IIMWV,%1,R,10.5,N,A\r\n")
                        .arg(QLatin1String(mwvAngle)));
    }

    void ToTrack()
    {
        Button(5)->trigger();
        Instruments();
        Button(7)->trigger();
        QCOMPARE(m_window->Core().Settings().m_eTrackMode, TrackModeTrack);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_questions.clear();
        m_warnings.clear();
        m_answer = false;
        m_beeps = 0;
    }

    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
    }

    void captionsAndToolTips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tip");
        auto row = [](const char* name, const char* text, const char* tip = "") {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text) << QString::fromLatin1(tip);
        };
        row("lblAutoPilot", "AutoPilot");
        row("txtAutoPilot", "40.0", "AutoPilot Bearing");
        row("cmdAutoPilot_1", "To Port", "To Port (Ctrl+Left)");
        row("cmdAutoPilot_2", "To Starboard", "To Starboard (Ctrl+Right)");
        row("optControl_1", "Track Apparent Wind Angle");
        row("optControl_2", "Track True Wind Angle");
        row("lblDesired", "Desired");
        row("txtDesired_1", "45", "Desired Apparent Wind Angle");
        row("txtDesired_2", "92", "Desired True Wind Angle");
        row("cmdDesiredApp_1", "To Port", "To Port (Ctrl+Left)");
        row("cmdDesiredApp_2", "To Starboard", "To Starboard (Ctrl+Right)");
        row("cmdDesiredTrue_1", "To Port", "To Port (Ctrl+Left)");
        row("cmdDesiredTrue_2", "To Starboard", "To Starboard (Ctrl+Right)");
        row("lblDelta_0", "Delta");
        row("Label2", "Data");
        row("lblHeading_1", "Heading (M)");
        row("lblBoatSpeed_1", "Boat Speed (Kts)");
        row("lblAppWindAngle_1", "App Wind Angle (R)");
        row("lblAppWindSpeed_1", "App Wind Speed (Kts)");
        row("lblTrueWindAngle_1", "True Wind Angle (R)");
        row("lblTrueWindSpeed_1", "True Wind Speed (Kts)");
        row("lblWaypointBearing_1", "Waypoint Bearing (M)");
        row("StatusBar_1", "Initialize", "Pilot Status");
        row("StatusBar_2", "", "Input Data Status");
        row("StatusBar_3", "", "Output Data Status");
    }
    void captionsAndToolTips()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, tip);
        Open();
        QWidget* widget = m_window->findChild<QWidget*>(name);
        QVERIFY(widget);
        QString shown;
        if (auto* label = qobject_cast<QLabel*>(widget))
            shown = label->text();
        else if (auto* box = qobject_cast<QLineEdit*>(widget))
            shown = box->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            shown = button->text();
        QCOMPARE(shown, text);
        QCOMPARE(widget->toolTip(), tip);
    }

    void toolbarMenusAndStatusBar()
    {
        frmMain& w = Open();
        QCOMPARE(w.windowTitle(), QStringLiteral("Vanehold"));
        QVERIFY(Find<QToolBar>("tbrTrack"));
        QVERIFY(Find<QStatusBar>("StatusBar"));
        const QStringList keys{QString(), QStringLiteral("Off"), QString(), QStringLiteral("Setup"), QString(),
                               QStringLiteral("Manual"), QString(), QStringLiteral("Track")};
        const QList<QAction*> actions = Find<QToolBar>("tbrTrack")->actions();
        QCOMPARE(actions.size(), 7);
        for (int i = 1; i <= 7; ++i) {
            QCOMPARE(actions[i - 1], Button(i));
            QCOMPARE(Button(i)->isSeparator(), i % 2 == 0);
            if (i % 2)
                QCOMPARE(Button(i)->text(), keys[i]);
        }
        QCOMPARE(Button(3)->toolTip(), QStringLiteral("Setup, Set software to hardware autopilot heading (F6)"));
        QCOMPARE(Button(5)->toolTip(), QStringLiteral("Manual, adjust autopilot heading for desired wind angle (F7)"));
        QCOMPARE(Button(7)->toolTip(), QStringLiteral("Track, adjust desired wind angle to fine tuning (F8)"));
        QCOMPARE(Button(1)->shortcut(), QKeySequence(Qt::Key_F5));
        QVERIFY(!Button(7)->icon().isNull());

        const struct {
            const char* name;
            const char* caption;
            bool enabled;
        } items[] = {
            {"mnuFileDefault", "Default", true},           {"mnuFileExit", "Exit", true},
            {"mnuViewDiagram", "Block Diagram...", true},  {"mnuViewHistory", "History Plot...", true} ,
            {"mnuViewPolar", "Polar Plot...", true},       {"mnuOptionsInput", "Input...", true},
            {"mnuOptionsData", "Data...", true},           {"mnuOptionsOutput", "Output...", true},
            {"mnuOptionsTrack", "Tracking...", true},      {"mnuOptionsSimulate", "Simulate...", true},
            {"mnuHelpContents", "Contents", true},         {"mnuHelpDiagram", "Block Diagram...", true},
            {"mnuHelpAbout", "About...", true},
        };
        for (const auto& item : items) {
            QAction* action = Find<QAction>(item.name);
            QVERIFY2(action, item.name);
            QCOMPARE(action->text(), QLatin1String(item.caption));
            QCOMPARE(action->isEnabled(), item.enabled);
            QVERIFY(action->isVisible());
        }
        QVERIFY(Find<QAction>("mnuConfigureSeparator")->isSeparator());
        QCOMPARE(Find<QMenu>("mnuConfigure")->title(), QStringLiteral("&Options"));
    }

    void modeLadder()
    {
        frmMain& w = Open();
        // Start: Setup, instrument port open, no autopilot port.
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeSetup);
        QVERIFY(Button(3)->isChecked());
        QVERIFY(Button(5)->isEnabled());
        QVERIFY(!Button(7)->isEnabled());
        QVERIFY(Nmea().PortOpen());
        QCOMPARE(Nmea().CommPort(), 5);
        QVERIFY(IsEnabled("txtAutoPilot"));
        QVERIFY(IsEnabled("cmdAutoPilot_1") && IsEnabled("cmdAutoPilot_2"));
        QVERIFY(IsEnabled("optControl_1") && IsEnabled("optControl_2"));
        QVERIFY(Find<QRadioButton>("optControl_1")->isChecked());
        for (const char* name : {"txtDesired_1", "txtDesired_2", "cmdDesiredApp_1", "cmdDesiredTrue_2", "lblDelta_1",
                                 "lblDelta_2", "lblDesired", "lblTrueWindAngle_1"})
            QVERIFY2(!IsEnabled(name), name);
        QVERIFY(IsEnabled("lblAppWindAngle_1") && IsEnabled("lblAppWindAngle_2"));
        QVERIFY(w.Core().tmrNmea().Enabled());

        Button(5)->trigger();
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeManual);
        QCOMPARE(w.Panel(1), QStringLiteral("Manual"));
        QVERIFY(Button(5)->isChecked() && !Button(3)->isChecked());
        QVERIFY(Button(7)->isEnabled());

        Button(7)->trigger();
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeTrack);
        QCOMPARE(w.Panel(1), QStringLiteral("Track"));
        QVERIFY(Button(7)->isChecked() && !Button(5)->isChecked());
        QVERIFY(!IsEnabled("txtAutoPilot"));
        QVERIFY(IsEnabled("cmdAutoPilot_1") && IsEnabled("cmdAutoPilot_2"));
        QVERIFY(IsEnabled("lblDesired") && IsEnabled("lblDelta_0"));
        QVERIFY(IsEnabled("cmdDesiredApp_1") && IsEnabled("cmdDesiredApp_2"));
        QVERIFY(!IsEnabled("cmdDesiredTrue_1") && !IsEnabled("cmdDesiredTrue_2"));
        QVERIFY(IsEnabled("txtDesired_1") && !IsEnabled("txtDesired_2"));
        QVERIFY(IsEnabled("lblDelta_1") && !IsEnabled("lblDelta_2"));

        Find<QRadioButton>("optControl_2")->click();
        QCOMPARE(w.Core().Track().SelectedControl(), 2);
        QVERIFY(!IsEnabled("cmdDesiredApp_1") && !IsEnabled("cmdDesiredApp_2"));
        QVERIFY(IsEnabled("cmdDesiredTrue_1") && IsEnabled("cmdDesiredTrue_2"));
        QVERIFY(!IsEnabled("txtDesired_1") && IsEnabled("txtDesired_2"));
        QVERIFY(!IsEnabled("lblDelta_1") && IsEnabled("lblDelta_2"));
        QVERIFY(!IsEnabled("lblAppWindAngle_1") && !IsEnabled("lblAppWindAngle_2"));
        QVERIFY(IsEnabled("lblTrueWindAngle_1") && IsEnabled("lblTrueWindAngle_2"));

        Button(1)->trigger();
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeOff);
        QCOMPARE(w.Panel(1), QStringLiteral("Off"));
        QVERIFY(Button(1)->isChecked() && !Button(7)->isChecked());
        QVERIFY(!Button(5)->isEnabled() && !Button(7)->isEnabled());
        QVERIFY(Button(3)->isEnabled() && Button(1)->isEnabled());
        QVERIFY(!IsEnabled("txtAutoPilot") && !IsEnabled("cmdAutoPilot_1") && !IsEnabled("cmdAutoPilot_2"));
        QVERIFY(!IsEnabled("optControl_1") && !IsEnabled("optControl_2"));
        QVERIFY(!IsEnabled("lblDesired") && !IsEnabled("lblDelta_0"));
        QVERIFY(!Nmea().PortOpen());
        QVERIFY(!w.Core().tmrNmea().Enabled());
        // Clicking the pressed Off button again keeps it pressed.
        Button(1)->trigger();
        QVERIFY(Button(1)->isChecked());
    }

    void separatorsOfTheToolbarDoNothing()
    {
        frmMain& w = Open();
        w.tbrTrack_ButtonClick(3);
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeSetup);
        for (int index : {0, 2, 4, 6, 8})
            w.tbrTrack_ButtonClick(index);
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeSetup);
        w.tbrTrack_ButtonClick(1);
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeOff);
    }

    void functionKeysClimbTheLadder()
    {
        frmMain& w = Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F5);
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeOff);
        QTest::keyClick(&w, Qt::Key_F7); // disabled in Off
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeOff);
        QTest::keyClick(&w, Qt::Key_F6);
        QTest::keyClick(&w, Qt::Key_F7);
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeManual);
        // From inside the heading box too.
        auto* box = Find<QLineEdit>("txtAutoPilot");
        box->setFocus();
        box->setText(QStringLiteral("100"));
        QTest::keyClick(box, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(w.Core().Settings().m_fAutoPilot, 101.0f);
        QTest::keyClick(&w, Qt::Key_F8);
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeTrack);
        const float heading = w.Core().Settings().m_fAutoPilot;
        QTest::keyClick(&w, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(w.Core().Settings().m_fAutoPilot, heading + 1);
        QTest::keyClick(&w, Qt::Key_Left, Qt::ControlModifier);
        QTest::keyClick(&w, Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(w.Core().Settings().m_fAutoPilot, heading - 1);
    }

    void steerButtonsInEachMode()
    {
        frmMain& w = Open();
        auto* box = Find<QLineEdit>("txtAutoPilot");
        // Setup: the box is read first, then stepped and wrapped.
        box->setText(QStringLiteral("359.5"));
        Find<QPushButton>("cmdAutoPilot_2")->click();
        QCOMPARE(box->text(), QStringLiteral("0.5"));
        QCOMPARE(w.Core().Settings().m_fAutoPilot, 0.5f);
        Find<QPushButton>("cmdAutoPilot_1")->click();
        Find<QPushButton>("cmdAutoPilot_1")->click();
        QCOMPARE(box->text(), QStringLiteral("358.5"));

        Button(5)->trigger();
        box->setText(QStringLiteral("100"));
        Find<QPushButton>("cmdAutoPilot_2")->click();
        QCOMPARE(w.Core().Settings().m_fAutoPilot, 101.0f);
        QCOMPARE(w.Core().Settings().m_fDesired[1], 45.0f);

        // Track, true wind tracked: heading and target move together.
        Instruments();
        Button(7)->trigger();
        Find<QRadioButton>("optControl_2")->click();
        w.Core().Settings().m_fDesired[2] = 92;
        const float heading = w.Core().Settings().m_fAutoPilot;
        Find<QPushButton>("cmdDesiredTrue_2")->click();
        QCOMPARE(w.Core().Settings().m_fDesired[2], 91.0f);
        QCOMPARE(w.Core().Settings().m_fAutoPilot, heading + 1);
        QCOMPARE(Find<QLineEdit>("txtDesired_2")->text(), QStringLiteral("91"));
        Find<QPushButton>("cmdDesiredTrue_1")->click();
        QCOMPARE(w.Core().Settings().m_fDesired[2], 92.0f);
        QCOMPARE(w.Core().Settings().m_fAutoPilot, heading);
        Find<QPushButton>("cmdAutoPilot_1")->click();
        QCOMPARE(w.Core().Settings().m_fDesired[2], 93.0f);

        // Off: nothing to press.
        Button(1)->trigger();
        for (const char* name : {"cmdAutoPilot_1", "cmdAutoPilot_2", "cmdDesiredApp_1", "cmdDesiredTrue_2"})
            QVERIFY2(!IsEnabled(name), name);
    }

    void textBoxesStoreOnEnterAndLeaving()
    {
        frmMain& w = Open();
        auto* box = Find<QLineEdit>("txtAutoPilot");
        QSignalSpy returns(box, &QLineEdit::returnPressed);
        box->clear();
        QTest::keyClicks(box, QStringLiteral("12abc"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(w.Core().Settings().m_fAutoPilot, 12.0f);
        QCOMPARE(returns.count(), 0); // swallowed
        box->clear();
        QTest::keyClicks(box, QStringLiteral("abc"));
        QTest::keyClick(box, Qt::Key_Enter);
        QCOMPARE(w.Core().Settings().m_fAutoPilot, 0.0f);
        // A heading is taken within one turn, and the box shows it.
        box->setText(QStringLiteral("-5"));
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &out);
        QCOMPARE(w.Core().Settings().m_fAutoPilot, 355.0f);
        QCOMPARE(box->text(), QStringLiteral("355.0"));
        // Another program or a menu taking the focus is not leaving the box.
        box->setText(QStringLiteral("1"));
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(box, &away);
        QFocusEvent menu(QEvent::FocusOut, Qt::PopupFocusReason);
        QApplication::sendEvent(box, &menu);
        QCOMPARE(w.Core().Settings().m_fAutoPilot, 355.0f);

        ToTrack();
        auto* desired = Find<QLineEdit>("txtDesired_1");
        desired->setText(QStringLiteral("-38.5"));
        QApplication::sendEvent(desired, &out);
        QCOMPARE(w.Core().Settings().m_fDesired[1], -38.5f);
        desired->setText(QStringLiteral("41"));
        QTest::keyClick(desired, Qt::Key_Return);
        QCOMPARE(w.Core().Settings().m_fDesired[1], 41.0f);
        QCOMPARE(desired->text(), QStringLiteral("41"));
    }

    void aButtonClickStoresTheBoxFirst()
    {
        frmMain& w = Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        ToTrack();
        Find<QRadioButton>("optControl_2")->click();
        auto* desired = Find<QLineEdit>("txtDesired_2");
        desired->setFocus();
        QVERIFY(desired->hasFocus());
        desired->setText(QStringLiteral("100"));
        QTest::mouseClick(Find<QPushButton>("cmdDesiredTrue_2"), Qt::LeftButton);
        QCOMPARE(w.Core().Settings().m_fDesired[2], 99.0f);
        QCOMPARE(desired->text(), QStringLiteral("99"));
        // The steer key likewise.
        desired->setFocus();
        desired->setText(QStringLiteral("50"));
        QTest::keyClick(desired, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(w.Core().Settings().m_fDesired[2], 49.0f);
    }

    void alarmRaisesAndClears()
    {
        frmMain& w = Open();
        ToTrack();
        auto* apparent = Find<QLabel>("lblDelta_1");
        auto* trueDelta = Find<QLabel>("lblDelta_2");
        const QColor background = w.palette().color(QPalette::Window);
        w.Core().Settings().m_fDesired[1] = 30; // wind at 45: 15 degrees off
        Instruments();
        QCOMPARE(apparent->palette().color(QPalette::Window), QColor(255, 128, 128));
        QVERIFY(apparent->autoFillBackground());
        QVERIFY(!trueDelta->autoFillBackground());
        QCOMPARE(w.Panel(3), QStringLiteral("Alarm Limit Exceeded 15"));
        QCOMPARE(apparent->text(), QStringLiteral("15.0"));
        QCOMPARE(m_beeps, 1);
        Instruments();
        QCOMPARE(m_beeps, 1);
        m_now += 1000;
        Instruments();
        QCOMPARE(m_beeps, 2);

        w.Core().Settings().m_fDesired[1] = 43;
        Instruments();
        QCOMPARE(apparent->palette().color(QPalette::Window), background);
        QCOMPARE(trueDelta->palette().color(QPalette::Window), background);
        QCOMPARE(w.Panel(3), QString());
        QCOMPARE(m_beeps, 2);
    }

    void closingInTrackAsks()
    {
        frmMain& w = Open();
        w.show();
        ToTrack();
        Nmea().clearSent();
        m_answer = false;
        QVERIFY(!w.close());
        QCOMPARE(m_questions, QStringList{QStringLiteral("Vanehold - Closing|Vanehold is current tracking the "
                                                         "wind.\n\nDo you wish to stop tracking?")});
        QVERIFY(w.isVisible());
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeTrack);
        QVERIFY(Nmea().PortOpen());
        QVERIFY(w.Core().tmrNmea().Enabled());
        QVERIFY(!QFile::exists(Profile()));
        Instruments(); // still steering
        QVERIFY(Nmea().sent().startsWith(QStringLiteral("$ECAPB,")));

        m_answer = true;
        QVERIFY(w.close());
        QCOMPARE(m_questions.size(), 2);
        QVERIFY(!Nmea().PortOpen());
        QVERIFY(QFile::exists(Profile()));
    }

    // The system asks to end the program while the "stop tracking?" box is
    // open: the box goes, and the close goes on and saves.
    void shutdownWhileAskingStillSaves()
    {
        frmMain& w = Open(false, true);
        w.show();
        ToTrack();
        bool boxWasOpen = false;
        QTimer::singleShot(0, &w, [&] {
            boxWasOpen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
            w.CloseForShutdown();
        });
        QVERIFY(w.close());
        QVERIFY(boxWasOpen);
        QVERIFY(!w.isVisible());
        QVERIFY(QFile::exists(Profile()));
    }

    void shutdownInTrackClosesWithoutAsking()
    {
        frmMain& w = Open();
        w.show();
        ToTrack();
        w.CloseForShutdown();
        QVERIFY(m_questions.isEmpty());
        QVERIFY(!w.isVisible());
        QVERIFY(!Nmea().PortOpen());
        QVERIFY(QFile::exists(Profile()));
    }

    void closingOutsideTrackDoesNotAsk()
    {
        frmMain& w = Open();
        Button(5)->trigger();
        QVERIFY(w.close());
        QVERIFY(m_questions.isEmpty());
    }

    void closingSavesTheDefaultsByteForByte()
    {
        frmMain& w = Open();
        QVERIFY(w.close());
        QCOMPARE(ReadFile(Profile()), ReadFile(QStringLiteral(VANEHOLD_TEST_DATA "/profiles/defaults.ini")));
        QVERIFY(m_warnings.isEmpty());
    }

    void closingTellsWhenTheProfileCannotBeWritten()
    {
        frmMain& w = Open();
        // A folder where the profile should be: no write can succeed.
        QVERIFY(QDir().mkpath(Profile()));
        QVERIFY(w.close());
        QCOMPARE(m_warnings, QStringList{QStringLiteral("Vanehold - Closing|The settings could not be saved to ")
                                         + Profile() + QStringLiteral(".")});
    }

    void defaultMenuPutsTheDefaultsBack()
    {
        WriteFile(Profile(), "[Pilot]\nBearing=123.5\n[Track]\nDesired 1=-40\nBandwidth=30\n"
                             "[History Window]\nVisible=True\n");
        frmMain& w = Open();
        QCOMPARE(Find<QLineEdit>("txtAutoPilot")->text(), QStringLiteral("123.5"));
        QCOMPARE(Find<QLineEdit>("txtDesired_1")->text(), QStringLiteral("-40"));
        QCOMPARE(w.Core().Settings().m_fTrackBandwidth, 30.0f);
        QVERIFY(w.Core().WindowVisible(CoreWindow::History));
        Find<QAction>("mnuFileDefault")->trigger();
        QCOMPARE(Find<QLineEdit>("txtAutoPilot")->text(), QStringLiteral("40.0"));
        QCOMPARE(Find<QLineEdit>("txtDesired_1")->text(), QStringLiteral("45"));
        QCOMPARE(w.Core().Settings().m_fTrackBandwidth, 20.0f);
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeSetup);
        QVERIFY(w.close());
        const QByteArray saved = ReadFile(Profile());
        QVERIFY(saved.contains("Bearing=40\n"));
        QVERIFY(saved.contains("Desired 1= 45\n"));
        // The History window was open at start and is still meant to be.
        QVERIFY(saved.contains("[History Window]\nVisible=True\n"));
    }

    void simulatingStartsInManual()
    {
        WriteFile(Profile(), "[Simulate]\nNmea=True\n");
        frmMain& w = Open();
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeManual);
        QVERIFY(!Nmea().PortOpen());
        QCOMPARE(w.Panel(3), QStringLiteral("Simulate"));
        for (int tick = 0; tick < 3; ++tick)
            w.Core().tmrNmea_Timer();
        QVERIFY(!Find<QLabel>("lblHeading_2")->text().isEmpty());
        QVERIFY(w.windowTitle().contains(QStringLiteral("Wind ")));
    }

    void commandLineSimulateIsNotSaved()
    {
        frmMain& w = Open(true);
        QCOMPARE(w.Core().Settings().m_eTrackMode, TrackModeManual);
        QVERIFY(w.Core().Settings().m_bSimulate);
        QVERIFY(!Nmea().PortOpen());
        w.Core().tmrNmea_Timer();
        QCOMPARE(Find<QLineEdit>("txtDesired_2")->text(),
                 NumberText::Format(w.Core().State().WindAngleTrue(), u"0"));
        QVERIFY(w.close());
        QVERIFY(ReadFile(Profile()).contains("[Simulate]\nNmea=False\n"));
    }

    void closingWaitsForTheReceiveHandler()
    {
        frmMain& w = Open();
        OptionsRecorder options;
        options.Attach(w.Core());
        bool closed = true;
        bool first = true;
        options.onData = [&] {
            if (first)
                closed = w.close(); // inside the receive event
            first = false;
        };
        Instruments();
        QVERIFY(!closed);
        QVERIFY(w.tmrUnload().Enabled());
        QVERIFY(!QFile::exists(Profile()));
        QVERIFY(!Nmea().PortOpen());
        w.tmrUnload_Timer();
        QVERIFY(QFile::exists(Profile()));
        QVERIFY(!w.tmrUnload().Enabled());
    }

    void noAtARetryStopsTheRetries()
    {
        frmMain& w = Open();
        ToTrack();
        OptionsRecorder options;
        options.Attach(w.Core());
        bool first = true;
        options.onData = [&] {
            if (first) {
                m_answer = true;
                w.close();
            }
            first = false;
        };
        Instruments();
        QVERIFY(w.tmrUnload().Enabled());
        m_answer = false;
        w.tmrUnload_Timer();
        QCOMPARE(m_questions.size(), 2);
        QVERIFY(!w.tmrUnload().Enabled());
        QVERIFY(!QFile::exists(Profile()));
    }

    void laterWindowsHearInOrder()
    {
        frmMain& w = Open();
        OptionsRecorder options;
        options.Attach(w.Core());
        Button(5)->trigger();
        Instruments();
        Nmea().feed(QStringLiteral("junk\r\n"));
        const QStringList expected{
            QStringLiteral("clear pilot"),
            QStringLiteral("pilot status Running"),
            QStringLiteral("data $IIVTG,,T,050.0,M,6.0,N,,K"),
            QStringLiteral("data $IIMWV,045,R,10.5,N,A"),
            QStringLiteral("pilot ") + PilotSentence(w.Core().Settings().m_fAutoPilot),
            QStringLiteral("data junk <<Sentence Error>>"),
            QStringLiteral("error Sentence Error - junk"),
        };
        QCOMPARE(options.events, expected);
        QCOMPARE(w.Panel(2), QStringLiteral("Sentence Error"));
    }

    // Opened from the menu, the Polar window is ticked there, gets the live
    // values and is shown again at the next start.
    void polarWindowIsRemembered()
    {
        frmMain& w = Open();
        auto* item = Find<QAction>("mnuViewPolar");
        item->trigger();
        QVERIFY(w.PolarWindow().isVisible());
        QVERIFY(item->isChecked());
        Button(5)->trigger();
        Instruments();
        QVERIFY(w.PolarWindow().Live().m_fBoatSpeed > 0); // averaging from 0
        QVERIFY(w.close());
        QVERIFY(ReadFile(Profile()).contains("[Polar Window]\nVisible=True"));

        frmMain& again = Open();
        QVERIFY(again.PolarWindow().isVisible());
        again.PolarWindow().close();
        QVERIFY(!Find<QAction>("mnuViewPolar")->isChecked());
    }

    void showBelowKeepsTheWindowOnScreen()
    {
        frmMain& w = Open();
        w.show();
        w.move(100, 50);
        const QRect screen = w.screen()->geometry();
        QWidget narrow;
        narrow.resize(200, 100);
        w.ShowBelow(&narrow);
        QCOMPARE(narrow.frameGeometry().left(), w.frameGeometry().left());
        QCOMPARE(narrow.frameGeometry().top(), w.frameGeometry().top() + w.frameGeometry().height());
        QWidget wide;
        wide.resize(screen.width() - 50, 100);
        w.ShowBelow(&wide);
        QCOMPARE(wide.frameGeometry().left() + wide.frameGeometry().width(), screen.width());
        QVERIFY(wide.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_frmmain.moc"
