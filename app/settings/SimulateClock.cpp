#include "SimulateClock.h"

#include "NumberText.h"

#include <cmath>

QString HoursToClock(double hours)
{
    const bool negative = hours < 0;
    const double magnitude = std::fabs(hours);
    double h = std::trunc(magnitude);
    double m = NumberText::RoundHalfEven((magnitude - h) * 60);
    if (m >= 60) {
        h += 1;
        m = 0;
    }
    const QString clock = NumberText::Format(h, u"0") + QLatin1Char(':') + NumberText::Format(m, u"00");
    return negative && (h > 0 || m > 0) ? QLatin1Char('-') + clock : clock;
}

double ClockToHours(QStringView text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 1)
        return 0;
    const QStringView before = text.left(colon).trimmed();
    const double minutes = NumberText::Val(text.mid(colon + 1)) / 60;
    if (before.startsWith(QLatin1Char('-')))
        return -(std::fabs(NumberText::Val(before)) + minutes);
    return NumberText::Val(before) + minutes;
}
