#include "PolarTable.h"

#include "NumberText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>
#include <vector>

namespace {

const QString kFileError = QStringLiteral("Polar File Error: ");

} // namespace

float PolarTable::Interpolate(float X, float X1, float X2, float Y1, float Y2)
{
    if (X2 == X1 || Y2 == Y1)
        return Y1;
    return static_cast<float>(double(Y1) + (double(Y2) - Y1) * (double(X) - X1) / (double(X2) - X1));
}

float PolarTable::PolarLookup(int Polar, float WindAngle, float WindSpeed) const
{
    const int m = m_iPolarRows[Polar];
    const int n = m_iPolarCols[Polar];
    if (m < 1 || n < 1)
        return 0;
    const auto& p = m_fPolar[Polar];
    const float A = WindAngle;
    if (!(A >= p[1][0] && A <= p[m][0]))
        return 0;

    int r = 2;
    while (r <= m && A > p[r][0])
        ++r;
    // Only a one-row table runs past its end (A is then its angle): both
    // brackets on that row give the same answer without reading beyond it.
    if (r > m)
        r = m;
    const int r1 = r > 1 ? r - 1 : 1;

    if (WindSpeed >= p[0][1]) {
        const float W = WindSpeed > p[0][n] ? p[0][n] : WindSpeed;
        int c = 2;
        while (c <= n && W > p[0][c])
            ++c;
        if (c > n)
            c = n;
        const int c1 = c > 1 ? c - 1 : 1;
        const float s1 = Interpolate(A, p[r1][0], p[r][0], p[r1][c1], p[r][c1]);
        const float s2 = Interpolate(A, p[r1][0], p[r][0], p[r1][c], p[r][c]);
        return Interpolate(W, p[0][c1], p[0][c], s1, s2);
    }
    const float s = Interpolate(A, p[r1][0], p[r][0], p[r1][1], p[r][1]);
    return Interpolate(WindSpeed, 0, p[0][1], 0, s);
}

QByteArray PolarFileTokens::PolarFileReadToken(char& Delimiter)
{
    const qsizetype start = m_pos;
    while (m_pos < m_bytes.size()) {
        const char ch = m_bytes.at(m_pos++);
        if (ch == '\t' || ch == '\n') {
            Delimiter = ch;
            return m_bytes.mid(start, m_pos - 1 - start);
        }
    }
    Delimiter = m_pos > 0 ? m_bytes.at(m_pos - 1) : '\0';
    return m_bytes.mid(start);
}

namespace {

// Where a cell lies, as an editor or a spreadsheet counts: from 1, the
// "TWA" header being row 1 and the angles column 1.
QString CellPlace(int row, int col)
{
    return QStringLiteral(" in Row ") + NumberText::Format(double(row + 1), u"0") + QStringLiteral(", Column ")
           + NumberText::Format(double(col + 1), u"0");
}

} // namespace

