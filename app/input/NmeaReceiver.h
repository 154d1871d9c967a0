#pragma once
// The receive path of the instrument line: characters are cut into lines at
// each carriage return, each line is checked (start character, checksum),
// split into fields and decoded by type into the instrument state.

#include "InstrumentValues.h"
#include "NmeaChecksum.h"
#include "NmeaDecoders.h"
#include "NmeaLineBuffer.h"

#include <QObject>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>

class InstrumentState;
class SerialPort;
struct ProfileSettings;

// Sees every line the receive path reports as processed, through a direct
// call: a replay's report counts millions of lines, where a signal and a
// text per line would cost more than the rest of the line's work. error is
// the line's mark ("Checksum Error"), empty when none.
using NmeaLineCounter = std::function<void(QStringView line, QStringView error)>;

// What the owner passes on of every line, asked without a signal: a signal
// per line costs more than the line's decoding, and one its owner relays to
// no one costs it all the same.
struct NmeaRelays {
    // Every line as it arrived, before any check (for a record).
    std::function<void(const QString& line)> LineArrived;
    // Whether anyone hears LineProcessed and PolarValuesReady now (their
    // texts and values are made only then); unset counts as heard.
    std::function<bool()> LinesHeard;
    std::function<bool()> PolarHeard;
    // The control step of a wind update, by direct call in place of
    // StepDue when set: the loop's clock ticks with every wind sentence.
    std::function<void()> ControlStep;
};

// Reports through its signals, which its owner connects directly (the
// core) or a test records, and per line through the relays its owner sets;
// nothing else here calls back into its owner.
class NmeaReceiver : public QObject {
    Q_OBJECT
public:
    // A longer line cannot be NMEA (82 characters at most): it is dropped as
    // a "Sentence Error" and reception picks up at the next carriage return.
    static constexpr int MaxLineLength = NmeaLineBuffer::MaxLineLength;
    // Field table entries 1..MaxFields; further fields are ignored.
    static constexpr int MaxFields = NmeaDecoder::MaxFields;

    NmeaReceiver(const ProfileSettings& settings, InstrumentState& state, QObject* parent = nullptr);

    // Whatever panel 2 shows now, whoever set it: a receive event clears a
    // text that stands there ("No Input Data" of the link's timer).
    void SetInputStatusShown(bool shown) { m_bInputStatusShown = shown; }

    // The instrument port's event: status texts for line errors, and for
    // received characters reads the port and processes every whole line.
    void MSCommNmea_OnComm(int commEvent, SerialPort& port);
    // Step 6 of a receive event on text already read: lines are processed at
    // each carriage return, line feeds dropped. Not re-entrant: the busy
    // flag of MSCommNmea_OnComm keeps nested receive events out.
    void Receive(QStringView text);
    // A whole line without its line end, from a source that cuts lines
    // itself (a replay): processed as a receive event of the line and its
    // CR LF would process it, without copying it into the line buffer.
    // False, nothing done, while an event is at work or part of a line is
    // held: such a source then goes through the port.
    bool ReceiveLine(const QString& line);
    // Link start: the partial line is discarded. Called while a chunk is
    // being worked through (from a slot of its reports), the rest of that
    // chunk is discarded too: it belongs to the link before the start.
    void ClearLine();

    // True while a chunk of input is being worked through.
    bool ReceiveBusy() const { return m_bReceiveBusy; }
    // Silent ticks of the link's timer: set to 0 by every receive event and
    // at link start, counted up by the timer.
    uint32_t NoInputTicks() const { return m_lNoInputTicks; }
    uint32_t NoInputTick() { return ++m_lNoInputTicks; }
    void ResetNoInputTicks() { m_lNoInputTicks = 0; }

    // Two upper-case hexadecimal digits: XOR of the characters after "$".
    static QString NmeaChecksum(QStringView sentence) { return ::NmeaChecksum(sentence); }

    // Empty for none.
    void SetLineCounter(NmeaLineCounter counter) { m_counter = std::move(counter); }
    void SetRelays(NmeaRelays relays) { m_relays = std::move(relays); }

signals:
    // Emitted inside the receive event; connected directly, a line's
    // reports and its control step come before the next line is read.
    // Panel 2 of the status bar.
    void InputStatusReported(const QString& text);
    // Every line processed, with an error mark for rejected lines, and
    // whether a value was taken from it.
    void LineProcessed(const QString& sline, bool bChecked);
    // Every rejected or undecodable line, with the message in front.
    void LineErrorReported(const QString& sline);
    // One control step, after each wind update once both winds are valid
    // (unless the ControlStep relay takes it).
    void StepDue();
    // A wind update while a wind is still unknown: no step can run.
    void StepWaiting();
    // For the Polar window, after each step with boat speed known.
    void PolarValuesReady(const InstrumentValues& values);

private:
    // After the lines of a receive event: a link start asked for meanwhile
    // clears the line buffer now.
    void EndReceive();
    // Sink of the line buffer.
    bool Line(const QString& line);
    bool Overlong(const QString& firstPart);

    // One complete line: checks, decodes, reports, and after a wind
    // sentence runs the control step.
    void NmeaProcess(const QString& L);
    // Decodes by type when the type is switched on; true when a value was
    // taken.
    bool NmeaDecode(uint32_t type, const QString& L);
    void DecodeError(const NmeaDecodeError& error, const QString& L)
    {
        if (error)
            emit LineErrorReported(NmeaDecodeErrorText(error, L));
    }
    void SetInputStatus(const QString& text);
    static bool Heard(const std::function<bool()>& heard) { return !heard || heard(); }
    void Arrived(const QString& line)
    {
        if (m_relays.LineArrived)
            m_relays.LineArrived(line);
    }
    void LineError(const QString& error, const QString& L);
    // Whether an MWV line is a wind update, the clock of the control loop;
    // used tells whether a wind was taken from it.
    bool WindUpdate(const QString& L, bool used);

    const ProfileSettings& m_settings;
    InstrumentState& m_state;
    NmeaLineCounter m_counter;
    NmeaRelays m_relays;
    bool m_bReceiveBusy = false;
    bool m_bReceiving = false;
    bool m_bClearPending = false;
    bool m_bInputStatusShown = false;
    // The last wind update was an apparent wind (MWV R).
    bool m_bLastWindApparent = false;
    uint32_t m_lNoInputTicks = 0;
    NmeaLineBuffer m_line;
    NmeaDecoder m_decoder;
};
