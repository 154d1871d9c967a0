// A host of the chart: records half an hour of simulated sailing on three
// traces and saves a picture of the control. Usage: trendscope_demo [out.png]

#include "NumberText.h"
#include "SimulatedClock.h"
#include "TrendScope.h"

#include <QApplication>
#include <QPixmap>
#include <cmath>
#include <random>

namespace {

// Readings go to the chart as text, a number, a blank and the units.
QString Reading(double value, const char* units, const char16_t* format)
{
    return NumberText::Format(value, format) + QLatin1Char(' ') + QLatin1String(units);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // 2024-08-22 14:00:00 on the chart's clock.
    SimulatedClock clock(9000 * 86400 + 14 * 3600);
    TrendScope chart(nullptr, &clock);
    chart.SetNumberOfValues(3);
    chart.SetValueOptions(1, "True Wind Speed", 0, "Kts");
    chart.SetValueOptions(2, "True Wind Angle", 1, "R");
    chart.SetValueOptions(3, "Boat Speed", 0, "Kts");
    chart.Initialize(8640, 10);
    chart.SetTraceTimer(10);
    chart.SetFontName(QStringLiteral("DejaVu Sans"));
    chart.SetFontBold(true);
    chart.SetUpdate(false);
    chart.SetTimeSpan(1800);
    chart.SetBackColor(0xE0E0E0);
    chart.SetNumberOfTraces(3);
    chart.SetTraceName(1, QStringLiteral("True Wind Speed"));
    chart.SetTraceName(2, QStringLiteral("True Wind Angle"));
    chart.SetTraceName(3, QStringLiteral("Boat Speed"));
    chart.SetTraceColor(1, 0x8B0000);
    chart.SetTraceColor(2, 0x006400);
    chart.SetTraceColor(3, 0x0000C0);
    for (int16_t t = 1; t <= 3; ++t)
        chart.SetTraceBackColor(t, 0xF4F4F4);
    chart.resize(900, 640);
    chart.SetUpdate(true);
    chart.show();

    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 1.0);
    double gust = 0, shift = 0, surge = 0;
    for (int s = 0; s < 1800; ++s) {
        const double minutes = s / 60.0;
        for (int r = 0; r < 2; ++r) {
            gust = 0.9 * gust + 0.35 * noise(random);
            shift = 0.98 * shift + 0.6 * noise(random);
            surge = 0.8 * surge + 0.05 * noise(random);
            const double tws = 14.0 + 3.0 * std::sin(minutes / 4.0) + gust;
            const double twa = std::fmod(40.0 + 8.0 * std::sin(minutes / 7.0) + shift + 360.0, 360.0);
            const double bsp = 5.6 + 0.18 * (tws - 14.0) + surge;
            chart.SetValue(QStringLiteral("True Wind Speed"), Reading(tws, "Kts", u"0.0"));
            chart.SetValue(QStringLiteral("True Wind Angle"), Reading(twa, "R", u"0.0"));
            chart.SetValue(QStringLiteral("Boat Speed"), Reading(bsp, "Kts", u"0.00"));
            clock.Advance(500);
        }
    }
    clock.Advance(300);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("trendscope.png");
    return chart.grab().save(out) ? 0 : 1;
}
