#include "NmeaCapture.h"

#include "NmeaLineBuffer.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using Text = std::string_view;

// Digits at [from, from + count) as a number; -1 when any is not a digit.
int Digits(Text text, size_t from, size_t count)
{
    if (from + count > text.size())
        return -1;
    int value = 0;
    for (size_t i = from; i < from + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Milliseconds of the day from "hhmmss" or "hhmmss.ss"; -1 when malformed.
int64_t DayMs(Text field)
{
    const int h = Digits(field, 0, 2);
    const int m = Digits(field, 2, 2);
    const int s = Digits(field, 4, 2);
    if (h < 0 || m < 0 || s < 0 || h > 23 || m > 59 || s > 60)
        return -1;
    int64_t ms = ((h * 60 + m) * 60 + s) * int64_t(1000);
    if (field.size() > 7 && field[6] == '.') {
        int64_t scale = 100;
        for (size_t i = 7; i < field.size() && scale > 0; ++i, scale /= 10) {
            const int d = Digits(field, i, 1);
            if (d < 0)
                break;
            ms += d * scale;
        }
    }
    return ms;
}

// Fields 0 to count - 1 of line in one walk, the address first; the last
// field ends at its first "*", fields beyond the line are empty.
void Fields(Text line, Text* fields, int count)
{
    size_t start = 0;
    int i = 0;
    while (i < count) {
        size_t end = start;
        while (end < line.size() && line[end] != ',')
            ++end;
        if (end == line.size()) {
            end = start;
            while (end < line.size() && line[end] != '*')
                ++end;
            fields[i++] = line.substr(start, end - start);
            break;
        }
        fields[i++] = line.substr(start, end - start);
        start = end + 1;
    }
    for (; i < count; ++i)
        fields[i] = Text();
}

// Local time of a record stamp "yyyy-MM-ddThh:mm:ss.zzz", cached per hour
// so that a long record reads quickly and a change of daylight saving time
// is still honoured.
class StampReader {
public:
    bool Read(Text line, int64_t& ms)
    {
        if (line.size() < 26 || line[4] != '-' || line[7] != '-' || line[10] != 'T' || line[13] != ':'
            || line[16] != ':' || line[19] != '.' || line[23] != ' ')
            return false;
        const int y = Digits(line, 0, 4), mo = Digits(line, 5, 2), d = Digits(line, 8, 2);
        const int h = Digits(line, 11, 2), mi = Digits(line, 14, 2), s = Digits(line, 17, 2);
        const int z = Digits(line, 20, 3);
        if (y < 0 || mo < 0 || d < 0 || h < 0 || mi < 0 || s < 0 || z < 0)
            return false;
        const int64_t key = ((int64_t(y) * 100 + mo) * 100 + d) * 100 + h;
        if (key != m_key) {
            const QDate date(y, mo, d);
            if (!date.isValid() || h > 23)
                return false;
            m_key = key;
            m_hourMs = QDateTime(date, QTime(h, 0)).toMSecsSinceEpoch();
        }
        ms = m_hourMs + (int64_t(mi) * 60 + s) * 1000 + z;
        return true;
    }

private:
    int64_t m_key = -1;
    int64_t m_hourMs = 0;
};

// The receive path refuses a line over its bound whole, showing its first
// characters: a longer line is given as its first KeptLength characters,
// still over the bound after a record's stamp.
constexpr size_t KeptLength = 2 * NmeaLineBuffer::MaxLineLength;
static_assert(KeptLength > NmeaLineBuffer::MaxLineLength + 27, "a cut record line must stay over the bound");
// A time is read from the first characters of fields 1 to 9 only; of a
// line longer than KeptLength these are kept as they stream past.
constexpr int HeadFields = 11;
constexpr size_t HeadLength = 16;
constexpr qint64 ChunkSize = 64 * 1024;

// A step count far beyond any file's lines (2^55), and times within 2^60
// ms (36 million years) of the epoch, so that a time plus steps of the
// fixed rate cannot overflow.
constexpr int64_t MostSteps = int64_t(1) << 55;
constexpr int64_t MostMs = int64_t(1) << 60;

int64_t Stepped(int64_t ms, int64_t steps)
{
    return ms + std::clamp(steps, -MostSteps, MostSteps) * NmeaCaptureFixedStepMs;
}

// floor(x * y / d) for x, y < d, without overflow: long multiplication one
// bit of y at a time, keeping the remainder below d.
uint64_t MulDiv(uint64_t x, uint64_t y, uint64_t d)
{
    if (y == 0 || x <= UINT64_MAX / y)
        return x * y / d;
    uint64_t quotient = 0;
    uint64_t rest = 0;
    for (int bit = 63; bit >= 0; --bit) {
        const bool carry = rest >> 63;
        quotient <<= 1;
        rest <<= 1;
        if (carry || rest >= d) {
            rest -= d;
            ++quotient;
        }
        if ((y >> bit) & 1) {
            const uint64_t sum = rest + x;
            if (sum < rest || sum >= d) {
                rest = sum - d;
                ++quotient;
            } else {
                rest = sum;
            }
        }
    }
    return quotient;
}

// The first CR or LF in [p, end), end when none: sixteen characters at a
// time while none of them is one.
const char* LineEnd(const char* p, const char* end)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (hits != 0)
            return p + __builtin_ctz(unsigned(hits));
    }
#else
    constexpr uint64_t ones = 0x0101010101010101u;
    constexpr uint64_t highs = 0x8080808080808080u;
    const auto hasZero = [](uint64_t w) { return (w - ones) & ~w & highs; };
    for (; end - p >= 8; p += 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        if (hasZero(w ^ (ones * '\r')) | hasZero(w ^ (ones * '\n')))
            break;
    }
#endif
    while (p < end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

// Latin-1 bytes to UTF-16, each byte its own character.
void Widen(const char* from, size_t size, char16_t* to)
{
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; size >= 16; size -= 16, from += 16, to += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 8), _mm_unpackhi_epi8(v, zero));
    }
