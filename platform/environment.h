// What a program of ours checks and settles about the session it was started in, before anything else runs.
#pragma once

#include <QString>

class QCoreApplication;

namespace qx {

// The user's home folder: $HOME when it is an absolute path, otherwise the one the password database gives for
// this user; empty when neither is known. Nothing is ever written outside it by default.
QString homeFolder();

// An XDG base folder: $<variable> when it is an absolute path, otherwise <home>/<fallback>; empty without a home.
QString xdgFolder(const char* variable, const char* fallback);

// First thing in main(), before the toolkit starts. Returns false after printing one line on stderr when the
// program cannot run at all; main() then returns 1. It
// - checks that the X display the program will use answers (when the toolkit will use X11): a missing DISPLAY or a
//   display that does not answer within a few seconds is that one line, not the toolkit's abort;
// - keeps every library from starting a session bus of its own (dbus-launch, a dbus-daemon that would outlive the
//   program): without DBUS_SESSION_BUS_ADDRESS the user's bus at $XDG_RUNTIME_DIR/bus is named, or none at all;
// - sets HOME from the password database when it is missing, for the libraries that read it;
// - makes a write past a file-size limit fail like a full disk (EFBIG) instead of killing the program.
bool prepareDesktopEnvironment(const char* programName);

// SIGTERM, SIGINT and SIGHUP end the event loop, so the program closes as it does when the user ends it (the end of
// a session sends these).
void quitOnTerminationSignals(QCoreApplication& app);

} // namespace qx
