#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace NumberText {
namespace {

// A finite non-negative value as decimal digits with the position of the
// decimal point: value = 0.digits × 10^point. digits[0] is a spare '0' that
// a rounding carry can run into. Kept on the stack: a label text is built
// with one allocation, that of the QString itself.
struct Decimal {
    char digits[40]; // the spare, then 17 shortest or 7 significant digits
    int count = 0;
    int point = 0;

    char At(int i) const { return i >= 0 && i < count ? digits[i] : '0'; }
};

// Reads to_chars' scientific form "d.ddde+XX" into d.
void FromScientific(const char* first, const char* last, Decimal& d)
{
    d.digits[0] = '0';
    d.count = 1;
    const char* p = first;
    for (; p < last && *p != 'e'; ++p)
        if (*p != '.')
            d.digits[d.count++] = *p;
    int exponent = 0;
    bool negative = false;
    if (p < last) {
        ++p;
        negative = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        for (; p < last; ++p)
            exponent = exponent * 10 + (*p - '0');
    }
    // d.ddd × 10^e is 0.dddd × 10^(e+1), and the spare digit adds one more.
    d.point = (negative ? -exponent : exponent) + 2;
}

// The shortest digits that read back to the value (significant == 0), or
// the value rounded to that many significant digits.
template <typename T>
Decimal Digits(T magnitude, int significant)
{
    char buf[48];
    const auto res = significant > 0
        ? std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, significant - 1)
        : std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    Decimal d;
    FromScientific(buf, res.ptr, d);
    return d;
}

// Rounds to `decimals` places, half away from zero on the decimal digits.
void RoundAt(Decimal& d, int decimals)
{
    const int keep = d.point + decimals;
    if (keep < 1) {
        d.digits[0] = '0';
        d.count = 1;
        d.point = 1;
        return;
    }
    if (keep >= d.count)
        return;
    const bool up = d.digits[keep] >= '5';
    d.count = keep;
    for (int i = keep - 1; up && i >= 0; --i) {
        if (d.digits[i] == '9') {
            d.digits[i] = '0';
        } else {
            ++d.digits[i];
            break;
        }
    }
}

// Sign, integer digits padded with zeros to minInt, the point and decimals
// (trailing zeros dropped when trimFraction, then at least one integer
// digit). The length is known before writing, so one allocation.
QString Render(bool negative, const Decimal& d, int minInt, int decimals, bool trimFraction)
{
    int first = 0;
    const int intEnd = std::min(d.point, d.count);
    while (first < intEnd && d.digits[first] == '0')
        ++first;
    const int intLen = first < intEnd ? d.point - first : 0;
    int intWidth = std::max(intLen, minInt);
    int fracLen = decimals;
    if (trimFraction) {
        while (fracLen > 0 && d.At(d.point + fracLen - 1) == '0')
            --fracLen;
        intWidth = std::max(intWidth, 1);
    }
    QString out((negative ? 1 : 0) + intWidth + (fracLen > 0 ? 1 + fracLen : 0), Qt::Uninitialized);
    QChar* p = out.data();
    if (negative)
        *p++ = QLatin1Char('-');
    for (int i = intLen; i < intWidth; ++i)
        *p++ = QLatin1Char('0');
    for (int i = 0; i < intLen; ++i)
        *p++ = QLatin1Char(d.At(first + i));
    if (fracLen > 0) {
        *p++ = QLatin1Char('.');
        for (int i = 0; i < fracLen; ++i)
            *p++ = QLatin1Char(d.At(d.point + i));
    }
    return out;
}

QString NonFinite(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    return value < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
}

// The least integer digits and the decimals of a display format.
void ReadCode(QStringView code, int& minInt, int& decimals)
{
    minInt = 0;
    decimals = 0;
    bool afterPoint = false;
    for (QChar c : code) {
        if (c == QLatin1Char('.'))
            afterPoint = true;
        else if (c == QLatin1Char('0'))
            (afterPoint ? decimals : minInt) += 1;
    }
}

QString FormatDigits(Decimal d, bool negative, QStringView code)
{
    int minInt = 0;
    int decimals = 0;
    ReadCode(code, minInt, decimals);
    RoundAt(d, decimals);
    return Render(negative, d, minInt, decimals, false);
}

