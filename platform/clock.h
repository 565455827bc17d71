// The time sources every piece of logic receives, so that tests can drive time by hand.
#pragma once

#include <QDateTime>
#include <QTimeZone>
#include <cstdint>

namespace qx {

// The clocks count in nanoseconds.
inline constexpr std::int64_t kSecondNs = 1'000'000'000;

class Clock {
public:
    virtual ~Clock() = default;
    // Wall-clock time in nanoseconds since the Unix epoch.
    virtual std::int64_t epochNs() const = 0;
    // Milliseconds since the machine started, including time spent suspended; 64 bits, so it never wraps.
    virtual std::uint64_t uptimeMs() const = 0;
    // The same count in nanoseconds, for timers that follow the seconds of the uptime.
    virtual std::int64_t uptimeNs() const;
    // The zone in which dates and times are shown (the system's local time for the real clock).
    virtual QTimeZone zone() const = 0;

    // The local date and time, to the millisecond. Read it once per tick: the real zone lookup is not free.
    QDateTime now() const;
    // The local date and time of a reading of epochNs(), for a tick that has already read the clock.
    QDateTime localTime(std::int64_t epochNs) const;
};

// The real clocks of the machine: CLOCK_REALTIME, CLOCK_BOOTTIME and the system time zone.
class SystemClock final : public Clock {
public:
    std::int64_t epochNs() const override;
    std::uint64_t uptimeMs() const override;
    std::int64_t uptimeNs() const override;
    QTimeZone zone() const override;
};

} // namespace qx
