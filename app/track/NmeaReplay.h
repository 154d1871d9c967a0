#pragma once
// A day's sailing again: recorded or captured lines fed through the real
// receive path and control loop with their own times, and a summary of what
// the loop made of them. This is how bandwidth and damping are tuned ashore.

#include "NmeaCapture.h"
#include "NmeaReceiver.h"
#include "SerialPort.h"

#include <QMap>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QIODevice;
class SteeringCore;
struct CoreSetup;

// The instrument port of a replay: always opens, receives what the replay
// feeds, sends nowhere (the sentences sent are reported by the core).
class ReplayPort : public SerialPort {
    Q_OBJECT
public:
    using SerialPort::SerialPort;
    void SetCommPort(int port) override { m_port = port; }
    int CommPort() const override { return m_port; }
    bool Open(QString&) override { return m_open = true; }
    void Close() override { m_open = false; }
    bool PortOpen() const override { return m_open; }
    QString Input() override;
    // A replay steers nothing.
    void Output(const QString& text) override { emit OutputDone(text, OutputDropped); }
    QString LastError() const override { return QString(); }
    // One line as characters, its line end added.
    void Feed(const QString& line);
    // Characters fed that the receive path has not read yet.
    bool Holding() const { return !m_input.isEmpty(); }

private:
    int m_port = 1;
    bool m_open = false;
    QString m_input;
};

class NmeaReplay : public QObject {
    Q_OBJECT
public:
    // clockMs is the core's clock: the replay sets it to each line's time.
    // The lines are read as they are fed, never held all at once.
    NmeaReplay(SteeringCore& core, ReplayPort& port, std::unique_ptr<NmeaCaptureReader> capture,
               int64_t& clockMs);

    // Every line at once, the clock and the one-second link timer following
    // the lines' times. afterLine runs after each line.
    void RunAll(const std::function<void()>& afterLine = {});
    // The lines in step with the wall clock, speed times faster; Finished
    // when the last is fed.
    void Start(double speed);

    const NmeaCaptureReader& Capture() const { return *m_capture; }
    // Lines fed so far, and the time from the first to the last of them.
    int64_t LinesFed() const { return m_lFed; }
    int64_t SpanMs() const { return m_lFed > 0 ? m_lLastMs - m_lFirstMs : 0; }

signals:
    void Finished();

private:
    void FeedUpTo(int64_t ms, const std::function<void()>& afterLine);

    SteeringCore& m_core;
    ReplayPort& m_port;
    std::unique_ptr<NmeaCaptureReader> m_capture;
    int64_t& m_clock;
    // The line to feed next, read ahead for its time, and the one fed last.
    NmeaCaptureLine m_next;
    NmeaCaptureLine m_fed;
    bool m_bHaveNext = false;
    int64_t m_lFed = 0;
    int64_t m_lFirstMs = 0;
    int64_t m_lLastMs = 0;
    int64_t m_nextTick = 0;
    QTimer m_timer;
};

// What a replay did, counted from what the core reports: every line and
// every sentence sent through a direct call, the rarer events (an error, an
// alarm) through the core's signals.
class ReplayReport : public QObject {
    Q_OBJECT
public:
    ReplayReport(SteeringCore& core, const int64_t& clockMs);
    ~ReplayReport() override;

    // Control steps since the report began.
    int64_t Steps() const;
    // The summary, one item per line.
    QString Text(const NmeaReplay& replay) const;
    // The bearing of an APB sentence (field 8), degrees; false when it has
    // none.
    static bool Bearing(QStringView sentence, double& heading);

private:
    void CountLine(QStringView line, QStringView error);
    void Sent(QStringView sentence);

    // Sentences by type, the type's three characters packed into the key
    // of a small table searched from the key's hash; in the rare file with
    // more types than the table takes, the rest are counted in a map.
    class TypeCounts {
    public:
        // Three UTF-16 code units, the first in the highest bits.
        void Count(uint64_t key);
        // By name, in the order of the names.
        QMap<QString, int64_t> Named() const;

    private:
        static constexpr int Slots = 64; // a power of two
        static constexpr int MostUsed = 48;
        uint64_t m_keys[Slots] = {}; // key + 1; 0 for a free slot
        int64_t m_counts[Slots] = {};
        int m_iUsed = 0;
        QMap<uint64_t, int64_t> m_more;
    };

    SteeringCore& m_core;
    const int64_t& m_clock;
    // Counts in 64 bits: a file of any size cannot overflow them.
    TypeCounts m_types;
    int64_t m_lOther = 0; // lines too short for a type, or not sentences
    QMap<QString, int64_t> m_errors;
    int64_t m_lLines = 0;
    int64_t m_lFirstStep = 0;
    int64_t m_lSent = 0;
    double m_fLastHeading = -1;
    double m_fTurnSum = 0;
    double m_fTurnMax = 0;
    int64_t m_lTurns = 0;
    double m_fHeadingMin = 0;
    double m_fHeadingMax = 0;
    bool m_bAlarm = false;
    int64_t m_lAlarmSince = 0;
    int64_t m_lAlarmMs = 0;
    // Each alarm's name and how often it was raised, in the order first
    // raised.
    std::vector<std::pair<QString, int64_t>> m_alarms;
};

// A replay set up as the program runs one: its own port, clock and link
// timer in place of the instrument port.
class ReplaySession {
public:
    explicit ReplaySession(std::unique_ptr<NmeaCaptureReader> capture)
        : m_capture(std::move(capture))
    {
    }
    // Before the core is made.
    void Prepare(CoreSetup& setup);
    // The replay replaces the instruments, simulated ones too. Speed 0 feeds
    // nothing yet (see Report).
    void Start(SteeringCore& core, double speed);
    NmeaReplay& Replay() { return *m_replay; }
    const int64_t& Clock() const { return m_clock; }
    // Without a window, as fast as possible: Manual, then Track from the
    // first control step (holding the angle sailed then, as a sailor pressing
    // Track would). The summary.
    QString Report(SteeringCore& core);

private:
    std::unique_ptr<NmeaCaptureReader> m_capture;
    int64_t m_clock = 0;
    ReplayPort* m_port = nullptr;
    std::unique_ptr<NmeaReplay> m_replay;
};

// Every line received and every sentence sent, each with its time, written
// as it happens so that a power cut loses nothing.
class RecordWriter : public QObject {
    Q_OBJECT
public:
    RecordWriter(SteeringCore& core, QIODevice& device);

private:
    void Write(QChar direction, const QString& line);
    SteeringCore& m_core;
    QIODevice& m_device;
};
