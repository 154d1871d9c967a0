#include "PolarTable.h"

#include "NumberText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>

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

bool PolarTable::PolarFileRead(int Polar, const QString& path, float speedFactor, QString& message)
{
    message.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        message = kFileError + file.errorString();
        return false;
    }
    PolarFileTokens tokens(file.readAll());
    if (file.error() != QFileDevice::NoError) {
        message = kFileError + file.errorString();
        return false;
    }

    auto& p = m_fPolar[Polar];
    int row = 0;
    int col = 0;
    for (;;) {
        if (tokens.AtEnd())
            return true;
        char delimiter = '\0';
        const QByteArray cell = tokens.PolarFileReadToken(delimiter);
        if (row == 0 && col == 0) {
            if (cell != "TWA") {
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
            double value = NumberText::Val(QString::fromLatin1(cell));
            if (row >= 1 && col >= 1)
                value *= speedFactor;
            const auto stored = static_cast<float>(value);
            // A number beyond single precision would put infinities into the
            // lookup and the drawing.
            if (!std::isfinite(stored)) {
                message = kFileError + QStringLiteral("Overflow");
                return false;
            }
            p[row][col] = stored;
        }
        if (delimiter == '\t') {
            ++col;
            continue;
        }
        if (delimiter != '\n')
            return false;
        if (row == 0) {
            m_iPolarCols[Polar] = static_cast<int16_t>(col);
            m_iPolarRows[Polar] = 0;
        } else if (col != m_iPolarCols[Polar]) {
            message = kFileError + QStringLiteral("Number of Columns Mismatch");
            return false;
        } else {
            m_iPolarRows[Polar] = static_cast<int16_t>(row);
        }
        ++row;
        col = 0;
    }
}

bool PolarTable::PolarFileWrite(int Polar, const QString& path, QString& message) const
{
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
