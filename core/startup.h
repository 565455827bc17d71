// What the clock does when it starts: register its launcher, load the analog window, show the chosen face.
#pragma once

#include "core/program.h"

#include <QApplication>
#include <QIcon>
#include <QString>
#include <functional>

class QCoreApplication;

namespace qx {

class FaceManager;
class SettingsStore;

// Loads the analog window hidden, then shows the face named by "Avvio": "Analogico", "Digitale", "Mini",
// "Quadrantix" or the empty text (the large face); any other value shows no face, and the clock keeps running
// hidden with its chimes and alarm.
void startUp(FaceManager& faces, const SettingsStore& store);

// $XDG_DATA_HOME/applications/quadrantix.desktop (~/.local/share by default, the home folder taken from the password
// database when HOME is not set); empty when no home folder is known.
QString launcherPath();

// $XDG_CONFIG_HOME/autostart (~/.config by default), the folder whose entries a desktop session starts at log-on;
// empty when no home folder is known.
QString autostartFolder();

// The launcher's text for `executable`: the clock's installed menu entry (dist/quadrantix.desktop.in) with the path
// in Exec and TryExec, written as the install writes that entry (desktopEntryText). Run from an installed location
// it is the installed entry itself; run from a build tree, TryExec hides it once the build is gone.
QByteArray launcherText(const QString& executable);

// Writes the launcher at `path` for `executable`, or leaves it untouched when it already says exactly that. It is
// what the start-at-log-on option copies, and it puts the clock in the desktop's menu. When `autostart` names a
// folder, a copy of the launcher there is refreshed as refreshLauncherCopy() says. Returns the path.
QString registerLauncher(const QString& executable, const QString& path, const QString& autostart = {});
// The same in the user's own folders: launcherPath() and autostartFolder().
QString registerLauncher(const QString& executable);

// Replaces `copy`, a copy of the launcher in the autostart folder, with the launcher's current text when the program
// the copy names is gone (the program was moved or its build removed), so that log-on does not start nothing. A copy
// that names a program still there is the user's choice and stays as it is; no copy is made where there is none.
// Returns whether the copy was replaced.
bool refreshLauncherCopy(const QString& launcher, const QString& copy);

// After the event loop: deletes the windows still open (a face, the alarm window), so that the program ends with
// nothing of its own left allocated.
void deleteRemainingWindows();

// Italian texts for the toolkit's own dialogs and menus, whatever the user's language.
void installItalianTranslations(QCoreApplication& app);

// Gives every window of the program `icon()` once the first window has painted: rendering the icon's sizes is work
// the first picture on screen does not need.
void setWindowIconAfterFirstPaint(QApplication& app, std::function<QIcon()> icon);

// What every program with windows sets up before its first window: the trace hooks and the rule that it ends with
// its last window (quitAfterLastWindow).
void settleWindowProgram(QApplication& app);

// runProgram for a program with windows: settleWindowProgram first, and the windows still open deleted once the
// event loop has ended.
template <class Body>
int runWindowProgram(int argc, char** argv, ProgramId id, Body&& body) {
    return runProgram<QApplication>(
        argc, argv, id,
        [&body](ProgramStart& start) {
            settleWindowProgram(*qApp);
            return std::forward<Body>(body)(start);
        },
        [] { deleteRemainingWindows(); });
}

} // namespace qx

namespace qx {
// With QUADRANTIX_TRACE set: traces "mapped <window>" when a top-level window is first on screen, "menu <captions>"
// when a pop-up menu opens and "tooltip <text>" when a tooltip shows, for the end-to-end tests and the benchmark.
// Costs nothing otherwise.
void installTraceHooks(QCoreApplication& app);
} // namespace qx
