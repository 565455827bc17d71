// Keeps the timers of one window from ticking while another handler of that window is still running.
#pragma once

namespace qx {

// One gate per window. A handler that may yield to the event loop (and every timer tick) holds the gate while it
// runs; a timer of the same window that falls due meanwhile drops that tick instead of nesting inside the handler,
// and ticks dropped this way are not delivered later.
class TickGate {
public:
    class Hold {
    public:
        explicit Hold(TickGate* gate) : gate_(gate) {
            if (gate_)
                ++gate_->holds_;
        }
        ~Hold() {
            if (gate_)
                --gate_->holds_;
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        TickGate* gate_;
    };

    bool isHeld() const { return holds_ > 0; }

private:
    int holds_ = 0;
};

} // namespace qx
