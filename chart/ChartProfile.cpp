#include "ChartProfile.h"

#include "NumberText.h"
#include "ProfileStore.h"
#include "SystemLib.h"

#include <QVector>
#include <algorithm>

namespace {

template <typename T>
void Get(const QString& file, QStringView section, QStringView key, std::optional<T>& value)
{
    T read{};
    if (ProfileGet(file, section, key, read))
        value = read;
}

QString TraceSection(const QString& title, int k)
{
    return title + QStringLiteral(" #") + NumberText::Format(double(k), u"0");
}

// Whole numbers in full: the seven significant digits of the number form
// would turn white (16777215) into 16777220.
QString WholeField(int32_t v)
{
    return (v < 0 ? QString() : QStringLiteral(" ")) + NumberText::Format(double(v), u"0");
}

} // namespace

ChartProfile ReadChartProfile(const QString& file, const QString& title)
{
    ChartProfile p;
    Get(file, title, u"Number of Traces", p.numberOfTraces);
    for (int k = 1; k <= ChartProfile::kTraces; ++k) {
        const QString section = TraceSection(title, k);
        ChartProfile::Trace& t = p.traces[static_cast<size_t>(k - 1)];
        Get(file, section, u"Back Color", t.backColor);
        Get(file, section, u"Color", t.color);
        Get(file, section, u"Name", t.name);
        Get(file, section, u"Range", t.range);
        Get(file, section, u"Scale", t.scale);
        Get(file, section, u"Scale Max", t.scaleMax);
        Get(file, section, u"Scale Min", t.scaleMin);
        Get(file, section, u"Style", t.style);
    }
    Get(file, title, u"Back Color", p.backColor);
    Get(file, title, u"Font Italic", p.fontItalic);
    Get(file, title, u"Font Name", p.fontName);
    Get(file, title, u"Font Size", p.fontSize);
    Get(file, title, u"Fore Color", p.foreColor);
    Get(file, title, u"Time Span", p.timeSpan);
    return p;
}

void WriteChartProfile(const QString& file, const QString& title, const ChartProfile& p)
{
    const int traces = std::clamp<int>(p.numberOfTraces.value_or(0), 0, ChartProfile::kTraces);
    std::array<QString, ChartProfile::kTraces> sections;
    QVector<ProfileStore::Entry> entries;
    const auto put = [&entries](QStringView section, QStringView key, const auto& value, auto form) {
        if (value)
            entries.append({section, key, form(*value)});
    };
    const auto text = [](const QString& v) { return v; };
    const auto number = [](float v) { return NumberText::Field(v); };
    put(title, u"Number of Traces", p.numberOfTraces, WholeField);
    for (int k = 1; k <= traces; ++k) {
        const QString& section = sections[static_cast<size_t>(k - 1)] = TraceSection(title, k);
        const ChartProfile::Trace& t = p.traces[static_cast<size_t>(k - 1)];
        put(section, u"Back Color", t.backColor, WholeField);
        put(section, u"Color", t.color, WholeField);
        put(section, u"Name", t.name, text);
        put(section, u"Range", t.range, WholeField);
        put(section, u"Scale", t.scale, WholeField);
        put(section, u"Scale Max", t.scaleMax, number);
        put(section, u"Scale Min", t.scaleMin, number);
        put(section, u"Style", t.style, WholeField);
    }
    put(title, u"Back Color", p.backColor, WholeField);
    put(title, u"Font Italic", p.fontItalic, ProfileStore::BoolText);
    put(title, u"Font Name", p.fontName, text);
    put(title, u"Font Size", p.fontSize, [](float v) { return NumberText::Plain(v); });
    put(title, u"Fore Color", p.foreColor, WholeField);
    put(title, u"Time Span", p.timeSpan, WholeField);
    ProfileStore::WriteBatch(file, entries);
}
