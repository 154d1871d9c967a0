#include "TackProcedure.h"

#include "MathLib.h"
#include "NumberText.h"
#include "ProfileSettings.h"
#include "ProfileStore.h"
#include "SwitchTimer.h"
#include "SystemLib.h"

#include <cmath>

namespace {

const char16_t* const kTackData = u"Tack Data";

QString Key(const char* name, int index)
{
    return QLatin1String(name) + QLatin1Char(' ') + NumberText::Format(double(index), u"0");
}

// A text box's number, whole text, finite.
bool Number(const QString& text, float& value)
{
    float v = 0;
    if (!NumberText::TryParse(text, v) || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

} // namespace

TackProcedure::TackProcedure(const ProfileSettings& settings, SwitchTimer& TimerTack, QObject* parent)
    : QObject(parent), m_settings(settings), m_timer(TimerTack)
{
}

TackProcedure::Index TackProcedure::Classify(double c, double n, int& Direction)
{
    const double lo = std::min(c, n);
    const double hi = std::max(c, n);
    if (lo > -90 && lo < 0 && hi > 0 && hi < 90) {
        Direction = n <= 0 ? 1 : -1;
        return Tack;
    }
    if (lo < -90 && hi > 90) {
        Direction = n <= 0 ? -1 : 1;
        return Jibe;
    }
    Direction = 0;
    return Steer;
}

void TackProcedure::StopTimer()
{
    m_timer.SetEnabled(false);
    if (m_eState == State::Running) {
        m_eState = State::Idle;
        emit Stopped();
    }
}

bool TackProcedure::SetValue(float SteerTo, float Heading, float AutoPilot, float WindAngle)
{
    StopTimer();
    m_fSteerTo = SteerTo;
    m_fHeading = Heading;
    m_fAutoPilot = AutoPilot;
    const double c = MathLib::AngleWrap180(WindAngle);
    const double n = MathLib::AngleWrap180(double(Heading) + WindAngle - SteerTo);
    m_eIndex = Classify(c, n, m_iDirection);
    if (m_eIndex == Steer) {
        const double delta = MathLib::AngleWrap180(double(SteerTo) - Heading);
        if (std::fabs(delta) <= m_settings.m_fTrackMaxSteerTo) {
            m_eState = State::Idle;
            emit SteerRequested(float(delta));
            emit Closed(false);
            return false;
        }
    }
    m_eState = State::Proposed;
    emit Proposed();
    emit BeepRequested();
    return true;
}

bool TackProcedure::Start(const QString& heading, const QString& overshoot, const QString& rate, QString& why)
{
    if (m_eState != State::Proposed) {
        why = QStringLiteral("Nothing to start");
        return false;
    }
    float target = 0;
    float over = 0;
    float r = 0;
    if (!Number(heading, target)) {
        why = QStringLiteral("Heading is not a number");
        return false;
    }
    if (!Number(overshoot, over)) {
        why = QStringLiteral("Overshoot is not a number");
        return false;
    }
    if (!Number(rate, r)) {
        why = QStringLiteral("Rate is not a number");
        return false;
    }
    emit ManualRequested();
    // Without the autopilot link nothing would reach the autopilot.
    if (m_settings.m_eTrackMode != TrackModeManual) {
        why = QStringLiteral("Manual mode could not be started");
        return false;
    }
    why.clear();
    m_fOvershoot[m_eIndex] = over;
    m_fRate[m_eIndex] = r;

    double goal = MathLib::HeadingWrap(target);
    if (m_iDirection != 0)
        goal = MathLib::HeadingWrap(goal + m_iDirection * double(over));
    m_fStart = m_fHeading;
    m_fOffset = float(MathLib::AngleWrap180(double(m_fAutoPilot) - m_fHeading));
    // The short way round, at most 180 degrees.
    m_fTotal = float(MathLib::AngleWrap180(goal - m_fStart));
    if (!(r > 0))
        r = 10;
    m_fStep = m_fTotal > 0 ? r : m_fTotal < 0 ? -r : 0;
    m_fProgress = 0;
    m_fStepHeading = m_fStart;
    m_eState = State::Running;
    m_timer.SetEnabled(true);
    emit Started();
    return true;
}

void TackProcedure::TimerTack_Timer()
{
    if (m_eState != State::Running)
        return;
    // The user (or a lost link) took the boat out of Manual: another hand
    // steers now.
    if (m_settings.m_eTrackMode != TrackModeManual) {
        Cancel();
        return;
    }
    m_fProgress += m_fStep;
    const bool finished = std::fabs(m_fTotal) <= std::fabs(m_fProgress);
    if (finished)
        m_fProgress = m_fTotal;
    m_fStepHeading = float(MathLib::HeadingWrap(double(m_fStart) + m_fProgress));
    emit AutoPilotStepped(float(MathLib::HeadingWrap(double(m_fStepHeading) + m_fOffset)));
    emit Stepped();
    if (finished) {
        StopTimer();
        emit Closed(true);
    }
}

void TackProcedure::Cancel()
{
    StopTimer();
    m_eState = State::Idle;
    emit Closed(false);
}

QString TackProcedure::Word() const
{
    switch (m_eIndex) {
    case Tack:
        return QStringLiteral("Tack");
    case Jibe:
        return QStringLiteral("Jibe");
    case Steer:
        break;
    }
    return QStringLiteral("Steer");
}

QStringList TackProcedure::Steps() const
{
    const QString first = Word() + QStringLiteral(" to new heading:");
    if (m_eIndex == Steer)
        return {first, QString(), QStringLiteral("1) Set tracking mode to Manual"),
                QStringLiteral("2) Limit the rate of change")};
    return {first, QString(), QStringLiteral("1) Set tracking mode to Manual"),
            QStringLiteral("2) Overshoot the heading"), QStringLiteral("3) Limit the rate of change")};
}

void TackProcedure::TackProfileRecall(const QString& profile)
{
    for (int i = 1; i <= 3; ++i) {
        ProfileGet(profile, kTackData, Key("Rate", i), m_fRate[i]);
        ProfileGet(profile, kTackData, Key("Overshoot", i), m_fOvershoot[i]);
    }
}

bool TackProcedure::TackProfileSave(const QString& profile)
{
    StopTimer();
    bool written = true;
    for (int i = 1; i <= 3; ++i) {
        written &= ProfileStore::Write(profile, kTackData, Key("Rate", i), NumberText::Plain(double(m_fRate[i])));
        written &= ProfileStore::Write(profile, kTackData, Key("Overshoot", i),
                                       NumberText::Plain(double(m_fOvershoot[i])));
    }
    return written;
}
