// What the analog window does at each wake-up of its timer: which of its hands, chime and alarm ticks run, and how
// soon it wakes again.
#pragma once

#include <cstdint>

namespace qx {

// What the analog window remembers from one wake-up to the next.
struct AnalogWakeState {
    std::int64_t handsSecond = 0; // the second (since the epoch) of the last hands tick; 0 before the first
    std::int64_t alarmNs = 0;     // the wall-clock time of the last alarm tick
    bool alarmTicked = false;     // whether an alarm tick has run yet
};

struct AnalogWakePlan {
    bool hands = false;   // a new second has begun: the hands tick runs first
    bool alarm = false;   // the alarm tick runs, after the chime tick (which runs at every wake-up)
    AnalogWakeState next; // to remember once these ticks have run
};

// The hands, chime and alarm timers of the window share one wake-up: the hands tick runs when a new second has begun,
// the alarm tick when two seconds have passed since the last one (a wake-up up to 50 ms early still counts, and a
// stroke that held the program for seconds does not change the pace), and the chime tick every time. A clock set
// back gets its alarm tick at once rather than after the clock has caught up with the last one.
AnalogWakePlan planAnalogWake(const AnalogWakeState& last, std::int64_t nowNs);

// The period to arm once the ticks have run, from what the time events ask for after the chime tick: half a second
// while a stroke sequence is under way or in the greeting's minute, otherwise one second (with the hands).
std::int64_t analogWakePeriod(bool wantsHalfSecondTicks);

} // namespace qx
