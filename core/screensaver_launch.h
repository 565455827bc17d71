// Starts the screensaver "Quadrasogno" on the face the user chose it from.
#pragma once

#include "core/face_commands.h"
#include "platform/ini_tool.h"

#include <QString>
#include <functional>

namespace qx {

class SettingsStore;

class ScreensaverLaunch {
public:
    // Starts a program by path without waiting; false when it could not be started.
    using Starter = std::function<bool(const QString& path)>;

    // `programFolder` is the clock's own folder, where the screensaver program lies beside it.
    ScreensaverLaunch(SettingsStore& store, QString programFolder, Starter start, INITool tool = INITool());

    // In this order: the INI tool's entry call on the system folder's "system.ini" (which never writes outside the
    // user's own files), "Salvaschermo" := the face's name, then the screensaver started beside the clock; the
    // screensaver reads the face at its start, so it always finds the one just written. Nothing is waited for and
    // nothing reported: without the program only the setting changes. The face stays open and keeps running.
    void launch(FaceKind face);

    // Where the screensaver program is looked for.
    QString programPath() const;

private:
    SettingsStore& store_;
    QString folder_;
    Starter start_;
    INITool INITool1;
};

} // namespace qx
