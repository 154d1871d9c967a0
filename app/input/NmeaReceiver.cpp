#include "NmeaReceiver.h"

#include "InstrumentState.h"
#include "ProfileSettings.h"
#include "SerialPort.h"

namespace {

// Where each decoded type is taken from: the flag that switches it on, and
// the setting values that choose it as the source of the heading
// (m_iNmeaHeading: 0 compass heading, 1 course over ground) and of the
// boat speed (m_iNmeaBoatSpeed: 0 through water, 1 over ground); -1 for a
// value the type never gives.
struct SentenceSource {
    uint32_t type;
    bool ProfileSettings::*flag;
    int heading;
    int speed;
};

constexpr SentenceSource Sources[] = {
    {NmeaType("MWV"), &ProfileSettings::m_bNmeaSentenceMWV, -1, -1},
    {NmeaType("VHW"), &ProfileSettings::m_bNmeaSentenceVHW, 0, 0},
    {NmeaType("HDG"), &ProfileSettings::m_bNmeaSentenceHDG, 0, -1},
    {NmeaType("VTG"), &ProfileSettings::m_bNmeaSentenceVTG, 1, 1},
    {NmeaType("RMC"), &ProfileSettings::m_bNmeaSentenceRMC, 1, 1},
    {NmeaType("HVM"), &ProfileSettings::m_bNmeaSentenceHVM, -1, -1},
    {NmeaType("RMB"), &ProfileSettings::m_bNmeaSentenceRMB, -1, -1},
};

const SentenceSource* SourceOf(uint32_t type)
{
    for (const SentenceSource& source : Sources)
        if (source.type == type)
            return &source;
    return nullptr;
}

// Heading and boat speed of a sentence, each taken when the settings name
// the sentence's type as its source; true when one was taken.
bool TakeMotion(const SentenceSource& source, const ProfileSettings& settings, InstrumentState& state,
                std::optional<float> heading, std::optional<float> speed)
{
    bool used = false;
    if (heading && settings.m_iNmeaHeading == source.heading) {
        state.SetHeading(*heading);
        used = true;
    }
    if (speed && settings.m_iNmeaBoatSpeed == source.speed) {
        state.SetBoatSpeed(*speed);
        used = true;
    }
    return used;
}

std::optional<float> Magnetic(std::optional<float> angle, std::optional<NmeaReference> reference)
{
    return reference == NmeaReference::Magnetic ? angle : std::nullopt;
}

std::optional<float> Knots(std::optional<float> speed, std::optional<NmeaUnits> units)
{
    return units == NmeaUnits::Knots ? speed : std::nullopt;
}

} // namespace

