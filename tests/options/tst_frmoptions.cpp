// The Options dialog on a steering core over fake ports: controls found by
// their names, Apply and its failures, the bold mark, link restarts, the
// live lists, the scroll-bar pairs, the devices of the port numbers and the
// response preview.

#include "../util/Engage.h"
#include "../util/Wire.h"
#include "FakeSerialPort.h"
#include "SteeringCore.h"
#include "TrackPicture.h"
#include "frmOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <tuple>

namespace {

// The member each box is stored in.
double Stored(const ProfileSettings& s, const QString& box)
{
    if (box == QLatin1String("txtNmeaPort"))
        return s.m_iNmeaPort;
    if (box == QLatin1String("txtPilotPort"))
        return s.m_iPilotPort;
    const std::pair<const char*, float ProfileSettings::*> members[] = {
        {"txtNmeaTrueWindAverage", &ProfileSettings::m_fNmeaTrueWindAverage},
        {"txtNmeaWindIndicatorAverage", &ProfileSettings::m_fNmeaWindIndicatorAverage},
        {"txtSimulateBoatSpeed", &ProfileSettings::m_fSimulateBoatSpeed},
        {"txtSimulateCompassOffset", &ProfileSettings::m_fSimulateCompassOffset},
        {"txtSimulateTime", &ProfileSettings::m_fSimulateTime},
        {"txtSimulateVariation", &ProfileSettings::m_fSimulateVariation},
        {"txtSimulateWaypointRng", &ProfileSettings::m_fSimulateWaypointRange},
        {"txtTrackAlarmLimit", &ProfileSettings::m_fTrackAlarmLimit},
        {"txtTrackBandwidth", &ProfileSettings::m_fTrackBandwidth},
        {"txtTrackDamping", &ProfileSettings::m_fTrackDamping},
        {"txtTrackMaxSteerTo", &ProfileSettings::m_fTrackMaxSteerTo},
    };
    for (const auto& m : members)
        if (box == QLatin1String(m.first))
            return s.*m.second;
    return -12345;
}

void MoveMouse(QWidget* widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// Edits typed in every tab: the value stored, the box's text after Apply,
// and the edit's place in the order of Apply.
struct Edit {
    const char* box;
    const char* text;
    double value;
    const char* shown;
    int order;
};
const Edit Edits[] = {
    {"txtNmeaWindIndicatorAverage", "0", 0, "0", 2},
    {"txtNmeaPort", "6.5", 6, "6", 3}, // whole numbers round half to even
    {"txtPilotPort", " 12 ", 12, "12", 4},
    {"txtSimulateBoatSpeed", "5.5", 5.5, "5.5", 5},
    {"txtSimulateCompassOffset", "-3", -3, "-3", 5},
    {"txtSimulateTime", "1:30", 1.5, "1:30", 5},
    {"txtSimulateWaypointRng", "7.5", 7.5, "7.5", 6}, // after the variation
    {"txtTrackAlarmLimit", "9", 9, "9", 7},
    {"txtTrackBandwidth", "30", 30, "30", 9}, // taken as a pair
    {"txtTrackDamping", "0.5", 0.5, "0.5", 9},
    {"txtTrackMaxSteerTo", "25", 25, "25", 10},
};

} // namespace

class TestOptions : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SteeringCore> m_core;
    std::unique_ptr<frmOptions> m_options;
    FakeSerialPort* m_ports[2] = {};
    int m_made = 0;
    QStringList m_messages;
    QStringList m_devices;
    // The input box: the text it opened with, and the user's (null: cancel).
    QString m_offered;
    QString m_reply;

    QString Profile() const { return m_dir->filePath(QStringLiteral("Vanehold.ini")); }

