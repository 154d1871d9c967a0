#include "NmeaCapture.h"


#include <algorithm>

namespace {

// Digits at [from, from + count) as a number; -1 when any is not a digit.
int Digits(QStringView text, qsizetype from, qsizetype count)
{
    if (from < 0 || from + count > text.size())
        return -1;
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// Milliseconds of the day from "hhmmss" or "hhmmss.ss"; -1 when malformed.
int64_t DayMs(QStringView field)
{
    const int h = Digits(field, 0, 2);
    const int m = Digits(field, 2, 2);
    const int s = Digits(field, 4, 2);
    if (h < 0 || m < 0 || s < 0 || h > 23 || m > 59 || s > 60)
        return -1;
    int64_t ms = ((h * 60 + m) * 60 + s) * int64_t(1000);
    if (field.size() > 7 && field[6] == u'.') {
        int64_t scale = 100;
        for (qsizetype i = 7; i < field.size() && scale > 0; ++i, scale /= 10) {
            const int d = Digits(field, i, 1);
            if (d < 0)
                break;
            ms += d * scale;
        }
    }
    return ms;
}

QStringView Field(QStringView line, int index)
{
    qsizetype start = 0;
    for (int i = 0; i < index; ++i) {
        start = line.indexOf(u',', start);
        if (start < 0)
            return {};
        ++start;
    }
    qsizetype end = line.indexOf(u',', start);
    if (end < 0)
        end = line.indexOf(u'*', start);
    return end < 0 ? line.mid(start) : line.mid(start, end - start);
}

// Local time of a record stamp "yyyy-MM-ddThh:mm:ss.zzz", cached per hour
// so that a long record reads quickly and a change of daylight saving time
// is still honoured.
class StampReader {
public:
    bool Read(QStringView line, int64_t& ms)
    {
        if (line.size() < 26 || line[4] != u'-' || line[7] != u'-' || line[10] != u'T' || line[13] != u':'
            || line[16] != u':' || line[19] != u'.' || line[23] != u' ')
            return false;
        const int y = Digits(line, 0, 4), mo = Digits(line, 5, 2), d = Digits(line, 8, 2);
        const int h = Digits(line, 11, 2), mi = Digits(line, 14, 2), s = Digits(line, 17, 2);
        const int z = Digits(line, 20, 3);
        if (y < 0 || mo < 0 || d < 0 || h < 0 || mi < 0 || s < 0 || z < 0)
            return false;
        const int64_t key = ((int64_t(y) * 100 + mo) * 100 + d) * 100 + h;
        if (key != m_key) {
            const QDate date(y, mo, d);
            if (!date.isValid() || h > 23)
                return false;
            m_key = key;
            m_hourMs = QDateTime(date, QTime(h, 0)).toMSecsSinceEpoch();
        }
        ms = m_hourMs + (int64_t(mi) * 60 + s) * 1000 + z;
        return true;
    }

private:
    int64_t m_key = -1;
    int64_t m_hourMs = 0;
};

} // namespace

NmeaCapture NmeaCaptureRead(QStringView text, const QDateTime& start)
{
    NmeaCapture capture;
    StampReader stamps;
    // Times known for some lines: index into capture.lines, and the time.
    QVector<std::pair<qsizetype, qint64>> marks;
    QDate date = start.toUTC().date();
    QDate baseDate;
    qint64 baseMs = 0;

    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        qsizetype end = i;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        QStringView line = text.mid(i, end - i);
        i = end + 1;
        if (line.isEmpty())
            continue;

        int64_t ms = 0;
        if (stamps.Read(line, ms)) {
            // A sentence sent is not input.
            if (line[24] == u'<' && line.size() > 26 && line[25] == u' ' && line[26] == u'$') {
                marks.append({capture.lines.size(), ms});
                capture.lines.append({ms, line.mid(26).toString()});
            }
            continue;
        }
        if (line[0] != u'$') {
            ++capture.skipped;
            continue;
        }
        const QStringView type = line.mid(3, 3);
        int64_t dayMs = -1;
        if (type == u"RMC") {
            dayMs = DayMs(Field(line, 1));
            const QStringView dmy = Field(line, 9);
            const int d = Digits(dmy, 0, 2), m = Digits(dmy, 2, 2), y = Digits(dmy, 4, 2);
            if (d > 0 && m > 0 && y >= 0 && QDate(2000 + y, m, d).isValid())
                date = QDate(2000 + y, m, d);
        } else if (type == u"ZDA") {
            dayMs = DayMs(Field(line, 1));
            const int d = Digits(Field(line, 2), 0, 2), m = Digits(Field(line, 3), 0, 2);
            const int y = Digits(Field(line, 4), 0, 4);
            if (d > 0 && m > 0 && y > 0 && QDate(y, m, d).isValid())
                date = QDate(y, m, d);
        }
        if (dayMs >= 0) {
            if (date != baseDate) {
                baseDate = date;
                baseMs = QDateTime(date, QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
            }
            marks.append({capture.lines.size(), baseMs + dayMs});
        }
        capture.lines.append({0, line.toString()});
    }

    // Times never run backwards: a mark before the one ahead of it (a clock
    // set back, a day boundary without a date) takes the earlier time.
    for (qsizetype k = 1; k < marks.size(); ++k)
        marks[k].second = std::max(marks[k].second, marks[k - 1].second);

    auto& lines = capture.lines;
    capture.timed = !marks.isEmpty();
    if (marks.isEmpty()) {
        const int64_t t0 = start.toMSecsSinceEpoch();
        for (qsizetype k = 0; k < lines.size(); ++k)
            lines[k].ms = t0 + k * NmeaCaptureFixedStepMs;
        return capture;
    }
    for (qsizetype k = 0; k < marks.front().first; ++k)
        lines[k].ms = marks.front().second - (marks.front().first - k) * NmeaCaptureFixedStepMs;
    for (qsizetype m = 0; m + 1 < marks.size(); ++m) {
        const auto [a, ta] = marks[m];
        const auto [b, tb] = marks[m + 1];
        for (qsizetype k = a; k < b; ++k)
            lines[k].ms = ta + (tb - ta) * (k - a) / (b - a);
    }
    const auto [last, tl] = marks.back();
    for (qsizetype k = last; k < lines.size(); ++k)
        lines[k].ms = tl + (k - last) * NmeaCaptureFixedStepMs;
    return capture;
}

QString NmeaRecordLine(const QDateTime& time, QChar direction, const QString& sentence)
{
    return time.toString(QStringLiteral("yyyy-MM-ddThh:mm:ss.zzz")) + QLatin1Char(' ') + direction
           + QLatin1Char(' ') + sentence;
}
