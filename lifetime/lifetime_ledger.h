// The computer's lifetime running time as the store keeps it, and the arithmetic that adds a boot to it only once.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace qx {

// "Timer vita" is the total in whole seconds; "Timer vita avvio" names the boot (the kernel's boot id) the total was
// last brought up to date for, and "Timer vita contati" how many seconds of that boot it already holds. Bringing the
// total up to date adds only the seconds of the current boot it does not hold yet, so an update may come as often as
// wanted (every few minutes, at every log-off, from two programs at once) and no second is counted twice.
struct LifetimeLedger {
    std::uint64_t total = 0;
    QString boot;
    std::uint64_t counted = 0;
    // False when "Timer vita" held no whole number (it then counts as 0).
    bool totalKnown = false;
    // False when "Timer vita contati" held no whole number; nothing of any boot is then taken as counted.
    bool countedKnown = false;

    // From the stored texts. A total that is absent or not a whole number counts as 0, and then the boot's seconds
    // it was said to hold are not taken as counted either: the total starts again from the current boot.
    static LifetimeLedger fromText(const QString& total, const QString& boot, const QString& counted);
    // The same from the counts as read (none: not a whole number).
    static LifetimeLedger from(std::optional<std::uint64_t> total, const QString& boot,
                               std::optional<std::uint64_t> counted);

    // The seconds of the boot `currentBoot`, `uptimeS` seconds old, that the total does not hold yet. Another boot's
    // record (or a count the uptime has not reached, which no update of this boot can have written) holds none.
    std::uint64_t uncounted(const QString& currentBoot, std::uint64_t uptimeS) const;
    // What the read-out shows: the total with those seconds. It moves on with the uptime and does not jump when an
    // update writes them into the total.
    std::uint64_t totalAt(const QString& currentBoot, std::uint64_t uptimeS) const;
    // The ledger brought up to date for that moment: the total holds every second of the boot so far.
    LifetimeLedger advancedTo(const QString& currentBoot, std::uint64_t uptimeS) const;

    QString totalText() const { return QString::number(total); }
    QString countedText() const { return QString::number(counted); }
};

// Whole seconds of a millisecond uptime, the fraction dropped.
constexpr std::uint64_t uptimeSeconds(std::uint64_t uptimeMs) {
    return uptimeMs / 1000;
}

} // namespace qx
