#include "NmeaReplay.h"

#include "NumberText.h"
#include "SteeringCore.h"

#include <QElapsedTimer>
#include <QFileDevice>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

QString ReplayPort::Input()
{
    QString text;
    text.swap(m_input);
    return text;
}

void ReplayPort::Feed(const QString& text)
{
    if (!m_open)
        return;
    m_input += text;
    emit OnComm(comEvReceive);
}

NmeaReplay::NmeaReplay(SteeringCore& core, ReplayPort& port, std::unique_ptr<NmeaCaptureReader> capture,
                       int64_t& clockMs)
    : m_core(core)
    , m_port(port)
    , m_capture(std::move(capture))
    , m_clock(clockMs)
{
    m_bHaveNext = m_capture->Next(m_next);
    if (m_bHaveNext) {
        m_lFirstMs = m_next.ms;
        m_clock = m_next.ms;
        m_nextTick = m_clock + 1000;
    }
}

void NmeaReplay::FeedUpTo(int64_t ms, const std::function<void()>& afterLine)
{
    // A long silence in the file is at most an hour of link timer ticks:
    // enough for every watch to see it.
    constexpr int64_t longestGap = 3600 * 1000;
    while (m_bHaveNext && m_next.ms <= ms) {
        const NmeaCaptureLine line = std::move(m_next);
        m_bHaveNext = m_capture->Next(m_next);
        ++m_lFed;
        m_lLastMs = line.ms;
        m_nextTick = std::max(m_nextTick, line.ms - longestGap);
        for (; m_nextTick <= line.ms; m_nextTick += 1000) {
            m_clock = m_nextTick;
            if (m_core.tmrNmea().Enabled())
                m_core.tmrNmea_Timer();
        }
        m_clock = line.ms;
        m_port.Feed(line.line + QStringLiteral("\r\n"));
        if (afterLine)
            afterLine();
    }
}

void NmeaReplay::RunAll(const std::function<void()>& afterLine)
{
    // The lines' times never run backwards.
    FeedUpTo(std::numeric_limits<int64_t>::max(), afterLine);
    emit Finished();
}

void NmeaReplay::Start(double speed)
{
    if (!m_bHaveNext || !(speed > 0)) {
        emit Finished();
        return;
    }
    const int64_t first = m_lFirstMs;
    auto wall = std::make_shared<QElapsedTimer>();
    wall->start();
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, [this, wall, first, speed] {
        FeedUpTo(first + int64_t(double(wall->elapsed()) * speed), {});
        if (!m_bHaveNext) {
            m_timer.stop();
            emit Finished();
        }
    });
    m_timer.start();
}

ReplayReport::ReplayReport(SteeringCore& core, const int64_t& clockMs)
    : m_clock(clockMs)
{
    SteeringCore* c = &core;
    connect(c, &SteeringCore::NmeaLine, this, [this](const QString& line, bool) {
        ++m_lLines;
        ++m_types[line.startsWith(QLatin1Char('$')) && line.size() >= 6 ? line.mid(3, 3) : QStringLiteral("other")];
    });
    connect(c, &SteeringCore::NmeaLineError, this, [this](const QString& line) {
        const qsizetype dash = line.indexOf(QLatin1String(" - "));
        ++m_errors[dash < 0 ? line : line.left(dash)];
    });
    connect(c, &SteeringCore::DeltaShown, this, [this](int index, const QString&) {
        if (index == 1)
            ++m_lSteps;
    });
    connect(c, &SteeringCore::PilotSent, this, &ReplayReport::Sent);
    connect(c, &SteeringCore::AlarmRaised, this, [this](const QString& name, const QString&) {
        const auto at = std::find_if(m_alarms.begin(), m_alarms.end(),
                                     [&name](const std::pair<QString, int64_t>& a) { return a.first == name; });
        if (at == m_alarms.end())
            m_alarms.push_back({name, 1});
        else
            ++at->second;
    });
    connect(c, &SteeringCore::DeltaAlarm, this, [this](int, bool alarm) {
        if (alarm && !m_bAlarm)
            m_lAlarmSince = m_clock;
        else if (!alarm && m_bAlarm)
            m_lAlarmMs += m_clock - m_lAlarmSince;
        m_bAlarm = alarm;
    });
}

void ReplayReport::Sent(const QString& sentence)
{
    // The bearing, field 8.
    qsizetype from = 0;
    for (int field = 0; field < 8 && from >= 0; ++field)
        from = sentence.indexOf(QLatin1Char(','), from + 1);
    const qsizetype to = from < 0 ? -1 : sentence.indexOf(QLatin1Char(','), from + 1);
    double heading = 0;
    if (to < 0 || !NumberText::TryParseDecimal(QStringView(sentence).mid(from + 1, to - from - 1), heading))
        return;
    if (m_lSent++ == 0) {
        m_fHeadingMin = m_fHeadingMax = heading;
    } else {
        m_fHeadingMin = std::min(m_fHeadingMin, heading);
        m_fHeadingMax = std::max(m_fHeadingMax, heading);
        const double turn = std::fabs(std::remainder(heading - m_fLastHeading, 360.0));
        m_fTurnSum += turn;
        m_fTurnMax = std::max(m_fTurnMax, turn);
        ++m_lTurns;
    }
    m_fLastHeading = heading;
}

