// The screensaver program: opens the face the clock was started from full screen, until a key or the pointer moves.
#include "core/faces.h"
#include "core/settings_store.h"
#include "core/startup.h"
#include "platform/clock.h"
#include "platform/quit_signals.h"
#include "platform/random.h"
#include "saver/hidden_pointer.h"
#include "saver/saver_window.h"

namespace {

// The screensaver's parts, for as long as it shows.
struct Screensaver {
    qx::SystemClock clock;
    const qx::SettingsStore store;
    qx::SeededRandom random;
    qx::saver::HiddenPointer pointer;
    // Asked to end (log-off, kill): the same way out as a key, the pointer shown again first.
    qx::QuitSignals quitSignals;
};

} // namespace

int main(int argc, char** argv) {
    return qx::runWindowProgram(argc, argv, qx::ProgramId::Quadrasogno, [](qx::ProgramStart&) {
        auto saver = std::make_unique<Screensaver>();
        qx::saver::SaverWindow* window = qx::saver::startScreensaver(saver->clock, saver->store, saver->random,
                                                                     saver->pointer);
        if (!window)
            return std::unique_ptr<Screensaver>();
        QObject::connect(&saver->quitSignals, &qx::QuitSignals::received, window,
                         [window] { window->leave("signal"); });
        return saver;
    });
}