    // The core as the program starts it (Setup), the dialog open on it.
    void Open(const QByteArray& profile = {})
    {
        QFile file(Profile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(profile);
        file.close();
        CoreSetup setup;
        setup.ManualTimers = true;
        setup.ProfileFile = Profile();
        setup.Random = [] { return 0.5; };
        setup.Clock = [] { return int64_t(0); };
        setup.Ports = [this](QObject* parent) { return m_ports[m_made++] = new FakeSerialPort(parent); };
        m_core = std::make_unique<SteeringCore>(setup);
        ConfirmTheBox(*m_core);
        m_core->ProfileInitialize(true);
        OptionsSetup options;
        options.Message = [this](QWidget*, const QString& title, const QString& text) {
            m_messages << title + QLatin1Char('|') + text;
        };
        options.Random = [] { return 0.5; };
        options.SerialDevices = [this] { return m_devices; };
        options.InputBox = [this](QWidget*, const QString&, const QString&, QString& text) {
            m_offered = text;
            text = m_reply;
            return !m_reply.isNull();
        };
        m_options = std::make_unique<frmOptions>(*m_core, options);
        m_options->ShowCenter();
    }

    template <typename T = QWidget>
    T* Find(const QString& name) { return m_options->findChild<T*>(name); }
    void Type(const QString& box, const QString& text)
    {
        auto* edit = Find<QLineEdit>(box);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    void Apply() { Find<QPushButton>(QStringLiteral("cmdApply"))->click(); }
    bool Bold() { return Find<QPushButton>(QStringLiteral("cmdApply"))->font().bold(); }
    void Step(const char* bar, bool up)
    {
        Find<QScrollBar>(QLatin1String(bar))
            ->triggerAction(up ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
    }
    QStringList Lines(const char* list)
    {
        QStringList lines;
        auto* widget = Find<QListWidget>(QLatin1String(list));
        for (int i = 0; i < widget->count(); ++i)
            lines << (widget->item(i)->isSelected() ? QStringLiteral("* ") : QString()) + widget->item(i)->text();
        return lines;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_made = 0;
        m_messages.clear();
        m_devices.clear();
    }
    void cleanup()
    {
        m_options.reset();
        m_core.reset();
        m_dir.reset();
    }

    // Apply takes the boxes tab by tab; a failure names its tab and keeps
    // what came before it, and OK then leaves the dialog open.
    void applyStoresTheTypedValues_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("message");
        QTest::newRow("all taken") << "" << "" << 99 << "";
        QTest::newRow("averaging of half a sample")
            << "txtNmeaTrueWindAverage" << "0.5" << 1
            << "Data Options Problem Nmea True Wind Average must be 0 (no averaging) or from 1 to 3600.";
        QTest::newRow("port 0") << "txtNmeaPort" << "0" << 3
                                << "Input Options Problem Nmea Port must be from 1 to 255.";
        QTest::newRow("variation 100") << "txtSimulateVariation" << "100" << 6
                                       << "Simulate Options Problem Simulate Variation must be from -90 to 90.";
        QTest::newRow("letters in bandwidth")
            << "txtTrackBandwidth" << "abc" << 8 << "Tracking Options Problem Track Bandwidth is not a number: \"abc\"";
        // With the typed damping of 0.5 the integral gain 2/B must stay
        // below 1: the loop settles only above 2 s.
        QTest::newRow("a loop that would not settle")
            << "txtTrackBandwidth" << "1" << 8
            << "Tracking Options Problem Track Bandwidth must be at least 2.1 at damping 0.5.";
        QTest::newRow("damping 0") << "txtTrackDamping" << "0" << 9
                                   << "Tracking Options Problem Track Damping must be above 0.";
    }
    void applyStoresTheTypedValues()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(int, order);
        QFETCH(QString, message);
        Open();
        const ProfileSettings before = m_core->Settings();
        for (const Edit& edit : Edits)
            Type(QLatin1String(edit.box), QLatin1String(edit.text));
        if (!box.isEmpty())
            Type(box, text);
        Find<QPushButton>(box.isEmpty() ? QStringLiteral("cmdApply") : QStringLiteral("cmdOk"))->click();
        QCOMPARE(m_messages, message.isEmpty() ? QStringList() : QStringList{QStringLiteral("Vanehold|") + message});
        for (const Edit& edit : Edits) {
            if (box == QLatin1String(edit.box))
                continue;
            const double expected = edit.order < order ? edit.value : Stored(before, QLatin1String(edit.box));
            QCOMPARE(Stored(m_core->Settings(), QLatin1String(edit.box)), expected);
            if (box.isEmpty())
                QCOMPARE(Find<QLineEdit>(QLatin1String(edit.box))->text(), QLatin1String(edit.shown));
        }
        if (!box.isEmpty())
            QCOMPARE(Stored(m_core->Settings(), box), Stored(before, box));
        QVERIFY(m_options->isVisible());
        QCOMPARE(Bold(), !box.isEmpty());
    }

    void applyTurnsBoldOnlyOnUserEdits_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("bold");
        QTest::newRow("port typed") << "txtNmeaPort" << true;
        QTest::newRow("preview time typed") << "txtTrackTime" << true;
        QTest::newRow("max steer-to typed") << "txtTrackMaxSteerTo" << false;
        QTest::newRow("simulate clicked") << "chkSimulate" << true;
        QTest::newRow("sentence unchecked") << "lstNmeaSentence" << true;
        QTest::newRow("device picked") << "cmbNmeaDevice" << true;
    }
    void applyTurnsBoldOnlyOnUserEdits()
    {
        QFETCH(QString, control);
        m_devices = QStringList{QStringLiteral("/dev/ttyUSB0")};
        Open();
        QVERIFY(!Bold()); // loading the values is no edit
        QWidget* widget = Find(control);
        if (auto* box = qobject_cast<QLineEdit*>(widget))
            QTest::keyClicks(box, QStringLiteral("1"));
        else if (auto* check = qobject_cast<QCheckBox*>(widget))
            check->click();
        else if (auto* list = qobject_cast<QTreeWidget*>(widget))
            list->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
        else if (auto* combo = qobject_cast<QComboBox*>(widget))
            emit combo->activated(0);
        QTEST(Bold(), "bold");
        Find<QPushButton>(QStringLiteral("cmdCancel"))->click();
        QVERIFY(!Bold());
        QVERIFY(!m_options->isVisible());
    }

