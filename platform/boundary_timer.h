// Wakes its owner just after each boundary of a period (each second, each 10 ms) of the wall clock or of the uptime,
// and never in between.
#pragma once

#include "platform/clock.h"
#include "platform/tick_gate.h"

#include <QObject>
#include <cstdint>

class QSocketNotifier;

namespace qx {

// Nanoseconds from nowNs to the next multiple of periodNs since the epoch; a moment exactly on a boundary waits a
// whole period, so a tick that lands on its boundary never fires twice for it.
constexpr std::int64_t nsToNextBoundary(std::int64_t nowNs, std::int64_t periodNs) {
    std::int64_t into = nowNs % periodNs;
    if (into < 0)
        into += periodNs;
    return periodNs - into;
}

// When to tick next, given the moment the last tick was for and the time its handler finished: at once when the
// following boundary already passed while the handler ran (one late tick; the others missed meanwhile are dropped),
// otherwise at the next boundary.
constexpr std::int64_t nextTickAt(std::int64_t lastTickNs, std::int64_t nowNs, std::int64_t periodNs) {
    return nowNs - lastTickNs >= periodNs ? nowNs : nowNs + nsToNextBoundary(nowNs, periodNs);
}

// Each tick comes within a fraction of a millisecond after a boundary as read on the given clock, and its handler
// reads a time on the new side of that boundary. The next boundary is computed afresh from the clock after every tick,
// so a clock that jumps or a machine that resumes from suspend is followed at the next tick; boundaries that pass
// while the window's gate is held or the program is busy are skipped, not caught up.
class BoundaryTimer : public QObject {
    Q_OBJECT
public:
    BoundaryTimer(const Clock& clock, TickGate* gate, QObject* parent = nullptr);
    ~BoundaryTimer() override;

    // The clock whose boundaries are followed: the wall clock (the default), or the time since the machine started,
    // whose seconds begin at another moment than the wall clock's.
    enum class TimeSource { Wall, Uptime };
    void setTimeSource(TimeSource source);

    void start(std::int64_t periodNs);
    void stop();
    bool isActive() const { return periodNs_ > 0; }
    std::int64_t periodNs() const { return periodNs_; }

Q_SIGNALS:
    void tick();

private:
    void armFor(std::int64_t delayNs);
    void armNext();
    void onExpired();
    std::int64_t nowNs() const;

    const Clock& clock_;
    TickGate* gate_;
    TimeSource source_ = TimeSource::Wall;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::int64_t periodNs_ = 0;
    std::int64_t targetNs_ = 0;
};

} // namespace qx
