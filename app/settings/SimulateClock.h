#pragma once
// Simulated time as the Options dialog shows it: hours as "h:mm".

#include <QString>
#include <QStringView>

// Whole minutes, rounded half to even; 0.999 hours is "1:00". A time
// before the start keeps its sign in front ("-1:30"), so that it reads back
// as the same time.
QString HoursToClock(double hours);

// The number before the first ":" plus the number after it over 60. A text
// without a colon, or starting with one, is 0 hours ("2.5" is 0, not 2:30).
// A leading "-" makes the whole time negative.
double ClockToHours(QStringView text);
