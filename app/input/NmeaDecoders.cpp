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

// Why a line was refused, between the field's name and the line.
constexpr QStringView OutOfRange = u" out of range - ";
constexpr QStringView NotANumber = u" not a number - ";

bool IsLetter(QStringView field, char16_t letter) { return field.size() == 1 && field[0].unicode() == letter; }

// The wind speed ceiling in the units of the sentence; other units are not
// used, so only the sign and finiteness matter for them.
double WindSpeedCeiling(QStringView units)
{
    if (IsLetter(units, 'N'))
        return NmeaDecoder::MaxWindSpeed;
    if (IsLetter(units, 'K'))
        return NmeaDecoder::MaxWindSpeed * 1.852;
    if (IsLetter(units, 'M'))
        return NmeaDecoder::MaxWindSpeed * 1852 / 3600;
    return std::numeric_limits<float>::max();
}

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
    // The low byte of the XOR of the whole characters is the XOR of their
    // low bytes, and whole characters are XORed several at a time.
    char16_t x = 0;
    const char16_t* const text = sentence.utf16();
    for (qsizetype i = 1; i < sentence.size(); ++i)
        x ^= text[i];
    return static_cast<uint8_t>(x);
}

void NmeaChecksumDigits(QStringView sentence, QChar* out)
{
    const uint8_t x = sentence.isEmpty() ? 0 : NmeaChecksumValue(sentence);
    out[0] = QChar(HexDigits[x >> 4]);
    out[1] = QChar(HexDigits[x & 15]);
}

