// The real clocks of the machine.
#include "platform/clock.h"

#include <ctime>

namespace qx {

namespace {
std::int64_t readNs(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}
} // namespace

QDateTime Clock::now() const {
    return localTime(epochNs());
}

QDateTime Clock::localTime(std::int64_t ns) const {
    // Floor, not truncate, so that times before 1970 in tests stay on the right second.
    std::int64_t ms = ns / 1'000'000;
    if (ns % 1'000'000 < 0)
        --ms;
    return QDateTime::fromMSecsSinceEpoch(ms, zone());
}

std::int64_t Clock::uptimeNs() const {
    return std::int64_t(uptimeMs()) * 1'000'000;
}

std::int64_t SystemClock::epochNs() const {
    return readNs(CLOCK_REALTIME);
}

std::uint64_t SystemClock::uptimeMs() const {
    return std::uint64_t(readNs(CLOCK_BOOTTIME) / 1'000'000);
}

std::int64_t SystemClock::uptimeNs() const {
    return readNs(CLOCK_BOOTTIME);
}

QTimeZone SystemClock::zone() const {
    return QTimeZone::systemTimeZone();
}

} // namespace qx
