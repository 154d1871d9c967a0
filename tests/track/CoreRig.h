#pragma once
// The steering core as the program builds it, over fake ports, with a clock
// and a link timer the test moves. Everything the core reports is recorded,
// its texts and states as the main window's view makes them.

#include "FakeSerialPort.h"
#include "MainView.h"
#include "NumberText.h"
#include "SteeringCore.h"

#include <QMap>
#include <QStringList>
#include <functional>

class CoreRig {
    // Filled while the core makes its ports, so declared before it.
    FakeSerialPort* m_ports[2] = {};
    int m_made = 0;

public:
    explicit CoreRig(std::function<double()> random = SimulateRandom())
        : core(Setup(std::move(random)))
        , settings(core.Settings())
        , state(core.State())
        , nmea(*m_ports[0])
        , pilot(*m_ports[1])
    {
        SteeringCore* c = &core;
        MainView* v = &view;
        view.Bind(core);
        QObject::connect(v, &MainView::PanelText, [this](int i, const QString& t) { panel[i] = t; });
        QObject::connect(c, &SteeringCore::NmeaLinkStatus, [this](const QString& t) { nmeaStatus = t; });
        QObject::connect(c, &SteeringCore::PilotLinkStatus, [this](const QString& t) { pilotStatus = t; });
        QObject::connect(c, &SteeringCore::NmeaLine, [this](const QString& l, bool) { events << "data " + l; });
        QObject::connect(c, &SteeringCore::NmeaLineError, [this](const QString& l) { events << "error " + l; });
        QObject::connect(c, &SteeringCore::NmeaLinesCleared, [this] { events << QStringLiteral("clear nmea"); });
        QObject::connect(c, &SteeringCore::PilotLinesCleared, [this] { events << QStringLiteral("clear pilot"); });
        QObject::connect(v, &MainView::ModeButtonDown, [this](int m, bool on) { pressed[m] = on; });
        QObject::connect(v, &MainView::ControlEnabled, [this](MainControl id, int i, bool on) {
            if (id == MainControl::tbrTrack)
                modeEnabled[i] = on;
            else
                enabled[Name(id, i)] = on;
        });
        QObject::connect(v, &MainView::OptionSelected, [this](int i) { selected = i; });
        QObject::connect(v, &MainView::AutoPilotText, [this](const QString& t) { autoPilotText = t; });
        QObject::connect(v, &MainView::DesiredText, [this](int i, const QString& t) { desired[i] = t; });
        QObject::connect(v, &MainView::DeltaText, [this](int i, const QString& t) { delta[i] = t; });
        QObject::connect(c, &SteeringCore::DeltaAlarm, [this](int i, bool on) { alarmColour[i] = on; });
        QObject::connect(c, &SteeringCore::BeepRequested, [this] { ++beeps; });
        QObject::connect(c, &SteeringCore::ForegroundRequested, [this] { ++foregrounds; });
        QObject::connect(v, &MainView::ValueText,
                         [this](InstrumentValue w, const QString& t) { values[int(w)] = t; });
        QObject::connect(c, &SteeringCore::ValueStale, [this](InstrumentValue v, bool on) { stale[int(v)] = on; });
        // The control loop's readings, with two decimals.
        QObject::connect(c, &SteeringCore::HistoryReading, [this](const QString& n, float v, const QString& u) {
            if (n.startsWith(QLatin1String("Pilot ")))
                chart << n + QLatin1String(": ") + NumberText::Format(v, u"0.00") + QLatin1Char(' ') + u;
        });
        QObject::connect(c, &SteeringCore::PilotSent, [this](const QString& l) { pilotData << l; });
        QObject::connect(c, &SteeringCore::AlarmShown, [this](const QString& t, bool on) {
            alarm = t;
            sounding = on;
        });
        QObject::connect(c, &SteeringCore::EngageAsked, [this](bool known, float heading, float autoPilot) {
            asked << (known ? NumberText::Format(heading, u"0") : QStringLiteral("none")) + QLatin1Char('/')
                         + NumberText::Format(autoPilot, u"0");
            if (confirmBox)
                core.TrackEngage(autoPilot);
        });
        QObject::connect(c, &SteeringCore::PolarValues, [this](const InstrumentValues& v) {
            polar << NumberText::Format(double(v.eTrackMode), u"0") + QLatin1Char(' ')
                         + NumberText::Format(v.fHeading, u"0.0");
        });
    }

    int64_t now = 0; // milliseconds on the core's clock
    SteeringCore core;
    MainView view;
    ProfileSettings& settings;
    const InstrumentState& state;
    FakeSerialPort& nmea;
    FakeSerialPort& pilot;

    // What was shown.
    QString panel[4];
    QString nmeaStatus;
    QString pilotStatus;
    QStringList events; // link and list calls, in order
    QMap<QString, bool> enabled;
    bool pressed[8] = {};
    bool modeEnabled[8] = {true, true, true, true, true, true, true, true};
    int selected = 0;
    QString autoPilotText;
    QString desired[3];
    QString delta[3];
    bool alarmColour[3] = {};
    int beeps = 0;
    int foregrounds = 0;
    QString values[7];
    bool stale[7] = {};
    QStringList chart;
    QStringList pilotData;
    QStringList polar;
    QString alarm; // the banner's text
    bool sounding = false;
    // Manual asked first ("boat/box" headings, "none/box" without a
    // heading); the sailor confirms the box unless a test answers itself.
    QStringList asked;
    bool confirmBox = true;

    static QString Name(MainControl control, int index)
    {
        static const char* names[] = {"tbrTrack", "txtAutoPilot",  "cmdAutoPilot",   "optControl",     "lblDesired",
                                      "txtDesired",    "cmdDesiredApp",  "cmdDesiredTrue", "lblDelta",
                                      "lblAppWindAngle", "lblTrueWindAngle"};
        return QLatin1String(names[int(control)]) + QLatin1Char('_') + NumberText::Format(double(index), u"0");
    }
    bool Enabled(const char* name) const { return enabled.value(QLatin1String(name), true); }

    // Lines as the instrument sends them, each ended by CR LF.
    void Feed(const QStringList& lines) { nmea.feed(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")); }
    // Speed over ground, then an apparent wind (one control step once both
    // winds are known, true wind computed from the boat speed).
    void Wind(float angle, float speed, float boatSpeed = 6)
    {
        Feed({QStringLiteral("$IIVTG,,T,,M,") + NumberText::Format(boatSpeed, u"0.00") + QStringLiteral(",N,,K"),
              QStringLiteral("$IIMWV,") + NumberText::Format(angle, u"0.00") + QStringLiteral(",R,")
                  + NumberText::Format(speed, u"0.00") + QStringLiteral(",N,A")});
    }
    // Seconds pass; the link timer, while it runs, ticks once a second.
    void Tick(int seconds = 1)
    {
        for (int i = 0; i < seconds; ++i) {
            now += 1000;
            if (core.tmrNmea().Enabled())
                core.tmrNmea_Timer();
        }
    }

private:
    CoreSetup Setup(std::function<double()> random)
    {
        CoreSetup setup;
        setup.ManualTimers = true;
        setup.Random = std::move(random);
        setup.Clock = [this] { return now; };
        setup.Ports = [this](QObject* parent) {
            auto* port = new FakeSerialPort(parent);
            m_ports[m_made++] = port;
            return port;
        };
        return setup;
    }
};
