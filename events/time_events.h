// The time events of the clock: chimes, alarm and millennium greeting, driven by the analog window's ticks.
#pragma once

#include "core/time_events.h"
#include "events/alarm.h"
#include "events/chimes.h"

#include <QDateTime>
#include <memory>

namespace qx {

class Clock;

// Where the time events open their windows; the real ones are in event_windows.h.
class EventWindows {
public:
    virtual ~EventWindows() = default;
    virtual void openAllarme() = 0;  // creates and loads it, or only brings it to the front
    virtual void openSpeciale() = 0; // likewise
};

class TimeEvents final : public TimeEventHooks {
public:
    TimeEvents(const Clock& clock, const SettingsStore& store, SoundService& sound, SoundObject& BB_Suono,
               std::unique_ptr<EventWindows> windows, const QString& programFolder);

    void chimeTick(const QString& orario, int ora12) override;
    void alarmTick(const QString& orario) override;
    bool wantsHalfSecondTicks() const override;

    const Chimes& chimes() const { return chimes_; }
    const AlarmCheck& alarm() const { return alarm_; }

    // The first minute of the third millennium, when the greeting opens: "ddmmyyyy hhmm".
    static bool isGreetingMinute(const QDateTime& localTime);

private:
    const Clock& clock_;
    std::unique_ptr<EventWindows> windows_;
    Chimes chimes_;
    AlarmCheck alarm_;
    bool greetingMinute_ = false; // as found by the last chime tick
};

} // namespace qx
