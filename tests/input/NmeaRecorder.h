#pragma once
// Test doubles for the receive path: a recorder of every report of a
// receiver in order as text, a display that shows nothing, and the decoders
// with their records written out as the letters the Options dialog's
// reader knows ("R", "Kts"), errors going to a recorder.

#include "InstrumentState.h"
#include "NmeaReceiver.h"
#include "NumberText.h"

#include <QStringList>
#include <functional>

class NmeaHostRecorder {
public:
    QString status;
    QStringList events;
    // TrackWait calls, apart from the events so their order stays as it was.
    int waits = 0;
    // Runs inside NmeaData, for tests of what a host may do there.
    std::function<void(const QString&)> onData;

    // Records every report of receiver from now on.
    void Attach(NmeaReceiver& receiver)
    {
        m_receiver = &receiver;
        QObject::connect(&receiver, &NmeaReceiver::InputStatusReported,
                         [this](const QString& text) { SetInputStatus(text); });
        QObject::connect(&receiver, &NmeaReceiver::LineProcessed,
                         [this](const QString& sline, bool bChecked) { NmeaData(sline, bChecked); });
        QObject::connect(&receiver, &NmeaReceiver::LineErrorReported,
                         [this](const QString& sline) { NmeaError(sline); });
        QObject::connect(&receiver, &NmeaReceiver::StepDue, [this] { TrackStep(); });
        QObject::connect(&receiver, &NmeaReceiver::StepWaiting, [this] { TrackWait(); });
        QObject::connect(&receiver, &NmeaReceiver::PolarValuesReady,
                         [this](const InstrumentValues& v) { PolarSetValue(v); });
    }
    // Panel 2 shows text, set by someone other than the receiver.
    void ShowStatus(const QString& text)
    {
        status = text;
        if (m_receiver)
            m_receiver->SetInputStatusShown(!text.isEmpty());
    }

    void SetInputStatus(const QString& text)
    {
        status = text;
        events << QStringLiteral("status ") + text;
    }
    void NmeaData(const QString& sline, bool bChecked)
    {
        events << (bChecked ? QStringLiteral("used ") : QStringLiteral("data ")) + sline;
        if (onData)
            onData(sline);
    }
    void NmeaError(const QString& sline) { events << QStringLiteral("error ") + sline; }
    void TrackStep() { events << QStringLiteral("step"); }
    void TrackWait() { ++waits; }
    void PolarSetValue(const InstrumentValues& v)
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

private:
    NmeaReceiver* m_receiver = nullptr;
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

// The decoders as they once answered: numbers 0 and texts "" when unset, the
// letters they accepted ("R", "T", "M", "Kts", "nm", "E", "W", or an MWV
// speed's own units letter), and each error reported to the recorder as
// its "Decode Error - " line.
class ReportingDecoder {
public:
    explicit ReportingDecoder(NmeaHostRecorder& host)
        : m_host(host)
    {
    }

    int NmeaFields(QStringView line) { return m_decoder.NmeaFields(line); }
    QStringView Field(int index) const { return m_decoder.Field(index); }

    void NmeaDecodeMWV(const QString& line, float& Angle, QStringView& Reference, float& Speed, QStringView& Units)
    {
        NmeaMWV s;
        Report(m_decoder.NmeaDecodeMWV(line, s), line);
        Angle = s.Angle.value_or(0);
        Reference = Text(s.Reference);
        Speed = s.Speed.value_or(0);
        Units = s.Units == NmeaUnits::Knots ? QStringView(u"Kts") : s.Units ? m_decoder.Field(4) : QStringView();
    }
    void NmeaDecodeVHW(const QString& line, float& Heading, QStringView& HeadingReference, float& Speed,
                       QStringView& SpeedUnits)
    {
        NmeaVHW s;
        Report(m_decoder.NmeaDecodeVHW(line, s), line);
        Heading = s.Heading.value_or(0);
        HeadingReference = Text(s.HeadingReference);
        Speed = s.Speed.value_or(0);
        SpeedUnits = Text(s.SpeedUnits);
    }
    void NmeaDecodeVTG(const QString& line, float& Course, QStringView& CourseReference, float& Speed,
                       QStringView& SpeedUnits)
    {
        NmeaVTG s;
        Report(m_decoder.NmeaDecodeVTG(line, s), line);
        Course = s.Course.value_or(0);
        CourseReference = Text(s.CourseReference);
        Speed = s.Speed.value_or(0);
        SpeedUnits = Text(s.SpeedUnits);
    }
    void NmeaDecodeHDG(const QString& line, float& Heading, QStringView& HeadingReference, float& Variation,
                       QStringView& VariationDirection)
    {
        NmeaHDG s;
        Report(m_decoder.NmeaDecodeHDG(line, s), line);
        Heading = s.Heading.value_or(0);
        HeadingReference = Text(s.HeadingReference);
        Variation = s.Variation.value_or(0);
        VariationDirection = Text(s.VariationDirection);
    }
    void NmeaDecodeHVM(const QString& line, float& Variation, QStringView& VariationDirection)
    {
        NmeaHVM s;
        Report(m_decoder.NmeaDecodeHVM(line, s), line);
        Variation = s.Variation.value_or(0);
        VariationDirection = Text(s.VariationDirection);
    }
    void NmeaDecodeRMC(const QString& line, float& Track, QStringView& TrackReference, float& Speed,
                       QStringView& SpeedUnits, float& Variation, QStringView& VariationDirection)
    {
        NmeaRMC s;
        Report(m_decoder.NmeaDecodeRMC(line, s), line);
        Track = s.Track.value_or(0);
        TrackReference = Text(s.TrackReference);
        Speed = s.Speed.value_or(0);
        SpeedUnits = Text(s.SpeedUnits);
        Variation = s.Variation.value_or(0);
        VariationDirection = Text(s.VariationDirection);
    }
    void NmeaDecodeRMB(const QString& line, float& Bearing, QStringView& BearingReference, float& Range,
                       QStringView& RangeUnits)
    {
        NmeaRMB s;
        Report(m_decoder.NmeaDecodeRMB(line, s), line);
        Bearing = s.Bearing.value_or(0);
        BearingReference = Text(s.BearingReference);
        Range = s.Range.value_or(0);
        RangeUnits = Text(s.RangeUnits);
    }

private:
    void Report(const NmeaDecodeError& error, const QString& line)
    {
        if (error)
            m_host.NmeaError(NmeaDecodeErrorText(error, line));
    }
    static QStringView Text(std::optional<NmeaReference> r)
    {
        if (!r)
            return {};
        return *r == NmeaReference::Relative ? u"R" : *r == NmeaReference::True ? u"T" : u"M";
    }
    static QStringView Text(std::optional<NmeaUnits> u)
    {
        if (!u)
            return {};
        return *u == NmeaUnits::Knots ? u"Kts" : *u == NmeaUnits::NauticalMiles ? u"nm" : u"?";
    }
    static QStringView Text(std::optional<NmeaDirection> d)
    {
        if (!d)
            return {};
        return *d == NmeaDirection::East ? u"E" : u"W";
    }

    NmeaHostRecorder& m_host;
    NmeaDecoder m_decoder;
};
