// The stopwatch and the countdown on the monotonic clock: what they count across runs, holds, pauses and the end.
#include "faces/stopwatch.h"
#include "platform/boundary_timer.h"
#include "tests/support/fake_clock.h"

#include <gtest/gtest.h>

using namespace qx;

namespace {

TEST(Stopwatch, CountsWhatTheClockSaysPassedWhileItRan) {
    test::FakeClock clock;
    Stopwatch s(clock);
    s.start();
    clock.advanceMs(12340);
    s.stop();
    EXPECT_EQ(s.elapsedCs(), 1234);
    EXPECT_FALSE(s.CronoAttivo());

    s.stop(); // stop while stopped
    clock.advanceMs(5000);
    EXPECT_EQ(s.elapsedCs(), 1234) << "nothing counts while stopped";
    s.start();
    clock.advanceMs(660);
    s.start(); // start while running does not restart the run
    clock.advanceMs(1000);
    EXPECT_EQ(s.elapsedCs(), 1234 + 166) << "runs add up";

    s.reset();
    EXPECT_EQ(s.elapsedCs(), 1400) << "a running stopwatch is not reset";
    s.lap();
    EXPECT_TRUE(s.CronoLap());
    clock.advanceMs(2000);
    EXPECT_EQ(s.elapsedCs(), 1600) << "the count goes on under the lap hold";
    s.stop();
    s.reset();
    EXPECT_EQ(s.elapsedCs(), 0);
    EXPECT_TRUE(s.CronoLap()) << "reset leaves the lap hold as it is";
}

// A timer woken at the phase's boundaries finds a new hundredth (or second) each time, and none in between.
TEST(Stopwatch, ItsPhaseIsWhereItsCountTurnsOver) {
    test::FakeClock clock;
    Stopwatch s(clock);
    clock.advanceNs(3'000'000); // the first run starts 3 ms into a hundredth of the clock
    s.start();
    EXPECT_EQ(s.phaseNs(10'000'000), 3'000'000);
    clock.advanceNs(1'234'567'000);
    s.stop();
    clock.advanceNs(7'777'777); // and the second run 7.8 ms further on
    s.start();
    const std::int64_t phase = s.phaseNs(10'000'000);
    const std::int64_t secondPhase = s.phaseNs(1'000'000'000);
    EXPECT_EQ(secondPhase % 10'000'000, phase) << "the seconds turn over on a hundredth";
    for (int i = 0; i < 250; ++i) {
        const std::int64_t cs = s.elapsedCs();
        const std::int64_t next = nsToNextBoundary(clock.uptimeNs(), 10'000'000, phase);
        clock.advanceNs(next - 1);
        EXPECT_EQ(s.elapsedCs(), cs) << "a nanosecond before the boundary, step " << i;
        clock.advanceNs(1);
        EXPECT_EQ(s.elapsedCs(), cs + 1) << "on the boundary, step " << i;
        if (s.elapsedCs() % 100 == 0) {
            EXPECT_EQ(nsToNextBoundary(clock.uptimeNs() - 1, 1'000'000'000, secondPhase), 1) << "a new second";
        }
    }
}

TEST(Countdown, ShowsTheWholeSecondsLeftRoundedUpAndEndsOnceAtTheDeadline) {
    test::FakeClock clock;
    Countdown c(clock);
    int ends = 0;
    c.start(90, [&] { ++ends; });
    EXPECT_TRUE(c.RovesciaAttivo());
    EXPECT_TRUE(c.running());
    EXPECT_EQ(c.Contatore_r(), 90);
    clock.advanceMs(1);
    EXPECT_EQ(c.Contatore_r(), 90) << "a second is shown until it has fully passed";
    EXPECT_EQ(nsToNextBoundary(clock.uptimeNs(), 1'000'000'000, c.secondPhaseNs()), 999'000'000)
        << "the next change of the seconds left";
    clock.advanceMs(999);
    EXPECT_EQ(c.Contatore_r(), 89);
    clock.advanceMs(88'999);
    EXPECT_FALSE(c.tick()) << "a millisecond is still left";
    EXPECT_EQ(c.Contatore_r(), 1);
    clock.advanceMs(1);
    EXPECT_TRUE(c.tick());
    EXPECT_FALSE(c.tick());
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(c.RovesciaAttivo());
    EXPECT_EQ(c.Contatore_r(), 0);
}

TEST(Countdown, PauseFreezesResumeSetsANewDeadlineCancelRunsNothing) {
    test::FakeClock clock;
    Countdown c(clock);
    int ends = 0;
    c.start(10, [&] { ++ends; });
    clock.advanceMs(2500);
    c.pause();
    EXPECT_TRUE(c.paused());
    clock.advanceMs(60'000);
    EXPECT_EQ(c.Contatore_r(), 8) << "7.5 s left, frozen";
    EXPECT_FALSE(c.tick());
    c.resume();
    clock.advanceMs(7499);
    EXPECT_FALSE(c.tick());
    clock.advanceMs(1);
    EXPECT_TRUE(c.tick());
    EXPECT_EQ(ends, 1);

    c.start(10, [&] { ++ends; });
    c.resume(); // resume while running changes nothing
    clock.advanceMs(4000);
    EXPECT_EQ(c.Contatore_r(), 6);
    c.cancel();
    clock.advanceMs(10'000);
    EXPECT_FALSE(c.tick());
    EXPECT_EQ(ends, 1) << "a cancelled countdown has no end action";
    c.resume();
    EXPECT_FALSE(c.RovesciaAttivo()) << "nothing to resume";
}

TEST(Countdown, ZeroSecondsEndsAtTheNextTick) {
    test::FakeClock clock;
    Countdown c(clock);
    int ends = 0;
    c.start(0, [&] { ++ends; });
    EXPECT_TRUE(c.RovesciaAttivo());
    EXPECT_TRUE(c.tick());
    EXPECT_EQ(ends, 1);
}

} // namespace
