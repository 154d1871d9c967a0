// SPDX-License-Identifier: MIT
#pragma once
// The chart's own clock value: whole seconds since 2000-01-01 00:00:00 on the
// local clock, 32-bit signed. It follows the wall clock as it reads, with no
// time-zone or daylight-saving correction.
//
// It is not the C library's time (seconds since 1970 in UTC), and no number
// turns into it unnoticed: ChartSeconds takes a 32-bit count only when asked
// to (ChartSeconds(86399)), refuses every other number type, a std::time_t
// above all, at compile time, and ChartTime::FromTimeT converts a
// std::time_t for what it is.

#include "trendscope_export.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <ctime>
#include <limits>
#include <type_traits>

class ChartSeconds {
public:
    constexpr ChartSeconds() = default;
    constexpr explicit ChartSeconds(std::int32_t count)
        : m_count(count)
    {
    }
    // A std::time_t, a 64-bit count or a fraction is no chart time.
    template <typename T, std::enable_if_t<std::is_arithmetic_v<T> && !std::is_same_v<T, std::int32_t>, int> = 0>
    ChartSeconds(T) = delete;

    constexpr std::int32_t Count() const { return m_count; }

    // Moved by a number of seconds; held at the ends of the 32-bit range
    // (1931 and 2068) rather than wrapping round to the other end.
    template <typename D, std::enable_if_t<std::is_integral_v<D>, int> = 0>
    friend constexpr ChartSeconds operator+(ChartSeconds t, D seconds)
    {
        return Held(static_cast<std::int64_t>(t.m_count) + static_cast<std::int64_t>(seconds));
    }
    template <typename D, std::enable_if_t<std::is_integral_v<D>, int> = 0>
    friend constexpr ChartSeconds operator-(ChartSeconds t, D seconds)
    {
        return Held(static_cast<std::int64_t>(t.m_count) - static_cast<std::int64_t>(seconds));
    }
    template <typename D, std::enable_if_t<std::is_integral_v<D>, int> = 0>
    ChartSeconds& operator+=(D seconds)
    {
        return *this = *this + seconds;
    }
    template <typename D, std::enable_if_t<std::is_integral_v<D>, int> = 0>
    ChartSeconds& operator-=(D seconds)
    {
        return *this = *this - seconds;
    }
    // Seconds from b to a.
    friend constexpr std::int64_t operator-(ChartSeconds a, ChartSeconds b)
    {
        return static_cast<std::int64_t>(a.m_count) - b.m_count;
    }
    friend constexpr bool operator==(ChartSeconds a, ChartSeconds b) { return a.m_count == b.m_count; }
    friend constexpr bool operator!=(ChartSeconds a, ChartSeconds b) { return a.m_count != b.m_count; }
    friend constexpr bool operator<(ChartSeconds a, ChartSeconds b) { return a.m_count < b.m_count; }
    friend constexpr bool operator<=(ChartSeconds a, ChartSeconds b) { return a.m_count <= b.m_count; }
    friend constexpr bool operator>(ChartSeconds a, ChartSeconds b) { return a.m_count > b.m_count; }
    friend constexpr bool operator>=(ChartSeconds a, ChartSeconds b) { return a.m_count >= b.m_count; }

private:
    static constexpr ChartSeconds Held(std::int64_t v)
    {
        constexpr std::int64_t low = std::numeric_limits<std::int32_t>::min();
        constexpr std::int64_t high = std::numeric_limits<std::int32_t>::max();
        return ChartSeconds(static_cast<std::int32_t>(v < low ? low : v > high ? high : v));
    }

    std::int32_t m_count = 0;
};

namespace ChartTime {

// A date and time as chart seconds of the local clock (converted to local
// time first), rounded half to even; false when it lies outside the 32-bit
// range (about 1932 to 2068) or is invalid.
TRENDSCOPE_EXPORT bool FromDateTime(const QDateTime& when, ChartSeconds& result);

// The C library's time (seconds since 1970-01-01 in UTC) as chart seconds of
// the local clock at that moment; false outside the chart's range.
TRENDSCOPE_EXPORT bool FromTimeT(std::time_t when, ChartSeconds& result);

// Milliseconds since 1970-01-01 in UTC (QDateTime::currentMSecsSinceEpoch)
// as chart seconds of the local clock, the same as FromDateTime gives. The
// local clock's offset is looked up once a minute per thread: zones change
// their offset on whole minutes only, and each lookup reads the zone data,
// which cost more than everything else a reading does.
TRENDSCOPE_EXPORT bool FromEpochMilliseconds(qint64 milliseconds, ChartSeconds& result);

// The local date and time of chart seconds.
TRENDSCOPE_EXPORT QDateTime ToDateTime(ChartSeconds value);

// "dd/mm/yyyy hh:mm:ss", 19 characters; characters 12 to 19 are the time.
TRENDSCOPE_EXPORT QString ToString(ChartSeconds value);

// Reads "d/m/yyyy", optionally followed by "h:m" or "h:m:s" after a blank.
// False (result untouched) for anything else or an impossible date.
TRENDSCOPE_EXPORT bool FromString(const QString& text, ChartSeconds& result);

} // namespace ChartTime
