#pragma once
// Enumerations of the chart interface. The interface carries them as whole
// numbers, so each has a fixed value.

#include <cstdint>

namespace TrendScopeTypes {

enum class DisplayMode : std::int32_t { Normal = 0, Zoom = 1 };
enum class ValueType : std::int32_t { Normal = 0, Degrees = 1 };
enum class TraceRange : std::int32_t { Normal = 0, Degree180 = 1, Degree360 = 2, Last = 2 };
enum class TraceScale : std::int32_t { Auto = 0, Manual = 1, Last = 1 };
enum class TraceStyle : std::int32_t { Line = 0, Point = 1, Last = 1 };

// Colours as 0xBBGGRR.
using Colour = std::int32_t;

} // namespace TrendScopeTypes
