// Starts the screensaver "Quadrasogno" on the face the user chose it from.
#include "core/screensaver_launch.h"

#include "core/faces.h"
#include "core/settings_store.h"
#include "platform/trace.h"

namespace qx {

ScreensaverLaunch::ScreensaverLaunch(SettingsStore& store, QString programFolder, Starter start, INITool tool)
    : store_(store), folder_(std::move(programFolder)), start_(std::move(start)), INITool1(std::move(tool)) {}

QString ScreensaverLaunch::programPath() const {
    return folder_ + QLatin1String("/quadrasogno");
}

void ScreensaverLaunch::launch(FaceKind face) {
    INITool1.entryCall(QString(), QStringLiteral("boot"), QStringLiteral("SCRNSAVE.EXE"),
                       CartellaSistema() + QLatin1String("system.ini"));
    // One update, waiting at most a tick's worth: the face's clock waits with it.
    store_.update([&](SettingsStore::Transaction& t) { t.write(keys::Salvaschermo, faceName(face)); },
                  SettingsStore::kActionPatience);
    const bool started = start_ && start_(programPath());
    traceEvent("screensaver", faceName(face) + (started ? QLatin1String(" started") : QLatin1String(" absent")));
}

} // namespace qx
