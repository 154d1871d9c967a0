#pragma once
// The layers below the receive path's reporting: checking a line (start
// character and checksum), its sentence type, the field table and the seven
// sentence decoders. Nothing here touches the instrument state; decoders
// only return what they read and report lines they cannot decode.

#include <QString>
#include <QStringView>
#include <cstdint>

class NmeaReceiverHost;

enum class NmeaLineCheck {
    Accepted,
    SentenceError, // does not begin with "$"
    ChecksumError,
};

// Start character and, when the third character from the end is "*", the
// checksum (upper-case digits only). Lines shorter than three characters
// carry no checksum.
NmeaLineCheck NmeaCheckLine(QStringView line);

// The three characters after the talker ("$GPRMC" is RMC) packed into a key
// that NmeaType() builds for the known names; 0 when the line is too short.
uint32_t NmeaSentenceType(QStringView line);
constexpr uint32_t NmeaType(const char (&name)[4])
{
    return (uint32_t(uint8_t(name[0])) << 16) | (uint32_t(uint8_t(name[1])) << 8) | uint32_t(uint8_t(name[2]));
}

// XOR of the 8-bit codes of every character after the leading "$".
uint8_t NmeaChecksumValue(QStringView sentence);
// Its two upper-case hexadecimal digits, written at out[0] and out[1].
void NmeaChecksumDigits(QStringView sentence, QChar* out);

class NmeaDecoder {
public:
    // Field table entries 1..MaxFields; further fields are ignored.
    static constexpr int MaxFields = 20;

    // Decode errors go to host.NmeaError.
    explicit NmeaDecoder(NmeaReceiverHost& host);

    // Splits a line into the field table: field 1 follows the first comma,
    // which must come after "$" and five address characters; the last field
    // ends at the first "*" after the last comma. Returns the count (0 when
    // the address is not five characters), at most MaxFields. The fields
    // point into the line, which must stay unchanged while they are read.
    int NmeaFields(QStringView line);
    // Field 1..count; "" for any other index.
    QStringView Field(int index) const
    {
        return index >= 1 && index <= m_iFieldCount && index <= MaxFields ? m_sFields[index] : QStringView();
    }

    // Plausible field values. A sentence carrying a value beyond them, or a
    // number field that is not a number, is refused whole: every output
    // stays unset and the line is reported as "Decode Error - <field> out of
    // range - " + line or "Decode Error - <field> not a number - " + line.
    // An empty field is missing, not refused. Angles and directions
    // lie within -MaxAngle..MaxAngle degrees, variation within
    // -MaxVariation..MaxVariation, speeds (knots, or the same speed in the
    // km/h or m/s of an MWV sentence) and ranges from 0 up to the ceiling.
    static constexpr double MaxAngle = 360;
    static constexpr double MaxVariation = 90;
    static constexpr double MaxBoatSpeed = 100;  // through water or over ground
    static constexpr double MaxWindSpeed = 150;  // a hurricane gust still passes
    static constexpr double MaxRange = 21600;    // once round the earth, nm

    // Each decoder splits the line itself. Numbers start at 0 and texts at
    // ""; a text is only ever one of the letters a decoder accepts ("Kts"
    // for knots, "nm" for nautical miles), except the units of MWV, which are
    // the field itself when it is not "N". The texts point into the line or
    // to constants. Missing letters are reported as "Decode Error - " + line.
    // MWV and RMC with status "V" (the instrument's own "not valid") return
    // nothing and report nothing.
    void NmeaDecodeMWV(const QString& line, float& Angle, QStringView& Reference, float& Speed, QStringView& Units);
    void NmeaDecodeVHW(const QString& line, float& Heading, QStringView& HeadingReference, float& Speed,
                       QStringView& SpeedUnits);
    void NmeaDecodeHDG(const QString& line, float& Heading, QStringView& HeadingReference, float& Variation,
                       QStringView& VariationDirection);
    void NmeaDecodeRMC(const QString& line, float& Track, QStringView& TrackReference, float& Speed,
                       QStringView& SpeedUnits, float& Variation, QStringView& VariationDirection);
    void NmeaDecodeRMB(const QString& line, float& Bearing, QStringView& BearingReference, float& Range,
                       QStringView& RangeUnits);
    void NmeaDecodeVTG(const QString& line, float& Course, QStringView& CourseReference, float& Speed,
                       QStringView& SpeedUnits);
    void NmeaDecodeHVM(const QString& line, float& Variation, QStringView& VariationDirection);

    // A field as a number: optional sign, digits with at most one decimal
    // point, nothing else ("12.3x", " 12" and "1e2" are not numbers), and
    // within single precision. False leaves value as it was.
    static bool NmeaNumber(QStringView field, float& value);

private:
    // Reads the number field at index when count >= needed and the field is
    // not empty; read tells whether it was taken. False, with the field's
    // name and the reason kept for the report, when the field is not a
    // number or its value lies outside low..high: that ends the reading and
    // refuses the line.
    bool ReadNumber(int index, int needed, double low, double high, QStringView name, float& value, bool& read);
    // Reports the line when a field was refused or letters are missing;
    // true when the line was refused, so the decoder clears its outputs.
    bool Refused(const QString& line, bool lettersMissing);
    // Variation letter: "E" keeps the value, "W" negates it.
    void ReadVariation(int index, float& Variation, QStringView& VariationDirection) const;
    // Fields 3 to 6 of VHW and VTG; Direction names the angle in a report.
    void ReadHeadingAndSpeed(float& Heading, QStringView& HeadingReference, float& Speed, QStringView& SpeedUnits,
                             QStringView Direction);
    void DecodeError(const QString& line);

    NmeaReceiverHost& m_host;
    QStringView m_sFields[MaxFields + 1];
    int m_iFieldCount = 0;
    QStringView m_sRefused;       // name of the refused field of this line
    QStringView m_sRefusedReason; // " out of range - " or " not a number - "
};
