#pragma once
// An autopilot on a 4800-baud line under a 10 Hz wind instrument, in
// simulated time: an APB per wind sentence, more than the line carries
// (about 8.7 APB a second). A pseudo-terminal stands for the line; the
// autopilot side reads it at the line's rate, 48 characters per 100 ms.
// Each APB carries its sequence number in the heading (tenths), so its age
// on arrival is known. Shared by the line's test and its benchmark.

#include "DeviceSerialPort.h"

#include <QCoreApplication>
#include <QList>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>

namespace PilotLine {

constexpr int kStepMs = 100;      // one wind sentence
constexpr int kDrainPerStep = 48; // 4800 baud, 10 bits a character

inline QByteArray Apb(int sequence)
{
    const QByteArray b = QByteArray::number(sequence / 10 % 360).rightJustified(3, '0') + '.'
                         + QByteArray::number(sequence % 10);
    QByteArray s = "ECAPB,A,A,0.00,R,N,V,V," + b + ",M,1," + b + ",M," + b + ",M";
    int sum = 0;
    for (char c : s)
        sum ^= static_cast<unsigned char>(c);
    return '$' + s + '*' + QByteArray::number(sum, 16).rightJustified(2, '0').toUpper() + "\r\n";
}

struct Line {
    int master = -1;
    QString device;
    QByteArray partial;
    Line()
    {
        int slave = -1;
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&master, &slave, name, &raw, nullptr) == 0) {
            ::close(slave);
            fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
            device = QString::fromLatin1(name);
        }
    }
    ~Line() { ::close(master); }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;
    // Up to n characters; the sequence numbers of the sentences completed.
    QList<int> Read(int n)
    {
        QList<int> done;
        char buffer[1 << 16];
        for (ssize_t got; n > 0 && (got = ::read(master, buffer, size_t(std::min<int>(n, sizeof buffer)))) > 0;) {
            partial.append(buffer, got);
            n -= int(got);
        }
        for (qsizetype end; (end = partial.indexOf('\n')) >= 0;) {
            const QList<QByteArray> fields = partial.left(end).split(',');
            partial.remove(0, end + 1);
            if (fields.size() > 8)
                done << qRound(fields[8].toDouble() * 10); // under 360 s of output
        }
        return done;
    }
};

struct Run {
    bool opened = false;
    double steerDelayS = -1;  // from a 1 degree steer to the first sentence carrying it
    double maxDelayS = 0;     // the oldest any sentence was when it arrived
    int staleAfterResume = 0; // older than the resume, arriving after it
    int olderAfterSteer = 0;  // older than the steer, arriving after it
};

// windSeconds of 10 Hz output, then a steer; the reader pauses from
// stallFrom for stallSeconds when stallSeconds > 0. Time moves in 10 ms
// ticks; the port is paced on the same clock.
inline Run Sail(int windSeconds, int stallFrom = 0, int stallSeconds = 0)
{
    Run run;
    Line line;
    qint64 now = 0;
    LineTiming timing;
    timing.Clock = [&] { return now; };
    DeviceSerialPort port([&](int) { return line.device; }, timing);
    QString error;
    if (!(run.opened = port.Open(error)))
        return run;
    const int steerAt = windSeconds * 1000 / kStepMs;
    const int stallAt = stallFrom * 1000 / kStepMs;
    const int resumeAt = (stallFrom + stallSeconds) * 1000 / kStepMs;
    const int total = steerAt + 300; // 30 s to see the steer arrive
    qint64 drained = 0;
    for (int k = 0; k < total; ++k) {
        port.Output(QString::fromLatin1(Apb(k)));
        for (int tick = 0; tick < kStepMs / 10; ++tick) {
            now += 10;
            port.Pace();
            QCoreApplication::processEvents();
            const bool stalled = stallSeconds > 0 && k >= stallAt && k < resumeAt;
            const qint64 allowed = now * kDrainPerStep / kStepMs;
            if (stalled) {
                drained = allowed;
                continue;
            }
            // A program on a pseudo-terminal reads all it finds once it
            // reads again; a serial line's far end takes only what the line
            // carries.
            const bool greedy = stallSeconds > 0 && k >= resumeAt;
            const int budget = greedy ? 1 << 20 : int(allowed - drained);
            drained = allowed;
            for (int sequence : line.Read(budget)) {
                run.maxDelayS = std::max(run.maxDelayS, double(now - qint64(sequence) * kStepMs) / 1000.0);
                if (stallSeconds > 0 && k >= resumeAt && sequence < resumeAt)
                    ++run.staleAfterResume;
                if (run.steerDelayS >= 0 && sequence < steerAt)
                    ++run.olderAfterSteer;
                if (sequence >= steerAt && run.steerDelayS < 0)
                    run.steerDelayS = double(now - qint64(steerAt) * kStepMs) / 1000.0;
            }
        }
    }
    return run;
}

} // namespace PilotLine
