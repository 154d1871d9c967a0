#pragma once
// The layers below the receive path's reporting: a line's sentence type,
// the field table and the seven sentence decoders. Nothing here touches the
// instrument state or reports anything: a decoder fills its record
// (NmeaSentences.h) and hands what it found wrong back to the caller.

#include "NmeaSentences.h"

#include <QString>
#include <QStringView>
#include <cstdint>

// The three characters after the talker ("$GPRMC" is RMC) packed into a key
// that NmeaType() builds for the known names; 0 when the line is too short.
uint32_t NmeaSentenceType(QStringView line);
constexpr uint32_t NmeaType(const char (&name)[4])
{
    return (uint32_t(uint8_t(name[0])) << 16) | (uint32_t(uint8_t(name[1])) << 8) | uint32_t(uint8_t(name[2]));
}

// The Options dialog's text for a decode error of line: "Decode Error - "
// with the field and the reason in front of the line when a field was
// refused ("Decode Error - Angle out of range - $IIMWV,...").
QString NmeaDecodeErrorText(const NmeaDecodeError& error, QStringView line);

class NmeaDecoder {
public:
    // Field table entries 1..MaxFields; further fields are ignored.
    static constexpr int MaxFields = 20;

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
    // number field that is not a number, is refused whole: its record stays
    // empty and the error names the field (OutOfRange, NotANumber). An
    // empty field is missing, not refused. Angles and directions lie within
    // -MaxAngle..MaxAngle degrees, variation within
    // -MaxVariation..MaxVariation, speeds (knots, or the same speed in the
    // km/h or m/s of an MWV sentence) and ranges from 0 up to the ceiling.
    static constexpr double MaxAngle = 360;
    static constexpr double MaxVariation = 90;
    static constexpr double MaxBoatSpeed = 100;  // through water or over ground
    static constexpr double MaxWindSpeed = 150;  // a hurricane gust still passes
    static constexpr double MaxRange = 21600;    // once round the earth, nm

    // Each decoder splits the line itself and fills its record anew. A
    // letter is taken only beside a number that was read. Missing letters
    // give LettersMissing, and the values read stay in the record. MWV and
    // RMC with status "V" (the instrument's own "not valid") carry only
    // that status and no error. The field table keeps the line's fields
    // until the next split.
    NmeaDecodeError NmeaDecodeMWV(QStringView line, NmeaMWV& Sentence);
    NmeaDecodeError NmeaDecodeVHW(QStringView line, NmeaVHW& Sentence);
    NmeaDecodeError NmeaDecodeHDG(QStringView line, NmeaHDG& Sentence);
    NmeaDecodeError NmeaDecodeRMC(QStringView line, NmeaRMC& Sentence);
    NmeaDecodeError NmeaDecodeRMB(QStringView line, NmeaRMB& Sentence);
    NmeaDecodeError NmeaDecodeVTG(QStringView line, NmeaVTG& Sentence);
    NmeaDecodeError NmeaDecodeHVM(QStringView line, NmeaHVM& Sentence);

    // A field as a number: optional sign, digits with at most one decimal
    // point, nothing else ("12.3x", " 12" and "1e2" are not numbers), and
    // within single precision. False leaves value as it was.
    static bool NmeaNumber(QStringView field, float& value);

private:
    // Reads the number field at index when count >= needed and the field is
    // not empty. False, with the field's name and the reason kept in
    // m_refusal, when the field is not a number or its value lies outside
    // low..high: that ends the reading and refuses the line.
    bool ReadNumber(int index, int needed, double low, double high, QStringView name, std::optional<float>& value);
    // The error of the line just read; a refused line's record is emptied.
    template <class Sentence>
    NmeaDecodeError Finish(Sentence& sentence, bool lettersMissing);
    // Variation letter: "E" keeps the value, "W" negates it.
    void ReadVariation(int index, std::optional<float>& Variation,
                       std::optional<NmeaDirection>& VariationDirection) const;
    // Fields 3 to 6 of VHW and VTG; Direction names the angle in an error.
    void ReadHeadingAndSpeed(std::optional<float>& Heading, std::optional<NmeaReference>& HeadingReference,
                             std::optional<float>& Speed, std::optional<NmeaUnits>& SpeedUnits,
                             QStringView Direction);

    QStringView m_sFields[MaxFields + 1];
    int m_iFieldCount = 0;
    NmeaDecodeError m_refusal;
};
