#include "NmeaChecksum.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char16_t HexDigits[] = u"0123456789ABCDEF";

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

uint8_t NmeaChecksumValue(QStringView sentence)
{
    // The low byte of the XOR of the whole characters is the XOR of their
    // low bytes, and whole characters are XORed several at a time.
    if (sentence.size() < 2)
        return 0;
    const char16_t* p = sentence.utf16() + 1;
    qsizetype n = sentence.size() - 1;
    char16_t x = 0;
#if defined(__SSE2__)
    // Eight at a time, folded at the end: no chain of one XOR per character.
    __m128i sum = _mm_setzero_si128();
    for (; n >= 8; n -= 8, p += 8)
        sum = _mm_xor_si128(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    sum = _mm_xor_si128(sum, _mm_srli_si128(sum, 8));
    sum = _mm_xor_si128(sum, _mm_srli_si128(sum, 4));
    sum = _mm_xor_si128(sum, _mm_srli_si128(sum, 2));
    x = static_cast<char16_t>(_mm_cvtsi128_si32(sum));
#endif
    for (qsizetype i = 0; i < n; ++i)
        x ^= p[i];
    return static_cast<uint8_t>(x);
}

void NmeaChecksumDigits(QStringView sentence, QChar* out)
{
    const uint8_t x = sentence.isEmpty() ? 0 : NmeaChecksumValue(sentence);
    out[0] = QChar(HexDigits[x >> 4]);
    out[1] = QChar(HexDigits[x & 15]);
}

QString NmeaChecksum(QStringView sentence)
{
    QChar digits[2];
    NmeaChecksumDigits(sentence, digits);
    return QString(digits, 2);
}
