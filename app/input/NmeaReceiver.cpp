#include "NmeaReceiver.h"

#include "InstrumentState.h"
#include "ProfileSettings.h"
#include "SerialPort.h"

NmeaReceiver::NmeaReceiver(const ProfileSettings& settings, InstrumentState& state, NmeaReceiverHost& host)
    : m_settings(settings)
    , m_state(state)
    , m_host(host)
    , m_decoder(host)
{
}

void NmeaReceiver::MSCommNmea_OnComm(int commEvent, SerialPort& port)
{
    if (commEvent != SerialPort::comEvReceive) {
        m_host.SetInputStatus(port.CommEventText(commEvent));
        return;
    }
    m_lNoInputTicks = 0;
    // A nested event (a host call that ran the event loop) leaves the
    // characters in the port for the next one.
    if (m_bReceiveBusy)
        return;
    m_bReceiveBusy = true;
    if (!m_host.InputStatus().isEmpty())
        m_host.SetInputStatus(QString());
    Receive(port.Input());
    m_bReceiveBusy = false;
}

bool NmeaReceiver::ReceiveLine(const QString& line)
{
    if (m_bReceiveBusy || m_bReceiving || !m_line.Idle())
        return false;
    m_lNoInputTicks = 0;
    m_bReceiveBusy = true;
    if (!m_host.InputStatus().isEmpty())
        m_host.SetInputStatus(QString());
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
    m_line.Receive(text, *this);
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
    m_host.NmeaReceived(line);
    NmeaProcess(line);
    return !m_bClearPending;
}

bool NmeaReceiver::Overlong(const QString& firstPart)
{
    m_host.NmeaReceived(firstPart);
    LineError(QStringLiteral("Sentence Error"), firstPart);
    return !m_bClearPending;
}

void NmeaReceiver::LineError(const QString& error, const QString& L)
{
    m_host.SetInputStatus(error);
    m_host.NmeaData(L + QStringLiteral(" <<") + error + QStringLiteral(">>"), false);
    if (m_counter)
        m_counter->CountLine(L, error);
    m_host.NmeaError(error + QStringLiteral(" - ") + L);
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
    m_host.NmeaData(L, used);
    if (m_counter)
        m_counter->CountLine(L, QStringView());
    if (!windUpdate)
        return;
    if (!m_state.WindTrueValid() || !m_state.WindApparentValid()) {
        m_host.TrackWait();
        return;
    }
    m_host.TrackStep();
    if (m_state.BoatSpeedValid())
        m_host.PolarSetValue(m_state.Values(m_settings.m_eTrackMode));
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
    const ProfileSettings& s = m_settings;
    InstrumentState& state = m_state;
    bool used = false;
    float a = 0, b = 0, c = 0;
    QStringView ra, rb, rc;
    switch (type) {
    case NmeaType("MWV"):
        if (!s.m_bNmeaSentenceMWV)
            break;
        m_decoder.NmeaDecodeMWV(L, a, ra, b, rb);
        if (rb != u"Kts")
            break;
        if (ra == u"R") {
            state.SetWindApparent(a, b, true);
            used = true;
        } else if (ra == u"T" && s.m_iNmeaTrueWind == 0) {
            state.SetWindTrue(a, b, true);
            used = true;
        }
        break;
    case NmeaType("VHW"):
        if (!s.m_bNmeaSentenceVHW)
            break;
        m_decoder.NmeaDecodeVHW(L, a, ra, b, rb);
        if (s.m_iNmeaHeading == 0 && ra == u"M") {
            state.SetHeading(a);
            used = true;
        }
        if (s.m_iNmeaBoatSpeed == 0 && rb == u"Kts") {
            state.SetBoatSpeed(b);
            used = true;
        }
        break;
    case NmeaType("VTG"):
        if (!s.m_bNmeaSentenceVTG)
            break;
        m_decoder.NmeaDecodeVTG(L, a, ra, b, rb);
        if (s.m_iNmeaHeading == 1 && ra == u"M") {
            state.SetHeading(a);
            used = true;
        }
        if (s.m_iNmeaBoatSpeed == 1 && rb == u"Kts") {
            state.SetBoatSpeed(b);
            used = true;
        }
        break;
    case NmeaType("HDG"):
        if (!s.m_bNmeaSentenceHDG)
            break;
        m_decoder.NmeaDecodeHDG(L, a, ra, b, rb);
        if (s.m_iNmeaHeading == 0 && ra == u"M") {
            state.SetHeading(a);
            used = true;
        }
        if (!rb.isEmpty()) {
            state.SetVariation(b);
            used = true;
        }
        break;
    case NmeaType("HVM"):
        if (!s.m_bNmeaSentenceHVM)
            break;
        m_decoder.NmeaDecodeHVM(L, a, ra);
        if (ra == u"E" || ra == u"W") {
            state.SetVariation(a);
            used = true;
        }
        break;
    case NmeaType("RMC"):
        if (!s.m_bNmeaSentenceRMC)
            break;
        m_decoder.NmeaDecodeRMC(L, a, ra, b, rb, c, rc);
        // Variation first: the track is made magnetic with it.
        if (!rc.isEmpty()) {
            state.SetVariation(c);
            used = true;
        }
        if (s.m_iNmeaHeading == 1 && ra == u"T" && state.VariationValid()) {
            state.SetHeading(static_cast<float>(static_cast<double>(a) - state.Variation()));
            used = true;
        }
        if (s.m_iNmeaBoatSpeed == 1 && rb == u"Kts") {
            state.SetBoatSpeed(b);
            used = true;
        }
        break;
    case NmeaType("RMB"):
        if (!s.m_bNmeaSentenceRMB)
            break;
        m_decoder.NmeaDecodeRMB(L, a, ra, b, rb);
        // Without a known variation the bearing cannot be made magnetic.
        if (ra == u"T" && rb == u"nm" && state.VariationValid()) {
            state.SetWaypoint(b, static_cast<float>(static_cast<double>(a) - state.Variation()));
            used = true;
        }
        break;
    default:
        break;
    }
    return used;
}