// A float's shortest digits rounded to `decimals` places, half away from
// zero, as a count of units of the last place, worked out without making
// the digits: false when the float is outside the range where that is
// sure. With t = magnitude × 10^decimals (exact in a double), the shortest
// digits round as t does, unless the point halfway between two results
// reads back to the float: then those are the shortest digits, a tie that
// rounds up. Nothing else as short lies near enough, as the float's
// rounding interval is narrower than a tenth of the last place.
bool RoundedUnits(float magnitude, int decimals, uint32_t& units)
{
    static constexpr double Scale[] = {1, 10, 100, 1000};
    if (decimals > 3 || !(magnitude * Scale[decimals] * 10 < double(1 << 23)) || !(magnitude >= 0x1p-20f))
        return false;
    uint32_t bits = 0;
    std::memcpy(&bits, &magnitude, sizeof bits);
    // A power of two has a narrower interval below it than above.
    if ((bits & 0x7FFFFF) == 0)
        return false;
    const double t = double(magnitude) * Scale[decimals];
    const double n = double(uint32_t(t));
    // Half the float's rounding interval, in units: half its last place,
    // 2^(e - 24) for a float of e bits above the point.
    const uint64_t halfBits = uint64_t((bits >> 23) - 151 + 1023) << 52;
    double halfPlace = 0;
    std::memcpy(&halfPlace, &halfBits, sizeof halfPlace);
    const double half = Scale[decimals] * halfPlace;
    const double off = std::fabs(n + 0.5 - t);
    if (off == half)
        return false;
    units = uint32_t(n) + (off < half || t - n > 0.5 ? 1 : 0);
    return true;
}

// Units of the last of `decimals` places as a display format shows them.
QString RenderUnits(bool negative, uint32_t units, int minInt, int decimals)
{
    static constexpr uint32_t Scale[] = {1, 10, 100, 1000};
    const uint32_t whole = units / Scale[decimals];
    uint32_t fraction = units % Scale[decimals];
    char digits[12];
    int intLen = 0;
    for (uint32_t w = whole; w > 0; w /= 10)
        digits[sizeof digits - 1 - intLen++] = char('0' + w % 10);
    const int intWidth = std::max(intLen, minInt);
    QString out((negative ? 1 : 0) + intWidth + (decimals > 0 ? 1 + decimals : 0), Qt::Uninitialized);
    QChar* p = out.data();
    if (negative)
        *p++ = QLatin1Char('-');
    for (int i = intLen; i < intWidth; ++i)
        *p++ = QLatin1Char('0');
    for (int i = intLen; i > 0; --i)
        *p++ = QLatin1Char(digits[sizeof digits - i]);
    if (decimals > 0) {
        *p++ = QLatin1Char('.');
        for (int i = decimals - 1; i >= 0; --i, fraction /= 10)
            p[i] = QLatin1Char(char('0' + fraction % 10));
    }
    return out;
}

// Length of the decimal number at the start of text (after `start`), 0 when
// there is none. Sets digits to whether any mantissa digit was seen.
int ScanNumber(QStringView text, int start)
{
    int i = start;
    const int n = text.size();
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    int mantissaDigits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        ++mantissaDigits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && text[i].unicode() >= '0' && text[i].unicode() <= '9') {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return 0;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        int j = i + 1;
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        if (j < n && text[j].unicode() >= '0' && text[j].unicode() <= '9') {
            while (j < n && text[j].unicode() >= '0' && text[j].unicode() <= '9')
                ++j;
            i = j;
        }
    }
    return i - start;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// For a number text that a double cannot hold: whether it is too small
// rather than too large, from the power of ten of its first significant
// digit. "1E-400" and a fraction of 400 zeros and a 1 are both too small.
bool BelowDoubleRange(const std::string& ascii)
{
    std::size_t i = ascii[0] == '-' || ascii[0] == '+' ? 1 : 0;
    long order = 0;
    long integerDigits = 0;
    for (; i < ascii.size() && IsDigit(ascii[i]); ++i)
        if (integerDigits > 0 || ascii[i] != '0')
            ++integerDigits;
    if (integerDigits > 0) {
        order = integerDigits - 1;
    } else if (i < ascii.size() && ascii[i] == '.') {
        ++i;
        long zeros = 0;
        for (; i < ascii.size() && ascii[i] == '0'; ++i)
            ++zeros;
        order = -(zeros + 1);
    }
    while (i < ascii.size() && ascii[i] != 'e' && ascii[i] != 'E')
        ++i;
    long exponent = 0;
    if (++i < ascii.size()) {
        const bool negative = ascii[i] == '-';
        if (ascii[i] == '-' || ascii[i] == '+')
            ++i;
        // Far beyond any double either way; the cap keeps the sum in range.
        for (; i < ascii.size() && IsDigit(ascii[i]); ++i)
            exponent = std::min(exponent * 10 + (ascii[i] - '0'), 1000000L);
        if (negative)
            exponent = -exponent;
    }
    return order + exponent < 0;
}

double Convert(QStringView text, int start, int length)
{
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(length));
    for (int i = start; i < start + length; ++i)
        ascii += static_cast<char>(text[i].unicode());
    const char* first = ascii.data();
    if (!ascii.empty() && ascii[0] == '+')
        ++first;
    double v = 0;
    const auto res = std::from_chars(first, ascii.data() + ascii.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        // Beyond double: too small reads as 0, too large as infinity.
        const bool negative = ascii[0] == '-';
        if (BelowDoubleRange(ascii))
            return negative ? -0.0 : 0.0;
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    }
    return v;
}

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

} // namespace

