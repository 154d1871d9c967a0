#pragma once
// Every number the system shows, stores or reads goes through here.
// "." is the decimal point whatever the machine's locale.

#include <QString>
#include <QStringView>
#include <cstdint>

namespace NumberText {

// Display formats: "0", "00", "0.0", "0.00", "000.0", ".0" and the like:
// the count of '0' before the point is the least number of integer digits
// (none for ".0", so 0.4 shows as ".4"), the count after it the exact
// number of decimals. Rounds half away from zero on the value's shortest
// decimal form, so 2.35f shows as 2.4 and -0.4 with "0" shows as "-0".
QString Format(double value, QStringView code);
QString Format(float value, QStringView code);

// General number form: shortest text that reads back to the same value,
// at most 15 significant digits for double and 7 for float.
QString General(double value);
QString General(float value);

// Profile value forms. Plain: at most 7 significant digits, trailing zeros
// dropped, no exponent (60, 2.5, -3, 0.3333333). Field: the plain text with
// one leading blank when the value is not negative.
QString Plain(double value);
QString Field(double value);

// Reads the number at the start of a text: leading blanks, a sign, digits,
// a fraction and an exponent, stopping at the first character that does not
// fit. "12abc" gives 12, "abc" and "" give 0.
double Val(QStringView text);

// Strict conversion for input boxes and stored texts: the whole text, apart
// from surrounding blanks, must be one decimal number. False leaves value as
// it was.
bool TryParse(QStringView text, double& value);
bool TryParse(QStringView text, float& value);

// Strict plain decimal, as in NMEA fields: an optional sign, digits and at
// most one decimal point, nothing else (no blanks, no exponent), at least
// one digit. The same value as TryParse gives for such a text, found
// without its general machinery when the digits allow. False leaves value.
bool TryParseDecimal(QStringView text, double& value);

// Round half to even, as whole-number conversions do. The 16- and 32-bit
// forms fail (return false, leave result) when the value does not fit.
double RoundHalfEven(double value);
bool ToInt16(double value, int16_t& result);
bool ToInt32(double value, int32_t& result);
// The same, but a value beyond the range gives the nearest end of it and
// NaN gives 0: for screen and time arithmetic that must not fail.
int16_t ToInt16Saturated(double value);
int32_t ToInt32Saturated(double value);

} // namespace NumberText
