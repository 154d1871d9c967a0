#include "NmeaChecksum.h"

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

QString NmeaChecksum(QStringView sentence)
{
    QChar digits[2];
    NmeaChecksumDigits(sentence, digits);
    return QString(digits, 2);
}
