// Lets a window's boundary timers find the time a test has set on its fake clock, as their kernel timers find the
// real one.
#pragma once

#include "platform/boundary_timer.h"

#include <QList>
#include <QObject>
#include <QPointer>

namespace qx::test {

// After a test has moved the fake clock: wakes every boundary timer `owner` holds (at any depth), as its kernel timer
// would have woken it by then. A timer whose boundary has come ticks once, however many boundaries passed (the clock
// jumped); one whose boundary has not come re-arms and delivers nothing. Whether a tick runs, and what it arms next,
// is the window's and its timers' own doing, as on the real clock.
inline void wakeTimers(QObject& owner) {
    QList<QPointer<BoundaryTimer>> timers;
    for (BoundaryTimer* timer : owner.findChildren<BoundaryTimer*>())
        timers << timer;
    for (const QPointer<BoundaryTimer>& timer : timers)
        if (timer) // a tick may close the window, and its timers with it
            timer->wake();
}

} // namespace qx::test
