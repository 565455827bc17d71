// A clock that tests set and advance by hand.
#pragma once

#include "platform/clock.h"

#include <QDateTime>

namespace qx::test {

class FakeClock final : public Clock {
public:
    // Starts at the given local date and time of zone (UTC unless told otherwise).
    explicit FakeClock(const QDateTime& start = QDateTime(QDate(2026, 12, 9), QTime(12, 0), QTimeZone::utc()),
                       QTimeZone zone = QTimeZone::utc())
        : zone_(std::move(zone)) {
        set(start);
    }

    std::int64_t epochNs() const override { return ns_; }
    std::uint64_t uptimeMs() const override { return std::uint64_t(uptimeNs_ / 1'000'000); }
    std::int64_t uptimeNs() const override { return uptimeNs_; }
    QTimeZone zone() const override { return zone_; }

    // Sets the local date and time; a QDateTime without a zone is read in the clock's zone.
    void set(const QDateTime& t) {
        const QDateTime local = t.timeSpec() == Qt::LocalTime ? QDateTime(t.date(), t.time(), zone_) : t;
        ns_ = local.toMSecsSinceEpoch() * 1'000'000;
    }
    void setLocal(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
        set(QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), zone_));
    }
    // Moves both clocks on, as time passing does.
    void advanceMs(std::int64_t ms) { advanceNs(ms * 1'000'000); }
    void advanceNs(std::int64_t ns) {
        ns_ += ns;
        uptimeNs_ += ns;
    }
    void setUptimeMs(std::uint64_t ms) { uptimeNs_ = std::int64_t(ms) * 1'000'000; }

private:
    QTimeZone zone_;
    std::int64_t ns_ = 0;
    std::int64_t uptimeNs_ = 0;
};

} // namespace qx::test