    void portChangeRestartsAnOpenLink_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("restarted");
        QTest::newRow("instrument link open") << QByteArray() << int(TrackModeSetup) << "txtNmeaPort" << true;
        QTest::newRow("instrument link closed") << QByteArray() << int(TrackModeOff) << "txtNmeaPort" << false;
        QTest::newRow("autopilot on its own port")
            << QByteArray("[Pilot]\nPort= 6\n") << int(TrackModeManual) << "txtPilotPort" << true;
        QTest::newRow("autopilot sharing the instrument port")
            << QByteArray() << int(TrackModeManual) << "txtPilotPort" << true;
        QTest::newRow("autopilot link not started") << QByteArray() << int(TrackModeSetup) << "txtPilotPort" << false;
    }
    void portChangeRestartsAnOpenLink()
    {
        QFETCH(QByteArray, profile);
        QFETCH(int, mode);
        QFETCH(QString, box);
        QFETCH(bool, restarted);
        Open(profile);
        if (mode == TrackModeSetup)
            m_core->TrackSetSetup();
        else if (mode == TrackModeManual)
            m_core->TrackSetManual();
        else
            m_core->TrackSetOff();
        QCOMPARE(int(m_core->Settings().m_eTrackMode), mode);
        QSignalSpy status(m_core.get(), &SteeringCore::NmeaLinkStatus);
        Type(box, QStringLiteral("9"));
        Apply();
        QCOMPARE(Stored(m_core->Settings(), box), 9.0);
        QCOMPARE(status.size() > 0, restarted);
        QCOMPARE(int(m_core->Settings().m_eTrackMode), restarted ? int(TrackModeSetup) : mode);
        if (restarted && box == QLatin1String("txtNmeaPort")) {
            QVERIFY(m_ports[0]->PortOpen());
            QCOMPARE(m_ports[0]->CommPort(), 9);
            QCOMPARE(Find<QLabel>(QStringLiteral("lblNmeaStatus"))->text(), QStringLiteral("Running"));
        }
    }

    void liveListsHoldTheLast101Lines_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("listOn");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        // 120 lines: even ones good, odd ones with a wrong checksum.
        QTest::newRow("raw") << 1 << true << true << 101 << "$IIMWV,19.0,R,10.5,N,A*CE <<Checksum Error>>"
                             << "$IIMWV,119.0,R,10.5,N,A*FF <<Checksum Error>>";
        QTest::newRow("errors") << 2 << true << true << 60 << "Checksum Error - $IIMWV,1.0,R,10.5,N,A*F7"
                                << "Checksum Error - $IIMWV,119.0,R,10.5,N,A*FF";
        QTest::newRow("display off") << 1 << false << true << 0 << "" << "";
        QTest::newRow("dialog hidden") << 1 << true << false << 0 << "" << "";
    }
    void liveListsHoldTheLast101Lines()
    {
        QFETCH(int, format);
        QFETCH(bool, listOn);
        QFETCH(bool, visible);
        QFETCH(int, count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        Open();
        Find<QRadioButton>(QStringLiteral("optNmeaDataFormat_") + QString::number(format))->click();
        Find<QRadioButton>(listOn ? QStringLiteral("optNmeaListOn") : QStringLiteral("optNmeaListOff"))->click();
        if (!visible)
            m_options->hide();
        for (int i = 0; i < 120; ++i) {
            const QString angle = QString::number(i) + QStringLiteral(".0");
            // A wrong checksum is wrong in every bit.
            m_ports[0]->feed(i % 2 ? Checksummed(QStringLiteral("IIMWV,") + angle + QStringLiteral(",R,10.5,N,A"), 0xFF)
                                         + QStringLiteral("\r\n")
                                   : QStringLiteral("$IIVTG,") + angle + QStringLiteral(",T,,M,6.0,N,,K\r\n"));
        }
        const QStringList lines = Lines("lstNmeaData");
        QCOMPARE(lines.size(), count);
        if (count == 0)
            return;
        QCOMPARE(lines.first(), first);
        QCOMPARE(lines.last(), last);
        // Only the lines a value was taken from are highlighted.
        for (const QString& line : lines)
            QCOMPARE(line.startsWith(QLatin1String("* ")), line.contains(QLatin1String("VTG")));
        if (format == 1)
            QCOMPARE(lines[1], QStringLiteral("* $IIVTG,20.0,T,,M,6.0,N,,K"));
    }

    void scrollBarsStepTheBoxes_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("autoApply");
        QTest::newRow("fine time up at 0:59") << "vscSimulateTime_1" << true << "0:59" << "1:00" << false;
        QTest::newRow("coarse time up") << "vscSimulateTime_0" << true << "0:55" << "1:05" << false;
        QTest::newRow("fine time down at 0:00") << "vscSimulateTime_1" << false << "0:00" << "-0:01" << false;
        QTest::newRow("coarse wind past north") << "vscSimulateTrueWindAngle_0" << true << "355" << "5" << false;
        QTest::newRow("fine wind below north") << "vscSimulateTrueWindAngle_1" << false << "0" << "359" << false;
        QTest::newRow("auto apply") << "vscSimulateTrueWindAngle_0" << true << "0" << "10" << true;
    }
    void scrollBarsStepTheBoxes()
    {
        QFETCH(QString, bar);
        QFETCH(bool, up);
        QFETCH(QString, start);
        QFETCH(bool, autoApply);
        Open();
        const bool time = bar.startsWith(QLatin1String("vscSimulateTime"));
        const QString box = time ? QStringLiteral("txtSimulateTime") : QStringLiteral("txtSimulateTrueWindAngle");
        Find<QLineEdit>(box)->setText(start);
        Type(QStringLiteral("txtTrackAlarmLimit"), QStringLiteral("7")); // an edit on another tab
        if (autoApply)
            Find<QCheckBox>(QStringLiteral("chkSimulateAutoApply"))->click();
        Step(qPrintable(bar), up);
        QTEST(Find<QLineEdit>(box)->text(), "result");
        QCOMPARE(Find<QScrollBar>(bar)->value(), 0);
        QVERIFY(Find<QScrollBar>(bar)->isEnabled());
        QCOMPARE(Bold(), !autoApply);
        // With Auto Apply every tab is applied at each step.
        QCOMPARE(m_core->Settings().m_fSimulateTrueWindAngle, autoApply ? 10.0f : 0.0f);
        QCOMPARE(m_core->Settings().m_fTrackAlarmLimit, autoApply ? 7.0f : 5.0f);
    }

    void timeStepMovesTheSimulatedWaypoint()
    {
        // Heading 5, the waypoint ahead at 10 miles, 8 knots: one hour on,
        // 2 miles to go; another hour, 6 miles behind.
        Open("[Pilot]\nBearing=5\n");
        QCOMPARE(Find<QLabel>(QStringLiteral("lblSimulateWaypointRng"))->text(), QStringLiteral("10.0"));
        Find<QLineEdit>(QStringLiteral("txtSimulateTime"))->setText(QStringLiteral("0:59"));
        Step("vscSimulateTime_1", true);
        QCOMPARE(Find<QLabel>(QStringLiteral("lblSimulateWaypointBrg"))->text(), QStringLiteral("5"));
        QCOMPARE(Find<QLabel>(QStringLiteral("lblSimulateWaypointRng"))->text(), QStringLiteral("2.0"));
        Type(QStringLiteral("txtSimulateTime"), QStringLiteral("2:00"));
        Apply();
        QCOMPARE(m_core->Settings().m_fSimulateTime, 2.0f);
        QCOMPARE(Find<QLabel>(QStringLiteral("lblSimulateWaypointBrg"))->text(), QStringLiteral("-175"));
        QCOMPARE(Find<QLabel>(QStringLiteral("lblSimulateWaypointRng"))->text(), QStringLiteral("6.0"));
    }

    void pickedDeviceIsWrittenForThePortNumber_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("before");
        QTest::newRow("another number") << "7" << "/dev/ttyS6";
        QTest::newRow("the same number") << "5" << "/dev/ttyS4";
    }
    void pickedDeviceIsWrittenForThePortNumber()
    {
        QFETCH(QString, port);
        m_devices = QStringList{QStringLiteral("/dev/serial/by-id/usb-FTDI_A1-if00-port0"), QStringLiteral("/dev/ttyUSB0")};
        Open("[Nmea]\nPort=5\n");
        auto* label = Find<QLabel>(QStringLiteral("lblNmeaDevice"));
        QCOMPARE(label->text(), QStringLiteral("/dev/ttyS4"));
        Type(QStringLiteral("txtNmeaPort"), port);
        QTEST(label->text(), "before");
        auto* devices = Find<QComboBox>(QStringLiteral("cmbNmeaDevice"));
        // and a separator, "Network... tcp://...", "udp://:..." (any sender), "udp://host:..." (one)
        // and "signalk://host:..." (a Signal K server)
        QCOMPARE(devices->count(), 7);
        emit devices->activated(0);
        QCOMPARE(label->text(), m_devices[0]);
        QSignalSpy status(m_core.get(), &SteeringCore::NmeaLinkStatus);
        Apply();
        QCOMPARE(m_messages, QStringList());
        QFile file(Profile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Nmea]\nPort=5\n[Ports]\n") + port.toLatin1() + '=' + m_devices[0].toLatin1() + '\n');
        // The open link moves to the device.
        QCOMPARE(status.size() > 0, true);
        QCOMPARE(label->text(), m_devices[0]);
    }

    void networkEntryTakesAnEditedEndpoint_data()
    {
        // The box opens with the template, or the port's endpoint of that kind.
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("message");
        QTest::newRow("edited") << "Network... tcp://host:10110" << " tcp://10.0.0.2:10110" << "";
        QTest::newRow("port's own") << "Network... udp://:10110" << "udp://:2001" << "";
        QTest::newRow("one sender") << "Network... udp://host:10110" << "udp://10.0.0.2:2000" << "";
        QTest::newRow("malformed") << "Network... tcp://host:10110" << "tcp://10.0.0.2" << "tcp://10.0.0.2: port number missing.";
        QTest::newRow("cancelled") << "Network... udp://:10110" << QString() << "";
        QTest::newRow("signal k") << "Network... signalk://host:3000" << "signalk://10.0.0.2:3000" << "";
        QTest::newRow("signal k malformed") << "Network... signalk://host:3000" << "signalk://10.0.0.2"
                                            << "signalk://10.0.0.2: port number missing.";
    }
    void networkEntryTakesAnEditedEndpoint()
    {
        QFETCH(QString, entry);
        QFETCH(QString, reply);
        QFETCH(QString, message);
        m_devices = QStringList{QStringLiteral("/dev/ttyUSB0")};
        m_reply = reply;
        Open("[Ports]\n5=udp://:2000\n");
        auto* devices = Find<QComboBox>(QStringLiteral("cmbNmeaDevice"));
        emit devices->activated(devices->findText(entry));
        QCOMPARE(m_offered, entry.contains(u"udp") ? QStringLiteral("udp://:2000") : entry.mid(11));
        QCOMPARE(m_messages, message.isEmpty() ? QStringList() : QStringList{"Network|" + message});
        const bool taken = message.isEmpty() && !reply.isNull();
        QCOMPARE(Find<QLabel>(QStringLiteral("lblNmeaDevice"))->text(), taken ? reply.trimmed() : "udp://:2000");
        QCOMPARE(Bold(), taken);
    }

    // Each number box with a unit shows it right beside itself.
    void numberBoxesShowTheirUnits_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("unit");
        const QString deg = QStringLiteral("\u00B0");
        const int data = frmOptions::TabData, track = frmOptions::TabTracking, sim = frmOptions::TabSimulate;
        const std::tuple<const char*, int, QString> rows[] = {
            {"txtNmeaTrueWindAverage", data, "s"}, {"txtNmeaWindIndicatorAverage", data, "s"},
            {"txtTrackAlarmLimit", track, deg},    {"txtTrackBandwidth", track, "s"},
            {"txtTrackMaxSteerTo", track, deg},    {"txtTrackOffset", track, deg},
            {"txtTrackNoise", track, deg},         {"txtTrackTime", track, "s"},
            {"txtTrackMin", track, deg},           {"txtTrackMax", track, deg},
            {"txtSimulateBoatSpeed", sim, "kn"},   {"txtSimulateTrueWindAngle", sim, deg},
            {"txtSimulateTrueWindSpeed", sim, "kn"}, {"txtSimulateVariation", sim, deg},
            {"txtSimulateCompassOffset", sim, deg}, {"txtSimulateNoiseAngle", sim, deg},
            {"txtSimulateNoiseSpeed", sim, "kn"},  {"txtSimulateWaypointBrg", sim, deg},
            {"txtSimulateWaypointRng", sim, "nm"}, {"txtSimulateTime", sim, "h:mm"},
        };
        for (const auto& [box, tab, unit] : rows)
            QTest::newRow(box) << QString::fromLatin1(box) << tab << unit;
    }
    void numberBoxesShowTheirUnits()
    {
        QFETCH(QString, box);
        QFETCH(int, tab);
        Open("[Simulate]\nNmea=True\n");
        Find<QTabWidget>(QStringLiteral("SSTab"))->setCurrentIndex(tab);
        QApplication::processEvents();
        auto* edit = Find<QLineEdit>(box);
        auto* label = Find<QLabel>(QStringLiteral("lbl") + box.mid(3) + QStringLiteral("Unit"));
        QVERIFY(edit && label && label->isVisible());
        QTEST(label->text(), "unit");
        const QRect place = edit->geometry();
        const QRect beside = label->geometry();
        QCOMPARE(label->parentWidget(), edit->parentWidget());
        QVERIFY2(beside.left() > place.right() && beside.left() - place.right() < 12, "right of the box");
        QVERIFY2(beside.center().y() >= place.top() && beside.center().y() <= place.bottom(), "on its line");
    }

    void previewSaysWhyItDrawsNothing()
    {
        Open();
        Type(QStringLiteral("txtTrackTime"), QStringLiteral("0"));
        Find<QTabWidget>(QStringLiteral("SSTab"))->setCurrentIndex(frmOptions::TabTracking);
        auto* picture = Find<TrackPicture>(QStringLiteral("pctTrack"));
        QCOMPARE(picture->Why(), QStringLiteral("Time must be above 0 and at most 86400"));
        MoveMouse(picture, QPoint(0, 0));
        QCOMPARE(picture->toolTip(), QString());

        Type(QStringLiteral("txtTrackTime"), QStringLiteral("300"));
        Apply();
        QCOMPARE(picture->Why(), QString());
        // Top left: time 0 and the top of the scale.
        MoveMouse(picture, QPoint(0, 0));
        QCOMPARE(picture->toolTip(), QStringLiteral("time=0, bearing=10"));
    }
};

QTEST_MAIN(TestOptions)
#include "tst_frmoptions.moc"
