// What a face can ask of the program, by name, without knowing the windows that carry the commands out.
#pragma once

#include "core/setting_values.h"

#include <optional>

namespace qx {

class FaceWindow;

// The commands every face offers through its menu or toolbar.
enum class Command {
    ShowAnalogico,
    ShowDigitale,
    ShowMini,
    ShowQuadrantix,
    Screensaver, // full-screen screensaver showing the face the command came from
    Options,     // the options dialog
    About,       // the about window
    Exit,        // ends the program through the closing splash
};

Command showCommand(FaceKind face);
std::optional<FaceKind> shownFace(Command command);

// Offered to every face by the face manager. A face names a command and never includes the window that carries it
// out, so the faces do not depend on the options dialog, the about window or the screensaver.
class FaceCommands {
public:
    virtual ~FaceCommands() = default;
    // False for a command whose window this program does not have: the face shows it disabled.
    virtual bool isAvailable(Command command) const = 0;
    // Carries out `command` given on the face `from`. An unavailable command does nothing.
    virtual void run(Command command, FaceWindow* from) = 0;
};

} // namespace qx
