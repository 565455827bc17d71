// What the analog window's timers drive besides the hands: the chimes, the alarm and the millennium greeting.
#pragma once

#include <QString>

namespace qx {

class TimeEventHooks {
public:
    virtual ~TimeEventHooks() = default;
    // The chime tick (every second, or every half second while wantsHalfSecondTicks()): millennium check, Big Ben,
    // half-hour sequence, hour strokes. A stroke is played to its end before this returns.
    virtual void chimeTick(const QString& orario, int ora12) = 0;
    // The alarm tick (every two seconds).
    virtual void alarmTick(const QString& orario) = 0;
    // True while the chime tick must come every half second (a sequence is under way, or the greeting's minute);
    // otherwise once a second, with the hands, is enough.
    virtual bool wantsHalfSecondTicks() const = 0;
};

} // namespace qx
