#pragma once
// Test doubles for the receive path: a host that records every report in
// order as text, and a display that shows nothing.

#include "InstrumentState.h"
#include "NmeaReceiver.h"
#include "NumberText.h"

#include <QStringList>
#include <functional>

class NmeaHostRecorder : public NmeaReceiverHost {
public:
    QString status;
    QStringList events;
    // TrackWait calls, apart from the events so their order stays as it was.
    int waits = 0;
    // Runs inside NmeaData, for tests of what a host may do there.
    std::function<void(const QString&)> onData;

    QString InputStatus() const override { return status; }
    void SetInputStatus(const QString& text) override
    {
        status = text;
        events << QStringLiteral("status ") + text;
    }
    void NmeaData(const QString& sline, bool bChecked) override
    {
        events << (bChecked ? QStringLiteral("used ") : QStringLiteral("data ")) + sline;
        if (onData)
            onData(sline);
    }
    void NmeaError(const QString& sline) override { events << QStringLiteral("error ") + sline; }
    void TrackStep() override { events << QStringLiteral("step"); }
    void TrackWait() override { ++waits; }
    void PolarSetValue(const InstrumentValues& v) override
    {
        QStringList parts{QStringLiteral("polar"), NumberText::Format(double(v.eTrackMode), u"0"),
                          v.bHeadingValid ? QStringLiteral("H") : QStringLiteral("-")};
        for (float f : {v.fHeading, v.fBoatSpeed, v.fWindAngleApparent, v.fWindSpeedApparent, v.fWindAngleTrue,
                        v.fWindSpeedTrue})
            parts << NumberText::Format(f, u"0.0");
        parts << (v.bWaypointValid ? QStringLiteral("W") : QStringLiteral("-"))
              << NumberText::Format(v.fWaypointBearing, u"0.0") << NumberText::Format(v.fWaypointRange, u"0.0");
        events << parts.join(QLatin1Char(' '));
    }
    QStringList take()
    {
        QStringList out = events;
        events.clear();
        return out;
    }
};

// Records only the wind indicator, the one display report the receive path
// causes itself, into the given list (a host's, to check the order).
class QuietDisplay {
public:
    explicit QuietDisplay(QStringList& events)
        : m_events(events)
    {
    }
    InstrumentReports Reports()
    {
        InstrumentReports r;
        r.Value = [](InstrumentValue, float) {};
        r.Blank = [](InstrumentValue) {};
        r.History = [](const QString&, float, const QString&) {};
        r.WindIndicator = [this](const QString& point, float speed) {
            m_events << QStringLiteral("caption ") + InstrumentState::WindIndicatorText(point, speed);
        };
        return r;
    }

private:
    QStringList& m_events;
};
