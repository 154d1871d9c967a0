#pragma once
// The chart's keys in its host's profile file: section S for the chart and
// S #k for trace k. Only the file's forms are known here; what the keys do
// to a chart is the chart's business (GetProfile, SetProfile).

#include "ChartTypes.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

struct ChartProfile {
    struct Trace {
        std::optional<TrendScopeTypes::Colour> backColor;
        std::optional<TrendScopeTypes::Colour> color;
        std::optional<QString> name;
        std::optional<int16_t> range;
        std::optional<int16_t> scale;
        std::optional<float> scaleMax;
        std::optional<float> scaleMin;
        std::optional<int16_t> style;
    };
    static constexpr int kTraces = 5;

    std::optional<int16_t> numberOfTraces;
    // Trace k at k - 1.
    std::array<Trace, kTraces> traces;
    std::optional<TrendScopeTypes::Colour> backColor;
    std::optional<bool> fontItalic;
    std::optional<QString> fontName;
    std::optional<float> fontSize;
    std::optional<TrendScopeTypes::Colour> foreColor;
    std::optional<int32_t> timeSpan;
};

// What the file holds, as it is: a key that is missing or whose text does
// not convert stays empty. The sections of all five traces are read.
ChartProfile ReadChartProfile(const QString& file, const QString& title);
// Writes the keys that are set, in one replacement of the file: the number
// of traces, the sections of traces 1 to that number, then the chart's
// own keys. Failures are not reported, as the host cannot mend them.
void WriteChartProfile(const QString& file, const QString& title, const ChartProfile& profile);
