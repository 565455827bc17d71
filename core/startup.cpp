// What the clock does when it starts: register its launcher, load the analog window, show the chosen face.
#include "core/startup.h"

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

namespace {
// A string value of a desktop entry: backslashes and control characters escaped.
QString stringValue(const QString& text) {
    QString value;
    for (const QChar c : text) {
        if (c == u'\\')
            value += QStringLiteral("\\\\");
        else if (c == u'\n')
            value += QStringLiteral("\\n");
        else if (c == u'\t')
            value += QStringLiteral("\\t");
        else if (c == u'\r')
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
}

// Undoes stringValue().
QString unescapeValue(QStringView value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        text += next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t') : next == u'r' ? QChar(u'\r') : next;
    }
    return text;
}

// One argument of a desktop entry's Exec key. The argument is quoted, and inside the quotes ", `, $ and \ take a
// backslash; % is doubled, as it would start a field code; then the whole value is escaped as any string value is,
// so that a backslash of the path ends up as four. Readers undo these in the opposite order. The installed entries
// are quoted the same way (dist/install_entries.cmake).
QString execArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
        if (c == u'%')
            quoted += u'%';
    }
    quoted += u'"';
    return stringValue(quoted);
}

// The first argument of an Exec value already unescaped as a string: quoted as execArgument() quotes it, or plain
// up to the first space.
QString firstExecArgument(const QString& exec) {
    QString argument;
    if (!exec.startsWith(u'"'))
        return exec.section(u' ', 0, 0).replace(QStringLiteral("%%"), QStringLiteral("%"));
    for (qsizetype i = 1; i < exec.size(); ++i) {
        QChar c = exec[i];
        if (c == u'"')
            return argument;
        if (c == u'\\' && i + 1 < exec.size())
            c = exec[++i];
        else if (c == u'%' && i + 1 < exec.size() && exec[i + 1] == u'%')
            ++i;
        argument += c;
    }
    return {}; // no closing quote: not an Exec line of ours
}
} // namespace

QString launcherPath() {
    const QString base = xdgFolder("XDG_DATA_HOME", ".local/share");
    return base.isEmpty() ? QString() : base + QLatin1String("/applications/quadrantix.desktop");
}

QString autostartFolder() {
    const QString config = xdgFolder("XDG_CONFIG_HOME", ".config");
    return config.isEmpty() ? QString() : config + QLatin1String("/autostart");
}

QByteArray launcherText(const QString& executable) {
    return QString::fromUtf8(kLauncherTemplate)
        .replace(QLatin1String("@EXEC@"), execArgument(executable))
        .replace(QLatin1String("@TRYEXEC@"), stringValue(executable))
        .toUtf8();
}

QString launcherProgram(const QByteArray& text) {
    QString tryExec, exec;
    bool inEntry = false;
    for (const QString& line : QString::fromUtf8(text).split(u'\n')) {
        if (line.startsWith(u'['))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.startsWith(QLatin1String("TryExec=")))
            tryExec = unescapeValue(QStringView(line).mid(8));
        else if (inEntry && line.startsWith(QLatin1String("Exec=")))
            exec = firstExecArgument(unescapeValue(QStringView(line).mid(5)));
    }
    return tryExec.isEmpty() ? exec : tryExec;
}

bool refreshLauncherCopy(const QString& launcher, const QString& copy) {
    const FileRead current = readRegularFile(copy, kMaxIniFileBytes);
    if (!current.ok)
        return false;
    const QString named = launcherProgram(current.data);
    // A bare name is looked up on PATH by the session, and a program still there is where the user wants it.
    if (!named.startsWith(u'/') || QFileInfo(named).isFile())
        return false;
    const FileRead fresh = readRegularFile(launcher, kMaxIniFileBytes);
    if (!fresh.ok || fresh.data == current.data || launcherProgram(fresh.data) == named)
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
