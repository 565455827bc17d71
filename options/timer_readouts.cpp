// The timer page's read-outs: how long the machine has run since it started, and the computer's lifetime.
#include "options/timer_readouts.h"

#include "lifetime/lifetime_ledger.h"

namespace qx {

QString durationText(std::uint64_t seconds) {
    const std::uint64_t hours = seconds / 3600;
    const std::uint64_t minutes = seconds % 3600 / 60;
    const QLatin1Char zero('0');
    return QStringLiteral("%1 ore %2 minuti %3 secondi")
        .arg(hours, 2, 10, zero)
        .arg(minutes, 2, 10, zero)
        .arg(seconds % 60, 2, 10, zero);
}

TimerReadouts TimerReadouts::at(std::uint64_t uptimeMs, const LifetimeLedger& ledger, const QString& bootId) {
    const std::uint64_t uptimeS = uptimeSeconds(uptimeMs);
    return {durationText(uptimeS), durationText(ledger.totalAt(bootId, uptimeS))};
}

} // namespace qx
