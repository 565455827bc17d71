// The start of every program of ours: the command line, the session it runs in, one copy per session, the toolkit.
#include "core/program.h"

#include "core/settings_store.h"
#include "platform/environment.h"

#include <QSessionManager>

#include <cstdio>
#include <cstring>

namespace qx {

namespace {

enum class Answer { None, Help, Version };

// The first of --help and --version on the command line; anything else is ignored.
Answer askedFor(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Answer::Help;
        if (std::strcmp(argv[i], "--version") == 0)
            return Answer::Version;
    }
    return Answer::None;
}

void setIfUnset(const char* variable, const QByteArray& value) {
    if (qEnvironmentVariableIsEmpty(variable))
        qputenv(variable, value);
}

} // namespace

QString ProgramStart::usage(const ProgramInfo& info) {
    return QStringLiteral("Uso: %1 [--help] [--version]\n\n%2\n\n"
                          "  --help     mostra questo aiuto ed esce\n"
                          "  --version  mostra il nome e la versione ed esce\n\n"
                          "Ogni altro argomento è ignorato.\n")
        .arg(QString::fromLatin1(info.executable), info.usage);
}

ProgramStart::ProgramStart(int argc, char** argv, ProgramId id) : info_(programInfo(id)) {
    toolkitArgv_[0] = argc > 0 && argv[0] ? argv[0] : const_cast<char*>(info_.executable);
    switch (askedFor(argc, argv)) {
    case Answer::Help:
        std::fputs(usage(info_).toLocal8Bit().constData(), stdout);
        done_ = 0;
        return;
    case Answer::Version:
        std::fputs((info_.name + QLatin1Char(' ') + programVersion().toString() + QLatin1Char('\n'))
                       .toLocal8Bit()
                       .constData(),
                   stdout);
        done_ = 0;
        return;
    case Answer::None:
        break;
    }

    if (info_.windows) {
        // Shaped, self-placed and full-screen windows that keep above the others need X11 (XWayland on a Wayland
        // desktop). Without the shared-memory round trip to the X server an idle face wakes once a second less.
        setIfUnset("QT_QPA_PLATFORM", "xcb");
        setIfUnset("QT_XCB_NO_MITSHM", "1");
    } else {
        // A program without windows hears the session manager's log-off and the end of the session's X server on
        // X11; without a display (or with one that does not answer, which is said on stderr) it runs on without one.
        setIfUnset("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    }
    if (!prepareDesktopEnvironment(info_.executable)) {
        if (info_.needsDisplay) {
            done_ = 1;
            return;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    instance_ = std::make_unique<SingleInstance>(QString::fromLatin1(info_.executable), qgetenv("DISPLAY"),
                                                 SettingsStore::defaultPath());
    if (instance_->outcome() == SingleInstance::Outcome::HandedOver) {
        traceEvent("handed-over");
        done_ = 0;
    }
}

void ProgramStart::settle(QGuiApplication& app) {
    QGuiApplication::setApplicationName(info_.name);
    QGuiApplication::setApplicationVersion(programVersion().toString());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(info_.executable));
    quitOnTerminationSignals(app);
    const auto neverRestart = [](QSessionManager& manager) { manager.setRestartHint(QSessionManager::RestartNever); };
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, neverRestart, Qt::DirectConnection);
    QObject::connect(&app, &QGuiApplication::saveStateRequest, &app, neverRestart, Qt::DirectConnection);
    if (instance_)
        instance_->listen();
}

} // namespace qx
