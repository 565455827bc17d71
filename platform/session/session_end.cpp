// The ways a log-on ends on Linux, watched together for a program that has last work to do before it goes.
#include "platform/session/session_end.h"

#include "platform/environment.h"
#include "platform/trace.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QSessionManager>

#include <cstdlib>

namespace qx {

namespace {
SessionEnd* current = nullptr;
bool atExitRegistered = false;

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
} // namespace

SessionEnd::SessionEnd(std::function<void()> work, QObject* parent) : QObject(parent), work_(std::move(work)) {
    current = this;
    if (!atExitRegistered) {
        // A QGuiApplication that loses its X server calls exit() without returning to its event loop.
        atExitRegistered = std::atexit(&SessionEnd::atExit) == 0;
    }
    watchSessionManager();
    watchLogind();
    if (auto* app = QCoreApplication::instance()) {
        quitOnTerminationSignals(*app);
        connect(app, &QCoreApplication::aboutToQuit, this, &SessionEnd::finish);
    }
}

SessionEnd::~SessionEnd() {
    current = nullptr;
}

void SessionEnd::atExit() {
    if (current)
        current->finish();
}

void SessionEnd::finish() {
    if (finished_)
        return;
    finished_ = true;
    work_();
    traceEvent("unloaded");
}

void SessionEnd::watchSessionManager() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    // Asked at log-off (and at checkpoints) to save: the work runs then, in case the session ends the program
    // without a word afterwards. The program is never to be started again by the session: its autostart entry does.
    const auto neverRestart = [](QSessionManager& manager) { manager.setRestartHint(QSessionManager::RestartNever); };
    connect(
        app, &QGuiApplication::commitDataRequest, this,
        [this, neverRestart](QSessionManager& manager) {
            neverRestart(manager);
            traceEvent("commit");
            work_();
        },
        Qt::DirectConnection);
    connect(app, &QGuiApplication::saveStateRequest, this, neverRestart, Qt::DirectConnection);
}

void SessionEnd::watchLogind() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    bus.connect(kLogind, kLogindPath, kLogindManager, QStringLiteral("PrepareForShutdown"), this,
                SLOT(onPrepareForShutdown(bool)));
    takeInhibitor();
}

void SessionEnd::takeInhibitor() {
    QDBusMessage call = QDBusMessage::createMethodCall(kLogind, kLogindPath, kLogindManager, QStringLiteral("Inhibit"));
    call << QStringLiteral("shutdown") << QStringLiteral("Horacumul")
         << QStringLiteral("Aggiornamento del timer vita del computer") << QStringLiteral("delay");
    // Asked without waiting: a slow or missing logind must not hold up the start.
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        if (reply.isValid() && reply.value().isValid()) {
            inhibitor_ = reply.value();
            traceEvent("inhibitor");
        }
        w->deleteLater();
    });
}

void SessionEnd::onPrepareForShutdown(bool starting) {
    if (!starting) {
        // The shut-down was called off: hold the next one back too.
        if (!inhibitor_.isValid())
            takeInhibitor();
        return;
    }
    traceEvent("shutdown");
    work_();
    // Let the shut-down go on; the signal that ends the program at its end runs the work once more.
    inhibitor_ = QDBusUnixFileDescriptor();
}

} // namespace qx