QString Format(double value, QStringView code)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    return FormatDigits(Digits(std::fabs(value), 0), value < 0, code);
}

QString Format(float value, QStringView code)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    // The shortest digits of the float, not of its widened double, so that
    // 2.35f rounds as 2.35 does.
    int minInt = 0;
    int decimals = 0;
    ReadCode(code, minInt, decimals);
    uint32_t units = 0;
    if (RoundedUnits(std::fabs(value), decimals, units))
        return RenderUnits(value < 0, units, minInt, decimals);
    return FormatDigits(Digits(std::fabs(value), 0), value < 0, code);
}

QString General(double value)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    return QString::fromLatin1(buf, static_cast<int>(res.ptr - buf)).toUpper();
}

QString General(float value)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value), std::chars_format::general, 7);
    return QString::fromLatin1(buf, static_cast<int>(res.ptr - buf)).toUpper();
}

QString Plain(double value)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    if (value == 0)
        return QStringLiteral("0");
    const Decimal d = Digits(std::fabs(value), 7);
    const int decimals = std::max(0, d.count - d.point);
    return Render(value < 0, d, 1, decimals, true);
}

QString Field(double value)
{
    const QString text = Plain(value);
    return text.startsWith(QLatin1Char('-')) ? text : QLatin1Char(' ') + text;
}

double Val(QStringView text)
{
    int start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    const int length = ScanNumber(text, start);
    return length == 0 ? 0.0 : Convert(text, start, length);
}

bool TryParse(QStringView text, double& value)
{
    int start = 0;
    int end = text.size();
    while (start < end && IsBlank(text[start]))
        ++start;
    while (end > start && IsBlank(text[end - 1]))
        --end;
    const int length = ScanNumber(text, start);
    if (length == 0 || start + length != end)
        return false;
    const double v = Convert(text, start, length);
    if (!std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool TryParse(QStringView text, float& value)
{
    double v = 0;
    if (!TryParse(text, v) || std::fabs(v) > std::numeric_limits<float>::max())
        return false;
    value = static_cast<float>(v);
    return true;
}

bool TryParseDecimal(QStringView text, double& value)
{
    // Powers of ten that a double holds exactly.
    static constexpr double Pow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr uint64_t ExactLimit = uint64_t(1) << 53;
    const QChar* p = text.data();
    const QChar* const end = p + text.size();
    bool negative = false;
    if (p < end && (p->unicode() == '-' || p->unicode() == '+')) {
        negative = p->unicode() == '-';
        ++p;
    }
    uint64_t mantissa = 0;
    int fraction = 0;
    int digits = 0;
    bool point = false;
    bool exact = true;
    if (end - p <= 15) {
        // Fifteen digits stay below 2^53: no check at each digit. Most
        // fields are a few characters.
        const QChar* dot = nullptr;
        for (; p < end; ++p) {
            const unsigned d = unsigned(p->unicode()) - '0';
            if (d <= 9) {
                mantissa = mantissa * 10 + d;
                ++digits;
            } else if (p->unicode() == '.' && !dot) {
                dot = p;
            } else {
                return false;
            }
        }
        if (digits == 0)
            return false;
        const double v = static_cast<double>(mantissa) / Pow10[dot ? end - dot - 1 : 0];
        value = negative ? -v : v;
        return true;
    }
    for (; p < end; ++p) {
        const char16_t c = p->unicode();
        if (c >= '0' && c <= '9') {
            ++digits;
            if (mantissa >= (ExactLimit - 9) / 10) {
                exact = false;
                continue;
            }
            mantissa = mantissa * 10 + (c - '0');
            fraction += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    if (!exact || fraction > 22)
        return TryParse(text, value);
    // Both operands are exact, so the one rounding of the division gives
    // the double nearest the decimal value, as a full conversion does.
    const double v = static_cast<double>(mantissa) / Pow10[fraction];
    value = negative ? -v : v;
    return true;
}

double RoundHalfEven(double value)
{
    return std::nearbyint(value);
}

bool ToInt16(double value, int16_t& result)
{
    const double r = RoundHalfEven(value);
    if (!(r >= -32768.0 && r <= 32767.0))
        return false;
    result = static_cast<int16_t>(r);
    return true;
}

bool ToInt32(double value, int32_t& result)
{
    const double r = RoundHalfEven(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        return false;
    result = static_cast<int32_t>(r);
    return true;
}

int16_t ToInt16Saturated(double value)
{
    int16_t r = 0;
    if (!ToInt16(value, r) && !std::isnan(value))
        r = value < 0 ? std::numeric_limits<int16_t>::min() : std::numeric_limits<int16_t>::max();
    return r;
}

int32_t ToInt32Saturated(double value)
{
    int32_t r = 0;
    if (!ToInt32(value, r) && !std::isnan(value))
        r = value < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
    return r;
}

} // namespace NumberText
