// What the analog window does at each wake-up of its timer.
#include "faces/analog_wake_plan.h"

#include "platform/clock.h"

namespace qx {

namespace {
constexpr std::int64_t kAlarmPeriod = 2 * kSecondNs;
constexpr std::int64_t kSlack = 50'000'000; // a tick a little early still counts as two seconds on

std::int64_t secondOf(std::int64_t ns) {
    return ns / kSecondNs - (ns % kSecondNs < 0 ? 1 : 0);
}
} // namespace

AnalogWakePlan planAnalogWake(const AnalogWakeState& last, std::int64_t nowNs) {
    AnalogWakePlan plan;
    plan.next = last;
    const std::int64_t second = secondOf(nowNs);
    if (second != last.handsSecond) {
        plan.hands = true;
        plan.next.handsSecond = second;
    }
    const std::int64_t sinceAlarm = nowNs - last.alarmNs;
    if (!last.alarmTicked || sinceAlarm < 0 || sinceAlarm >= kAlarmPeriod - kSlack) {
        plan.alarm = true;
        plan.next.alarmNs = nowNs;
        plan.next.alarmTicked = true;
    }
    return plan;
}

std::int64_t analogWakePeriod(bool wantsHalfSecondTicks) {
    return wantsHalfSecondTicks ? kSecondNs / 2 : kSecondNs;
}

} // namespace qx
