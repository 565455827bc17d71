// Wakes its owner just after each boundary of a wall-clock period, using a kernel timer with nanosecond resolution.
#include "platform/boundary_timer.h"

#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

namespace qx {

namespace {
// Lands the wake-up a hair after the boundary, so that a clock slewed by a few microseconds still reads the new time.
constexpr std::int64_t kGuardNs = 30'000;
} // namespace

BoundaryTimer::BoundaryTimer(const Clock& clock, TickGate* gate, QObject* parent)
    : QObject(parent), clock_(clock), gate_(gate) {
    // CLOCK_BOOTTIME keeps running while the machine is suspended, so the first tick after a resume is not late.
    fd_ = timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ < 0)
        fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        notifier_->setEnabled(false);
        connect(notifier_, &QSocketNotifier::activated, this, &BoundaryTimer::onExpired);
    }
}

BoundaryTimer::~BoundaryTimer() {
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}

void BoundaryTimer::setTimeSource(TimeSource source) {
    source_ = source;
    if (isActive())
        armNext();
}

std::int64_t BoundaryTimer::nowNs() const {
    return source_ == TimeSource::Uptime ? clock_.uptimeNs() : clock_.epochNs();
}

void BoundaryTimer::start(std::int64_t periodNs) {
    periodNs_ = periodNs > 0 ? periodNs : 1'000'000;
    armNext();
}

void BoundaryTimer::stop() {
    periodNs_ = 0;
    armFor(0);
}

void BoundaryTimer::armFor(std::int64_t delayNs) {
    if (fd_ < 0)
        return;
    itimerspec when{};
    when.it_value.tv_sec = delayNs / 1'000'000'000;
    when.it_value.tv_nsec = delayNs % 1'000'000'000;
    timerfd_settime(fd_, 0, &when, nullptr); // a zero value disarms
    notifier_->setEnabled(delayNs > 0);
}

void BoundaryTimer::armNext() {
    const std::int64_t now = nowNs();
    const std::int64_t delay = nsToNextBoundary(now, periodNs_);
    targetNs_ = now + delay;
    armFor(delay + kGuardNs);
}

void BoundaryTimer::onExpired() {
    std::uint64_t expirations = 0;
    while (::read(fd_, &expirations, sizeof expirations) < 0 && errno == EINTR) {
    }
    if (periodNs_ <= 0)
        return;
    const std::int64_t now = nowNs();
    if (now < targetNs_ && targetNs_ - now <= periodNs_) {
        // The wall clock was slewed a little since the timer was armed: wait for the boundary itself.
        armFor(targetNs_ - now + kGuardNs);
        return;
    }
    if (now < targetNs_) {
        // The clock was set back: start again from the new time.
        armNext();
        return;
    }
    if (gate_ && gate_->isHeld()) {
        armNext();
        return;
    }
    const std::int64_t periodBefore = periodNs_;
    {
        QPointer<BoundaryTimer> self(this);
        TickGate::Hold hold(gate_);
        Q_EMIT tick();
        if (!self)
            return; // the handler closed the window that owns this timer
    }
    if (periodNs_ <= 0 || periodNs_ != periodBefore)
        return; // stopped, or restarted with another period by the handler
    const std::int64_t after = nowNs();
    const std::int64_t at = nextTickAt(targetNs_, after, periodNs_);
    targetNs_ = at;
    armFor(at - after + kGuardNs);
}

} // namespace qx
