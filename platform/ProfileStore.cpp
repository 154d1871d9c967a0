#include "ProfileStore.h"

#include <QByteArray>
#include <QChar>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSaveFile>
#include <QVector>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

namespace ProfileStore {
namespace {

#ifdef Q_OS_WIN
const QByteArray kDefaultLineEnd = QByteArrayLiteral("\r\n");
#else
const QByteArray kDefaultLineEnd = QByteArrayLiteral("\n");
#endif

enum class Kind { Blank, Comment, Section, Entry, Other };

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
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

// The same on bytes, in place.
void Trim(const char*& begin, const char*& end)
{
    while (begin < end && IsBlank(*begin))
        ++begin;
    while (end > begin && IsBlank(end[-1]))
        --end;
}

// Kind and trimmed name of a line, without copying it.
Kind Classify(const char* begin, const char* end, QLatin1StringView& name)
{
    Trim(begin, end);
    if (begin == end)
        return Kind::Blank;
    if (*begin == ';')
        return Kind::Comment;
    if (*begin == '[') {
        const char* close = std::find(begin + 1, end, ']');
        const char* nameBegin = begin + 1;
        Trim(nameBegin, close);
        name = QLatin1StringView(nameBegin, close);
        return Kind::Section;
    }
    const char* eq = std::find(begin, end, '=');
    if (eq == end || eq == begin)
        return Kind::Other;
    Trim(begin, eq);
    name = QLatin1StringView(begin, eq);
    return Kind::Entry;
}

// The value of an entry line: trimmed, without matching quotes around it.
QString EntryValue(const char* begin, const char* end)
{
    begin = std::find(begin, end, '=') + 1;
    Trim(begin, end);
    if (end - begin >= 2 && (*begin == '"' || *begin == '\'') && end[-1] == *begin) {
        ++begin;
        --end;
    }
    return QString::fromLatin1(begin, end - begin);
}

bool SameName(QLatin1StringView a, QStringView b)
{
    return QStringView(b).compare(a, Qt::CaseInsensitive) == 0;
}

// A name's hash, equal for names that SameName finds equal: each
// character folded as QString folds it for a comparison without case.
class NameHash {
public:
    void Add(QChar c)
    {
        m_hash = (m_hash ^ c.toCaseFolded().unicode()) * 1099511628211ULL;
    }
    uint64_t Value() const { return m_hash; }

private:
    uint64_t m_hash = 14695981039346656037ULL;
};

uint64_t HashOf(QStringView name)
{
    NameHash hash;
    for (QChar c : name)
        hash.Add(c);
    return hash.Value();
}

uint64_t HashOf(QLatin1StringView name)
{
    NameHash hash;
    for (QChar c : name)
        hash.Add(c);
    return hash.Value();
}

// A byte-order mark left by an editor is kept but not read as text, so the
// first section stays visible.
int BomLength(const QByteArray& data)
{
    return data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
}

QByteArray LineEndOf(const QByteArray& data)
{
    const qsizetype nl = data.indexOf('\n');
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

enum class Applied { Refused, Unchanged, Changed };

// A line of the text: [at, textEnd) without its line end (a CR before the
// LF belongs to the end), the next line from next.
struct LineSpan {
    qsizetype at;
    qsizetype textEnd;
    qsizetype next;
};

// A profile's text with where each section header and each key stands, so
// that a key costs a look-up, not a pass over the file. Copies share the
// text and the index until one of them changes.
class Profile {
public:
    Profile() = default;
    explicit Profile(QByteArray data);

    const QByteArray& Data() const { return m_data; }
    // False when the first section of the name has no such key.
    bool Value(QStringView section, QStringView key, QString& value) const;
    // One key written by the rules of Write.
    Applied Set(QStringView section, QStringView key, QStringView value);

private:
    // A section header or an entry line: its name's hash and where it starts.
    struct Slot {
        uint64_t hash;
        qsizetype at;
        bool operator<(const Slot& other) const
        {
            return hash != other.hash ? hash < other.hash : at < other.at;
        }
    };

    LineSpan Line(qsizetype at) const;
    Kind KindAt(qsizetype at, QLatin1StringView& name) const;
    // The first section of the name: its header line and where the next
    // section starts.
    bool FindSection(QStringView name, LineSpan& head, qsizetype& end) const;
    // The first entry of the key in [head, end), -1 when none.
    qsizetype FindKey(QStringView key, const LineSpan& head, qsizetype end) const;
    // Text at [at, at + removed) replaced; the slots behind it follow, and
    // one at `at` itself when shiftAt (the line there moves down).
    void Splice(qsizetype at, qsizetype removed, const QByteArray& text, bool shiftAt);
    // The slot of a line just written.
    void AddSlot(qsizetype at);

    QByteArray m_data;
    QVector<Slot> m_heads;   // section headers, in file order
    QVector<Slot> m_keys;    // entries after the first header, by hash then place
};

Profile::Profile(QByteArray data)
    : m_data(std::move(data))
{
    for (qsizetype at = BomLength(m_data); at < m_data.size();) {
        const LineSpan line = Line(at);
        QLatin1StringView name;
        switch (Classify(m_data.constData() + at, m_data.constData() + line.textEnd, name)) {
        case Kind::Section:
            m_heads.append({HashOf(name), at});
            break;
        case Kind::Entry:
            if (!m_heads.isEmpty())
                m_keys.append({HashOf(name), at});
            break;
        default:
            break;
        }
        at = line.next;
    }
    std::sort(m_keys.begin(), m_keys.end());
}

LineSpan Profile::Line(qsizetype at) const
{
    const qsizetype nl = m_data.indexOf('\n', at);
    if (nl < 0)
        return {at, m_data.size(), m_data.size()};
    const qsizetype textEnd = nl > at && m_data[nl - 1] == '\r' ? nl - 1 : nl;
    return {at, textEnd, nl + 1};
}

Kind Profile::KindAt(qsizetype at, QLatin1StringView& name) const
{
    const LineSpan line = Line(at);
    return Classify(m_data.constData() + at, m_data.constData() + line.textEnd, name);
}

bool Profile::FindSection(QStringView name, LineSpan& head, qsizetype& end) const
{
    const uint64_t hash = HashOf(name);
    for (qsizetype i = 0; i < m_heads.size(); ++i) {
        QLatin1StringView found;
        if (m_heads[i].hash != hash || KindAt(m_heads[i].at, found) != Kind::Section || !SameName(found, name))
            continue;
        head = Line(m_heads[i].at);
        end = i + 1 < m_heads.size() ? m_heads[i + 1].at : m_data.size();
        return true;
    }
    return false;
}

qsizetype Profile::FindKey(QStringView key, const LineSpan& head, qsizetype end) const
{
    const uint64_t hash = HashOf(key);
    for (auto it = std::lower_bound(m_keys.cbegin(), m_keys.cend(), Slot{hash, head.next});
         it != m_keys.cend() && it->hash == hash && it->at < end; ++it) {
        QLatin1StringView found;
        if (KindAt(it->at, found) == Kind::Entry && SameName(found, key))
            return it->at;
    }
    return -1;
}

bool Profile::Value(QStringView section, QStringView key, QString& value) const
{
    LineSpan head;
    qsizetype end = 0;
    if (!FindSection(Trimmed(section), head, end))
        return false;
    const qsizetype at = FindKey(Trimmed(key), head, end);
    if (at < 0)
        return false;
    value = EntryValue(m_data.constData() + at, m_data.constData() + Line(at).textEnd);
    return true;
}

void Profile::Splice(qsizetype at, qsizetype removed, const QByteArray& text, bool shiftAt)
{
    m_data.replace(at, removed, text);
    const qsizetype delta = text.size() - removed;
    if (delta == 0)
        return;
    // A uniform shift keeps both orders.
    for (QVector<Slot>* list : {&m_heads, &m_keys})
        for (Slot& slot : *list)
            if (slot.at > at || (shiftAt && slot.at == at))
                slot.at += delta;
}

void Profile::AddSlot(qsizetype at)
{
    QLatin1StringView name;
    const Kind kind = KindAt(at, name);
    const Slot slot{HashOf(name), at};
    if (kind == Kind::Section)
        m_heads.insert(std::upper_bound(m_heads.begin(), m_heads.end(), at,
                                        [](qsizetype a, const Slot& s) { return a < s.at; }),
                       slot);
    else if (kind == Kind::Entry)
        m_keys.insert(std::lower_bound(m_keys.begin(), m_keys.end(), slot), slot);
}

Applied Profile::Set(QStringView section, QStringView key, QStringView value)
{
    if (!ValidNames(section, key, value))
        return Applied::Refused;
    const QStringView wantSection = Trimmed(section);
    const QStringView wantKey = Trimmed(key);
    const QByteArray valueBytes = value.toString().toLatin1();

    LineSpan head;
    qsizetype end = 0;
    bool found = FindSection(wantSection, head, end);
    if (found) {
        const qsizetype at = FindKey(wantKey, head, end);
        if (at >= 0) {
            // Keeps the spelling of a hand-edited file.
            QLatin1StringView name;
            KindAt(at, name);
            const QByteArray keyLine = QByteArray(name.data(), name.size()) + '=' + valueBytes;
            const qsizetype textEnd = Line(at).textEnd;
            if (QByteArrayView(m_data).sliced(at, textEnd - at) == keyLine)
                return Applied::Unchanged;
            Splice(at, textEnd - at, keyLine, false);
            return Applied::Changed;
        }
    }

    const QByteArray lineEnd = LineEndOf(m_data);
    const QByteArray keyLine = wantKey.toString().toLatin1() + '=' + valueBytes;
    if (m_data.size() > BomLength(m_data) && !m_data.endsWith('\n')) {
        m_data += lineEnd;
        found = FindSection(wantSection, head, end);
    }
    if (!found) {
        const qsizetype at = m_data.size();
        Splice(at, 0, '[' + wantSection.toString().toLatin1() + ']' + lineEnd, true);
        AddSlot(at);
        const qsizetype keyAt = m_data.size();
        Splice(keyAt, 0, keyLine + lineEnd, true);
        AddSlot(keyAt);
        return Applied::Changed;
    }
    // After the last entry (or other text) of the section, before the
    // blank lines and comments that end it.
    qsizetype insertAt = head.next;
    for (qsizetype lineEndAt = end; lineEndAt > head.next;) {
        const qsizetype at = m_data.lastIndexOf('\n', lineEndAt - 2) + 1;
        QLatin1StringView name;
        const Kind kind = KindAt(at, name);
        if (kind == Kind::Entry || kind == Kind::Other) {
            insertAt = lineEndAt;
            break;
        }
        lineEndAt = at;
    }
    Splice(insertAt, 0, keyLine + lineEnd, true);
    AddSlot(insertAt);
    return Applied::Changed;
}

// What tells one state of a file from another without reading it.
struct Identity {
    bool exists = false;
    int64_t size = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t modifiedNs = 0;
    int64_t changedNs = 0;   // the last change of any kind, as the system's clock stood

    bool operator==(const Identity& o) const
    {
        return exists == o.exists && size == o.size && device == o.device && inode == o.inode
            && modifiedNs == o.modifiedNs && changedNs == o.changedNs;
    }
    bool operator!=(const Identity& o) const { return !(*this == o); }
};

Identity Identify(const QString& file)
{
    Identity id;
#ifdef Q_OS_LINUX
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0)
        return id;
    id.exists = true;
    id.size = st.st_size;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    // Unlike the modification time, no program can set it.
    id.changedNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
#else
    const QFileInfo info(file);
    if (!info.exists())
        return id;
    id.exists = true;
    id.size = info.size();
    id.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    id.changedNs = std::max(id.modifiedNs, info.metadataChangeTime().toMSecsSinceEpoch() * 1000000);
#endif
    return id;
}

// A change within the tick the file's stamps show may be followed by
// another that leaves them as they are. Stamps with a fraction of a second
// come from a file system that keeps the kernel's clock tick (a few
// milliseconds); whole seconds may be steps of two (FAT).
bool Settled(const Identity& id, int64_t nowMs)
{
    const int64_t tickMs = id.changedNs % 1000000000 == 0 ? 2000 : 20;
    return nowMs - id.changedNs / 1000000 > tickMs;
}

// The last profile used.
struct Cache {
    QMutex mutex;
    QString file;
    Identity identity;
    bool loaded = false;
    bool settled = false;   // the identity stands for the text
    Profile profile;
    uint64_t reads = 0;
    std::function<int64_t()> clock;
};

Cache& TheCache()
{
    static Cache cache;
    return cache;
}

enum class Loaded { Missing, Unreadable, Read };

// The file's profile into the cache, read from disk only when the file may
// have changed since it was read. Cache locked.
Loaded Load(Cache& cache, const QString& file)
{
    const Identity before = Identify(file);
    const bool same = cache.loaded && cache.file == file;
    if (!before.exists) {
        cache.settled = false;
        return Loaded::Missing;
    }
    if (same && cache.settled && before == cache.identity)
        return Loaded::Read;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        cache.settled = false;
        return Loaded::Unreadable;
    }
    QByteArray data = in.readAll();
    in.close();
    ++cache.reads;
    const Identity after = Identify(file);
    // The same text keeps its index.
    if (!same || data != cache.profile.Data())
        cache.profile = Profile(std::move(data));
    cache.file = file;
    cache.loaded = true;
    cache.identity = after;
    const int64_t now = cache.clock ? cache.clock() : QDateTime::currentMSecsSinceEpoch();
    cache.settled = before == after && Settled(after, now);
    return Loaded::Read;
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

int Read(const QString& file, QStringView section, QStringView key, QStringView defaultText,
         QString& value, int bufferSize)
{
    value = Cut(defaultText, bufferSize);
    Cache& cache = TheCache();
    QMutexLocker lock(&cache.mutex);
    QString found;
    if (Load(cache, file) == Loaded::Read && cache.profile.Value(section, key, found))
        value = Cut(found, bufferSize);
    return static_cast<int>(value.size());
}

bool Write(const QString& file, QStringView section, QStringView key, QStringView value)
{
    return WriteBatch(file, {{section, key, value.toString()}});
}

bool WriteBatch(const QString& file, const QVector<Entry>& entries)
{
    Cache& cache = TheCache();
    QMutexLocker lock(&cache.mutex);
    // A profile made read-only stays as it is, although the rename would
    // get past it.
    Profile work;
    switch (Load(cache, file)) {
    case Loaded::Missing:
        break;
    case Loaded::Unreadable:
        return false;
    case Loaded::Read:
        if (!QFileInfo(file).isWritable())
            return false;
        work = cache.profile;
        break;
    }
    bool allTaken = true;
    bool changed = false;
    for (const Entry& entry : entries) {
        switch (work.Set(entry.section, entry.key, entry.value)) {
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
    if (!Save(file, work.Data()))
        return false;
    // The text just written, to be compared with the file at its next use.
    cache.file = file;
    cache.loaded = true;
    cache.settled = false;
    cache.profile = std::move(work);
    return allTaken;
}

uint64_t FileReads()
{
    Cache& cache = TheCache();
    QMutexLocker lock(&cache.mutex);
    return cache.reads;
}

void SetClock(std::function<int64_t()> clock)
{
    Cache& cache = TheCache();
    QMutexLocker lock(&cache.mutex);
    cache.clock = std::move(clock);
}

QString BoolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace ProfileStore
