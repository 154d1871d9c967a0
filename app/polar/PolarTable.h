#pragma once
// The performance polars: target boat speeds by true wind angle and true
// wind speed, as read from polar files and scaled by the speed factor.
// Measured speeds never go in here.
//
// Per polar, row 0 holds the wind speeds of the columns (knots, ascending)
// and column 0 the angles of the rows (degrees 0..180, ascending; the port
// half is the mirror image). Cell (r, c), r and c from 1, is the boat speed
// in knots. Cell (0, 0) stands for the file's "TWA" label. Polar 0 is the
// main polar, 1 the reference polar; 2 is reserved.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <utility>

class PolarTable {
public:
    static constexpr int PolarCount = 3;
    static constexpr int MaxRows = 200;
    static constexpr int MaxCols = 50;

    float m_fPolar[PolarCount][MaxRows + 1][MaxCols + 1] = {};
    // Index of the last data row and of the last wind-speed column.
    int16_t m_iPolarRows[PolarCount] = {};
    int16_t m_iPolarCols[PolarCount] = {};

    // Straight line through (X1, Y1) and (X2, Y2), not clamped. Equal X or
    // equal Y give Y1, so it never divides by zero.
    static float Interpolate(float X, float X1, float X2, float Y1, float Y2);

    // Target speed of a polar for a wind angle 0..180 and a true wind
    // speed. Angles outside the table, and tables without rows or columns,
    // give 0. Below the first wind speed the speed falls linearly to 0 at
    // no wind; above the last it stays at the last column.
    float PolarLookup(int Polar, float WindAngle, float WindSpeed) const;

    // The highest speed a polar holds, knots: a boat speed (after scaling)
    // or a wind speed of a column. Foiling boats and multihulls sail well
    // below it (the sailing speed record is about 65 knots); the decoders
    // take boat speeds up to the same. Also the widest range of the plot.
    static constexpr float MaxSpeed = 100;
    // A full table of generous cells is about a tenth of this; anything
    // larger is not a polar file and is not read into memory.
    static constexpr qint64 MaxFileBytes = 1024 * 1024;

    // Reads a polar file into Polar, multiplying every boat speed by
    // speedFactor. All or nothing: the file is read into a scratch table
    // that replaces the polar only when the whole file is good, so on
    // failure (false, message "Polar File Error: ...") the polar is exactly
    // as it was. Refused besides the format's own errors: an empty file
    // ("No TWA Data"), no wind-speed columns, more than the table holds,
    // and, naming the file's row and column counted from 1, a decimal
    // comma, a negative speed, a speed above MaxSpeed and an angle outside
    // 0..180. A last row without a line feed counts when it is whole.
    bool PolarFileRead(int Polar, const QString& path, float speedFactor, QString& message);

    // Writes the polar as tab-separated lines ended by CR LF: angles and
    // wind speeds as whole numbers, boat speeds with one decimal. The file
    // is replaced only once it is written completely. A polar without
    // wind-speed columns is refused, as the reader would refuse the file.
    bool PolarFileWrite(int Polar, const QString& path, QString& message) const;
};

// Cuts the bytes of a polar file into cells: a tab or a line feed ends a
// cell, everything else (a carriage return included) belongs to it.
class PolarFileTokens {
public:
    explicit PolarFileTokens(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    bool AtEnd() const { return m_pos >= m_bytes.size(); }
    // The next cell. Delimiter: the tab or line feed that ended it; at the
    // end of the file the last character read, or 0 for an empty file.
    QByteArray PolarFileReadToken(char& Delimiter);

private:
    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

// Where a polar file named in the profile lies. An absolute name is used as
// it is. A relative one is taken from the program's folder, or, when it is
// not there, from the shared data folder beside an installed program
// (../share/vanehold/polars), which is where the default polar ships.
QString PolarFilePath(const QString& name, const QString& programFolder);
