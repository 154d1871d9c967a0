#include "NmeaDecoders.h"

#include "NmeaReceiver.h"
#include "NumberText.h"

#include <cmath>
#include <limits>

namespace {

constexpr char16_t HexDigits[] = u"0123456789ABCDEF";

// Constant texts of the decoder outputs.
constexpr QStringView Kts = u"Kts";
constexpr QStringView Nm = u"nm";
constexpr QStringView LetterE = u"E";
constexpr QStringView LetterM = u"M";
constexpr QStringView LetterR = u"R";
constexpr QStringView LetterT = u"T";
constexpr QStringView LetterW = u"W";

bool IsLetter(QStringView field, char16_t letter) { return field.size() == 1 && field[0].unicode() == letter; }

} // namespace

NmeaLineCheck NmeaCheckLine(QStringView line)
{
    if (line.isEmpty() || line[0].unicode() != '$')
        return NmeaLineCheck::SentenceError;
    const qsizetype n = line.size();
    if (n < 3 || line[n - 3].unicode() != '*')
        return NmeaLineCheck::Accepted;
    const uint8_t x = NmeaChecksumValue(line.first(n - 3));
    if (line[n - 2].unicode() != HexDigits[x >> 4] || line[n - 1].unicode() != HexDigits[x & 15])
        return NmeaLineCheck::ChecksumError;
    return NmeaLineCheck::Accepted;
}

uint32_t NmeaSentenceType(QStringView line)
{
    if (line.size() < 6)
        return 0;
    // Characters beyond Latin-1 never match a known type.
    const auto c = [&](int i) { return line[i].unicode() > 255 ? 0u : uint32_t(line[i].unicode()); };
    return (c(3) << 16) | (c(4) << 8) | c(5);
}

uint8_t NmeaChecksumValue(QStringView sentence)
{
    uint8_t x = 0;
    const QChar* p = sentence.data();
    const QChar* const end = p + sentence.size();
    for (++p; p < end; ++p)
        x ^= static_cast<uint8_t>(p->unicode());
    return x;
}

QString NmeaReceiver::NmeaChecksum(QStringView sentence)
{
    const uint8_t x = sentence.isEmpty() ? 0 : NmeaChecksumValue(sentence);
    const QChar digits[2] = {QChar(HexDigits[x >> 4]), QChar(HexDigits[x & 15])};
    return QString(digits, 2);
}

NmeaDecoder::NmeaDecoder(NmeaReceiverHost& host)
    : m_host(host)
{
}

int NmeaDecoder::NmeaFields(QStringView line)
{
    m_iFieldCount = 0;
    const qsizetype n = line.size();
    qsizetype comma = line.indexOf(u',');
    if (comma != 6)
        return 0;
    for (;;) {
        const qsizetype start = comma + 1;
        const QChar* p = line.data() + start;
        const QChar* const end = line.data() + n;
        while (p < end && p->unicode() != ',')
            ++p;
        if (p < end) {
            comma = p - line.data();
            if (m_iFieldCount == MaxFields)
                break;
            m_sFields[++m_iFieldCount] = line.sliced(start, comma - start);
            continue;
        }
        // The last field stops at the first "*" after the last comma.
        qsizetype stop = line.indexOf(u'*', start);
        if (stop < 0)
            stop = n;
        if (m_iFieldCount < MaxFields)
            m_sFields[++m_iFieldCount] = line.sliced(start, stop - start);
        break;
    }
    return m_iFieldCount;
}

bool NmeaDecoder::NmeaNumber(QStringView field, float& value)
{
    double v = 0;
    // Beyond single precision a value would turn infinite and poison every
    // average that takes it until the link restarts.
    if (!NumberText::TryParseDecimal(field, v) || std::fabs(v) > std::numeric_limits<float>::max())
        return false;
    // Read as double, stored as single.
    value = static_cast<float>(v);
    return true;
}

bool NmeaDecoder::ReadNumber(int index, int needed, float& value, bool& read) const
{
    read = false;
    if (m_iFieldCount < needed || m_sFields[index].isEmpty())
        return true;
    if (!NmeaNumber(m_sFields[index], value))
        return false;
    read = true;
    return true;
}

void NmeaDecoder::ReadVariation(int index, float& Variation, QStringView& VariationDirection) const
{
    const QStringView letter = Field(index);
    if (IsLetter(letter, 'E')) {
        VariationDirection = LetterE;
    } else if (IsLetter(letter, 'W')) {
        Variation = -Variation;
        VariationDirection = LetterW;
    }
}

void NmeaDecoder::DecodeError(const QString& line)
{
    m_host.NmeaError(QStringLiteral("Decode Error - ") + line);
}

// $--MWV,aaa.a,R,sss.s,N,A
//        1     2 3     4 5   angle, R/T, speed, K/M/N, status
void NmeaDecoder::NmeaDecodeMWV(const QString& line, float& Angle, QStringView& Reference, float& Speed,
                                QStringView& Units)
{
    Angle = Speed = 0;
    Reference = Units = QStringView();
    NmeaFields(line);
    [&] {
        bool read = false;
        if (!ReadNumber(1, 2, Angle, read))
            return;
        if (read && IsLetter(Field(2), 'R'))
            Reference = LetterR;
        else if (read && IsLetter(Field(2), 'T'))
            Reference = LetterT;
        if (!ReadNumber(3, 4, Speed, read))
            return;
        if (read && !Field(4).isEmpty())
            Units = IsLetter(Field(4), 'N') ? Kts : Field(4);
    }();
    if (Reference.isEmpty() || Units.isEmpty())
        DecodeError(line);
}

