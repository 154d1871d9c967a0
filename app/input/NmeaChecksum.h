#pragma once
// The XOR checksum of NMEA 0183, shared by the receive path (checking a
// line) and the APB output (closing a sentence).

#include <QString>
#include <QStringView>
#include <cstdint>

enum class NmeaLineCheck {
    Accepted,
    SentenceError, // does not begin with "$"
    ChecksumError,
};

// Start character and, when the third character from the end is "*", the
// checksum (upper-case digits only). Lines shorter than three characters
// carry no checksum.
NmeaLineCheck NmeaCheckLine(QStringView line);

// XOR of the 8-bit codes of every character after the leading "$".
uint8_t NmeaChecksumValue(QStringView sentence);
// Its two upper-case hexadecimal digits, written at out[0] and out[1].
void NmeaChecksumDigits(QStringView sentence, QChar* out);
// The same two digits as a text; the sentence ends before "*".
QString NmeaChecksum(QStringView sentence);
