#pragma once
// Recorded instrument lines and the captures boats log, read back with
// their times so that a day's sailing can be replayed through the receive
// path.
//
// A record of ours has one line per event, the local time first:
//   2026-12-08T14:16:08.123 < $WIMWV,038,R,14.2,N,A*01    received
//   2026-12-08T14:16:08.125 > $ECAPB,A,A,0.00,R,...*04     sent
// Anything else is read as a raw capture: lines end in CR LF, LF or CR;
// only lines starting with "$" are instrument sentences (AIS "!" lines,
// "#" comments and other text are skipped); times come from RMC and ZDA
// sentences, spread evenly over the lines between them, else one line every
// tenth of a second.

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QVector>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

struct NmeaCaptureLine {
    int64_t ms = 0; // local time, milliseconds since the epoch
    QString line;   // without its line end
};

struct NmeaCapture {
    QVector<NmeaCaptureLine> lines; // received lines, in time order
    int64_t skipped = 0;            // lines that are not sentences
    bool timed = false;             // times from the file, not the fixed rate
};

// The time between lines of a capture without times.
constexpr int64_t NmeaCaptureFixedStepMs = 100;

// A record or a capture read one line at a time, in memory bounded whatever
// the file's size: the reading runs ahead to the next line whose time is
// known (an RMC, a ZDA, a record's stamp), keeping the lines it passes, so
// the lines between two times are timed when they are given. Most files
// carry a time every second, a few lines apart, and are read once; where
// the lines between two times outgrow KeptBytes they are let go, and a
// second reading of the file gives them (a file without any time is read
// through once before its first line). A line longer than the receive path
// takes is given cut (the receive path refuses it all the same, from its
// first characters).
class NmeaCaptureReader {
public:
    // Each call gives the text anew from its start, opened for reading.
    using Opener = std::function<std::unique_ptr<QIODevice>()>;
    // Most the reader holds of the text at any time, in bytes.
    static constexpr int64_t MaxBytesHeld = 256 * 1024;
    // Most the lines kept between two times take (text bytes), and most of
    // them: over a minute of a 4800-baud instrument line.
    static constexpr int64_t KeptBytes = 48 * 1024;
    static constexpr int64_t KeptLines = 1024;

    // start gives the time of the first line when the text carries none.
    NmeaCaptureReader(const Opener& open, const QDateTime& start);
    ~NmeaCaptureReader();
    static std::unique_ptr<NmeaCaptureReader> FromFile(const QString& path, const QDateTime& start);
    static std::unique_ptr<NmeaCaptureReader> FromText(QStringView text, const QDateTime& start);

    // The next received line with its time; false after the last. The
    // line's text is written into the room of the text it held.
    bool Next(NmeaCaptureLine& line);
    // Lines so far that are not sentences.
    int64_t Skipped() const;
    // Times from the text, not the fixed rate; known from the first Next.
    bool Timed() const { return m_bTimed; }
    // Why the text ended early (a read that failed); empty when it did not.
    QString Error() const;
    // Bytes of the text the reader holds now.
    int64_t BytesHeld() const;

private:
    class Cursor;
    // A line the lead has passed and kept: its text in m_keptText, and
    // the lines not sentences before it.
    struct Kept {
        qsizetype offset;
        qsizetype length;
        int64_t skipped;
    };
    bool NextMark(int64_t& index, int64_t& ms);
    void Keep(std::string_view sentence);
    // Line k's text from the second reading, opened at the first call.
    bool ReadAgain(int64_t k, std::string_view& sentence);

    Opener m_open;
    QDate m_startDate;
    std::unique_ptr<Cursor> m_lead; // runs ahead to the next time
    std::unique_ptr<Cursor> m_feed; // the second reading, when needed
    int64_t m_lFeedIndex = 0;       // lines the second reading has passed
    // The lines the lead passed and kept, the first m_iKeptGiven of them
    // given already; every line from m_lKeepFrom on is kept until given
    // (those before were let go).
    std::string m_keptText;
    std::vector<Kept> m_kept;
    size_t m_iKeptGiven = 0;
    int64_t m_lKeepFrom = 0;
    int64_t m_lSkipped = 0;
    int64_t m_lStartMs = 0;
    int64_t m_lIndex = 0;     // of the next line given
    int64_t m_lLeadIndex = 0; // lines the lead has passed
    bool m_bStarted = false;
    bool m_bTimed = false;
    // The last time passed (a) and the next ahead (b), by line index.
    bool m_bHaveA = false;
    int64_t m_lA = 0;
    int64_t m_lTa = 0;
    bool m_bHaveB = false;
    int64_t m_lB = 0;
    int64_t m_lTb = 0;
};

// Every line of a record or a capture at once, for texts that fit in memory.
NmeaCapture NmeaCaptureRead(QStringView text, const QDateTime& start);

// Line k's time between lines a and b (a <= k < b) timed ta and tb (ta <=
// tb), spread evenly: ta + (tb - ta) * (k - a) / (b - a), rounded down,
// exactly and without overflow whatever the figures.
int64_t NmeaCaptureSpread(int64_t ta, int64_t tb, int64_t a, int64_t b, int64_t k);

// One line of a record: "2026-12-08T14:16:08.123 < $WIMWV,..." ('<'
// received, '>' sent).
QString NmeaRecordLine(const QDateTime& time, QChar direction, const QString& sentence);
