// What the clock does when it starts: register its launcher, load the analog window, show the chosen face.
#include "core/startup.h"

#include "core/desktop_entry.h"
#include "core/faces.h"
#include "core/launcher_template.h"
#include "core/settings_store.h"
#include "platform/environment.h"
#include "platform/file_ops.h"
#include "platform/trace.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QTranslator>
#include <QWindow>

namespace qx {

void startUp(FaceManager& faces, const SettingsStore& store) {
    faces.loadOrologio();
    // Read once, after the first run: an absent or empty value opens the large face, another text none.
    if (const std::optional<FaceKind> face = store.face(keys::Avvio, FaceKind::Quadrantix))
        faces.showFace(*face);
}

QString launcherPath() {
    const QString base = xdgFolder("XDG_DATA_HOME", ".local/share");
    return base.isEmpty() ? QString() : base + QLatin1String("/applications/quadrantix.desktop");
}

QString autostartFolder() {
    const QString config = xdgFolder("XDG_CONFIG_HOME", ".config");
    return config.isEmpty() ? QString() : config + QLatin1String("/autostart");
}

QByteArray launcherText(const QString& executable) {
    return desktopEntryText(QByteArray(kLauncherTemplate), executable);
}

bool refreshLauncherCopy(const QString& launcher, const QString& copy) {
    const FileRead current = readRegularFile(copy, kMaxIniFileBytes);
    if (!current.ok)
        return false;
    const QString named = desktopEntryProgram(current.data);
    // A bare name is looked up on PATH by the session, and a program still there is where the user wants it.
    if (!named.startsWith(u'/') || QFileInfo(named).isFile())
        return false;
    const FileRead fresh = readRegularFile(launcher, kMaxIniFileBytes);
    if (!fresh.ok || fresh.data == current.data || desktopEntryProgram(fresh.data) == named)
        return false;
    return replaceFileAtomically(copy, fresh.data);
}

QString registerLauncher(const QString& executable, const QString& path, const QString& autostart) {
    if (path.isEmpty())
        return path;
    const QByteArray entry = launcherText(executable);
    const FileRead existing = readRegularFile(path, kMaxIniFileBytes);
    if (!(existing.ok && existing.data == entry) && QDir().mkpath(QFileInfo(path).absolutePath()))
        replaceFileAtomically(path, entry);
    if (!autostart.isEmpty())
        refreshLauncherCopy(path, autostart + QLatin1Char('/') + QFileInfo(path).fileName());
    return path;
}

QString registerLauncher(const QString& executable) {
    return registerLauncher(executable, launcherPath(), autostartFolder());
}

void deleteRemainingWindows() {
    // Pop-ups and dialogs with a parent go with it; the list is checked through QPointer as parents go first.
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (!w->parentWidget())
            windows << w;
    for (const QPointer<QWidget>& w : windows)
        delete w.data();
}

void installItalianTranslations(QCoreApplication& app) {
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
}

} // namespace qx

namespace qx {

namespace {
class TraceHooks : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose) {
            auto* window = qobject_cast<QWindow*>(watched);
            if (window && window->isExposed() && !mapped_.contains(window)) {
                mapped_.insert(window);
                connect(window, &QObject::destroyed, this, [this, window] { mapped_.remove(window); });
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w->windowHandle() == window && !qobject_cast<QMenu*>(w))
                        traceEvent("mapped", w->objectName());
            }
        } else if (event->type() == QEvent::Show) {
            if (auto* tip = qobject_cast<QLabel*>(watched); tip && tip->objectName() == QLatin1String("qtooltip_label"))
                traceEvent("tooltip", tip->text());
            if (auto* menu = qobject_cast<QMenu*>(watched)) {
                QStringList captions;
                for (QAction* a : menu->actions())
                    captions << a->text();
                traceEvent("menu", captions.join(QLatin1Char('|')));
            }
        }
        return false;
    }

private:
    QSet<QWindow*> mapped_;
};
} // namespace

namespace {
class IconAfterFirstPaint : public QObject {
public:
    IconAfterFirstPaint(QApplication* app, std::function<QIcon()> icon) : QObject(app), icon_(std::move(icon)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && !done_) {
            done_ = true;
            // After the paint has been sent to the screen, when the event loop comes round.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    QApplication::setWindowIcon(icon_());
                    deleteLater();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<QIcon()> icon_;
    bool done_ = false;
};
} // namespace

void setWindowIconAfterFirstPaint(QApplication& app, std::function<QIcon()> icon) {
    app.installEventFilter(new IconAfterFirstPaint(&app, std::move(icon)));
}

void installTraceHooks(QCoreApplication& app) {
    if (tracing())
        app.installEventFilter(new TraceHooks(&app));
}

void settleWindowProgram(QApplication& app) {
    installTraceHooks(app);
    quitAfterLastWindow(app);
}

} // namespace qx