NmeaReceiver::NmeaReceiver(const ProfileSettings& settings, InstrumentState& state, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_state(state)
{
}

void NmeaReceiver::SetInputStatus(const QString& text)
{
    m_bInputStatusShown = !text.isEmpty();
    emit InputStatusReported(text);
}

void NmeaReceiver::MSCommNmea_OnComm(int commEvent, SerialPort& port)
{
    if (commEvent != SerialPort::comEvReceive) {
        SetInputStatus(port.CommEventText(commEvent));
        return;
    }
    m_lNoInputTicks = 0;
    // A nested event (a slot that ran the event loop) leaves the
    // characters in the port for the next one.
    if (m_bReceiveBusy)
        return;
    m_bReceiveBusy = true;
    if (m_bInputStatusShown)
        SetInputStatus(QString());
    Receive(port.Input());
    m_bReceiveBusy = false;
}

bool NmeaReceiver::ReceiveLine(const QString& line)
{
    if (m_bReceiveBusy || m_bReceiving || !m_line.Idle())
        return false;
    m_lNoInputTicks = 0;
    m_bReceiveBusy = true;
    if (m_bInputStatusShown)
        SetInputStatus(QString());
    m_bReceiving = true;
    // As the line buffer takes it: a line over the bound is reported by its
    // first characters.
    if (line.size() > MaxLineLength)
        Overlong(line.left(NmeaLineBuffer::OverlongReportLength));
    else
        Line(line);
    EndReceive();
    m_bReceiveBusy = false;
    return true;
}

void NmeaReceiver::Receive(QStringView text)
{
    const bool outer = !m_bReceiving;
    m_bReceiving = true;
    m_line.Receive(
        text, [this](const QString& line) { return Line(line); },
        [this](const QString& firstPart) { return Overlong(firstPart); });
    if (outer)
        EndReceive();
}

void NmeaReceiver::EndReceive()
{
    m_bReceiving = false;
    if (m_bClearPending)
        m_line.Clear();
    m_bClearPending = false;
}

void NmeaReceiver::ClearLine()
{
    // The line being processed stays untouched until its processing ends.
    if (m_bReceiving)
        m_bClearPending = true;
    else
        m_line.Clear();
}

bool NmeaReceiver::Line(const QString& line)
{
    Arrived(line);
    NmeaProcess(line);
    return !m_bClearPending;
}

bool NmeaReceiver::Overlong(const QString& firstPart)
{
    Arrived(firstPart);
    LineError(QStringLiteral("Sentence Error"), firstPart);
    return !m_bClearPending;
}

void NmeaReceiver::LineError(const QString& error, const QString& L)
{
    SetInputStatus(error);
    if (Heard(m_relays.LinesHeard))
        emit LineProcessed(L + QStringLiteral(" <<") + error + QStringLiteral(">>"), false);
    if (m_counter)
        m_counter(L, error);
    emit LineErrorReported(error + QStringLiteral(" - ") + L);
}

void NmeaReceiver::NmeaProcess(const QString& L)
{
    switch (NmeaCheckLine(L)) {
    case NmeaLineCheck::SentenceError:
        LineError(QStringLiteral("Sentence Error"), L);
        return;
    case NmeaLineCheck::ChecksumError:
        LineError(QStringLiteral("Checksum Error"), L);
        return;
    case NmeaLineCheck::Accepted:
        break;
    }
    const uint32_t type = NmeaSentenceType(L);
    const bool used = NmeaDecode(type, L);
    // Each wind update is the clock of the control loop. Decided while the
    // decoder's fields are still those of this line.
    const bool windUpdate = type == NmeaType("MWV") && WindUpdate(L, used);
    if (Heard(m_relays.LinesHeard))
        emit LineProcessed(L, used);
    if (m_counter)
        m_counter(L, QStringView());
    if (!windUpdate)
        return;
    if (!m_state.WindTrueValid() || !m_state.WindApparentValid()) {
        emit StepWaiting();
        return;
    }
    if (m_relays.ControlStep)
        m_relays.ControlStep();
    else
        emit StepDue();
    if (m_state.BoatSpeedValid() && Heard(m_relays.PolarHeard))
        emit PolarValuesReady(m_state.Values(m_settings.m_eTrackMode));
    if (m_state.VariationValid())
        m_state.WindIndicator();
}

// Wind instruments commonly send an apparent (R) and a true (T) MWV for one
// measurement. A step on each would run the loop twice per update and double
// the gains the user set, so a T right after an R belongs to the R's step.
// An instrument that sends one kind only steps on every line.
// With MWV decoding on, only a line that gave a wind is an update (a refused
// or ignored one would step again on the last good wind), and only such lines
// pair, so the T of an update whose R was refused still steps. With decoding
// off the sailor chose every MWV line as the clock, except one the instrument
// itself marks not valid (status V).
bool NmeaReceiver::WindUpdate(const QString& L, bool used)
{
    // A decoded line is split already.
    if (m_settings.m_bNmeaSentenceMWV) {
        if (!used)
            return false;
    } else {
        m_decoder.NmeaFields(L);
        if (m_decoder.Field(5) == u"V")
            return false;
    }
    const QStringView reference = m_decoder.Field(2);
    const bool pairedTrue = reference == u"T" && m_bLastWindApparent;
    m_bLastWindApparent = reference == u"R";
    return !pairedTrue;
}

bool NmeaReceiver::NmeaDecode(uint32_t type, const QString& L)
{
    const SentenceSource* source = SourceOf(type);
    if (!source || !(m_settings.*(source->flag)))
        return false;
    InstrumentState& state = m_state;
    const auto take = [&](std::optional<float> heading, std::optional<float> speed) {
        return TakeMotion(*source, m_settings, state, heading, speed);
    };
    bool used = false;
    switch (type) {
    case NmeaType("MWV"): {
        NmeaMWV s;
        DecodeError(m_decoder.NmeaDecodeMWV(L, s), L);
        if (s.Units != NmeaUnits::Knots)
            break;
        if (s.Reference == NmeaReference::Relative) {
            state.SetWindApparent(*s.Angle, *s.Speed, true);
            used = true;
        } else if (s.Reference == NmeaReference::True && m_settings.m_iNmeaTrueWind == 0) {
            state.SetWindTrue(*s.Angle, *s.Speed, true);
            used = true;
        }
        break;
    }
    case NmeaType("VHW"): {
        NmeaVHW s;
        DecodeError(m_decoder.NmeaDecodeVHW(L, s), L);
        used = take(Magnetic(s.Heading, s.HeadingReference), Knots(s.Speed, s.SpeedUnits));
        break;
    }
    case NmeaType("VTG"): {
        NmeaVTG s;
        DecodeError(m_decoder.NmeaDecodeVTG(L, s), L);
        used = take(Magnetic(s.Course, s.CourseReference), Knots(s.Speed, s.SpeedUnits));
        break;
    }
    case NmeaType("HDG"): {
        NmeaHDG s;
        DecodeError(m_decoder.NmeaDecodeHDG(L, s), L);
        used = take(Magnetic(s.Heading, s.HeadingReference), std::nullopt);
        if (s.VariationDirection) {
            state.SetVariation(*s.Variation);
            used = true;
        }
        break;
    }
    case NmeaType("HVM"): {
        NmeaHVM s;
        DecodeError(m_decoder.NmeaDecodeHVM(L, s), L);
        if (s.VariationDirection) {
            state.SetVariation(*s.Variation);
            used = true;
        }
        break;
    }
    case NmeaType("RMC"): {
        NmeaRMC s;
        DecodeError(m_decoder.NmeaDecodeRMC(L, s), L);
        // Variation first: the track is made magnetic with it.
        if (s.VariationDirection) {
            state.SetVariation(*s.Variation);
            used = true;
        }
        std::optional<float> heading;
        if (s.TrackReference == NmeaReference::True && state.VariationValid())
            heading = static_cast<float>(static_cast<double>(*s.Track) - state.Variation());
        used = take(heading, Knots(s.Speed, s.SpeedUnits)) || used;
        break;
    }
    case NmeaType("RMB"): {
        NmeaRMB s;
        DecodeError(m_decoder.NmeaDecodeRMB(L, s), L);
        // Without a known variation the bearing cannot be made magnetic.
        if (s.BearingReference == NmeaReference::True && s.RangeUnits == NmeaUnits::NauticalMiles
            && state.VariationValid()) {
            state.SetWaypoint(*s.Range, static_cast<float>(static_cast<double>(*s.Bearing) - state.Variation()));
            used = true;
        }
        break;
    }
    default:
        break;
    }
    return used;
}
