// The computer's lifetime running time as the store keeps it, and the arithmetic that adds a boot to it only once.
#include "lifetime/lifetime_ledger.h"

#include <limits>
#include <optional>

namespace qx {

namespace {
// Decimal digits only, as the store holds the counts: no sign, no blanks, no separators, nothing beyond 64 bits.
std::optional<std::uint64_t> wholeNumber(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        const std::uint64_t digit = c.unicode() - u'0';
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}
} // namespace

LifetimeLedger LifetimeLedger::fromText(const QString& total, const QString& boot, const QString& counted) {
    LifetimeLedger ledger;
    const std::optional<std::uint64_t> t = wholeNumber(total);
    if (!t)
        return ledger;
    ledger.total = *t;
    ledger.totalKnown = true;
    ledger.boot = boot;
    if (const std::optional<std::uint64_t> c = wholeNumber(counted)) {
        ledger.counted = *c;
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
