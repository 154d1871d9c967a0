#include "TrackControl.h"

#include "InstrumentState.h"
#include "MathLib.h"
#include "NumberText.h"
#include "SerialLinks.h"
#include "SerialPort.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace MathLib;

TrackControl::TrackControl(ProfileSettings& settings, InstrumentState& state, SerialLinks& links,
                           TrackReports reports)
    : m_settings(settings)
    , m_state(state)
    , m_links(links)
    , m_reports(std::move(reports))
{
}

// A raised alarm belongs to Track mode: leaving it, or switching the alarm
// off, must not leave an error marked as beyond the limit.
void TrackControl::ClearLimitAlarm()
{
    if (!m_bAlarmActive)
        return;
    m_bAlarmActive = false;
    m_reports.DeltaAlarm(1, false);
    m_reports.DeltaAlarm(2, false);
    m_reports.LimitAlarm(false, 0);
}

void TrackControl::SetOff()
{
    ClearLimitAlarm();
    m_settings.m_eTrackMode = TrackModeOff;
    m_reports.ModeEntered(TrackModeOff);
    m_links.NmeaStop();
    m_links.PilotStop();
    SelectControl(TrackAngle(m_iControl));
}

void TrackControl::SetSetup()
{
    ClearLimitAlarm();
    m_settings.m_eTrackMode = TrackModeSetup;
    m_reports.ModeEntered(TrackModeSetup);
    m_reports.InputStatus(QString());
    m_reports.OutputStatus(QString());
    if (m_links.NmeaStart())
        SelectControl(TrackAngle(m_iControl));
    else
        SetOff();
}

void TrackControl::SetManual()
{
    ClearLimitAlarm();
    m_settings.m_eTrackMode = TrackModeManual;
    m_reports.ModeEntered(TrackModeManual);
    m_reports.InputStatus(QString());
    m_reports.OutputStatus(QString());
    if (m_links.PilotStart()) {
        SelectControl(TrackAngle(m_iControl));
        return;
    }
    // Setup clears the status: the reason Manual was refused stays on the
    // output line, or the sailor sees the mode fall back without a word.
    const QString error = m_links.PilotStartError();
    SetSetup();
    m_reports.OutputStatus(error);
}

void TrackControl::SetTrack()
{
    if (!TrackFilterInit()) {
        // The mode stays as it was.
        m_reports.ModeEntered(m_settings.m_eTrackMode);
        m_reports.OutputStatus(TrackRefusedText(m_settings.m_fTrackBandwidth, m_settings.m_fTrackDamping));
        return;
    }
    m_settings.m_eTrackMode = TrackModeTrack;
    m_reports.ModeEntered(TrackModeTrack);
    SelectControl(TrackAngle(m_iControl));
}

void TrackControl::SelectControl(TrackAngle angle)
{
    m_iControl = angle == TrackAngle::True ? 2 : 1;
    m_reports.AngleTracked(TrackAngle(m_iControl));
}

// With bandwidth B (seconds) and damping D: a = 4/B, K1 = a/(4D² + 1),
// K2 = a - K1. The defaults (20, 4) give K1 = 0.2/65 and K2 = 0.2 - K1: a
// quick proportional answer and a slow integral that takes out a steady
// error.
bool TrackControl::TrackFilterInit()
{
    const double bandwidth = m_settings.m_fTrackBandwidth;
    const double damping = m_settings.m_fTrackDamping;
    if (!TrackLoopStable(bandwidth, damping))
        return false;
    const double a = 4 / bandwidth;
    m_dK1 = a / (4 * damping * damping + 1);
    m_dK2 = a - m_dK1;
    m_dS = 0;
    return true;
}

// With the boat turning as commanded, error e and integral S of one step
// follow e' = (1 - kp) e + kp S, S' = S - ki e (kp = K2, ki = K1), whose
// characteristic polynomial is z^2 + (kp - 2) z + (1 - kp + kp ki). Jury's
// conditions put both roots inside the unit circle. Short bandwidths make
// the loop overshoot further at every step; a damping of 0 leaves K2 at 0
// and the loop never moves.
bool TrackControl::TrackLoopStable(double Bandwidth, double Damping)
{
    if (!(Bandwidth > 0) || !std::isfinite(Bandwidth) || !std::isfinite(Damping))
        return false;
    const double a = 4 / Bandwidth;
    const double ki = a / (4 * Damping * Damping + 1);
    const double kp = a - ki;
    const double c1 = kp - 2;
    const double c0 = 1 - kp + kp * ki;
    return std::fabs(c0) < 1 && 1 + c1 + c0 > 0 && 1 - c1 + c0 > 0;
}

