#pragma once
// The shared profile reader: ProfileGet(file, section, key, variable).
// A missing key or an empty value leaves the variable as it was. Exactly
// "True" and "False" are Booleans: a Boolean target takes them as they are,
// a number target as -1 and 0, a text target as the text. Any other text is
// converted to the target's type: whole numbers rounded half to even, a
// Boolean target also taking "true"/"false" in any case and numbers
// (nonzero is true). A text that does not convert, or does not fit the
// target, leaves the variable as it was. True when the variable was set.

#include <QString>
#include <QStringView>
#include <cstdint>

bool ProfileGet(const QString& file, QStringView section, QStringView key, int16_t& value);
bool ProfileGet(const QString& file, QStringView section, QStringView key, int32_t& value);
bool ProfileGet(const QString& file, QStringView section, QStringView key, float& value);
bool ProfileGet(const QString& file, QStringView section, QStringView key, bool& value);
bool ProfileGet(const QString& file, QStringView section, QStringView key, QString& value);
