// The screensaver program: opens the face the clock was started from full screen, until a key or the pointer moves.
#include "core/faces.h"
#include "core/settings_store.h"
#include "core/startup.h"
#include "platform/clock.h"
#include "platform/quit_signals.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "saver/hidden_pointer.h"
#include "saver/saver_window.h"

#include <QApplication>

int main(int argc, char** argv) {
    // A full-screen window on X11 (XWayland on a Wayland desktop), where it can keep itself above the others.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // Without the shared-memory round trip an idle face wakes once a second; the interlude's full-screen frames
    // measured no faster with it.
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");

    QApplication app(argc, argv); // the command line is ignored: every run starts the same way
    QApplication::setApplicationName(QStringLiteral("Quadrasogno"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    qx::installTraceHooks(app);
    qx::quitAfterLastWindow(app);

    qx::SystemClock clock;
    const qx::SettingsStore store;
    qx::SeededRandom random;
    qx::saver::HiddenPointer pointer;
    qx::saver::SaverWindow* window = qx::saver::startScreensaver(clock, store, random, pointer);
    if (!window)
        return 0;
    // Asked to end (log-off, kill): the same way out as a key, the pointer shown again first.
    qx::QuitSignals quitSignals;
    QObject::connect(&quitSignals, &qx::QuitSignals::received, window, [window] { window->leave("signal"); });
    qx::traceEvent("started");
    const int code = app.exec();
    qx::traceEvent("ended");
    return code;
}
