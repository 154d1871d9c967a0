// Records a few readings on the installed chart and checks what comes back.
#include <TrendScope.h>

#include <QApplication>
#include <QImage>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (std::strcmp(TrendScopeVersion(), "1.00.0003") != 0) {
        std::fprintf(stderr, "unexpected version %s\n", TrendScopeVersion());
        return 1;
    }
    TrendScope chart;
    chart.resize(320, 200);
    chart.SetNumberOfValues(1);
    chart.SetValueOptions(1, QStringLiteral("Depth"), 0, QStringLiteral("m"));
    chart.Initialize(360, 10);
    chart.SetTraceName(1, QStringLiteral("Depth"));
    chart.SetUpdate(true);
    chart.show();
    chart.SetValue(QStringLiteral("Depth"), QStringLiteral("12.5 m"));

    QString text;
    chart.time_tToString(ChartSeconds(86399), text);
    QString name;
    int16_t type = -1;
    QString units;
    chart.GetValueOptions(1, name, type, units);
    const QImage picture = chart.grab().toImage();
    if (text != QLatin1String("01/01/2000 23:59:59") || name != QLatin1String("Depth") || units != QLatin1String("m")
        || picture.width() != 320 || chart.GetTraceName(1) != QLatin1String("Depth")) {
        std::fprintf(stderr, "chart answers wrongly\n");
        return 1;
    }
    std::printf("TrendScope %s works\n", TrendScopeVersion());
    return 0;
}
