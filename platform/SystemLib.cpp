#include "SystemLib.h"

#include "NumberText.h"
#include "ProfileStore.h"

namespace {

enum class Stored { Missing, True, False, Text };

Stored ReadStored(const QString& file, QStringView section, QStringView key, QString& text)
{
    if (ProfileStore::Read(file, section, key, u"", text) <= 0)
        return Stored::Missing;
    if (text == QLatin1String("True"))
        return Stored::True;
    if (text == QLatin1String("False"))
        return Stored::False;
    return Stored::Text;
}

// Numeric targets take "True" as -1 and "False" as 0, as whole-number
// conversions of Booleans do; other texts must convert completely.
template <typename Number, typename Convert>
bool GetNumber(const QString& file, QStringView section, QStringView key, Number& value, Convert convert)
{
    QString text;
    switch (ReadStored(file, section, key, text)) {
    case Stored::Missing:
        return false;
    case Stored::True:
        value = -1;
        return true;
    case Stored::False:
        value = 0;
        return true;
    case Stored::Text:
        break;
    }
    return convert(text, value);
}

bool WholeNumber(const QString& text, int16_t& value)
{
    double number = 0;
    return NumberText::TryParse(text, number) && NumberText::ToInt16(number, value);
}

bool WholeNumber(const QString& text, int32_t& value)
{
    double number = 0;
    return NumberText::TryParse(text, number) && NumberText::ToInt32(number, value);
}

} // namespace

bool ProfileGet(const QString& file, QStringView section, QStringView key, int16_t& value)
{
    return GetNumber(file, section, key, value, [](const QString& t, int16_t& v) { return WholeNumber(t, v); });
}

bool ProfileGet(const QString& file, QStringView section, QStringView key, int32_t& value)
{
    return GetNumber(file, section, key, value, [](const QString& t, int32_t& v) { return WholeNumber(t, v); });
}

bool ProfileGet(const QString& file, QStringView section, QStringView key, float& value)
{
    return GetNumber(file, section, key, value,
                     [](const QString& t, float& v) { return NumberText::TryParse(t, v); });
}

bool ProfileGet(const QString& file, QStringView section, QStringView key, bool& value)
{
    QString text;
    switch (ReadStored(file, section, key, text)) {
    case Stored::Missing:
        return false;
    case Stored::True:
        value = true;
        return true;
    case Stored::False:
        value = false;
        return true;
    case Stored::Text:
        break;
    }
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        value = true;
        return true;
    }
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        value = false;
        return true;
    }
    double number = 0;
    if (!NumberText::TryParse(text, number))
        return false;
    value = number != 0;
    return true;
}

bool ProfileGet(const QString& file, QStringView section, QStringView key, QString& value)
{
    QString text;
    if (ReadStored(file, section, key, text) == Stored::Missing)
        return false;
    value = text;
    return true;
}