QString ReplayReport::Text(const NmeaReplay& replay) const
{
    auto number = [](double v, const char16_t* format) { return NumberText::Format(v, format); };
    QString text;
    const NmeaCaptureReader& capture = replay.Capture();
    text += QStringLiteral("Lines: ") + number(double(m_lLines), u"0") + QStringLiteral(" sentences, ")
            + number(double(capture.Skipped()), u"0") + QStringLiteral(" other lines skipped, ")
            + number(double(replay.SpanMs()) / 1000, u"0") + QStringLiteral(" s")
            + (capture.Timed() ? QString() : QStringLiteral(" (no times in the file)"))
            + QLatin1Char('\n');
    text += QStringLiteral("Sentences by type:");
    for (auto it = m_types.begin(); it != m_types.end(); ++it)
        text += QLatin1Char(' ') + it.key() + QLatin1Char(' ') + number(double(it.value()), u"0");
    text += QStringLiteral("\nErrors by kind:");
    if (m_errors.isEmpty())
        text += QStringLiteral(" none");
    for (auto it = m_errors.begin(); it != m_errors.end(); ++it)
        text += QLatin1Char(' ') + it.key() + QLatin1Char(' ') + number(double(it.value()), u"0") + QLatin1Char(';');
    if (text.endsWith(QLatin1Char(';')))
        text.chop(1);
    text += QStringLiteral("\nControl steps: ") + number(double(m_lSteps), u"0");
    text += QStringLiteral("\nHeading change per step: mean ")
            + number(m_lTurns ? m_fTurnSum / double(m_lTurns) : 0, u"0.00") + QStringLiteral(", max ")
            + number(m_fTurnMax, u"0.00");
    const int64_t alarmMs = m_lAlarmMs + (m_bAlarm ? m_clock - m_lAlarmSince : 0);
    text += QStringLiteral("\nTime in alarm: ") + number(double(alarmMs) / 1000, u"0") + QStringLiteral(" s");
    text += QStringLiteral("\nAPB sentences: ") + number(double(m_lSent), u"0");
    if (m_lSent > 0)
        text += QStringLiteral(", headings ") + number(m_fHeadingMin, u"0.0") + QStringLiteral(" to ")
                + number(m_fHeadingMax, u"0.0");
    text += QStringLiteral("\nAlarms:");
    if (m_alarms.empty())
        text += QStringLiteral(" none");
    for (const auto& alarm : m_alarms)
        text += QLatin1Char(' ') + alarm.first + QLatin1Char(' ') + number(double(alarm.second), u"0") + QLatin1Char(',');
    if (text.endsWith(QLatin1Char(',')))
        text.chop(1);
    return text + QLatin1Char('\n');
}

void ReplaySession::Prepare(CoreSetup& setup)
{
    setup.ManualTimers = true;
    setup.Clock = [this] { return m_clock; };
    setup.WallClock = [this] { return QDateTime::fromMSecsSinceEpoch(m_clock); };
    setup.Ports = [this](QObject* parent) {
        auto* port = new ReplayPort(parent);
        if (!m_port)
            m_port = port;
        return port;
    };
}

void ReplaySession::Start(SteeringCore& core, double speed)
{
    if (core.Settings().m_bSimulate) {
        core.Settings().m_bSimulate = false;
        core.TrackSetSetup();
    }
    m_replay = std::make_unique<NmeaReplay>(core, *m_port, std::move(m_capture), m_clock);
    if (speed > 0)
        m_replay->Start(speed);
}

QString ReplaySession::Report(SteeringCore& core)
{
    ReplayReport report(core, m_clock);
    Start(core, 0);
    // Setup until the first control step, so that the AutoPilot box has
    // followed the boat's heading when one is known; then Manual on it and
    // Track at once.
    bool tracked = false;
    m_replay->RunAll([&] {
        if (!tracked && report.Steps() > 0) {
            tracked = true;
            core.TrackEngage(core.Settings().m_fAutoPilot);
            core.TrackSetTrack();
        }
    });
    return report.Text(*m_replay);
}

RecordWriter::RecordWriter(SteeringCore& core, QIODevice& device)
    : m_core(core)
    , m_device(device)
{
    SteeringCore* c = &core;
    connect(c, &SteeringCore::LineReceived, this, [this](const QString& line) { Write(QLatin1Char('<'), line); });
    // What reached the line, and what never did.
    connect(c, &SteeringCore::PilotOutcome, this, [this](const QString& line, bool written) {
        Write(written ? QLatin1Char('>') : QLatin1Char('-'), line);
    });
    connect(c, &SteeringCore::AlarmRaised, this,
            [this](const QString&, const QString& text) { Write(QLatin1Char('!'), text); });
    connect(c, &SteeringCore::AlarmCleared, this,
            [this](const QString& name) { Write(QLatin1Char('!'), name + QStringLiteral(" Cleared")); });
}

void RecordWriter::Write(QChar direction, const QString& line)
{
    m_device.write(NmeaRecordLine(m_core.Now(), direction, line).toLatin1() + '\n');
    if (auto* file = qobject_cast<QFileDevice*>(&m_device))
        file->flush();
}