QString NmeaReceiver::NmeaChecksum(QStringView sentence)
{
    QChar digits[2];
    NmeaChecksumDigits(sentence, digits);
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
    const char16_t* const text = line.utf16();
    if (n < 7 || text[6] != u',')
        return 0;
    for (qsizetype i = 0; i < 6; ++i)
        if (text[i] == u',')
            return 0;
    // Each comma ends a field; the last one ends at its first "*".
    int count = 0;
    qsizetype start = 7;
    for (qsizetype i = start; i < n; ++i) {
        if (text[i] != u',')
            continue;
        if (count == MaxFields) {
            m_iFieldCount = count;
            return count;
        }
        m_sFields[++count] = line.sliced(start, i - start);
        start = i + 1;
    }
    if (count < MaxFields) {
        qsizetype stop = start;
        while (stop < n && text[stop] != u'*')
            ++stop;
        m_sFields[++count] = line.sliced(start, stop - start);
    }
    m_iFieldCount = count;
    return count;
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

bool NmeaDecoder::ReadNumber(int index, int needed, double low, double high, QStringView name, float& value,
                             bool& read)
{
    read = false;
    if (m_iFieldCount < needed || m_sFields[index].isEmpty())
        return true;
    if (!NmeaNumber(m_sFields[index], value)) {
        // A decimal beyond single precision is a number, only far out of
        // range; the sailor looks for a wild value there, not for garbage.
        double v = 0;
        m_sRefused = name;
        m_sRefusedReason = NumberText::TryParseDecimal(m_sFields[index], v) ? OutOfRange : NotANumber;
        return false;
    }
    if (!(value >= low && value <= high)) {
        m_sRefused = name;
        m_sRefusedReason = OutOfRange;
        return false;
    }
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

bool NmeaDecoder::Refused(const QString& line, bool lettersMissing)
{
    if (!m_sRefused.isEmpty()) {
        QString text = QStringLiteral("Decode Error - ");
        text += m_sRefused;
        text += m_sRefusedReason;
        m_host.NmeaError(text + line);
        m_sRefused = m_sRefusedReason = QStringView();
        return true;
    }
    if (lettersMissing)
        DecodeError(line);
    return false;
}

// $--MWV,aaa.a,R,sss.s,N,A
//        1     2 3     4 5   angle, R/T, speed, K/M/N, status
void NmeaDecoder::NmeaDecodeMWV(const QString& line, float& Angle, QStringView& Reference, float& Speed,
                                QStringView& Units)
{
    Angle = Speed = 0;
    Reference = Units = QStringView();
    NmeaFields(line);
    if (IsLetter(Field(5), 'V'))
        return;
    [&] {
        bool read = false;
        if (!ReadNumber(1, 2, -MaxAngle, MaxAngle, u"Angle", Angle, read))
            return;
        if (read && IsLetter(Field(2), 'R'))
            Reference = LetterR;
        else if (read && IsLetter(Field(2), 'T'))
            Reference = LetterT;
        if (!ReadNumber(3, 4, 0, WindSpeedCeiling(Field(4)), u"Speed", Speed, read))
            return;
        if (read && !Field(4).isEmpty())
            Units = IsLetter(Field(4), 'N') ? Kts : Field(4);
    }();
    if (Refused(line, Reference.isEmpty() || Units.isEmpty())) {
        Angle = Speed = 0;
        Reference = Units = QStringView();
    }
}

// VHW and VTG share their layout:
// $--VHW,ttt.t,T,mmm.m,M,ss.s,N,kk.k,K
//        1     2 3     4 5    6 7    8   true, magnetic, knots, km/h
void NmeaDecoder::ReadHeadingAndSpeed(float& Heading, QStringView& HeadingReference, float& Speed,
                                      QStringView& SpeedUnits, QStringView Direction)
{
    bool read = false;
    if (!ReadNumber(3, 4, -MaxAngle, MaxAngle, Direction, Heading, read))
        return;
    if (read && IsLetter(Field(4), 'M'))
        HeadingReference = LetterM;
    if (!ReadNumber(5, 6, 0, MaxBoatSpeed, u"Speed", Speed, read))
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
    ReadHeadingAndSpeed(Heading, HeadingReference, Speed, SpeedUnits, u"Heading");
    if (Refused(line, HeadingReference.isEmpty() || SpeedUnits.isEmpty())) {
        Heading = Speed = 0;
        HeadingReference = SpeedUnits = QStringView();
    }
}

// Course over ground may come without speed, and the other way round.
void NmeaDecoder::NmeaDecodeVTG(const QString& line, float& Course, QStringView& CourseReference, float& Speed,
                                QStringView& SpeedUnits)
{
    Course = Speed = 0;
    CourseReference = SpeedUnits = QStringView();
    NmeaFields(line);
    ReadHeadingAndSpeed(Course, CourseReference, Speed, SpeedUnits, u"Course");
    if (Refused(line, CourseReference.isEmpty() && SpeedUnits.isEmpty())) {
        Course = Speed = 0;
        CourseReference = SpeedUnits = QStringView();
    }
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
        if (!ReadNumber(1, 1, -MaxAngle, MaxAngle, u"Heading", Heading, read))
            return;
        if (read)
            HeadingReference = LetterM;
        if (!ReadNumber(4, 5, -MaxVariation, MaxVariation, u"Variation", Variation, read))
            return;
        if (read)
            ReadVariation(5, Variation, VariationDirection);
    }();
    if (Refused(line, HeadingReference.isEmpty() || VariationDirection.isEmpty())) {
        Heading = Variation = 0;
        HeadingReference = VariationDirection = QStringView();
    }
}

// $--HVM,v.v,W
//        1   2   variation
void NmeaDecoder::NmeaDecodeHVM(const QString& line, float& Variation, QStringView& VariationDirection)
{
    Variation = 0;
    VariationDirection = QStringView();
    NmeaFields(line);
    bool read = false;
    if (ReadNumber(1, 2, -MaxVariation, MaxVariation, u"Variation", Variation, read) && read)
        ReadVariation(2, Variation, VariationDirection);
    if (Refused(line, VariationDirection.isEmpty()))
        Variation = 0;
}

// $--RMC,hhmmss,A,llll.ll,N,yyyyy.yy,W,s.s,ttt.t,ddmmyy,v.v,E,A
//        1      2 3       4 5        6 7   8     9      10  11 12
// speed over ground (knots), track made good (true), variation.
void NmeaDecoder::NmeaDecodeRMC(const QString& line, float& Track, QStringView& TrackReference, float& Speed,
                                QStringView& SpeedUnits, float& Variation, QStringView& VariationDirection)
{
    Track = Speed = Variation = 0;
    TrackReference = SpeedUnits = VariationDirection = QStringView();
    NmeaFields(line);
    // Without a fix the receiver's speed, track and variation are guesses.
    if (IsLetter(Field(2), 'V'))
        return;
    [&] {
        bool read = false;
        if (!ReadNumber(7, 7, 0, MaxBoatSpeed, u"Speed", Speed, read))
            return;
        if (read)
            SpeedUnits = Kts;
        if (!ReadNumber(8, 8, -MaxAngle, MaxAngle, u"Track", Track, read))
            return;
        if (read)
            TrackReference = LetterT;
        if (!ReadNumber(10, 11, -MaxVariation, MaxVariation, u"Variation", Variation, read))
            return;
        if (read)
            ReadVariation(11, Variation, VariationDirection);
    }();
    if (Refused(line, TrackReference.isEmpty() || SpeedUnits.isEmpty() || VariationDirection.isEmpty())) {
        Track = Speed = Variation = 0;
        TrackReference = SpeedUnits = VariationDirection = QStringView();
    }
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
        if (!ReadNumber(10 + s, 10 + s, 0, MaxRange, u"Range", Range, read))
            return;
        if (read)
            RangeUnits = Nm;
        if (!ReadNumber(11 + s, 11 + s, -MaxAngle, MaxAngle, u"Bearing", Bearing, read))
            return;
        if (read)
            BearingReference = LetterT;
    }();
    if (Refused(line, BearingReference.isEmpty() || RangeUnits.isEmpty())) {
        Bearing = Range = 0;
        BearingReference = RangeUnits = QStringView();
    }
}
