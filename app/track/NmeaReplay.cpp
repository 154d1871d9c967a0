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

void ReplayPort::Feed(const QString& line)
{
    if (!m_open)
        return;
    m_input += line;
    m_input += QLatin1String("\r\n");
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
        // The line fed before gives its text's room to the next one.
        std::swap(m_fed, m_next);
        const NmeaCaptureLine& line = m_fed;
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
        // Straight to the receive path when it is free and the port holds
        // nothing: no signal and no copy of the line. Else through the port
        // as characters, behind those it holds.
        if (m_port.PortOpen() && (m_port.Holding() || !m_core.ReceiveLine(line.line)))
            m_port.Feed(line.line);
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
    : m_core(core)
    , m_clock(clockMs)
    , m_lFirstStep(core.Track().Steps())
{
    core.SetLineCounter([this](QStringView line, QStringView error) { CountLine(line, error); });
    SteeringCore* c = &core;
    connect(c, &SteeringCore::NmeaLineError, this, [this](const QString& line) {
        const qsizetype dash = line.indexOf(QLatin1String(" - "));
        ++m_errors[dash < 0 ? line : line.left(dash)];
    });
    core.SetPilotCounter([this](QStringView sentence) { Sent(sentence); });
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

ReplayReport::~ReplayReport()
{
    m_core.SetLineCounter({});
    m_core.SetPilotCounter({});
}

int64_t ReplayReport::Steps() const
{
    return m_core.Track().Steps() - m_lFirstStep;
}

void ReplayReport::CountLine(QStringView line, QStringView error)
{
    ++m_lLines;
    const auto key = [](QChar a, QChar b, QChar c) {
        return uint64_t(a.unicode()) << 32 | uint64_t(b.unicode()) << 16 | c.unicode();
    };
    if (error.isEmpty()) {
        if (line.size() < 6 || line[0] != QLatin1Char('$'))
            ++m_lOther;
        else
            m_types.Count(key(line[3], line[4], line[5]));
        return;
    }
    // The type is the 4th to 6th character of the line as the Options
    // dialog lists it: a rejected line has its mark " <<...>>" after it.
    constexpr QStringView mark = u" <<";
    const qsizetype size = line.size() + (error.isEmpty() ? 0 : mark.size() + error.size() + 2);
    if (line.isEmpty() || line[0] != QLatin1Char('$') || size < 6) {
        ++m_lOther;
        return;
    }
    const auto at = [&](qsizetype i) -> QChar {
        if (i < line.size())
            return line[i];
        i -= line.size();
        if (i < mark.size())
            return mark[i];
        i -= mark.size();
        return i < error.size() ? error[i] : QLatin1Char('>');
    };
    m_types.Count(key(at(3), at(4), at(5)));
}

void ReplayReport::TypeCounts::Count(uint64_t key)
{
    const uint64_t stored = key + 1;
    for (uint64_t i = (stored * 0x9E3779B97F4A7C15u) >> 58;; i = (i + 1) & (Slots - 1)) {
        if (m_keys[i] == stored) {
            ++m_counts[i];
            return;
        }
        if (m_keys[i] == 0) {
            if (m_iUsed == MostUsed)
                break;
            ++m_iUsed;
            m_keys[i] = stored;
            m_counts[i] = 1;
            return;
        }
    }
    ++m_more[key];
}

QMap<QString, int64_t> ReplayReport::TypeCounts::Named() const
{
    const auto name = [](uint64_t key) {
        const QChar type[3] = {QChar(char16_t(key >> 32)), QChar(char16_t(key >> 16)), QChar(char16_t(key))};
        return QString(type, 3);
    };
    QMap<QString, int64_t> named;
    for (int i = 0; i < Slots; ++i)
        if (m_keys[i] != 0)
            named[name(m_keys[i] - 1)] = m_counts[i];
    for (auto it = m_more.begin(); it != m_more.end(); ++it)
        named[name(it.key())] = it.value();
    return named;
}

bool ReplayReport::Bearing(QStringView sentence, double& heading)
{
    // Field 8, between the 8th and the 9th comma: at its fixed place in the
    // sentences of our own encoder ("$ECAPB,A,A,0.00,R,N,V,V,ddd.d,").
    constexpr QStringView ours = u"$ECAPB,A,A,0.00,R,N,V,V,";
    constexpr qsizetype at = ours.size();
    if (sentence.size() > at + 5 && sentence[at + 3] == QLatin1Char('.') && sentence[at + 5] == QLatin1Char(',')
        && sentence.startsWith(ours)) {
        int tenths = 0;
        for (qsizetype i : {at, at + 1, at + 2, at + 4}) {
            const char16_t c = sentence[i].unicode();
            if (c < '0' || c > '9') {
                tenths = -1;
                break;
            }
            tenths = tenths * 10 + (c - '0');
        }
        // One rounding of an exact quotient: the double a text parse gives.
        if (tenths >= 0) {
            heading = tenths / 10.0;
            return true;
        }
    }
    qsizetype comma[2] = {-1, -1};
    int commas = 0;
    for (qsizetype i = 1; i < sentence.size() && commas < 9; ++i)
        if (sentence[i] == QLatin1Char(',') && ++commas >= 8)
            comma[commas - 8] = i;
    return commas == 9 && NumberText::TryParseDecimal(sentence.sliced(comma[0] + 1, comma[1] - comma[0] - 1), heading);
}

void ReplayReport::Sent(QStringView sentence)
{
    double heading = 0;
    if (!Bearing(sentence, heading))
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
    QMap<QString, int64_t> types = m_types.Named();
    if (m_lOther > 0)
        types[QStringLiteral("other")] += m_lOther;
    for (auto it = types.begin(); it != types.end(); ++it)
        text += QLatin1Char(' ') + it.key() + QLatin1Char(' ') + number(double(it.value()), u"0");
    text += QStringLiteral("\nErrors by kind:");
    if (m_errors.isEmpty())
        text += QStringLiteral(" none");
    for (auto it = m_errors.begin(); it != m_errors.end(); ++it)
        text += QLatin1Char(' ') + it.key() + QLatin1Char(' ') + number(double(it.value()), u"0") + QLatin1Char(';');
    if (text.endsWith(QLatin1Char(';')))
        text.chop(1);
    text += QStringLiteral("\nControl steps: ") + number(double(Steps()), u"0");
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
    // A report has no window to feed.
    core.SetWindowsFed(false);
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
    core.SetWindowsFed(true);
    return report.Text(*m_replay);
}

RecordWriter::RecordWriter(SteeringCore& core, QIODevice& device)
    : m_core(core)
    , m_device(device)
{
    SteeringCore* c = &core;
    core.SetRecorded();
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
