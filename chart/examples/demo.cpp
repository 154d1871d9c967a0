// A host of the chart: records half an hour of simulated sailing on three
// traces and saves a picture of the control. Built against the installed
// package alone. Usage: trendscope_demo [out.png] [--night]

#include "SimulatedClock.h"

#include <TrendScope.h>

#include <QApplication>
#include <QPixmap>
#include <cmath>
#include <random>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // 2024-08-22 14:00:00 on the chart's clock.
    SimulatedClock clock(ChartSeconds(9000 * 86400 + 14 * 3600));
    TrendScope chart(nullptr, &clock);
    chart.SetNumberOfValues(3);
    chart.SetValueOptions(1, "True Wind Speed", 0, "Kts");
    chart.SetValueOptions(2, "True Wind Angle", 1, "R");
    chart.SetValueOptions(3, "Boat Speed", 0, "Kts");
    if (!chart.Initialize(8640, 10))
        return 1;
    chart.SetTraceTimer(10);
    chart.SetFontName(QStringLiteral("DejaVu Sans"));
    chart.SetFontBold(true);
    chart.setDrawing(false);
    chart.setTimeSpan(1800);
    chart.setBackColor(QColor(0xE0, 0xE0, 0xE0));
    chart.setNumberOfTraces(3);
    chart.setTraceName(1, QStringLiteral("True Wind Speed"));
    chart.setTraceName(2, QStringLiteral("True Wind Angle"));
    chart.setTraceName(3, QStringLiteral("Boat Speed"));
    chart.setTraceColor(1, QColor(0x00, 0x00, 0x8B));
    chart.setTraceColor(2, QColor(0x00, 0x64, 0x00));
    chart.setTraceColor(3, QColor(0xC0, 0x00, 0x00));
    for (int t = 1; t <= 3; ++t)
        chart.setTraceBackColor(t, QColor(0xF4, 0xF4, 0xF4));
    QStringList arguments = app.arguments().mid(1);
    chart.setNightMode(arguments.removeAll(QStringLiteral("--night")) > 0);
    chart.resize(900, 640);
    chart.setDrawing(true);
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
            chart.SetValue(QStringLiteral("True Wind Speed"), tws);
            chart.SetValue(QStringLiteral("True Wind Angle"), twa);
            chart.SetValue(QStringLiteral("Boat Speed"), bsp);
            clock.Advance(500);
        }
    }
    clock.Advance(300);
    const QString out = arguments.isEmpty() ? QStringLiteral("trendscope.png") : arguments.first();
    return chart.grab().save(out) ? 0 : 1;
}