#endif
    for (size_t i = 0; i < size; ++i)
        to[i] = uchar(from[i]);
}

} // namespace

int64_t NmeaCaptureSpread(int64_t ta, int64_t tb, int64_t a, int64_t b, int64_t k)
{
    // With span = q n + r: span j / n = q j + r j / n, where q j <= span and
    // r, j < n.
    const uint64_t span = uint64_t(tb) - uint64_t(ta);
    const uint64_t n = uint64_t(b) - uint64_t(a);
    const uint64_t j = uint64_t(k) - uint64_t(a);
    // Mostly a second's span over a few lines: one division.
    uint64_t product = 0;
    const uint64_t offset =
        __builtin_mul_overflow(span, j, &product) ? span / n * j + MulDiv(span % n, j, n) : product / n;
    // The sum lies between ta and tb.
    return int64_t(uint64_t(ta) + offset);
}

// One reading of the text: its sentences one by one, with the time of those
// that carry one.
class NmeaCaptureReader::Cursor {
public:
    Cursor(std::unique_ptr<QIODevice> device, const QDate& date, bool marks)
        : m_device(std::move(device))
        , m_chunk(ChunkSize, Qt::Uninitialized)
        , m_date(date)
        , m_bMarks(marks)
    {
        if (!m_device || !m_device->isOpen())
            m_error = QStringLiteral("not open");
    }

    // The next sentence: its text (valid until the next call) and, when the
    // cursor reads times, whether it carries one.
    bool Next(Text& sentence, bool& marked, int64_t& ms)
    {
        Text line;
        while (ReadLine(line)) {
            marked = false;
            if (m_stamps.Read(line, ms)) {
                // A sentence sent is not input; a Signal K server's update
                // ("in path value") is.
                if (line[24] == '<' && line.size() > 26 && line[25] == ' '
                    && (line[26] == '$' || line.substr(26, 3) == "in ")) {
                    sentence = line.substr(26);
                    marked = true;
                    return true;
                }
                continue;
            }
            if (line[0] != '$') {
                ++m_skipped;
                continue;
            }
            sentence = line;
            // Only an RMC or a ZDA carries a time.
            if (m_bMarks && line.size() >= 6
                && ((line[3] == 'R' && line[4] == 'M' && line[5] == 'C')
                    || (line[3] == 'Z' && line[4] == 'D' && line[5] == 'A')))
                marked = Mark(line, ms);
            return true;
        }
        return false;
    }

