// The run-time read-out's wake-ups: a boundary timer that follows the seconds of the uptime instead of the wall clock.
#include "platform/boundary_timer.h"
#include "platform/clock.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace qx;

TEST(UptimeBoundaryTimer, TicksJustAfterEachBoundaryOfTheUptime) {
    SystemClock clock;
    BoundaryTimer timer(clock, nullptr);
    timer.setTimeSource(BoundaryTimer::TimeSource::Uptime);
    constexpr std::int64_t period = 20'000'000;
    std::vector<std::int64_t> periods, phases;
    QEventLoop loop;
    QObject::connect(&timer, &BoundaryTimer::tick, &loop, [&] {
        const std::int64_t now = clock.uptimeNs();
        periods.push_back(now / period);
        phases.push_back(now % period);
        if (periods.size() == 9)
            loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    timer.start(period);
    loop.exec();
    ASSERT_EQ(periods.size(), 9u);
    for (std::size_t i = 1; i < periods.size(); ++i)
        EXPECT_GT(periods[i], periods[i - 1]) << "two ticks in one period of the uptime, or one before its boundary";
    // The wall clock's boundaries fall anywhere in the uptime's period; these land right after the uptime's own.
    std::nth_element(phases.begin(), phases.begin() + 4, phases.end());
    EXPECT_LT(phases[4], 3'000'000) << "median time after the uptime boundary, ns";
}
