// What the clock keeps for its whole run behind its faces: the first run of the settings, Big Ben and the alarm
// melody, and the chimes, alarm and greeting that play them.
#pragma once

#include "events/time_events.h"

#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

namespace qx {

class Clock;
class SettingsStore;
class SoundObject;
class SoundService;

class ClockSession {
public:
    using WindowsFactory = std::function<std::unique_ptr<EventWindows>(std::shared_ptr<SoundObject> Al_Suono)>;

    // Made before the analog face, in the order its loading has always had: the first-run settings, then the two
    // sound objects. The alarm and greeting open the real windows.
    ClockSession(const Clock& clock, SettingsStore& store, SoundService& sound, const QString& programFolder,
                 std::function<void(const QUrl&)> openUrl);
    // The same, with the windows the time events open made by `windows`.
    ClockSession(const Clock& clock, SettingsStore& store, SoundService& sound, const QString& programFolder,
                 const WindowsFactory& windows);

    // Big Ben and the alarm melody. Shared, so that an alarm window left open after the clock closes keeps them.
    const std::shared_ptr<SoundObject>& BB_Suono() const { return BB_Suono_; }
    const std::shared_ptr<SoundObject>& Al_Suono() const { return Al_Suono_; }

    // The chimes, the alarm and the greeting, ticked by the analog face's timer.
    TimeEvents& events() { return *events_; }

private:
    std::shared_ptr<SoundObject> BB_Suono_;
    std::shared_ptr<SoundObject> Al_Suono_;
    std::unique_ptr<TimeEvents> events_;
};

} // namespace qx