// VHW and VTG share their layout:
// $--VHW,ttt.t,T,mmm.m,M,ss.s,N,kk.k,K
//        1     2 3     4 5    6 7    8   true, magnetic, knots, km/h
void NmeaDecoder::ReadHeadingAndSpeed(float& Heading, QStringView& HeadingReference, float& Speed,
                                      QStringView& SpeedUnits) const
{
    bool read = false;
    if (!ReadNumber(3, 4, Heading, read))
        return;
    if (read && IsLetter(Field(4), 'M'))
        HeadingReference = LetterM;
    if (!ReadNumber(5, 6, Speed, read))
        return;
    if (read && IsLetter(Field(6), 'N'))
        SpeedUnits = Kts;
}

void NmeaDecoder::NmeaDecodeVHW(const QString& line, float& Heading, QStringView& HeadingReference, float& Speed,
                                QStringView& SpeedUnits)
{
    Heading = Speed = 0;
    HeadingReference = SpeedUnits = QStringView();
    NmeaFields(line);
    ReadHeadingAndSpeed(Heading, HeadingReference, Speed, SpeedUnits);
    if (HeadingReference.isEmpty() || SpeedUnits.isEmpty())
        DecodeError(line);
}

// Course over ground may come without speed, and the other way round.
void NmeaDecoder::NmeaDecodeVTG(const QString& line, float& Course, QStringView& CourseReference, float& Speed,
                                QStringView& SpeedUnits)
{
    Course = Speed = 0;
    CourseReference = SpeedUnits = QStringView();
    NmeaFields(line);
    ReadHeadingAndSpeed(Course, CourseReference, Speed, SpeedUnits);
    if (CourseReference.isEmpty() && SpeedUnits.isEmpty())
        DecodeError(line);
}

// $--HDG,hhh.h,d.d,E,v.v,W
//        1     2   3 4   5   sensor heading, deviation, variation
// Deviation is not corrected for.
void NmeaDecoder::NmeaDecodeHDG(const QString& line, float& Heading, QStringView& HeadingReference,
                                float& Variation, QStringView& VariationDirection)
{
    Heading = Variation = 0;
    HeadingReference = VariationDirection = QStringView();
    NmeaFields(line);
    [&] {
        bool read = false;
        if (!ReadNumber(1, 1, Heading, read))
            return;
        if (read)
            HeadingReference = LetterM;
        if (!ReadNumber(4, 5, Variation, read))
            return;
        if (read)
            ReadVariation(5, Variation, VariationDirection);
    }();
    if (HeadingReference.isEmpty() || VariationDirection.isEmpty())
        DecodeError(line);
}

// $--HVM,v.v,W
//        1   2   variation
void NmeaDecoder::NmeaDecodeHVM(const QString& line, float& Variation, QStringView& VariationDirection)
{
    Variation = 0;
    VariationDirection = QStringView();
    NmeaFields(line);
    bool read = false;
    if (ReadNumber(1, 2, Variation, read) && read)
        ReadVariation(2, Variation, VariationDirection);
    if (VariationDirection.isEmpty())
        DecodeError(line);
}

// $--RMC,hhmmss,A,llll.ll,N,yyyyy.yy,W,s.s,ttt.t,ddmmyy,v.v,E,A
//        1      2 3       4 5        6 7   8     9      10  11 12
// speed over ground (knots), track made good (true), variation. The status
// is not looked at.
void NmeaDecoder::NmeaDecodeRMC(const QString& line, float& Track, QStringView& TrackReference, float& Speed,
                                QStringView& SpeedUnits, float& Variation, QStringView& VariationDirection)
{
    Track = Speed = Variation = 0;
    TrackReference = SpeedUnits = VariationDirection = QStringView();
    NmeaFields(line);
    [&] {
        bool read = false;
        if (!ReadNumber(7, 7, Speed, read))
            return;
        if (read)
            SpeedUnits = Kts;
        if (!ReadNumber(8, 8, Track, read))
            return;
        if (read)
            TrackReference = LetterT;
        if (!ReadNumber(10, 11, Variation, read))
            return;
        if (read)
            ReadVariation(11, Variation, VariationDirection);
    }();
    if (TrackReference.isEmpty() || SpeedUnits.isEmpty() || VariationDirection.isEmpty())
        DecodeError(line);
}

// $--RMB,A,x.x,L,orig,dest,llll.ll,N,yyyyy.yy,W,rrr.r,bbb.b,vv.v,A
//        1 2   3 4    5    6       7 8        9 10    11    12   13
// range (nm) and bearing (true) to the destination. When field 1 is not
// "A" but field 2 is, the status sits one field late and so does everything
// after it.
void NmeaDecoder::NmeaDecodeRMB(const QString& line, float& Bearing, QStringView& BearingReference, float& Range,
                                QStringView& RangeUnits)
{
    Bearing = Range = 0;
    BearingReference = RangeUnits = QStringView();
    NmeaFields(line);
    const int s = !IsLetter(Field(1), 'A') && IsLetter(Field(2), 'A') ? 1 : 0;
    [&] {
        bool read = false;
        if (!ReadNumber(10 + s, 10 + s, Range, read))
            return;
        if (read)
            RangeUnits = Nm;
        if (!ReadNumber(11 + s, 11 + s, Bearing, read))
            return;
        if (read)
            BearingReference = LetterT;
    }();
    if (BearingReference.isEmpty() || RangeUnits.isEmpty())
        DecodeError(line);
}
