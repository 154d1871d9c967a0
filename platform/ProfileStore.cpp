#include "ProfileStore.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QVector>

namespace ProfileStore {
namespace {

#ifdef Q_OS_WIN
const QByteArray kDefaultLineEnd = QByteArrayLiteral("\r\n");
#else
const QByteArray kDefaultLineEnd = QByteArrayLiteral("\n");
#endif

struct Line {
    QByteArray text;   // without its line end
    QByteArray end;    // "\n", "\r\n" or empty for a last line without one
};

enum class Kind { Blank, Comment, Section, Entry, Other };

// One line as the reader sees it.
struct Parsed {
    Kind kind = Kind::Other;
    QString name;    // section name or key, trimmed
    QString value;   // entry value, trimmed, quotes removed
};

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

QStringView Trimmed(QStringView s)
{
    int start = 0;
    int end = s.size();
    while (start < end && IsBlank(s[start]))
        ++start;
    while (end > start && IsBlank(s[end - 1]))
        --end;
    return s.mid(start, end - start);
}

Parsed Parse(const QByteArray& bytes)
{
    const QString line = QString::fromLatin1(bytes);
    const QStringView text = Trimmed(line);
    Parsed p;
    if (text.isEmpty()) {
        p.kind = Kind::Blank;
    } else if (text[0] == QLatin1Char(';')) {
        p.kind = Kind::Comment;
    } else if (text[0] == QLatin1Char('[')) {
        p.kind = Kind::Section;
        const int close = text.indexOf(QLatin1Char(']'));
        p.name = Trimmed(close < 0 ? text.mid(1) : text.mid(1, close - 1)).toString();
    } else {
        const int eq = text.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            p.kind = Kind::Other;
        } else {
            p.kind = Kind::Entry;
            p.name = Trimmed(text.left(eq)).toString();
            QStringView value = Trimmed(text.mid(eq + 1));
            if (value.size() >= 2
                && (value[0] == QLatin1Char('"') || value[0] == QLatin1Char('\''))
                && value.back() == value[0])
                value = value.mid(1, value.size() - 2);
            p.value = value.toString();
        }
    }
    return p;
}

bool SameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QVector<Line> SplitLines(const QByteArray& data)
{
    QVector<Line> lines;
    int start = 0;
    while (start < data.size()) {
        const int nl = data.indexOf('\n', start);
        Line line;
        if (nl < 0) {
            line.text = data.mid(start);
            start = data.size();
        } else {
            int textEnd = nl;
            if (textEnd > start && data[textEnd - 1] == '\r')
                --textEnd;
            line.text = data.mid(start, textEnd - start);
            line.end = data.mid(textEnd, nl + 1 - textEnd);
            start = nl + 1;
        }
        lines.append(line);
    }
    return lines;
}

// A byte-order mark left by an editor is kept but not read as text, so the
// first section stays visible.
int BomLength(const QByteArray& data)
{
    return data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
}

QByteArray LineEndOf(const QByteArray& data)
{
    const int nl = data.indexOf('\n');
    if (nl < 0)
        return kDefaultLineEnd;
    return nl > 0 && data[nl - 1] == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

bool HasLineBreak(QStringView s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

bool ValidNames(QStringView section, QStringView key, QStringView value)
{
    const QStringView k = Trimmed(key);
    const QStringView s = Trimmed(section);
    if (k.isEmpty() || HasLineBreak(key) || k.contains(QLatin1Char('='))
        || k[0] == QLatin1Char('[') || k[0] == QLatin1Char(';'))
        return false;
    if (HasLineBreak(section) || s.contains(QLatin1Char(']')))
        return false;
    return !HasLineBreak(value);
}

QString Cut(QStringView text, int bufferSize)
{
    return text.left(qMax(0, bufferSize - 1)).toString();
}

} // namespace

int Read(const QString& file, QStringView section, QStringView key, QStringView defaultText,
         QString& value, int bufferSize)
{
    value = Cut(defaultText, bufferSize);
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return static_cast<int>(value.size());
    const QByteArray data = f.readAll();
    const QStringView wantSection = Trimmed(section);
    const QStringView wantKey = Trimmed(key);
    bool inSection = false;
    for (const Line& line : SplitLines(data.mid(BomLength(data)))) {
        const Parsed p = Parse(line.text);
        if (p.kind == Kind::Section) {
            // Only the first section of a name counts.
            if (inSection)
                break;
            inSection = SameName(p.name, wantSection);
        } else if (inSection && p.kind == Kind::Entry && SameName(p.name, wantKey)) {
            value = Cut(p.value, bufferSize);
            return static_cast<int>(value.size());
        }
    }
    return static_cast<int>(value.size());
}

namespace {

// The profile's bytes, read for a change. False when the file exists but
// cannot be read, or may not be changed: a profile made read-only stays as
// it is, although the rename would get past it.
bool ReadForWrite(const QString& file, QByteArray& data)
{
    data.clear();
    QFile in(file);
    if (!in.exists())
        return true;
    if (!QFileInfo(file).isWritable() || !in.open(QIODevice::ReadOnly))
        return false;
    data = in.readAll();
    return true;
}

enum class Applied { Refused, Unchanged, Changed };

// One key written into the profile's bytes, by the rules of Write.
Applied Apply(QByteArray& data, QStringView section, QStringView key, QStringView value)
{
    if (!ValidNames(section, key, value))
        return Applied::Refused;
    const QByteArray lineEnd = LineEndOf(data);
    const int bom = BomLength(data);
    QVector<Line> lines = SplitLines(data.mid(bom));

    const QStringView wantSection = Trimmed(section);
    const QStringView wantKey = Trimmed(key);
    const QByteArray valueBytes = value.toString().toLatin1();

    int sectionAt = -1;
    int insertAt = -1;   // after the last entry of the section
    int keyAt = -1;
    QString keyName = wantKey.toString();
    for (int i = 0; i < lines.size(); ++i) {
        const Parsed p = Parse(lines[i].text);
        if (p.kind == Kind::Section) {
            if (sectionAt >= 0)
                break;
            if (SameName(p.name, wantSection)) {
                sectionAt = i;
                insertAt = i + 1;
            }
        } else if (sectionAt >= 0) {
            if (p.kind == Kind::Entry && SameName(p.name, wantKey)) {
                keyAt = i;
                keyName = p.name;   // keeps the spelling of a hand-edited file
                break;
            }
            if (p.kind == Kind::Entry || p.kind == Kind::Other)
                insertAt = i + 1;
        }
    }

    const QByteArray keyLine = keyName.toLatin1() + '=' + valueBytes;
    if (keyAt >= 0) {
        if (lines[keyAt].text == keyLine)
            return Applied::Unchanged;
        lines[keyAt].text = keyLine;
    } else {
        if (!lines.isEmpty() && lines.back().end.isEmpty())
            lines.back().end = lineEnd;
        if (sectionAt < 0) {
            lines.append({'[' + wantSection.toString().toLatin1() + ']', lineEnd});
            insertAt = lines.size();
        }
        lines.insert(insertAt, {keyLine, lineEnd});
    }

    QByteArray out = data.left(bom);
    out.reserve(data.size() + keyLine.size() + 64);
    for (const Line& line : lines)
        out += line.text + line.end;
    data = out;
    return Applied::Changed;
}

// Replaces the file whole: a write that fails or is cut short leaves the
// old file.
bool Save(const QString& file, const QByteArray& data)
{
    QSaveFile save(file);
    if (!save.open(QIODevice::WriteOnly))
        return false;
    if (save.write(data) != data.size()) {
        save.cancelWriting();
        return false;
    }
    return save.commit();
}

} // namespace

bool Write(const QString& file, QStringView section, QStringView key, QStringView value)
{
    QByteArray data;
    if (!ReadForWrite(file, data))
        return false;
    switch (Apply(data, section, key, value)) {
    case Applied::Refused:
        return false;
    case Applied::Unchanged:
        return true;
    case Applied::Changed:
        break;
    }
    return Save(file, data);
}

bool WriteBatch(const QString& file, const QVector<Entry>& entries)
{
    QByteArray data;
    if (!ReadForWrite(file, data))
        return false;
    bool allTaken = true;
    bool changed = false;
    for (const Entry& entry : entries) {
        switch (Apply(data, entry.section, entry.key, entry.value)) {
        case Applied::Refused:
            allTaken = false;
            break;
        case Applied::Unchanged:
            break;
        case Applied::Changed:
            changed = true;
            break;
        }
    }
    if (!changed)
        return allTaken;
    return Save(file, data) && allTaken;
}

QString BoolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace ProfileStore
