// The boundary timer's decisions, on a clock driven by hand: where the next boundary falls, whether a wake-up ticks,
// and when the next one comes, through clock changes, a held gate, a suspend and handlers that overrun.
#include "platform/boundary_timer.h"
#include "tests/support/fake_clock.h"
#include "tests/support/row_name.h"

#include <QPointer>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace qx;

namespace qx {
void PrintTo(BoundaryTimer::Backend backend, std::ostream* os) {
    *os << (backend == BoundaryTimer::Backend::KernelTimer ? "kernel timer" : "Qt timer");
}
} // namespace qx

namespace {

constexpr std::int64_t kS = 1'000'000'000, kMs = 1'000'000, kUs = 1'000;
constexpr std::int64_t kHour = 3600 * kS;
constexpr std::int64_t kT = 1'796'821'200 * kS; // a second boundary in 2026

TEST(NextBoundary, CountsToTheNextMultipleOfThePeriod) {
    const struct {
        const char* name;
        std::int64_t now, period, expected;
    } cases[] = {
        {"just after a second", 5 * kS + 1, kS, kS - 1},
        {"just before a second", 6 * kS - 1, kS, 1},
        {"exactly on a second waits a whole one", 7 * kS, kS, kS},
        {"ten-millisecond grid", 5 * kS + 123 * kMs, 10 * kMs, 7 * kMs},
        {"before the epoch", -kS / 2, kS, kS / 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nsToNextBoundary(c.now, c.period), c.expected) << c.name;
}

// One expiry of the timer: it woke for `target` and read `now`; if it ticked, the handler returned at `finished`.
struct Expiry {
    const char* name;
    std::int64_t period, target, now;
    bool gateHeld;
    std::int64_t finished; // read only when the tick fires
    bool fire;
    std::int64_t next;
};

const Expiry kExpiries[] = {
    {"on time: ticks, then the following boundary", kS, kT, kT + 30 * kUs, false, kT + 2 * kMs, true, kT + kS},
    {"exactly on the boundary ticks once and waits a whole period", kS, kT, kT, false, kT, true, kT + kS},
    {"slewed clock woke a hair early: waits for the boundary itself", kS, kT, kT - 20 * kUs, false, 0, false, kT},
    {"clock set back less than a period: waits for the same boundary", kS, kT, kT - 600 * kMs, false, 0, false, kT},
    {"clock set back: starts again from the new time", kS, kT, kT - kHour - 300 * kMs, false, 0, false, kT - kHour},
    {"clock set forward: one tick at the new time, then the next boundary, no second tick at once", kS, kT,
     kT + 2 * kHour + 250 * kMs, false, kT + 2 * kHour + 251 * kMs, true, kT + 2 * kHour + kS},
    {"resume from suspend on the 10 ms grid: one tick hours later, then the next boundary", 10 * kMs, kT,
     kT + 5 * kHour + 3 * kMs, false, kT + 5 * kHour + 4 * kMs, true, kT + 5 * kHour + 10 * kMs},
    {"tick held by the window's gate is dropped until the next boundary", kS, kT, kT + 30 * kUs, true, 0, false,
     kT + kS},
    {"gate held long after the boundary: no tick now and none owed later", kS, kT, kT + 2500 * kMs, true, 0, false,
     kT + 3 * kS},
    {"handler overran one period: one late tick at once", kS, kT, kT + 30 * kUs, false, kT + 1200 * kMs, true,
     kT + 1200 * kMs},
    {"handler overran several periods: still one late tick, no burst", kS, kT, kT + 30 * kUs, false, kT + 3700 * kMs,
     true, kT + 3700 * kMs},
    {"the late tick itself is followed by the next boundary", kS, kT + 3700 * kMs, kT + 3700 * kMs + 30 * kUs, false,
     kT + 3701 * kMs, true, kT + 4 * kS},
    {"handler ended exactly on the next boundary: that tick at once", kS, kT, kT, false, kT + kS, true, kT + kS},
    {"handler took most of a period: the next boundary, not at once", kS, kT, kT + 30 * kUs, false, kT + 900 * kMs,
     true, kT + kS},
    {"woke late and the handler crossed the boundary: at once", kS, kT, kT + 700 * kMs, false, kT + 1100 * kMs, true,
     kT + 1100 * kMs},
    {"clock set back while the handler ran: the next boundary from the new time", kS, kT, kT + 30 * kUs, false,
     kT - kHour + 400 * kMs, true, kT - kHour + kS},
};

void PrintTo(const Expiry& c, std::ostream* os) {
    *os << c.name;
}

class BoundaryDecisionTest : public ::testing::TestWithParam<Expiry> {};

// The two halves are used as the timer uses them: wakeAt() when it wakes, nextTickAt() after the handler.
TEST_P(BoundaryDecisionTest, TicksOnceAndWakesNextAtTheRightMoment) {
    const Expiry& c = GetParam();
    const BoundaryWake wake = wakeAt(c.period, c.target, c.now, c.gateHeld);
    ASSERT_EQ(wake.fire, c.fire);
    const std::int64_t next = wake.fire ? nextTickAt(c.now, c.finished, c.period) : wake.nextNs;
    EXPECT_EQ(next - kT, c.next - kT) << "ns after the reference boundary";
}

INSTANTIATE_TEST_SUITE_P(Expiries, BoundaryDecisionTest, ::testing::ValuesIn(kExpiries), test::RowName());

// The timer itself on a fake clock, woken by hand: it follows the decision with either way of waking.
class BoundaryTimerShellTest : public ::testing::TestWithParam<BoundaryTimer::Backend> {
protected:
    BoundaryTimerShellTest() : clock(QDateTime::fromMSecsSinceEpoch(kT / kMs, QTimeZone::utc())) {}
    BoundaryTimer* make(TickGate* gate = nullptr) {
        timer = new BoundaryTimer(clock, gate, nullptr, GetParam());
        QObject::connect(timer, &BoundaryTimer::tick, timer, [this] {
            ticks.push_back(clock.epochNs());
            if (handler)
                handler();
        });
        return timer;
    }
    // Moves the clock to the moment the timer is armed for, plus `lateNs`, and lets it wake.
    void wakeWhenDue(std::int64_t lateNs = 30 * kUs) {
        clock.advanceNs(timer->nextExpiryNs() + lateNs - clock.epochNs());
        timer->wake();
    }
    ~BoundaryTimerShellTest() override { delete timer.data(); }

    test::FakeClock clock;
    QPointer<BoundaryTimer> timer;
    std::vector<std::int64_t> ticks;
    std::function<void()> handler;
};

TEST_P(BoundaryTimerShellTest, TicksJustAfterEachBoundaryAndWaitsForTheNext) {
    make();
    EXPECT_EQ(timer->usesKernelTimer(), GetParam() == BoundaryTimer::Backend::KernelTimer);
    clock.advanceMs(250);
    timer->start(kS);
    EXPECT_EQ(timer->nextExpiryNs(), kT + kS);
    timer->wake(); // an early wake-up ticks nothing
    EXPECT_TRUE(ticks.empty());
    for (int i = 0; i < 3; ++i)
        wakeWhenDue();
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{kT + kS + 30 * kUs, kT + 2 * kS + 30 * kUs, kT + 3 * kS + 30 * kUs}));
    EXPECT_EQ(timer->nextExpiryNs(), kT + 4 * kS);
    timer->stop();
    EXPECT_EQ(timer->nextExpiryNs(), 0);
    clock.advanceMs(2000);
    timer->wake();
    EXPECT_EQ(ticks.size(), 3u) << "stopped";
}

