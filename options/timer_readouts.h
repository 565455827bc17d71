// The timer page's read-outs: how long the machine has run since it started, and the computer's lifetime.
#pragma once

#include <QString>
#include <cstdint>

namespace qx {

struct LifetimeLedger;

// "07 ore 05 minuti 09 secondi": hours with at least two digits and as many more as they need, minutes and seconds
// with two.
QString durationText(std::uint64_t seconds);

struct TimerReadouts {
    QString esecwin; // the time since the machine started
    QString vita;    // the lifetime total with the seconds of this boot it does not hold yet

    static TimerReadouts at(std::uint64_t uptimeMs, const LifetimeLedger& ledger, const QString& bootId);
};

} // namespace qx
