#pragma once
// What watches the boat and the wind while the autopilot is steered: whether
// the boat follows the commanded heading, whether the true wind has shifted,
// and which headings the tracking loop may command on its own. Plain logic
// on a clock the caller passes in (milliseconds); headings in degrees
// magnetic 0..360, wind angles -180..180 positive to starboard.

#include <cstdint>
#include <deque>

class SteeringWatch {
public:
    // Engaging the autopilot on a heading further than this from the boat's
    // asks the sailor first. A compass offset (deviation, a misaligned
    // fluxgate) is at most a few tens of degrees; beyond that the pilot
    // would make a real turn nobody asked for.
    static constexpr double EngageBound = 30;

    // The boat does not follow when its heading stays further than this
    // from the command for FollowMs: a pilot yaws 10 to 15 degrees in a
    // seaway, and a tack at its usual 3 to 6 degrees a second closes a far
    // larger gap well within the time. A boat that keeps closing the gap
    // by FollowProgress starts the time again.
    static constexpr double FollowBound = 20;
    static constexpr int64_t FollowMs = 30000;
    static constexpr double FollowProgress = 10;
    // Track never commands a heading further than this ahead of the boat's
    // own: a pilot that lags or is in standby is not sent round the compass
    // before anyone can notice.
    static constexpr double LeadBound = 30;

    // The true wind direction is smoothed over ShiftSmoothMs, so that noise
    // of a few degrees on each reading cancels out; a change of the smoothed
    // direction by more than ShiftBound within ShiftWindowMs is a shift.
    // It clears once the direction has stayed within ShiftClear for the
    // whole window, so a direction hovering at the bound does not sound
    // again and again.
    static constexpr double ShiftBound = 20;
    static constexpr double ShiftClear = 15;
    static constexpr int64_t ShiftSmoothMs = 10000;
    static constexpr int64_t ShiftWindowMs = 60000;

    // The loop never takes the boat across the wind on its own. Close
    // hauled is 35 to 45 degrees true; it is held no closer than HeadMargin
    // (it luffs, loses speed and the alarm says why), and no deeper than
    // DownMargin from dead downwind, where a few more degrees by the lee
    // would gybe the boom across.
    static constexpr double HeadMargin = 20;
    static constexpr double DownMargin = 5;

    enum class Cross { None, Tack, Jibe };

    // --- Following ---
    // Call on every step and tick. active: the pilot is engaged and no
    // tack walk is turning it; headingKnown: the boat's heading is fresh.
    // True while the boat does not follow.
    bool Follow(int64_t now, bool active, bool headingKnown, double heading, double autoPilot);
    bool NotFollowing() const { return m_bNotFollowing; }
    // The sailor gave a new heading: the boat gets the whole time again.
    void FollowRestart();
    // The difference, degrees, while not following.
    double FollowGap() const { return m_fGap; }

    // --- Wind shift ---
    // A reading of the true wind direction (heading + true wind angle,
    // 0..360); Reset forgets every reading (no heading, a tack walk).
    void Wind(int64_t now, double direction);
    void WindReset();
    bool Shifted() const { return m_bShifted; }
    // The largest change of the smoothed direction within the window,
    // degrees, signed: positive when the wind veered (turned clockwise).
    double Shift() const { return m_fShift; }

    // --- What the loop may command ---
    // The heading the loop may command instead of to, with the boat on
    // from (its fresh heading, or the last command when none is known) and
    // the true wind at trueAngle there. side is the tack the boat is on,
    // +1 wind from starboard, -1 from port: a command that would carry the
    // wind to the other side of the bow or stern is held short of it and
    // crossed tells which. A command already inside a margin may only move
    // away from the wind's line.
    static double TackGuard(double from, double to, double trueAngle, int side, Cross& crossed);
    // to, moved within LeadBound of heading.
    static double LeadLimit(double heading, double to);

    // --- How fast the loop may turn ---
    // Whatever the rate of wind sentences, the loop's own moves of the
    // command add up to at most perSecond within any second: an instrument
    // at 1 or 10 Hz never comes near it, a flood of sentences cannot spin
    // the boat. The move from from to to, cut to what is left of the
    // second, and counted.
    double TurnLimit(int64_t now, double perSecond, double from, double to);

private:
    bool m_bNotFollowing = false;
    int64_t m_lFollowSince = -1;
    double m_fGapAtStart = 0;
    double m_fGap = 0;

    struct Reading {
        int64_t at;
        double x, y;
    };
    std::deque<Reading> m_readings;
    double m_fSumX = 0;
    double m_fSumY = 0;
    // The smoothed directions of the window, unwound (359 then 1 is 361),
    // as two queues that keep only what can still be the lowest and the
    // highest: each reading costs the same however many the window holds.
    struct Smoothed {
        int64_t at;
        double direction;
    };
    std::deque<Smoothed> m_lowest;
    std::deque<Smoothed> m_highest;
    double m_fUnwound = 0;
    double m_fLastSmoothed = 0;
    bool m_bShifted = false;
    double m_fShift = 0;

    struct Turn {
        int64_t at;
        double degrees;
    };
    std::deque<Turn> m_turns; // the loop's moves of the last second
    double m_fTurned = 0;
};
