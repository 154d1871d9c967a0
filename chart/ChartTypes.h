// SPDX-License-Identifier: MIT
#pragma once
// Enumerations of the chart interface. The interface carries them as whole
// numbers, so each has a fixed value; they are registered with Qt's
// meta-object system for properties, signals and QVariant.

#include "trendscope_export.h"

#include <QObject>
#include <cstdint>

namespace TrendScopeTypes {
Q_NAMESPACE_EXPORT(TRENDSCOPE_EXPORT)

enum class DisplayMode : std::int32_t { Normal = 0, Zoom = 1 };
Q_ENUM_NS(DisplayMode)
enum class ValueType : std::int32_t { Normal = 0, Degrees = 1 };
Q_ENUM_NS(ValueType)
enum class TraceRange : std::int32_t { Normal = 0, Degree180 = 1, Degree360 = 2, Last = 2 };
Q_ENUM_NS(TraceRange)
enum class TraceScale : std::int32_t { Auto = 0, Manual = 1, Last = 1 };
Q_ENUM_NS(TraceScale)
enum class TraceStyle : std::int32_t { Line = 0, Point = 1, Last = 1 };
Q_ENUM_NS(TraceStyle)

// Colours as 0xBBGGRR.
using Colour = std::int32_t;

} // namespace TrendScopeTypes
