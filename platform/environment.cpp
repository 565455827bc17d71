// What a program of ours checks and settles about the session it was started in, before anything else runs.
#include "platform/environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace qx {

QString homeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home))
        return QDir::cleanPath(home);
    // Without HOME, Qt would answer "/", and the folders below it would be made at the root.
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
        const QString fromDatabase = QFile::decodeName(pw->pw_dir);
        if (QDir::isAbsolutePath(fromDatabase))
            return QDir::cleanPath(fromDatabase);
    }
    return {};
}

QString xdgFolder(const char* variable, const char* fallback) {
    const QString explicitFolder = qEnvironmentVariable(variable);
    if (QDir::isAbsolutePath(explicitFolder))
        return explicitFolder;
    const QString home = homeFolder();
    return home.isEmpty() ? QString() : home + QLatin1Char('/') + QLatin1String(fallback);
}

namespace {

constexpr auto kDisplayPatience = std::chrono::seconds(5);
constexpr auto kResetPatience = std::chrono::seconds(1);
constexpr auto kResetRetry = std::chrono::milliseconds(50);

// The probe's connection, kept until the toolkit has made its own. An X server that resets when its last client
// leaves (Xvfb, a display manager's greeter server) would otherwise reset between the probe's goodbye and the
// toolkit's hello, and the toolkit's connection would fail and abort the program.
xcb_connection_t* probeConnection = nullptr;

void releaseProbeConnection() {
    if (probeConnection)
        xcb_disconnect(probeConnection);
    probeConnection = nullptr;
}

// Connects to the display on a thread of its own: a display whose server is stopped accepts the connection and
// then never answers, and xcb_connect has no time limit. A thread still waiting when the program gives up ends
// with the program. A connection made in time is handed over and kept open (see above); one made too late is closed
// by its thread.
bool displayAnswers(const QByteArray& display, bool& timedOut) {
    struct Attempt {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        bool abandoned = false;
        xcb_connection_t* connection = nullptr;
    };
    auto attempt = std::make_shared<Attempt>();
    std::thread([attempt, display] {
        // A server that is resetting (its last client has just left) refuses or drops a connection for a moment:
        // a refused one is tried again for a second before the display counts as unreachable.
        const auto giveUp = std::chrono::steady_clock::now() + kResetPatience;
        xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
        while (xcb_connection_has_error(connection) != 0) {
            xcb_disconnect(connection);
            connection = nullptr;
            if (std::chrono::steady_clock::now() >= giveUp)
                break;
            std::this_thread::sleep_for(kResetRetry);
            connection = xcb_connect(display.constData(), nullptr);
        }
        if (connection) {
            // Not to be inherited by the programs we start.
            const int fd = xcb_get_file_descriptor(connection);
            ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
        }
        {
            const std::lock_guard guard(attempt->mutex);
            attempt->finished = true;
            if (!attempt->abandoned) {
                attempt->connection = connection;
                connection = nullptr;
            }
        }
        if (connection)
            xcb_disconnect(connection);
        attempt->done.notify_one();
    }).detach();
    std::unique_lock guard(attempt->mutex);
    timedOut = !attempt->done.wait_for(guard, kDisplayPatience, [&] { return attempt->finished; });
    if (timedOut) {
        attempt->abandoned = true;
        return false;
    }
    if (!attempt->connection)
        return false;
    releaseProbeConnection();
    probeConnection = attempt->connection;
    // Called once the application object exists, whose platform plugin connected to the display first (or at
    // once, if it already exists).
    qAddPreRoutine(releaseProbeConnection);
    return true;
}

bool willUseX11() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    return platform.isEmpty() || platform.startsWith("xcb");
}

// A D-Bus address value for a path: every byte outside the unreserved set as %XX.
QByteArray dbusEscaped(const QByteArray& path) {
    QByteArray out;
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || c == '-' || c == '_' ||
            c == '/' || c == '.' || c == '\\' || c == '*')
            out += c;
        else
            out += '%' + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    return out;
}

void settleSessionBus() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    // Without an address libdbus would autolaunch a bus (dbus-launch, then a dbus-daemon that outlives us).
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat st {};
    const QByteArray bus = runtime + "/bus";
    if (!runtime.isEmpty() && ::stat(bus.constData(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::getuid())
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dbusEscaped(bus));
    else
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:"); // a transport no one offers: every connection fails
}

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

bool prepareDesktopEnvironment(const char* programName) {
    if (!QDir::isAbsolutePath(qEnvironmentVariable("HOME"))) {
        const QString home = homeFolder();
        if (!home.isEmpty())
            qputenv("HOME", QFile::encodeName(home));
    }
    std::signal(SIGXFSZ, SIG_IGN);
    settleSessionBus();

    if (willUseX11()) {
        const QByteArray display = qgetenv("DISPLAY");
        if (display.isEmpty()) {
            std::fprintf(stderr, "%s: impossibile raggiungere lo schermo: DISPLAY non è impostato\n", programName);
            return false;
        }
        bool timedOut = false;
        if (!displayAnswers(display, timedOut)) {
            std::fprintf(stderr, "%s: impossibile raggiungere lo schermo \"%s\"%s\n", programName, display.constData(),
                         timedOut ? " (non risponde)" : "");
            return false;
        }
    }
    return true;
}

void quitOnTerminationSignals(QCoreApplication& app) {
    // Once per application: the start-up and the watchers of a session's end may each ask for it.
    static QPointer<QSocketNotifier> notifier;
    if (notifier && notifier->parent() == &app)
        return;
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return;
    notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char buffer[16];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

} // namespace qx