bool PolarTable::PolarFileRead(int Polar, const QString& path, float speedFactor, QString& message)
{
    message.clear();
    // A device or a pipe named in the profile could block or never end.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        message = kFileError + path + QStringLiteral(" is not a file");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        message = kFileError + file.errorString();
        return false;
    }
    QByteArray bytes = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        message = kFileError + file.errorString();
        return false;
    }
    if (bytes.size() > MaxFileBytes) {
        message = kFileError + QStringLiteral("File Larger than 1 MB");
        return false;
    }
    PolarFileTokens tokens(std::move(bytes));

    // The scratch table; it replaces the polar only at the end.
    std::vector<float> scratch(size_t(MaxRows + 1) * (MaxCols + 1), 0.0f);
    auto cell = [&](int r, int c) -> float& { return scratch[size_t(r) * (MaxCols + 1) + size_t(c)]; };
    int rows = 0;
    int cols = 0;
    int row = 0;
    int col = 0;
    for (;;) {
        // The end of the file right after a line feed ends the table; after
        // a tab it leaves one empty cell.
        if (tokens.AtEnd() && col == 0)
            break;
        char delimiter = '\0';
        const QByteArray text = tokens.AtEnd() ? QByteArray() : tokens.PolarFileReadToken(delimiter);
        if (row == 0 && col == 0) {
            if (text != "TWA") {
                message = kFileError + QStringLiteral("No TWA Data");
                return false;
            }
        } else {
            // A bigger file is refused rather than written past the table.
            if (col > MaxCols) {
                message = kFileError + QStringLiteral("More than 50 Wind Speed Columns");
                return false;
            }
            if (row > MaxRows) {
                message = kFileError + QStringLiteral("More than 200 Wind Angle Rows");
                return false;
            }
            // "6,5" would read as 6: a file written with a decimal comma.
            if (text.contains(',')) {
                message = kFileError + QStringLiteral("Decimal Comma") + CellPlace(row, col);
                return false;
            }
            double value = NumberText::Val(QString::fromLatin1(text));
            if (col == 0) {
                if (!(value >= 0 && value <= 180)) {
                    message = kFileError + QStringLiteral("Wind Angle outside 0 to 180") + CellPlace(row, col);
                    return false;
                }
            } else {
                if (row >= 1)
                    value *= speedFactor;
                if (value < 0) {
                    message = kFileError + QStringLiteral("Negative Speed") + CellPlace(row, col);
                    return false;
                }
                // Also what is beyond single precision.
                if (!(value <= MaxSpeed)) {
                    message = kFileError + QStringLiteral("Speed above 100 Kts") + CellPlace(row, col);
                    return false;
                }
            }
            // + 0 turns a "-0" into 0, which is written back without a sign.
            cell(row, col) = static_cast<float>(value) + 0.0f;
        }
        if (delimiter == '\t') {
            ++col;
            continue;
        }
        // A line feed, or the end of the file inside a row: the row ends.
        if (row == 0) {
            if (col == 0) {
                message = kFileError + QStringLiteral("No Wind Speed Columns");
                return false;
            }
            cols = col;
        } else if (col != cols) {
            message = kFileError + QStringLiteral("Number of Columns Mismatch");
            return false;
        } else {
            rows = row;
        }
        ++row;
        col = 0;
        if (delimiter != '\n')
            break;
    }
    if (row == 0) {
        message = kFileError + QStringLiteral("No TWA Data");
        return false;
    }

    auto& p = m_fPolar[Polar];
    for (int r = 0; r <= MaxRows; ++r)
        for (int c = 0; c <= MaxCols; ++c)
            p[r][c] = cell(r, c);
    m_iPolarRows[Polar] = static_cast<int16_t>(rows);
    m_iPolarCols[Polar] = static_cast<int16_t>(cols);
    return true;
}

bool PolarTable::PolarFileWrite(int Polar, const QString& path, QString& message) const
{
    if (m_iPolarCols[Polar] < 1) {
        message = kFileError + QStringLiteral("No Wind Speed Columns");
        return false;
    }
    const auto& p = m_fPolar[Polar];
    QByteArray text;
    for (int r = 0; r <= m_iPolarRows[Polar]; ++r) {
        for (int c = 0; c <= m_iPolarCols[Polar]; ++c) {
            if (c > 0)
                text += '\t';
            if (r == 0 && c == 0)
                text += "TWA";
            else
                text += NumberText::Format(p[r][c], r == 0 || c == 0 ? u"0" : u"0.0").toLatin1();
        }
        text += "\r\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        message = kFileError + file.errorString();
        return false;
    }
    message.clear();
    return true;
}

QString PolarFilePath(const QString& name, const QString& programFolder)
{
    if (name.isEmpty() || QFileInfo(name).isAbsolute())
        return name;
    const QString beside = QDir(programFolder).filePath(name);
    if (QFileInfo::exists(beside))
        return beside;
    const QString shared =
        QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral("../share/vanehold/polars/") + name));
    return QFileInfo::exists(shared) ? shared : beside;
}
