#include "AlarmList.h"

#include <algorithm>

AlarmList::AlarmList(Reporter report)
    : m_report(std::move(report))
{
}

bool AlarmList::Raise(int64_t now, AlarmKind kind, const QString& name, const QString& text)
{
    const auto at = std::find_if(m_alarms.begin(), m_alarms.end(), [kind](const Alarm& a) { return a.kind == kind; });
    if (at != m_alarms.end()) {
        if (at->name == name) {
            if (at->text == text)
                return false;
            at->text = text;
            return true;
        }
        Clear(kind);
    }
    const Alarm alarm{kind, name, text};
    const auto place = std::find_if(m_alarms.begin(), m_alarms.end(), [kind](const Alarm& a) { return a.kind > kind; });
    m_alarms.insert(place, alarm);
    m_lActive |= Bit(kind);
    m_bSounding = true;
    m_lBeepAt = now;
    m_report(alarm, true);
    return true;
}

bool AlarmList::Remove(AlarmKind kind)
{
    const auto at = std::find_if(m_alarms.begin(), m_alarms.end(), [kind](const Alarm& a) { return a.kind == kind; });
    if (at == m_alarms.end())
        return false;
    const Alarm alarm = *at;
    m_alarms.erase(at);
    m_lActive &= ~Bit(kind);
    m_report(alarm, false);
    return true;
}

const Alarm* AlarmList::Top() const
{
    return m_alarms.empty() ? nullptr : &m_alarms.front();
}

bool AlarmList::BeepDue(int64_t now)
{
    // A clock that went back (a replay starting again) sounds at once.
    if (!Sounding() || (now - m_lBeepAt < BeepMs && now >= m_lBeepAt))
        return false;
    m_lBeepAt = now;
    return true;
}