// The analog window asks for half-second ticks from inside the tick whose stroke held it for two seconds: the next
// stroke must follow at once, not at the next half second.
TEST_P(BoundaryTimerShellTest, AHandlerThatChangesThePeriodAfterOverrunningIsFollowedAtOnce) {
    make();
    timer->start(kS);
    handler = [this] {
        if (ticks.size() == 1) {
            clock.advanceMs(2000);
            timer->start(kS / 2);
        }
    };
    wakeWhenDue(0);
    EXPECT_EQ(timer->periodNs(), kS / 2);
    EXPECT_EQ(timer->nextExpiryNs(), kT + 3 * kS) << "at once, when the stroke ended";
    wakeWhenDue(0);
    EXPECT_EQ(timer->nextExpiryNs(), kT + 3 * kS + kS / 2);
    handler = [this] { timer->start(kS); };
    wakeWhenDue(0);
    EXPECT_EQ(timer->nextExpiryNs(), kT + 4 * kS) << "back to whole seconds at the next one";
}

TEST_P(BoundaryTimerShellTest, ATickThatFallsDueWhileTheGateIsHeldIsDropped) {
    TickGate gate;
    make(&gate);
    timer->start(kS);
    {
        TickGate::Hold busy(&gate);
        wakeWhenDue();
    }
    EXPECT_TRUE(ticks.empty());
    EXPECT_EQ(timer->nextExpiryNs(), kT + 2 * kS);
    wakeWhenDue();
    EXPECT_EQ(ticks.size(), 1u);
}

// A handler that yields to the event loop may see this timer's expiry come round inside it.
TEST_P(BoundaryTimerShellTest, NoTickNestsInsideAnotherOfTheSameTimer) {
    make();
    timer->start(kS);
    int depth = 0, deepest = 0;
    handler = [&] {
        deepest = std::max(deepest, ++depth);
        clock.advanceMs(1500);
        timer->wake();
        --depth;
    };
    wakeWhenDue();
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(ticks.size(), 1u);
    EXPECT_EQ(timer->nextExpiryNs(), kT + 2500 * kMs + 30 * kUs) << "one late tick at once";
}

TEST_P(BoundaryTimerShellTest, AHandlerMayStopOrDeleteItsTimer) {
    make();
    timer->start(kS);
    handler = [this] { timer->stop(); };
    wakeWhenDue();
    EXPECT_FALSE(timer->isActive());
    timer->start(kS);
    handler = [this] { delete timer.data(); };
    wakeWhenDue();
    EXPECT_TRUE(timer.isNull());
    EXPECT_EQ(ticks.size(), 2u);
}

TEST_P(BoundaryTimerShellTest, FollowsTheUptimeWhenTold) {
    make();
    clock.setUptimeMs(10'400);
    timer->setTimeSource(BoundaryTimer::TimeSource::Uptime);
    timer->start(kS);
    EXPECT_EQ(timer->nextExpiryNs(), 11 * kS);
    clock.advanceMs(600);
    timer->wake();
    EXPECT_EQ(ticks.size(), 1u);
    EXPECT_EQ(timer->nextExpiryNs(), 12 * kS);
}

INSTANTIATE_TEST_SUITE_P(Backends, BoundaryTimerShellTest,
                         ::testing::Values(BoundaryTimer::Backend::KernelTimer, BoundaryTimer::Backend::QtTimer),
                         [](const auto& info) {
                             return info.param == BoundaryTimer::Backend::KernelTimer ? "kernel_timer" : "Qt_timer";
                         });

} // namespace
