// Horacumul, the lifetime accumulator: hidden for as long as the user is logged on, it keeps the computer's lifetime
// total up to date, and brings it up to date once more when the log-on ends.
#include "core/settings_store.h"
#include "lifetime/horacumul.h"
#include "platform/boot_id.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/session/session_end.h"
#include "platform/trace.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    // On X11 the program hears the session manager's log-off and the end of the session's X server. It never shows
    // a window, so without a display (or with one that does not answer, which is said on stderr) it runs on without
    // one, ending with the signals and logind.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    if (!qx::prepareDesktopEnvironment("horacumul"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Horacumul"));
    QGuiApplication::setDesktopFileName(QStringLiteral("horacumul"));
    QGuiApplication::setQuitOnLastWindowClosed(false);

    qx::SystemClock clock;
    qx::SettingsStore store;
    qx::Horacumul horacumul(clock, store, qx::readBootId());
    qx::SessionEnd end([&horacumul] { horacumul.accumulate(); });
    qx::traceEvent("started", QGuiApplication::platformName());
    return app.exec();
}
