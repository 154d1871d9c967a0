#pragma once
// What each stored setting may hold. Checked where a value enters (the
// profile at start, the Options dialog's Apply), so the logic behind may
// trust it. Booleans need no limits and are not listed.

#include <QString>
#include <QStringView>

enum class SettingLimit {
    Range,   // Min..Max
    Above,   // above Min, up to Max
    Samples, // 0 (no averaging) or 1..Max: a filter factor 1/N above 1 diverges
    Heading, // any number, wrapped into 0 up to 360
    Finite,  // any number
};

struct SettingRule {
    const char16_t* section;
    const char16_t* key;
    SettingLimit limit;
    double min;
    double max;
};

// Every numeric setting of the main window by its profile section and key
// (names compare regardless of case, as in the profile); null for a key
// without a rule.
const SettingRule* FindSettingRule(QStringView section, QStringView key);

// True when value may be taken for section/key; a heading comes back
// wrapped into 0 up to 360. Otherwise false, value untouched, and why says
// for the user what is allowed. Infinity and NaN never pass; a key without
// a rule takes any other number.
bool ProfileSettingValid(QStringView section, QStringView key, double& value, QString& why);
