// The start of every program of ours: the command line, the session it runs in, one copy per session, the toolkit.
#pragma once

#include "core/program_info.h"
#include "platform/single_instance.h"
#include "platform/trace.h"

#include <QGuiApplication>

#include <memory>
#include <optional>
#include <utility>

namespace qx {

// Before the toolkit starts: answers --help and --version (on stdout, status 0, no display opened), settles the
// environment (the display checked, no session bus of a library's own, X11 for the programs with windows; the
// accumulator runs on without a display) and claims the one copy of the program in this session. done() then holds
// the status the program ends with at once: 1 after one line on stderr, 0 for a start handed over to the running
// copy or for an answer to --help or --version.
class ProgramStart {
public:
    ProgramStart(int argc, char** argv, ProgramId id);

    const ProgramInfo& info() const { return info_; }
    std::optional<int> done() const { return done_; }

    // The toolkit's command line: the program's name alone. Every argument is ignored, as the programs always have,
    // so none of the toolkit's own (-platform, -display, -style…) can change how a program runs.
    int& toolkitArgc() { return toolkitArgc_; }
    char** toolkitArgv() { return toolkitArgv_; }

    // Once the toolkit runs: the application's name, version and desktop entry, the termination signals, never
    // restarted by a session manager (the log-on start comes from the autostart entry alone), later starts heard.
    void settle(QGuiApplication& app);

    // Told when another copy was started in this session and ended at once (the running one shows itself).
    SingleInstance* instance() { return instance_.get(); }

    // The text that --help prints.
    static QString usage(const ProgramInfo& info);

private:
    const ProgramInfo& info_;
    std::optional<int> done_;
    std::unique_ptr<SingleInstance> instance_;
    int toolkitArgc_ = 1;
    char* toolkitArgv_[2] = {nullptr, nullptr};
};

// Runs a program: `App` is the toolkit's application class; `body(start)` makes the program's parts once the
// toolkit runs and returns them as one owner (nullptr: nothing to run, status 0); `after()` runs when the event
// loop has ended, before the parts go.
template <class App, class Body, class After>
int runProgram(int argc, char** argv, ProgramId id, Body&& body, After&& after) {
    ProgramStart start(argc, argv, id);
    if (const std::optional<int> status = start.done())
        return *status;
    App app(start.toolkitArgc(), start.toolkitArgv());
    start.settle(app);
    auto parts = std::forward<Body>(body)(start);
    if (!parts)
        return 0;
    traceEvent("started", QGuiApplication::platformName());
    const int status = App::exec();
    std::forward<After>(after)();
    traceEvent("ended");
    return status;
}

} // namespace qx
