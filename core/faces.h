// The four faces of the clock, and the machinery that shows one at a time and carries out their commands.
#pragma once

#include "core/face_commands.h"
#include "platform/tick_gate.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class QApplication;

namespace qx {

// A shaped, frameless top-level window showing one face. Its look and its mouse handling are the face's own (see
// face_chrome.h for the shape, the drag handle and the menu every face uses).
class FaceWindow : public QWidget {
    Q_OBJECT
public:
    explicit FaceWindow(FaceKind kind, Qt::WindowFlags extraFlags = {});
    FaceKind kind() const { return kind_; }
    TickGate* gate() { return &gate_; }
    // Loaded: created and not yet closed, shown or hidden.
    bool isLoaded() const { return !closed_; }
    // What a close from outside the program (the window manager's close, Alt+F4) does instead of closing the window
    // alone: the face's exit command, run once back in the event loop. Without one, such a close just closes.
    void setExitCommand(std::function<void()> exit) { exitCommand_ = std::move(exit); }
    bool hasExitCommand() const { return bool(exitCommand_); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    FaceKind kind_;
    bool closed_ = false;
    std::function<void()> exitCommand_;
    TickGate gate_;
};

// One window of each face at most. The analog window is loaded first and only ever hidden, so that its timers (the
// chimes and the alarm) keep running; every other face is closed, losing its state, when another one is shown.
// The commands that open other windows (options, about, screensaver) are carried out by handlers the program sets;
// without one, the command is unavailable.
class FaceManager : public QObject, public FaceCommands {
    Q_OBJECT
public:
    using Factory = std::function<FaceWindow*()>;
    using Handler = std::function<void(FaceWindow* from)>;

    // Faces left on no monitor when one is removed move to the primary monitor (hidden ones too).
    FaceManager();

    void setFactory(FaceKind kind, Factory factory);
    // For Command::Screensaver, Options and About.
    void setHandler(Command command, Handler handler);

    bool isAvailable(Command command) const override;
    void run(Command command, FaceWindow* from) override;

    // Loads the analog window without showing it.
    FaceWindow* loadOrologio();
    FaceWindow* window(FaceKind kind) const;

    // Shows `target` in place of `from` (nullptr at start-up). A face that is not available changes nothing.
    void showFace(FaceKind target, FaceWindow* from = nullptr);
    // Closes the analog window and the face the command came from, in the order of that face, then says so with
    // exiting(); the program ends with its last window.
    void exitFrom(FaceWindow* from);

Q_SIGNALS:
    // The clock windows have just closed on an exit command: the program shows its closing splash now.
    void exiting();

private:
    FaceWindow* create(FaceKind kind);
    Handler* handler(Command command);
    const Handler* handler(Command command) const;

    std::array<Factory, 4> factories_;
    std::array<QPointer<FaceWindow>, 4> windows_;
    Handler screensaver_, options_, about_;
};

// Ends the program when its last window has closed: a face window that is loaded but hidden keeps it running (the
// analog window, with its chimes and alarm), and so does any other window still open (an alarm, an about window).
void quitAfterLastWindow(QApplication& app);

} // namespace qx
