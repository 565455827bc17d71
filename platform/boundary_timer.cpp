// Wakes its owner just after each boundary of a wall-clock period, using a kernel timer with nanosecond resolution.
#include "platform/boundary_timer.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QtGlobal>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <sys/timerfd.h>
#include <unistd.h>

namespace qx {

namespace {
// Lands the wake-up a hair after the boundary, so that a clock slewed by a few microseconds still reads the new time.
constexpr std::int64_t kGuardNs = 30'000;

int createKernelTimer() {
    // CLOCK_BOOTTIME keeps running while the machine is suspended, so the first tick after a resume is not late.
    int fd = timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0)
        fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    return fd;
}
} // namespace

BoundaryTimer::BoundaryTimer(const Clock& clock, TickGate* gate, QObject* parent, Backend backend)
    : QObject(parent), clock_(clock), gate_(gate) {
    if (backend == Backend::KernelTimer) {
        fd_ = createKernelTimer();
        if (fd_ < 0)
            qWarning("BoundaryTimer: no kernel timer (%s); ticks follow a Qt timer instead", std::strerror(errno));
    }
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        notifier_->setEnabled(false);
        connect(notifier_, &QSocketNotifier::activated, this, &BoundaryTimer::onKernelExpiry);
    } else {
        fallback_ = new QTimer(this);
        fallback_->setSingleShot(true);
        fallback_->setTimerType(Qt::PreciseTimer);
        connect(fallback_, &QTimer::timeout, this, &BoundaryTimer::wake);
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
    if (!inTick_)
        armNext(); // inside a tick, wake() arms the new period when the handler returns
}

void BoundaryTimer::stop() {
    periodNs_ = 0;
    disarm();
}

void BoundaryTimer::armAt(std::int64_t atNs, std::int64_t nowNs) {
    targetNs_ = atNs;
    const std::int64_t delayNs = atNs - nowNs + kGuardNs;
    if (fd_ >= 0) {
        itimerspec when{};
        when.it_value.tv_sec = delayNs / 1'000'000'000;
        when.it_value.tv_nsec = delayNs % 1'000'000'000;
        timerfd_settime(fd_, 0, &when, nullptr);
        notifier_->setEnabled(true);
    } else {
        // Qt counts whole milliseconds: round up, so that the wake-up is never before the boundary.
        fallback_->start(std::chrono::milliseconds((delayNs + 999'999) / 1'000'000));
    }
}

void BoundaryTimer::armNext() {
    const std::int64_t now = nowNs();
    armAt(now + nsToNextBoundary(now, periodNs_), now);
}

void BoundaryTimer::disarm() {
    if (fd_ >= 0) {
        const itimerspec never{}; // a zero value disarms
        timerfd_settime(fd_, 0, &never, nullptr);
        notifier_->setEnabled(false);
    } else {
        fallback_->stop();
    }
}

void BoundaryTimer::onKernelExpiry() {
    std::uint64_t expirations = 0;
    while (::read(fd_, &expirations, sizeof expirations) < 0 && errno == EINTR) {
    }
    wake();
}

void BoundaryTimer::wake() {
    if (periodNs_ <= 0)
        return;
    const std::int64_t now = nowNs();
    const BoundaryWake plan = wakeAt(periodNs_, targetNs_, now, inTick_ || (gate_ && gate_->isHeld()));
    if (!plan.fire) {
        armAt(plan.nextNs, now);
        return;
    }
    const TimeSource source = source_;
    {
        QPointer<BoundaryTimer> self(this);
        TickGate::Hold hold(gate_);
        inTick_ = true;
        Q_EMIT tick();
        if (!self)
            return; // the handler closed the window that owns this timer
        inTick_ = false;
    }
    if (periodNs_ <= 0 || source_ != source)
        return; // stopped by the handler, or already armed afresh on the other clock
    const std::int64_t after = nowNs();
    armAt(nextTickAt(now, after, periodNs_), after);
}

} // namespace qx
