#include "NmeaDecoders.h"

#include "NumberText.h"

#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

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

NmeaUnits WindSpeedUnits(QStringView units)
{
    if (IsLetter(units, 'N'))
        return NmeaUnits::Knots;
    if (IsLetter(units, 'K'))
        return NmeaUnits::KilometresPerHour;
    if (IsLetter(units, 'M'))
        return NmeaUnits::MetresPerSecond;
    return NmeaUnits::Other;
}

std::optional<NmeaStatus> Status(QStringView field)
{
    if (IsLetter(field, 'A'))
        return NmeaStatus::Valid;
    if (IsLetter(field, 'V'))
        return NmeaStatus::NotValid;
    return std::nullopt;
}

} // namespace

uint32_t NmeaSentenceType(QStringView line)
{
    if (line.size() < 6)
        return 0;
    // Characters beyond Latin-1 never match a known type.
    const auto c = [&](int i) { return line[i].unicode() > 255 ? 0u : uint32_t(line[i].unicode()); };
    return (c(3) << 16) | (c(4) << 8) | c(5);
}

QString NmeaDecodeErrorText(const NmeaDecodeError& error, QStringView line)
{
    QString text = QStringLiteral("Decode Error - ");
    if (error.eKind == NmeaDecodeError::OutOfRange) {
        text += error.sField;
        text += u" out of range - ";
    } else if (error.eKind == NmeaDecodeError::NotANumber) {
        text += error.sField;
        text += u" not a number - ";
    }
    text += line;
    return text;
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
    qsizetype i = start;
    const auto comma = [&](qsizetype at) {
        if (count == MaxFields)
            return false;
        m_sFields[++count] = line.sliced(start, at - start);
        start = at + 1;
        return true;
    };
#if defined(__SSE2__)
    // Eight characters at a time: one mask bit per comma.
    const __m128i commas = _mm_set1_epi16(',');
    for (; n - i >= 8; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        for (unsigned hits = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(v, commas))) & 0x5555u; hits != 0;
             hits &= hits - 1) {
            if (!comma(i + __builtin_ctz(hits) / 2)) {
                m_iFieldCount = count;
                return count;
            }
        }
    }
