// The large face's stopwatch and countdown: what they count, on the machine's monotonic clock, apart from any window.
#pragma once

#include <cstdint>
#include <functional>

namespace qx {

class Clock;

// Counts the time the monotonic clock says has passed while it ran, summed over its runs, so that late or missed
// refreshes and other modes shown meanwhile lose nothing. The lap hold freezes only what the display shows.
class Stopwatch {
public:
    explicit Stopwatch(const Clock& clock);

    void start(); // does nothing while running
    void stop();  // does nothing while stopped; the count keeps its value
    void lap();   // toggles the lap hold, running or not; the hold keeps the count of its moment
    void reset(); // back to zero, only while stopped; the lap hold stays as it is

    bool CronoAttivo() const { return running_; }
    bool CronoLap() const { return lap_; }
    // Hundredths of a second counted so far.
    std::int64_t elapsedCs() const;
    // What the display shows: the count held by the lap hold while it is on, the count so far otherwise.
    std::int64_t shownCs() const { return lap_ ? heldCs_ : elapsedCs(); }
    std::int64_t elapsedNs() const;
    // Where, modulo periodNs of the monotonic clock, the running count passes a multiple of periodNs: a timer with
    // this phase wakes as the hundredths (or the seconds) turn over.
    std::int64_t phaseNs(std::int64_t periodNs) const;

private:
    const Clock& clock_;
    bool running_ = false;
    bool lap_ = false;
    std::int64_t heldCs_ = 0;  // the count when the lap hold began
    std::int64_t banked_ = 0;  // nanoseconds of the runs before the current one
    std::int64_t started_ = 0; // the monotonic time the current run began
};

// Counts a time down to a deadline of the monotonic clock: the remaining time shown is the whole seconds left rounded
// up, a pause freezes what remains and a resume sets a new deadline. The end action runs once, at the first tick at
// which the set time has fully passed.
class Countdown {
public:
    explicit Countdown(const Clock& clock);

    void start(std::int64_t seconds, std::function<void()> endAction);
    void pause();  // only while running
    void resume(); // only while paused with time left
    void cancel(); // ends it without the end action
    // Runs the end action when the time is up; returns true then.
    bool tick();

    bool RovesciaAttivo() const { return active_; }
    bool running() const { return active_ && running_; } // RVia -1
    bool paused() const { return active_ && !running_; }
    // Contatore_r: the whole seconds left, rounded up; 0 when none is active.
    std::int64_t Contatore_r() const;
    std::int64_t remainingNs() const;
    // Where, modulo a second of the monotonic clock, the deadline falls: a timer with this phase wakes as the
    // seconds left turn over, and at the deadline itself.
    std::int64_t secondPhaseNs() const;

private:
    const Clock& clock_;
    bool active_ = false;
    bool running_ = false;
    std::int64_t deadline_ = 0; // monotonic time of the end, while running
    std::int64_t left_ = 0;     // nanoseconds left, while paused
    std::function<void()> endAction_;
};

} // namespace qx
