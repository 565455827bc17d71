// A millisecond timer whose ticks never nest inside another handler of the same window.
#include "platform/hires_timer.h"

namespace qx {

HiResTimer::HiResTimer(TickGate* gate, QObject* parent) : QObject(parent), gate_(gate) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &HiResTimer::onTimeout);
}

void HiResTimer::start() {
    timer_.start();
}

void HiResTimer::stop() {
    timer_.stop();
}

void HiResTimer::setInterval(int ms) {
    timer_.setInterval(ms < 1 ? 1 : ms);
}

void HiResTimer::onTimeout() {
    if (gate_ && gate_->isHeld())
        return;
    TickGate::Hold hold(gate_);
    Q_EMIT tick();
}

} // namespace qx
