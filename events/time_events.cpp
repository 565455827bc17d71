// The time events of the clock: chimes, alarm and millennium greeting, driven by the analog window's ticks.
#include "events/time_events.h"

#include "platform/clock.h"

namespace qx {

TimeEvents::TimeEvents(const Clock& clock, const SettingsStore& store, SoundService& sound, SoundObject& bigBen,
                       std::unique_ptr<EventWindows> windows, const QString& programFolder)
    : clock_(clock), windows_(std::move(windows)), chimes_(clock, store, sound, bigBen, programFolder), alarm_(store) {}

bool TimeEvents::isGreetingMinute(const QDateTime& t) {
    return t.toString(QStringLiteral("ddMMyyyy hhmm")) == QLatin1String("01012001 0000");
}

void TimeEvents::chimeTick(const QString& orario, int ora12) {
    greetingMinute_ = isGreetingMinute(clock_.now());
    if (greetingMinute_)
        windows_->openSpeciale();
    chimes_.tick(orario, ora12);
}

void TimeEvents::alarmTick(const QString& orario) {
    if (alarm_.tick(orario, chimes_.inProgress()))
        windows_->openAllarme();
}

bool TimeEvents::wantsHalfSecondTicks() const {
    // No stroke sounds in the greeting's minute (00:00), so the chime tick's finding still holds after it.
    return chimes_.sequenceUnderWay() || greetingMinute_;
}

} // namespace qx
