// What the clock keeps for its whole run behind its faces.
#include "events/clock_session.h"

#include "core/settings_store.h"
#include "events/event_windows.h"
#include "platform/sound/sound_service.h"

namespace qx {

ClockSession::ClockSession(const Clock& clock, SettingsStore& store, SoundService& sound, const QString& programFolder,
                           std::function<void(const QUrl&)> openUrl)
    : ClockSession(clock, store, sound, programFolder, [&store, openUrl](std::shared_ptr<SoundObject> Al_Suono) {
          return std::make_unique<RealEventWindows>(store, std::move(Al_Suono), openUrl);
      }) {}

ClockSession::ClockSession(const Clock& clock, SettingsStore& store, SoundService& sound, const QString& programFolder,
                           const WindowsFactory& windows) {
    store.firstRunInit();
    BB_Suono_ = sound.bind(programFolder + QLatin1String("/BigBen.wav"));
    Al_Suono_ = sound.bind(programFolder + QLatin1String("/Allarme.mid"), SoundRole::Alarm);
    events_ = std::make_unique<TimeEvents>(clock, store, sound, *BB_Suono_, windows(Al_Suono_), programFolder);
}

} // namespace qx
