// A millisecond timer whose ticks never nest inside another handler of the same window.
#pragma once

#include "platform/tick_gate.h"

#include <QObject>
#include <QTimer>

namespace qx {

// Ticks every interval() milliseconds while started, measured precisely (not coalesced). A tick that falls due while
// the window's gate is held is dropped, and a late tick is not followed by a burst of the ticks it missed.
class HiResTimer : public QObject {
    Q_OBJECT
public:
    explicit HiResTimer(TickGate* gate, QObject* parent = nullptr);

    void start();
    void stop();
    bool isActive() const { return timer_.isActive(); }
    void setInterval(int ms);
    int interval() const { return timer_.interval(); }

Q_SIGNALS:
    void tick();

private:
    void onTimeout();

    TickGate* gate_;
    QTimer timer_;
};

} // namespace qx
