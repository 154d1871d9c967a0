#pragma once
// The alarms a sailor must not miss, in one list. Each kind is raised at
// most once at a time; the most urgent one active is shown, the sound
// repeats until the sailor acknowledges, and an alarm clears when its cause
// ends. Times are milliseconds on the caller's clock.

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// Most urgent first.
enum class AlarmKind {
    AutoPilotLink, // the autopilot's line is down: nothing reaches it
    InputLink,     // the instrument line is silent
    NotFollowing,  // the boat does not take the commanded heading
    SourceLost,    // a value the loop needs has gone quiet
    CrossHeld,     // the loop was held short of a tack or a jibe
    WindShift,     // the true wind direction moved
    Limit,         // the tracked angle is beyond the alarm limit
};

struct Alarm {
    AlarmKind kind = AlarmKind::Limit;
    // What a record and a report count ("Wind Shift"); the text adds the
    // detail of this moment ("Wind Shift 25").
    QString name;
    QString text;
};

class AlarmList {
public:
    // Repeats of the sound, while nobody has acknowledged.
    static constexpr int64_t BeepMs = 1000;

    // raised: an alarm came (true) or went (false).
    using Reporter = std::function<void(const Alarm& alarm, bool raised)>;
    explicit AlarmList(Reporter report);

    // Raises the kind, or updates its text; a new name for a kind that is
    // raised is a new alarm. A new alarm sounds again. True when the list
    // changed.
    bool Raise(int64_t now, AlarmKind kind, const QString& name, const QString& text);
    // Every watch clears what it does not raise at every step: a kind not
    // raised is answered at once.
    bool Clear(AlarmKind kind) { return Active(kind) && Remove(kind); }
    bool Active(AlarmKind kind) const { return (m_lActive & Bit(kind)) != 0; }
    // The most urgent alarm raised; nullptr when none is.
    const Alarm* Top() const;

    void Acknowledge() { m_bSounding = false; }
    // An alarm is raised and nobody has acknowledged it yet.
    bool Sounding() const { return m_bSounding && Top(); }
    // Whether the sound is due again now (and counts it as made).
    bool BeepDue(int64_t now);

private:
    static uint32_t Bit(AlarmKind kind) { return uint32_t(1) << int(kind); }
    bool Remove(AlarmKind kind);

    Reporter m_report;
    std::vector<Alarm> m_alarms; // by urgency
    uint32_t m_lActive = 0;      // their kinds' bits
    bool m_bSounding = false;
    int64_t m_lBeepAt = 0;
};
