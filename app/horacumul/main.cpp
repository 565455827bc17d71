// Horacumul, the lifetime accumulator: hidden for as long as the user is logged on, it keeps the computer's lifetime
// total up to date, and brings it up to date once more when the log-on ends.
#include "core/program.h"
#include "core/settings_store.h"
#include "lifetime/horacumul.h"
#include "platform/boot_id.h"
#include "platform/clock.h"
#include "platform/session/session_end.h"

namespace {

// The accumulator's parts, for the whole log-on.
struct Accumulator {
    qx::SystemClock clock;
    qx::SettingsStore store;
    qx::Horacumul horacumul{clock, store, qx::readBootId()};
    qx::SessionEnd end{[this] { horacumul.accumulate(); }};
};

} // namespace

int main(int argc, char** argv) {
    return qx::runProgram<QGuiApplication>(
        argc, argv, qx::ProgramId::Horacumul,
        [](qx::ProgramStart&) {
            QGuiApplication::setQuitOnLastWindowClosed(false);
            return std::make_unique<Accumulator>();
        },
        [] {});
}