double TrackControl::TrackBandwidthMinimum(double Damping)
{
    constexpr double longest = 1e6;
    if (!TrackLoopStable(longest, Damping))
        return 0;
    // Longer bandwidths only lower the gains, so the settling ones lie
    // above one bound.
    double unstable = 0;
    double stable = longest;
    for (int i = 0; i < 80; ++i) {
        const double middle = (unstable + stable) / 2;
        (TrackLoopStable(middle, Damping) ? stable : unstable) = middle;
    }
    double tenths = std::ceil(stable * 10) / 10;
    while (!TrackLoopStable(tenths, Damping))
        tenths += 0.1;
    return tenths;
}

TrackControl::LoopVerdict TrackControl::TrackLoopVerdict(double Bandwidth, double Damping)
{
    LoopVerdict verdict;
    if (!(Bandwidth > 0) || !std::isfinite(Bandwidth))
        verdict.eKind = LoopVerdict::BandwidthNotAbove0;
    else if (TrackLoopStable(Bandwidth, Damping))
        verdict.eKind = LoopVerdict::Settles;
    else if ((verdict.fMinimum = TrackBandwidthMinimum(Damping)) == 0)
        verdict.eKind = LoopVerdict::DampingNotAbove0;
    else
        verdict.eKind = LoopVerdict::BandwidthTooShort;
    return verdict;
}

QString TrackControl::TrackRefusedText(double Bandwidth, double Damping)
{
    const LoopVerdict verdict = TrackLoopVerdict(Bandwidth, Damping);
    switch (verdict.eKind) {
    case LoopVerdict::Settles:
        break;
    case LoopVerdict::BandwidthNotAbove0:
        return BandwidthRefusedText();
    case LoopVerdict::DampingNotAbove0:
        return QStringLiteral("Track Refused - Damping Must Be Above 0");
    case LoopVerdict::BandwidthTooShort:
        return QStringLiteral("Track Refused - Bandwidth Must Be At Least ")
            + NumberText::Format(verdict.fMinimum, u"0.0");
    }
    return QString();
}

QString TrackControl::TrackGainsProblem(double Bandwidth, double Damping)
{
    const LoopVerdict verdict = TrackLoopVerdict(Bandwidth, Damping);
    switch (verdict.eKind) {
    case LoopVerdict::Settles:
        break;
    case LoopVerdict::BandwidthNotAbove0:
        return QStringLiteral("Track Bandwidth must be above 0.");
    case LoopVerdict::DampingNotAbove0:
        return QStringLiteral("Track Damping must be above 0.");
    case LoopVerdict::BandwidthTooShort:
        return QStringLiteral("Track Bandwidth must be at least ") + NumberText::Format(verdict.fMinimum, u"0.0")
            + QStringLiteral(" at damping ") + NumberText::Plain(Damping) + QLatin1Char('.');
    }
    return QString();
}

void TrackControl::TrackFilter(float Error, float& Heading)
{
    if (!std::isfinite(Error))
        return;
    const double u = std::clamp(Error + m_dS, -StepLimit, StepLimit);
    m_dS = std::clamp(m_dS + m_dK1 * Error, -IntegralLimit, IntegralLimit);
    Heading = float(HeadingWrap(Heading + m_dK2 * u));
}

void TrackControl::Step()
{
    ProfileSettings& s = m_settings;
    const TrackMode mode = s.m_eTrackMode;
    if (mode == TrackModeOff)
        return;
    ++m_lSteps;
    if (mode == TrackModeSetup || mode == TrackModeManual) {
        s.m_fDesired[1] = m_state.WindAngleApparent();
        s.m_fDesired[2] = m_state.WindAngleTrue();
        m_reports.Desired(1, s.m_fDesired[1]);
        m_reports.Desired(2, s.m_fDesired[2]);
    }
    m_fError[1] = float(Angle180(double(m_state.WindAngleApparent()) - s.m_fDesired[1]));
    m_reports.Delta(1, m_fError[1]);
    m_fError[2] = float(Angle180(double(m_state.WindAngleTrue()) - s.m_fDesired[2]));
    m_reports.Delta(2, m_fError[2]);

    if (mode == TrackModeTrack) {
        const float e = m_iControl == 1 ? m_fError[1] : m_fError[2];
        // An angle worked out from a source that went quiet, or a boat that
        // does not follow, is not acted on: the heading is held.
        if (!m_bHold) {
            const float from = s.m_fAutoPilot;
            float to = from;
            const double integral = m_dS;
            TrackFilter(e, to);
            s.m_fAutoPilot = m_bound ? m_bound(from, to) : to;
            // What the boat cannot be given now adds nothing to the
            // integral, which would only overshoot later.
            if (s.m_fAutoPilot != to)
                m_dS = integral;
        }
        m_reports.PilotReading(QStringLiteral("Pilot Delta"), e);
        m_reports.AutoPilot(s.m_fAutoPilot);
        if (s.m_bTrackAlarm && std::fabs(e) > s.m_fTrackAlarmLimit) {
            m_bAlarmActive = true;
            m_reports.DeltaAlarm(m_iControl, true);
            m_reports.LimitAlarm(true, e);
        } else {
            ClearLimitAlarm();
        }
    }

    if (mode != TrackModeSetup)
        SendAutoPilot();
}

