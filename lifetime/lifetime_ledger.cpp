// The computer's lifetime running time as the store keeps it, and the arithmetic that adds a boot to it only once.
#include "lifetime/lifetime_ledger.h"

#include "core/setting_values.h"

#include <limits>

namespace qx {

namespace {
std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}
} // namespace

LifetimeLedger LifetimeLedger::fromText(const QString& total, const QString& boot, const QString& counted) {
    return from(value::count(total), boot, value::count(counted));
}

LifetimeLedger LifetimeLedger::from(std::optional<std::uint64_t> total, const QString& boot,
                                    std::optional<std::uint64_t> counted) {
    LifetimeLedger ledger;
    if (!total)
        return ledger;
    ledger.total = *total;
    ledger.totalKnown = true;
    ledger.boot = boot;
    if (counted) {
        ledger.counted = *counted;
        ledger.countedKnown = true;
    }
    return ledger;
}

std::uint64_t LifetimeLedger::uncounted(const QString& currentBoot, std::uint64_t uptimeS) const {
    const bool thisBoot = countedKnown && boot == currentBoot && counted <= uptimeS;
    return thisBoot ? uptimeS - counted : uptimeS;
}

std::uint64_t LifetimeLedger::totalAt(const QString& currentBoot, std::uint64_t uptimeS) const {
    return saturatingAdd(total, uncounted(currentBoot, uptimeS));
}

LifetimeLedger LifetimeLedger::advancedTo(const QString& currentBoot, std::uint64_t uptimeS) const {
    LifetimeLedger next;
    next.total = totalAt(currentBoot, uptimeS);
    next.totalKnown = true;
    next.boot = currentBoot;
    next.counted = uptimeS;
    next.countedKnown = true;
    return next;
}

} // namespace qx
