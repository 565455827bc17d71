// The timers against the machine's real clocks: ticks land just after the boundaries of the clock they follow, with
// either way of waking, and no tick nests inside another handler of the same window.
#include "platform/boundary_timer.h"
#include "platform/clock.h"
#include "platform/hires_timer.h"
#include "tests/support/row_name.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace qx;

namespace {

struct RealTimeCase {
    const char* name;
    BoundaryTimer::TimeSource source;
    BoundaryTimer::Backend backend;
    std::int64_t lateNs; // how late after its boundary the earliest tick may read the clock
};

const RealTimeCase kRealTimeCases[] = {
    {"wall clock on the kernel timer", BoundaryTimer::TimeSource::Wall, BoundaryTimer::Backend::KernelTimer, 3'000'000},
    // The wall clock's boundaries fall anywhere in the uptime's period; these must land right after the uptime's own.
    {"uptime on the kernel timer", BoundaryTimer::TimeSource::Uptime, BoundaryTimer::Backend::KernelTimer, 3'000'000},
    // Without a kernel timer: Qt counts whole milliseconds, rounded up.
    {"wall clock on the Qt timer", BoundaryTimer::TimeSource::Wall, BoundaryTimer::Backend::QtTimer, 5'000'000},
    {"uptime on the Qt timer", BoundaryTimer::TimeSource::Uptime, BoundaryTimer::Backend::QtTimer, 5'000'000},
};

void PrintTo(const RealTimeCase& c, std::ostream* os) {
    *os << c.name;
}

class RealTimeBoundaryTest : public ::testing::TestWithParam<RealTimeCase> {};

TEST_P(RealTimeBoundaryTest, EveryTickReadsATimeJustAfterABoundaryOfALaterPeriod) {
    const RealTimeCase& c = GetParam();
    SystemClock clock;
    BoundaryTimer timer(clock, nullptr, nullptr, c.backend);
    EXPECT_EQ(timer.usesKernelTimer(), c.backend == BoundaryTimer::Backend::KernelTimer);
    timer.setTimeSource(c.source);
    const auto now = [&] { return c.source == BoundaryTimer::TimeSource::Uptime ? clock.uptimeNs() : clock.epochNs(); };
    constexpr std::int64_t period = 50'000'000;
    std::vector<std::int64_t> periods, phases;
    QEventLoop loop;
    QObject::connect(&timer, &BoundaryTimer::tick, &loop, [&] {
        const std::int64_t t = now();
        periods.push_back(t / period);
        phases.push_back(t % period);
        if (periods.size() == 9)
            loop.quit();
    });
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    timer.start(period);
    loop.exec();
    ASSERT_EQ(periods.size(), 9u);
    for (std::size_t i = 1; i < periods.size(); ++i)
        EXPECT_GT(periods[i], periods[i - 1]) << "two ticks in one period, or a tick before its boundary";
    // Other load on the machine only ever delays a wake-up, so the earliest tick shows where the timer was armed. On
    // the wrong clock's boundaries it would read a time anywhere in the period.
    EXPECT_LT(*std::min_element(phases.begin(), phases.end()), c.lateNs) << "earliest time after the boundary, ns";
}

INSTANTIATE_TEST_SUITE_P(Clocks, RealTimeBoundaryTest, ::testing::ValuesIn(kRealTimeCases), test::RowName());

// A handler that yields to the event loop must not see its window's other timers, nor itself, tick inside it;
// the ticks that fell due meanwhile are dropped, not delivered in a burst afterwards.
TEST(HiResTimer, NoTickNestsInsideAHandlerOfTheSameWindow) {
    TickGate gate;
    HiResTimer slow(&gate), fast(&gate);
    slow.setInterval(5);
    fast.setInterval(1);
    int depth = 0, maxDepth = 0, slowTicks = 0, fastTicksDuringYield = 0;
    bool yielding = false;
    QObject::connect(&fast, &HiResTimer::tick, &fast, [&] {
        if (yielding)
            ++fastTicksDuringYield;
    });
    QEventLoop done;
    QObject::connect(&slow, &HiResTimer::tick, &slow, [&] {
        maxDepth = std::max(maxDepth, ++depth);
        if (++slowTicks == 1) {
            yielding = true;
            QElapsedTimer spin;
            spin.start();
            while (spin.elapsed() < 60)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            yielding = false;
        } else {
            slow.stop();
            done.quit();
        }
        --depth;
    });
    slow.start();
    fast.start();
    QTimer::singleShot(5000, &done, &QEventLoop::quit);
    done.exec();
    EXPECT_EQ(slowTicks, 2);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(fastTicksDuringYield, 0);
}

} // namespace
