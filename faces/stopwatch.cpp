// The large face's stopwatch and countdown: what they count, on the machine's monotonic clock, apart from any window.
#include "faces/stopwatch.h"

#include "platform/clock.h"

#include <algorithm>

namespace qx {

namespace {
constexpr std::int64_t kHundredthNs = 10'000'000;

std::int64_t modulo(std::int64_t value, std::int64_t period) {
    const std::int64_t m = value % period;
    return m < 0 ? m + period : m;
}
} // namespace

Stopwatch::Stopwatch(const Clock& clock) : clock_(clock) {}

void Stopwatch::start() {
    if (running_)
        return;
    started_ = clock_.uptimeNs();
    running_ = true;
}

void Stopwatch::stop() {
    if (!running_)
        return;
    banked_ += clock_.uptimeNs() - started_;
    running_ = false;
}

void Stopwatch::lap() {
    if (!lap_)
        heldCs_ = elapsedCs();
    lap_ = !lap_;
}

void Stopwatch::reset() {
    if (!running_)
        banked_ = 0;
}

std::int64_t Stopwatch::elapsedNs() const {
    return banked_ + (running_ ? std::max<std::int64_t>(clock_.uptimeNs() - started_, 0) : 0);
}

std::int64_t Stopwatch::elapsedCs() const {
    return elapsedNs() / kHundredthNs;
}

std::int64_t Stopwatch::phaseNs(std::int64_t periodNs) const {
    // The count is zero at started_ - banked_, so it passes a multiple of the period wherever that moment does.
    return modulo(started_ - banked_, periodNs);
}

Countdown::Countdown(const Clock& clock) : clock_(clock) {}

void Countdown::start(std::int64_t seconds, std::function<void()> endAction) {
    left_ = std::max<std::int64_t>(seconds, 0) * kSecondNs;
    deadline_ = clock_.uptimeNs() + left_;
    endAction_ = std::move(endAction);
    active_ = running_ = true;
}

void Countdown::pause() {
    if (!running())
        return;
    left_ = remainingNs();
    running_ = false;
}

void Countdown::resume() {
    if (!paused() || left_ <= 0)
        return;
    deadline_ = clock_.uptimeNs() + left_;
    running_ = true;
}

void Countdown::cancel() {
    active_ = running_ = false;
    left_ = 0;
    endAction_ = nullptr;
}

bool Countdown::tick() {
    if (!active_ || remainingNs() > 0)
        return false;
    // Cleared before the action runs, so that it runs once, whatever the action does.
    active_ = running_ = false;
    left_ = 0;
    const std::function<void()> action = std::move(endAction_);
    endAction_ = nullptr;
    if (action)
        action();
    return true;
}

std::int64_t Countdown::remainingNs() const {
    if (!active_)
        return 0;
    return running_ ? std::max<std::int64_t>(deadline_ - clock_.uptimeNs(), 0) : left_;
}

std::int64_t Countdown::Contatore_r() const {
    return (remainingNs() + kSecondNs - 1) / kSecondNs;
}

std::int64_t Countdown::secondPhaseNs() const {
    return modulo(deadline_, kSecondNs);
}

} // namespace qx