void TrackControl::SendAutoPilot()
{
    float& heading = m_settings.m_fAutoPilot;
    if (!std::isfinite(heading)) {
        m_reports.OutputStatus(QStringLiteral("No Output - AutoPilot Heading Not a Number"));
        return;
    }
    heading = float(HeadingWrap(heading));
    if (m_bWaiting) {
        m_bWaiting = false;
        m_reports.OutputStatus(QString());
    }
    QString sline;
    if (m_reports.Target && m_reports.Target(heading, sline)) {
        m_reports.SentenceSent(sline);
    } else {
        const QString& line = m_output.Send(heading, m_settings, m_links.MSCommNmea(), m_links.MSCommPilot());
        m_reports.SentenceSent(QStringView(line).chopped(2));
    }
    m_reports.PilotReading(QStringLiteral("Pilot Heading"), heading);
}

void TrackControl::TrackWait()
{
    const TrackMode mode = m_settings.m_eTrackMode;
    if (mode != TrackModeManual && mode != TrackModeTrack)
        return;
    QString missing = QStringLiteral("True Wind");
    if (!m_state.WindApparentValid())
        missing = QStringLiteral("Apparent Wind");
    else if (m_settings.m_iNmeaTrueWind == 1 && !m_state.BoatSpeedValid())
        missing = QStringLiteral("Boat Speed");
    m_bWaiting = true;
    m_reports.OutputStatus(QStringLiteral("No Output - Waiting For ") + missing);
}

void TrackControl::SteerTo(float Delta)
{
    ProfileSettings& s = m_settings;
    if (!std::isfinite(Delta))
        return;
    if (s.m_eTrackMode == TrackModeTrack) {
        float apparentSpeed = 0;
        float apparentAngle = 0;
        if (m_iControl == 1) {
            float trueSpeed = 0;
            float trueAngle = 0;
            WindTrueFromApparent(m_state.WindSpeedApparent(), s.m_fDesired[1], m_state.BoatSpeed(), trueSpeed, trueAngle);
            s.m_fDesired[2] = float(AngleWrap180(double(trueAngle) - Delta));
            WindApparentFromTrue(trueSpeed, s.m_fDesired[2], m_state.BoatSpeed(), apparentSpeed, apparentAngle);
        } else {
            s.m_fDesired[2] = float(AngleWrap180(double(s.m_fDesired[2]) - Delta));
            WindApparentFromTrue(m_state.WindSpeedTrue(), s.m_fDesired[2], m_state.BoatSpeed(), apparentSpeed,
                                 apparentAngle);
        }
        s.m_fDesired[1] = apparentAngle;
        s.m_fAutoPilot = float(HeadingWrap(double(s.m_fAutoPilot) + Delta));
        m_reports.AutoPilot(s.m_fAutoPilot);
        m_dS = 0;
        m_reports.Desired(1, s.m_fDesired[1]);
        m_reports.Desired(2, s.m_fDesired[2]);
        return;
    }
    // The box's text is already stored: the core stores it before any
    // steer command.
    s.m_fAutoPilot = float(HeadingWrap(double(s.m_fAutoPilot) + Delta));
    m_reports.AutoPilot(s.m_fAutoPilot);
}

void TrackControl::StoreAutoPilot(const QString& text)
{
    // The box shows what is in force afterwards, so that what it says is
    // what the autopilot is sent.
    float value = 0;
    if (ReadAngleText(text, value))
        m_settings.m_fAutoPilot = float(HeadingWrap(value));
    else
        m_reports.OutputStatus(QStringLiteral("AutoPilot Entry Refused - Not a Heading"));
    m_reports.AutoPilot(m_settings.m_fAutoPilot);
}

void TrackControl::StoreDesired(int index, const QString& text)
{
    float value = 0;
    if ((index != 1 && index != 2) || !ReadAngleText(text, value))
        return;
    m_settings.m_fDesired[index] = float(AngleWrap180(value));
    if (m_settings.m_fDesired[index] != value)
        m_reports.Desired(index, m_settings.m_fDesired[index]);
}

bool TrackControl::ReadAngleText(const QString& text, float& value)
{
    const double v = NumberText::Val(text);
    if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max())
        return false;
    value = float(v);
    return true;
}