#endif
    for (; i < n; ++i) {
        if (text[i] == u',' && !comma(i)) {
            m_iFieldCount = count;
            return count;
        }
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

bool NmeaDecoder::ReadNumber(int index, int needed, double low, double high, QStringView name,
                             std::optional<float>& value)
{
    if (m_iFieldCount < needed || m_sFields[index].isEmpty())
        return true;
    float v = 0;
    if (!NmeaNumber(m_sFields[index], v)) {
        // A decimal beyond single precision is a number, only far out of
        // range; the sailor looks for a wild value there, not for garbage.
        double d = 0;
        const bool number = NumberText::TryParseDecimal(m_sFields[index], d);
        m_refusal.eKind = number ? NmeaDecodeError::OutOfRange : NmeaDecodeError::NotANumber;
        m_refusal.sField = name;
        return false;
    }
    if (!(v >= low && v <= high)) {
        m_refusal.eKind = NmeaDecodeError::OutOfRange;
        m_refusal.sField = name;
        return false;
    }
    value = v;
    return true;
}

void NmeaDecoder::ReadVariation(int index, std::optional<float>& Variation,
                                std::optional<NmeaDirection>& VariationDirection) const
{
    const QStringView letter = Field(index);
    if (IsLetter(letter, 'E')) {
        VariationDirection = NmeaDirection::East;
    } else if (IsLetter(letter, 'W')) {
        *Variation = -*Variation;
        VariationDirection = NmeaDirection::West;
    }
}

template <class Sentence>
NmeaDecodeError NmeaDecoder::Finish(Sentence& sentence, bool lettersMissing)
{
    if (m_refusal) {
        const NmeaDecodeError refusal = m_refusal;
        m_refusal = NmeaDecodeError();
        sentence = Sentence();
        return refusal;
    }
    return lettersMissing ? NmeaDecodeError{NmeaDecodeError::LettersMissing, {}} : NmeaDecodeError();
}

NmeaDecodeError NmeaDecoder::NmeaDecodeMWV(QStringView line, NmeaMWV& Sentence)
{
    Sentence = NmeaMWV();
    NmeaFields(line);
    Sentence.Status = Status(Field(5));
    if (Sentence.Status == NmeaStatus::NotValid)
        return NmeaDecodeError();
    if (ReadNumber(1, 2, -MaxAngle, MaxAngle, u"Angle", Sentence.Angle)) {
        if (Sentence.Angle && IsLetter(Field(2), 'R'))
            Sentence.Reference = NmeaReference::Relative;
        else if (Sentence.Angle && IsLetter(Field(2), 'T'))
            Sentence.Reference = NmeaReference::True;
        if (ReadNumber(3, 4, 0, WindSpeedCeiling(Field(4)), u"Speed", Sentence.Speed) && Sentence.Speed
            && !Field(4).isEmpty())
            Sentence.Units = WindSpeedUnits(Field(4));
    }
    return Finish(Sentence, !Sentence.Reference || !Sentence.Units);
}

// VHW and VTG share their layout:
// $--VHW,ttt.t,T,mmm.m,M,ss.s,N,kk.k,K
//        1     2 3     4 5    6 7    8   true, magnetic, knots, km/h
void NmeaDecoder::ReadHeadingAndSpeed(std::optional<float>& Heading, std::optional<NmeaReference>& HeadingReference,
                                      std::optional<float>& Speed, std::optional<NmeaUnits>& SpeedUnits,
                                      QStringView Direction)
{
    if (!ReadNumber(3, 4, -MaxAngle, MaxAngle, Direction, Heading))
        return;
    if (Heading && IsLetter(Field(4), 'M'))
        HeadingReference = NmeaReference::Magnetic;
    if (ReadNumber(5, 6, 0, MaxBoatSpeed, u"Speed", Speed) && Speed && IsLetter(Field(6), 'N'))
        SpeedUnits = NmeaUnits::Knots;
}

NmeaDecodeError NmeaDecoder::NmeaDecodeVHW(QStringView line, NmeaVHW& Sentence)
{
    Sentence = NmeaVHW();
    NmeaFields(line);
    ReadHeadingAndSpeed(Sentence.Heading, Sentence.HeadingReference, Sentence.Speed, Sentence.SpeedUnits,
                        u"Heading");
    return Finish(Sentence, !Sentence.HeadingReference || !Sentence.SpeedUnits);
}

// Course over ground may come without speed, and the other way round.
NmeaDecodeError NmeaDecoder::NmeaDecodeVTG(QStringView line, NmeaVTG& Sentence)
{
    Sentence = NmeaVTG();
    NmeaFields(line);
    ReadHeadingAndSpeed(Sentence.Course, Sentence.CourseReference, Sentence.Speed, Sentence.SpeedUnits, u"Course");
    return Finish(Sentence, !Sentence.CourseReference && !Sentence.SpeedUnits);
}

// $--HDG,hhh.h,d.d,E,v.v,W
//        1     2   3 4   5   sensor heading, deviation, variation
// Deviation is not corrected for.
NmeaDecodeError NmeaDecoder::NmeaDecodeHDG(QStringView line, NmeaHDG& Sentence)
{
    Sentence = NmeaHDG();
    NmeaFields(line);
    if (ReadNumber(1, 1, -MaxAngle, MaxAngle, u"Heading", Sentence.Heading)) {
        if (Sentence.Heading)
            Sentence.HeadingReference = NmeaReference::Magnetic;
        if (ReadNumber(4, 5, -MaxVariation, MaxVariation, u"Variation", Sentence.Variation) && Sentence.Variation)
            ReadVariation(5, Sentence.Variation, Sentence.VariationDirection);
    }
    return Finish(Sentence, !Sentence.HeadingReference || !Sentence.VariationDirection);
}

// $--HVM,v.v,W
//        1   2   variation
NmeaDecodeError NmeaDecoder::NmeaDecodeHVM(QStringView line, NmeaHVM& Sentence)
{
    Sentence = NmeaHVM();
    NmeaFields(line);
    if (ReadNumber(1, 2, -MaxVariation, MaxVariation, u"Variation", Sentence.Variation) && Sentence.Variation)
        ReadVariation(2, Sentence.Variation, Sentence.VariationDirection);
    return Finish(Sentence, !Sentence.VariationDirection);
}

// $--RMC,hhmmss,A,llll.ll,N,yyyyy.yy,W,s.s,ttt.t,ddmmyy,v.v,E,A
//        1      2 3       4 5        6 7   8     9      10  11 12
// speed over ground (knots), track made good (true), variation.
NmeaDecodeError NmeaDecoder::NmeaDecodeRMC(QStringView line, NmeaRMC& Sentence)
{
    Sentence = NmeaRMC();
    NmeaFields(line);
    // Without a fix the receiver's speed, track and variation are guesses.
    Sentence.Status = Status(Field(2));
    if (Sentence.Status == NmeaStatus::NotValid)
        return NmeaDecodeError();
    [&] {
        if (!ReadNumber(7, 7, 0, MaxBoatSpeed, u"Speed", Sentence.Speed))
            return;
        if (Sentence.Speed)
            Sentence.SpeedUnits = NmeaUnits::Knots;
        if (!ReadNumber(8, 8, -MaxAngle, MaxAngle, u"Track", Sentence.Track))
            return;
        if (Sentence.Track)
            Sentence.TrackReference = NmeaReference::True;
        if (ReadNumber(10, 11, -MaxVariation, MaxVariation, u"Variation", Sentence.Variation) && Sentence.Variation)
            ReadVariation(11, Sentence.Variation, Sentence.VariationDirection);
    }();
    return Finish(Sentence, !Sentence.TrackReference || !Sentence.SpeedUnits || !Sentence.VariationDirection);
}

// $--RMB,A,x.x,L,orig,dest,llll.ll,N,yyyyy.yy,W,rrr.r,bbb.b,vv.v,A
//        1 2   3 4    5    6       7 8        9 10    11    12   13
// range (nm) and bearing (true) to the destination. When field 1 is not
// "A" but field 2 is, the status sits one field late and so does everything
// after it.
NmeaDecodeError NmeaDecoder::NmeaDecodeRMB(QStringView line, NmeaRMB& Sentence)
{
    Sentence = NmeaRMB();
    NmeaFields(line);
    const int s = !IsLetter(Field(1), 'A') && IsLetter(Field(2), 'A') ? 1 : 0;
    if (ReadNumber(10 + s, 10 + s, 0, MaxRange, u"Range", Sentence.Range)) {
        if (Sentence.Range)
            Sentence.RangeUnits = NmeaUnits::NauticalMiles;
        if (ReadNumber(11 + s, 11 + s, -MaxAngle, MaxAngle, u"Bearing", Sentence.Bearing) && Sentence.Bearing)
            Sentence.BearingReference = NmeaReference::True;
    }
    return Finish(Sentence, !Sentence.BearingReference || !Sentence.RangeUnits);
}
