// The analog window's wake-up plan: which of the hands, chime and alarm ticks run, and the period armed after them.
#include "faces/analog_wake_plan.h"
#include "tests/support/row_name.h"

#include <gtest/gtest.h>

using namespace qx;

namespace {

constexpr std::int64_t kS = 1'000'000'000, kMs = 1'000'000;
constexpr std::int64_t kBase = 1'796'821'200; // 2026-12-09 12:20:00 UTC, in seconds
constexpr std::int64_t at(std::int64_t seconds, std::int64_t ms = 0) {
    return (kBase + seconds) * kS + ms * kMs;
}

struct WakeCase {
    const char* name;
    AnalogWakeState last;
    std::int64_t nowNs;
    bool hands, alarm;
    AnalogWakeState next;
};

const WakeCase kWakeCases[] = {
    {"first wake-up runs the hands and the alarm tick",
     {},
     at(0, 0) + 30'000,
     true,
     true,
     {kBase, at(0, 0) + 30'000, true}},
    {"half-second wake-up in the same second runs the chime tick only",
     {kBase, at(0), true},
     at(0, 500),
     false,
     false,
     {kBase, at(0), true}},
    {"new second one second after the alarm tick moves the hands only",
     {kBase, at(0), true},
     at(1),
     true,
     false,
     {kBase + 1, at(0), true}},
    {"two seconds after the alarm tick it runs again",
     {kBase + 1, at(0), true},
     at(2),
     true,
     true,
     {kBase + 2, at(2), true}},
    {"a wake-up 50 ms early still counts as two seconds on",
     {kBase + 1, at(0), true},
     at(1, 950),
     false,
     true,
     {kBase + 1, at(1, 950), true}},
    {"51 ms early is too early for the alarm",
     {kBase + 1, at(0), true},
     at(1, 949),
     false,
     false,
     {kBase + 1, at(0), true}},
    {"a stroke held the program 2.2 s: one alarm tick, the pace counts from it",
     {kBase, at(0), true},
     at(2, 200),
     true,
     true,
     {kBase + 2, at(2, 200), true}},
    {"clock set forward by hours: one hands and one alarm tick",
     {kBase, at(0), true},
     at(3 * 3600, 1),
     true,
     true,
     {kBase + 3 * 3600, at(3 * 3600, 1), true}},
    {"clock set back an hour: the alarm ticks at once, not an hour later",
     {kBase, at(0), true},
     at(-3600),
     true,
     true,
     {kBase - 3600, at(-3600), true}},
    {"clock set back within its second: no hands tick, the alarm tick runs",
     {kBase, at(0, 600), true},
     at(0, 200),
     false,
     true,
     {kBase, at(0, 200), true}},
};

void PrintTo(const WakeCase& c, std::ostream* os) {
    *os << c.name;
}

class AnalogWakePlanTest : public ::testing::TestWithParam<WakeCase> {};

TEST_P(AnalogWakePlanTest, RunsTheTicksThatAreDue) {
    const WakeCase& c = GetParam();
    const AnalogWakePlan plan = planAnalogWake(c.last, c.nowNs);
    EXPECT_EQ(plan.hands, c.hands);
    EXPECT_EQ(plan.alarm, c.alarm);
    EXPECT_EQ(plan.next.handsSecond, c.next.handsSecond);
    EXPECT_EQ(plan.next.alarmNs, c.next.alarmNs);
    EXPECT_EQ(plan.next.alarmTicked, c.next.alarmTicked);
}

INSTANTIATE_TEST_SUITE_P(Wakes, AnalogWakePlanTest, ::testing::ValuesIn(kWakeCases), test::RowName());

TEST(AnalogWakePeriod, HalfASecondOnlyWhileTheTimeEventsAskForIt) {
    EXPECT_EQ(analogWakePeriod(false), kS);
    EXPECT_EQ(analogWakePeriod(true), kS / 2);
}

} // namespace
