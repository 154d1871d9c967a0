#include "ChartTime.h"

#include "NumberText.h"

#include <QStringList>
#include <cmath>
#include <limits>

namespace ChartTime {
namespace {

const QDate kEpoch(2000, 1, 1);

bool ReadWhole(const QString& text, int low, int high, int& result)
{
    double v = 0;
    if (text.isEmpty() || !NumberText::TryParse(text, v))
        return false;
    int32_t whole = 0;
    if (!NumberText::ToInt32(v, whole) || whole != v || whole < low || whole > high)
        return false;
    result = whole;
    return true;
}

// Whole days since the epoch and the seconds into the last of them.
void SplitDays(ChartSeconds value, int64_t& days, int64_t& seconds)
{
    days = value.Count() / 86400;
    seconds = value.Count() % 86400;
    if (seconds < 0) {
        seconds += 86400;
        days -= 1;
    }
}

} // namespace

bool FromDateTime(const QDateTime& when, ChartSeconds& result)
{
    if (!when.isValid())
        return false;
    const QDateTime local = when.toLocalTime();
    const double days = static_cast<double>(local.date().toJulianDay() - kEpoch.toJulianDay());
    const double seconds = days * 86400.0 + local.time().msecsSinceStartOfDay() / 1000.0;
    int32_t t = 0;
    if (!NumberText::ToInt32(seconds, t))
        return false;
    result = ChartSeconds(t);
    return true;
}

bool FromEpochMilliseconds(qint64 milliseconds, ChartSeconds& result)
{
    constexpr qint64 kMinute = 60000;
    // 2000-01-01T00:00:00Z after 1970-01-01T00:00:00Z.
    constexpr qint64 kEpochMilliseconds = 946684800000;
    thread_local qint64 cachedMinute = std::numeric_limits<qint64>::min();
    thread_local qint64 offsetMilliseconds = 0;
    const qint64 minute = milliseconds / kMinute - (milliseconds % kMinute < 0 ? 1 : 0);
    if (minute != cachedMinute) {
        offsetMilliseconds = qint64(QDateTime::fromMSecsSinceEpoch(minute * kMinute).offsetFromUtc()) * 1000;
        cachedMinute = minute;
    }
    const qint64 local = milliseconds + offsetMilliseconds - kEpochMilliseconds;
    // Whole days and the milliseconds of the day, summed as FromDateTime
    // sums them, so that a half second rounds the same way.
    const qint64 days = local / 86400000 - (local % 86400000 < 0 ? 1 : 0);
    const double seconds = static_cast<double>(days) * 86400.0 + (local - days * 86400000) / 1000.0;
    int32_t t = 0;
    if (!NumberText::ToInt32(seconds, t))
        return false;
    result = ChartSeconds(t);
    return true;
}

bool FromTimeT(std::time_t when, ChartSeconds& result)
{
    return FromDateTime(QDateTime::fromSecsSinceEpoch(static_cast<qint64>(when)), result);
}

QDateTime ToDateTime(ChartSeconds value)
{
    int64_t days = 0, seconds = 0;
    SplitDays(value, days, seconds);
    return QDateTime(kEpoch.addDays(days), QTime(0, 0).addSecs(static_cast<int>(seconds)));
}

QString ToString(ChartSeconds value)
{
    int64_t days = 0, seconds = 0;
    SplitDays(value, days, seconds);
    const QDate date = kEpoch.addDays(days);
    const auto two = [](int64_t n) { return NumberText::Format(static_cast<double>(n), u"00"); };
    return two(date.day()) + QLatin1Char('/') + two(date.month()) + QLatin1Char('/')
        + NumberText::Format(static_cast<double>(date.year()), u"0000") + QLatin1Char(' ')
        + two(seconds / 3600) + QLatin1Char(':') + two(seconds / 60 % 60) + QLatin1Char(':')
        + two(seconds % 60);
}

bool FromString(const QString& text, ChartSeconds& result)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > 2)
        return false;
    const QStringList date = parts[0].split(QLatin1Char('/'));
    if (date.size() != 3)
        return false;
    int day = 0, month = 0, year = 0;
    if (!ReadWhole(date[0], 1, 31, day) || !ReadWhole(date[1], 1, 12, month)
        || !ReadWhole(date[2], 100, 9999, year))
        return false;
    int hour = 0, minute = 0, second = 0;
    if (parts.size() == 2) {
        const QStringList time = parts[1].split(QLatin1Char(':'));
        if (time.size() < 2 || time.size() > 3)
            return false;
        if (!ReadWhole(time[0], 0, 23, hour) || !ReadWhole(time[1], 0, 59, minute)
            || (time.size() == 3 && !ReadWhole(time[2], 0, 59, second)))
            return false;
    }
    const QDate d(year, month, day);
    if (!d.isValid())
        return false;
    return FromDateTime(QDateTime(d, QTime(hour, minute, second)), result);
}

} // namespace ChartTime
