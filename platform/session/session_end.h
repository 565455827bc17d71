// The ways a log-on ends on Linux, watched together for a program that has last work to do before it goes.
#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <functional>

namespace qx {

// Linux gives no single signal that a log-on is ending, so every way is watched, and `work` runs at each:
// - SIGTERM, SIGHUP or SIGINT (the session's processes are ended, a task manager ends the program), which quit the
//   program (`quitOnTerminationSignals`);
// - the X11 session manager (with a QGuiApplication on X11) asking to save at log-off, and later ending the program;
//   the program also asks never to be started again in a later session;
// - the X connection lost with the session's X server, which the toolkit answers with exit(): the work runs while
//   the program exits;
// - a shut-down that logind announces: a delay inhibitor, taken at start, holds it back until the work has run and
//   is then let go; a shut-down that is called off takes a new one;
// - any other quit of the program.
// The work may run more than once and must not count anything twice; once the program is ending it runs only once
// more. One object per program.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    explicit SessionEnd(std::function<void()> work, QObject* parent = nullptr);
    ~SessionEnd() override;
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    // Whether logind is holding shut-downs back for us (false without a system bus or logind).
    bool holdsShutdown() const { return inhibitor_.isValid(); }

private Q_SLOTS:
    void onPrepareForShutdown(bool starting);

private:
    void watchSessionManager();
    void watchLogind();
    void takeInhibitor();
    // The program is ending: the last run of the work.
    void finish();

    static void atExit();

    std::function<void()> work_;
    bool finished_ = false;
    QDBusUnixFileDescriptor inhibitor_;
};

} // namespace qx
