// Wakes its owner just after each boundary of a period (each second, each 10 ms) of the wall clock or of the uptime,
// and never in between.
#pragma once

#include "platform/clock.h"
#include "platform/tick_gate.h"

#include <QObject>
#include <cstdint>

class QSocketNotifier;
class QTimer;

namespace qx {

// Nanoseconds from nowNs to the next multiple of periodNs since the epoch; a moment exactly on a boundary waits a
// whole period, so a tick that lands on its boundary never fires twice for it.
constexpr std::int64_t nsToNextBoundary(std::int64_t nowNs, std::int64_t periodNs) {
    std::int64_t into = nowNs % periodNs;
    if (into < 0)
        into += periodNs;
    return periodNs - into;
}

// What a boundary timer does when it wakes for the boundary targetNs and reads nowNs on the clock it follows.
struct BoundaryWake {
    bool fire = false;       // deliver the tick now
    std::int64_t nextNs = 0; // when it does not: the moment to wake instead, on the same clock
};

// A wake-up before its boundary by at most a period (the clock was slewed, or set back by less than a period) waits
// for that boundary; before it by more (the clock was set back) starts again from the new time. At or past the
// boundary the tick is delivered, whether it passed a moment or hours ago (the clock was set forward, the machine
// resumed): one tick, not one per period missed. A tick that falls due while the window's gate is held is dropped
// and the timer waits for the next boundary.
constexpr BoundaryWake wakeAt(std::int64_t periodNs, std::int64_t targetNs, std::int64_t nowNs, bool gateHeld) {
    if (nowNs < targetNs)
        return {false, targetNs - nowNs <= periodNs ? targetNs : nowNs + nsToNextBoundary(nowNs, periodNs)};
    if (gateHeld)
        return {false, nowNs + nsToNextBoundary(nowNs, periodNs)};
    return {true, 0};
}

// When to tick next, after a tick that read tickNs when it began and whose handler returned at finishedNs: at once
// when the handler ran past the boundary that followed tickNs (one late tick; the others missed meanwhile are
// dropped), otherwise at the next boundary. A tick that was itself late (after the clock jumped) is not followed by
// another at once.
constexpr std::int64_t nextTickAt(std::int64_t tickNs, std::int64_t finishedNs, std::int64_t periodNs) {
    const std::int64_t followingBoundary = tickNs + nsToNextBoundary(tickNs, periodNs);
    return finishedNs >= followingBoundary ? finishedNs : finishedNs + nsToNextBoundary(finishedNs, periodNs);
}

// Each tick comes within a fraction of a millisecond after a boundary as read on the given clock, and its handler
// reads a time on the new side of that boundary. The next boundary is computed afresh from the clock after every tick,
// so a clock that jumps or a machine that resumes from suspend is followed at the next tick; boundaries that pass
// while the window's gate is held or the program is busy are skipped, not caught up. A tick never nests inside
// another tick of the same timer. When the system offers no kernel timer, a precise Qt timer is armed for the same
// boundaries (to the millisecond, and late after a suspend); the timer never simply stops.
class BoundaryTimer : public QObject {
    Q_OBJECT
public:
    // What wakes the timer: the kernel timer when the system has one, or always the Qt timer (for tests).
    enum class Backend { KernelTimer, QtTimer };
    BoundaryTimer(const Clock& clock, TickGate* gate, QObject* parent = nullptr,
                  Backend backend = Backend::KernelTimer);
    ~BoundaryTimer() override;

    // The clock whose boundaries are followed: the wall clock (the default), or the time since the machine started,
    // whose seconds begin at another moment than the wall clock's.
    enum class TimeSource { Wall, Uptime };
    void setTimeSource(TimeSource source);

    // Starts, or changes the period. A handler that changes it is followed, when it returns, from the moment its
    // tick began: a handler that ran past the new period's boundary gets its next tick at once, as with an
    // unchanged period.
    void start(std::int64_t periodNs);
    void stop();
    bool isActive() const { return periodNs_ > 0; }
    std::int64_t periodNs() const { return periodNs_; }
    bool usesKernelTimer() const { return fd_ >= 0; }

    // The moment, on the followed clock, the next wake-up is for (0 when stopped).
    std::int64_t nextExpiryNs() const { return isActive() ? targetNs_ : 0; }
    // What an expiry runs: ticks if the boundary has come, otherwise re-arms. The timer calls it itself; a test
    // whose clock is faked calls it after moving the clock to nextExpiryNs(), or after setting the clock.
    void wake();

Q_SIGNALS:
    void tick();

private:
    void armAt(std::int64_t atNs, std::int64_t nowNs);
    void armNext();
    void disarm();
    void onKernelExpiry();
    std::int64_t nowNs() const;

    const Clock& clock_;
    TickGate* gate_;
    TimeSource source_ = TimeSource::Wall;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* fallback_ = nullptr; // only without a kernel timer
    std::int64_t periodNs_ = 0;
    std::int64_t targetNs_ = 0;
    bool inTick_ = false;
};

} // namespace qx
