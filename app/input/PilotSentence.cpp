#include "PilotSentence.h"

#include "NmeaChecksum.h"
#include "NumberText.h"

#include <algorithm>

namespace {

QString Sentence(float Heading, bool lineEnd)
{
    // Fields: status valid, cycle lock valid, no cross-track error, steer
    // right, nautical miles, arrival circle not entered, perpendicular not
    // passed, bearing origin to destination, destination "1", bearing to
    // destination, heading to steer.
    const QString b = NumberText::Format(Heading, u"000.0");
    // Made in one piece: one goes out at every control step.
    const QStringView parts[] = {u"$ECAPB,A,A,0.00,R,N,V,V,", b, u",M,1,", b, u",M,", b, u",M"};
    qsizetype size = 0;
    for (QStringView part : parts)
        size += part.size();
    QString s(size + (lineEnd ? 5 : 3), Qt::Uninitialized);
    QChar* p = s.data();
    for (QStringView part : parts)
        p = std::copy(part.begin(), part.end(), p);
    *p++ = QLatin1Char('*');
    NmeaChecksumDigits(QStringView(s).first(size), p);
    if (lineEnd) {
        p[2] = QLatin1Char('\r');
        p[3] = QLatin1Char('\n');
    }
    return s;
}

} // namespace

QString PilotSentence(float Heading)
{
    return Sentence(Heading, false);
}

QString PilotLine(float Heading)
{
    return Sentence(Heading, true);
}
