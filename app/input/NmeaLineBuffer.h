#pragma once
// Cuts the characters of the instrument line into lines: a carriage return
// ends a line, line feeds are dropped, everything else belongs to the line.
// The buffer is bounded: an NMEA sentence has at most 82 characters, so a
// line that outgrows MaxLineLength is noise or a stream without carriage
// returns. It is reported once, and the rest of it up to the next carriage
// return is discarded, so reception picks up again at a line start.

#include <QString>
#include <QStringView>

class NmeaLineBuffer {
public:
    static constexpr int MaxLineLength = 1024;
    // How much of an overlong line its report shows.
    static constexpr int OverlongReportLength = 80;

    NmeaLineBuffer() { m_sLine.reserve(MaxLineLength); }

    // line(const QString&) is called for each complete line, and
    // overlong(const QString& firstPart) once for each line that outgrows
    // the bound; false from either drops the rest of this text.
    template <class OnLine, class OnOverlong>
    void Receive(QStringView text, OnLine&& line, OnOverlong&& overlong);

    // Discards the partial line.
    void Clear()
    {
        m_bDiscarding = false;
        Empty();
    }

    const QString& Line() const { return m_sLine; }
    // No part of a line held, nothing being discarded: a whole line may
    // bypass the buffer.
    bool Idle() const { return m_sLine.isEmpty() && !m_bDiscarding; }

private:
    void Empty()
    {
        m_sLine.resize(0);
        // A sink that kept a copy of the last line made the buffer shared;
        // the detached one must not grow by reallocation again.
        if (m_sLine.capacity() < MaxLineLength)
            m_sLine.reserve(MaxLineLength);
    }

    QString m_sLine;
    bool m_bDiscarding = false;
};

template <class OnLine, class OnOverlong>
void NmeaLineBuffer::Receive(QStringView text, OnLine&& line, OnOverlong&& overlong)
{
    const QChar* p = text.data();
    const QChar* const end = p + text.size();
    while (p < end) {
        const QChar* q = p;
        while (q < end && q->unicode() != 13 && q->unicode() != 10)
            ++q;
        if (q > p && !m_bDiscarding) {
            const qsizetype run = q - p;
            if (m_sLine.size() + run > MaxLineLength) {
                const qsizetype head = qMax<qsizetype>(0, OverlongReportLength - m_sLine.size());
                m_sLine.append(QStringView(p, qMin(run, head)));
                const QString firstPart = m_sLine.left(OverlongReportLength);
                m_bDiscarding = true;
                Empty();
                if (!overlong(firstPart))
                    return;
            } else {
                m_sLine.append(QStringView(p, run));
            }
        }
        if (q == end)
            break;
        p = q + 1;
        if (q->unicode() == 10)
            continue;
        if (m_bDiscarding) {
            m_bDiscarding = false;
            continue;
        }
        const bool more = line(m_sLine);
        Empty();
        if (!more)
            return;
    }
}
