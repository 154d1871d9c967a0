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

struct NmeaCaptureLine {
    int64_t ms = 0; // local time, milliseconds since the epoch
    QString line;   // without its line end
};

struct NmeaCapture {
    QVector<NmeaCaptureLine> lines; // received lines, in time order
    int skipped = 0;                // lines that are not sentences
    bool timed = false;             // times from the file, not the fixed rate
};

// The time between lines of a capture without times.
constexpr int64_t NmeaCaptureFixedStepMs = 100;

// Reads a record or a capture from text. start gives the time of the first
// line when the file carries none.
NmeaCapture NmeaCaptureRead(QStringView text, const QDateTime& start);

// One line of a record: "2026-12-08T14:16:08.123 < $WIMWV,..." ('<'
// received, '>' sent).
QString NmeaRecordLine(const QDateTime& time, QChar direction, const QString& sentence);