    int64_t Skipped() const { return m_skipped; }
    const QString& Error() const { return m_error; }
    int64_t BytesHeld() const { return m_chunk.capacity() + m_line.capacity() + m_heads.capacity(); }

private:
    // The time of an RMC or ZDA; the date they carry holds for later times.
    bool Mark(Text line, int64_t& ms)
    {
        const Text fields = m_bLong ? Text(m_heads.constData(), size_t(m_heads.size())) : line;
        const auto type = [&line](const char* name) {
            return line.size() >= 6 && line[3] == name[0] && line[4] == name[1] && line[5] == name[2];
        };
        int64_t dayMs = -1;
        if (type("RMC")) {
            Text field[10];
            Fields(fields, field, 10);
            dayMs = DayMs(field[1]);
            const Text dmy = field[9];
            const int d = Digits(dmy, 0, 2), m = Digits(dmy, 2, 2), y = Digits(dmy, 4, 2);
            if (d > 0 && m > 0 && y >= 0)
                SetDate(2000 + y, m, d);
        } else if (type("ZDA")) {
            Text field[5];
            Fields(fields, field, 5);
            dayMs = DayMs(field[1]);
            const int d = Digits(field[2], 0, 2), m = Digits(field[3], 0, 2);
            const int y = Digits(field[4], 0, 4);
            if (d > 0 && m > 0 && y > 0)
                SetDate(y, m, d);
        }
        if (dayMs < 0)
            return false;
        if (m_date != m_baseDate) {
            m_baseDate = m_date;
            m_baseMs = QDateTime(m_date, QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
        }
        ms = m_baseMs + dayMs;
        return true;
    }

    // A valid date holds for later times; the date set last is not checked
    // again at every fix.
    void SetDate(int y, int m, int d)
    {
        const int64_t key = (int64_t(y) * 100 + m) * 100 + d;
        if (key == m_lDateKey)
            return;
        const QDate date(y, m, d);
        if (!date.isValid())
            return;
        m_lDateKey = key;
        m_date = date;
    }

    // The next line that is not empty: a view of the chunk when the line
    // lies within it (most do), else of m_line.
    bool ReadLine(Text& line)
    {
        if (!m_line.isEmpty())
            m_line.resize(0);
        m_bLong = false;
        for (;;) {
            if (m_pos == m_filled && !Fill()) {
                line = Text(m_line.constData(), size_t(m_line.size()));
                return !m_line.isEmpty();
            }
            const char* const chunk = m_chunk.constData();
            const qsizetype stop = LineEnd(chunk + m_pos, chunk + m_filled) - chunk;
            const qsizetype length = stop - m_pos;
            if (stop < m_filled && m_line.isEmpty() && size_t(length) <= KeptLength) {
                line = Text(chunk + m_pos, size_t(length));
                // The LF of a CR LF with it, when at hand.
                m_pos = stop + (chunk[stop] == '\r' && stop + 1 < m_filled && chunk[stop + 1] == '\n' ? 2 : 1);
                if (length > 0)
                    return true;
                continue;
            }
            Append(chunk + m_pos, length);
            m_pos = stop;
            if (stop < m_filled) {
                ++m_pos;
                if (!m_line.isEmpty()) {
                    line = Text(m_line.constData(), size_t(m_line.size()));
                    return true;
                }
            }
        }
    }

    void Append(const char* text, qsizetype size)
    {
        const qsizetype room = qsizetype(KeptLength) - m_line.size();
        if (!m_bLong && size <= room) {
            m_line.append(text, size);
            return;
        }
        if (!m_bLong) {
            m_bLong = true;
            m_heads.resize(0);
            m_iField = 0;
            m_fieldLength = 0;
            AddHeads(m_line.constData(), m_line.size());
        }
        m_line.append(text, std::max<qsizetype>(0, std::min(size, room)));
        AddHeads(text, size);
    }

    // The first HeadLength characters of the first HeadFields fields, with
    // the commas between them.
    void AddHeads(const char* text, qsizetype size)
    {
        for (qsizetype i = 0; i < size; ++i) {
            if (text[i] == ',') {
                if (++m_iField < HeadFields)
                    m_heads += ',';
                m_fieldLength = 0;
            } else if (m_iField < HeadFields && m_fieldLength < HeadLength) {
                m_heads += text[i];
                ++m_fieldLength;
            }
        }
    }

    bool Fill()
    {
        if (!m_error.isEmpty())
            return false;
        const qint64 got = m_device->read(m_chunk.data(), ChunkSize);
        if (got < 0)
            m_error = m_device->errorString();
        m_filled = std::max<qint64>(got, 0);
        m_pos = 0;
        return got > 0;
    }

    std::unique_ptr<QIODevice> m_device;
    QByteArray m_chunk; // read ahead, m_filled bytes of it
    qsizetype m_filled = 0;
    qsizetype m_pos = 0;
    QByteArray m_line; // the line, or its first KeptLength characters
    bool m_bLong = false;
    QByteArray m_heads; // of a longer line
    int m_iField = 0;
    size_t m_fieldLength = 0;
    int64_t m_skipped = 0;
    QString m_error;
    StampReader m_stamps;
    QDate m_date;
    int64_t m_lDateKey = -1; // of the date set last
    QDate m_baseDate;
    int64_t m_baseMs = 0;
    bool m_bMarks;
};

NmeaCaptureReader::NmeaCaptureReader(const Opener& open, const QDateTime& start)
    : m_open(open)
    , m_startDate(start.toUTC().date())
    , m_lead(std::make_unique<Cursor>(open(), m_startDate, true))
    , m_lStartMs(std::clamp<int64_t>(start.toMSecsSinceEpoch(), -MostMs, MostMs))
{
}

NmeaCaptureReader::~NmeaCaptureReader() = default;

std::unique_ptr<NmeaCaptureReader> NmeaCaptureReader::FromFile(const QString& path, const QDateTime& start)
{
    return std::make_unique<NmeaCaptureReader>(
        [path]() -> std::unique_ptr<QIODevice> {
            auto file = std::make_unique<QFile>(path);
            file->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
            return file;
        },
        start);
}

std::unique_ptr<NmeaCaptureReader> NmeaCaptureReader::FromText(QStringView text, const QDateTime& start)
{
    const QByteArray bytes = text.toLatin1();
    return std::make_unique<NmeaCaptureReader>(
        [bytes]() -> std::unique_ptr<QIODevice> {
            auto buffer = std::make_unique<QBuffer>();
            buffer->setData(bytes);
            buffer->open(QIODevice::ReadOnly);
            return buffer;
        },
        start);
}

// The lead's next sentence with a time, and its index. Times never run
// backwards: one before the time ahead of it (a clock set back, a day
// boundary without a date) takes the earlier time.
bool NmeaCaptureReader::NextMark(int64_t& index, int64_t& ms)
{
    // The lines given make room for those to come.
    if (m_iKeptGiven > 0) {
        const qsizetype used =
            m_iKeptGiven < m_kept.size() ? m_kept[m_iKeptGiven].offset : qsizetype(m_keptText.size());
        m_keptText.erase(0, size_t(used));
        m_kept.erase(m_kept.begin(), m_kept.begin() + qsizetype(m_iKeptGiven));
        for (Kept& kept : m_kept)
            kept.offset -= used;
        m_iKeptGiven = 0;
    }
    Text sentence;
    bool marked = false;
    int64_t at = 0;
    while (m_lead->Next(sentence, marked, at)) {
        index = m_lLeadIndex++;
        Keep(sentence);
        if (marked) {
            ms = m_bHaveB ? std::max(at, m_lTb) : at;
            return true;
        }
    }
    return false;
}

void NmeaCaptureReader::Keep(Text sentence)
{
    if (m_lLeadIndex - 1 < m_lKeepFrom)
        return;
    if (m_keptText.size() + sentence.size() > size_t(KeptBytes) || m_kept.size() == size_t(KeptLines)) {
        // Too far between two times: these lines and the one passed now
        // come from a second reading.
        m_keptText.clear();
        m_kept.clear();
        m_iKeptGiven = 0;
        m_lKeepFrom = m_lLeadIndex;
        return;
    }
    if (m_kept.capacity() == 0) {
        m_keptText.reserve(size_t(KeptBytes));
        m_kept.reserve(size_t(KeptLines));
    }
    m_kept.push_back({qsizetype(m_keptText.size()), qsizetype(sentence.size()), m_lead->Skipped()});
    m_keptText.append(sentence);
}

bool NmeaCaptureReader::ReadAgain(int64_t k, Text& sentence)
{
    if (!m_feed)
        m_feed = std::make_unique<Cursor>(m_open(), m_startDate, false);
    bool marked = false;
    int64_t unused = 0;
    for (; m_lFeedIndex <= k; ++m_lFeedIndex)
        if (!m_feed->Next(sentence, marked, unused))
            return false;
    return true;
}

bool NmeaCaptureReader::Next(NmeaCaptureLine& line)
{
    if (!m_bStarted) {
        m_bStarted = true;
        m_bHaveB = NextMark(m_lB, m_lTb);
        m_bTimed = m_bHaveB;
    }
    const int64_t k = m_lIndex;
    while (m_bHaveB && k >= m_lB) {
        m_bHaveA = true;
        m_lA = m_lB;
        m_lTa = m_lTb;
        m_bHaveB = NextMark(m_lB, m_lTb);
    }
    // The lead has passed line k by now, unless the text ends before it.
    Text sentence;
    if (k >= m_lKeepFrom && m_iKeptGiven < m_kept.size()) {
        const Kept& kept = m_kept[m_iKeptGiven++];
        sentence = Text(m_keptText.data() + kept.offset, size_t(kept.length));
        m_lSkipped = kept.skipped;
    } else if (k >= m_lKeepFrom && m_lead->Error().isEmpty()) {
        m_lSkipped = m_lead->Skipped();
        return false;
    } else {
        // Let go, or past a reading of the lead that failed.
        const bool read = ReadAgain(k, sentence);
        m_lSkipped = m_feed->Skipped();
        if (!read)
            return false;
    }
    m_lIndex = k + 1;
    if (!m_bTimed)
        line.ms = Stepped(m_lStartMs, k);
    else if (!m_bHaveA)
        line.ms = Stepped(m_lTb, k - m_lB);
    else if (m_bHaveB)
        line.ms = NmeaCaptureSpread(m_lTa, m_lTb, m_lA, m_lB, k);
    else
        line.ms = Stepped(m_lTa, k - m_lA);
    // Lines of one type repeat their length: most need no resize.
    if (line.line.size() != qsizetype(sentence.size()))
        line.line.resize(qsizetype(sentence.size()));
    Widen(sentence.data(), sentence.size(), reinterpret_cast<char16_t*>(line.line.data()));
    return true;
}

int64_t NmeaCaptureReader::Skipped() const
{
    return m_lSkipped;
}

QString NmeaCaptureReader::Error() const
{
    return m_feed && !m_feed->Error().isEmpty() ? m_feed->Error() : m_lead->Error();
}

int64_t NmeaCaptureReader::BytesHeld() const
{
    return m_lead->BytesHeld() + (m_feed ? m_feed->BytesHeld() : 0) + int64_t(m_keptText.capacity())
           + int64_t(m_kept.capacity() * sizeof(Kept));
}

NmeaCapture NmeaCaptureRead(QStringView text, const QDateTime& start)
{
    NmeaCapture capture;
    const auto reader = NmeaCaptureReader::FromText(text, start);
    NmeaCaptureLine line;
    while (reader->Next(line))
        capture.lines.append(line);
    capture.skipped = reader->Skipped();
    capture.timed = reader->Timed();
    return capture;
}

QString NmeaRecordLine(const QDateTime& time, QChar direction, const QString& sentence)
{
    return time.toString(QStringLiteral("yyyy-MM-ddThh:mm:ss.zzz")) + QLatin1Char(' ') + direction
           + QLatin1Char(' ') + sentence;
}
