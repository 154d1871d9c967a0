#pragma once
// The chart's own clock value: whole seconds since 2000-01-01 00:00:00 on the
// local clock, 32-bit signed. It follows the wall clock as it reads, with no
// time-zone or daylight-saving correction, and is not the C library's time.

#include "trendscope_export.h"

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace ChartTime {

using time_t = std::int32_t;

// A local date and time as chart seconds, rounded half to even; false when it
// lies outside the 32-bit range (about 1932 to 2068) or is invalid.
TRENDSCOPE_EXPORT bool FromDateTime(const QDateTime& local, time_t& result);

// "dd/mm/yyyy hh:mm:ss", 19 characters; characters 12 to 19 are the time.
TRENDSCOPE_EXPORT QString ToString(time_t value);

// Reads "d/m/yyyy", optionally followed by "h:m" or "h:m:s" after a blank.
// False (result untouched) for anything else or an impossible date.
TRENDSCOPE_EXPORT bool FromString(const QString& text, time_t& result);

} // namespace ChartTime
