// What the clock does when it starts: register its launcher, load the analog window, show the chosen face.
#include "core/startup.h"

#include "core/faces.h"
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
    // Each test reads the setting again, as a value changed meanwhile by another program would be seen.
    for (const FaceKind face : kAllFaces)
        if (store.read(keys::Avvio) == faceName(face))
            faces.showFace(face);
    if (store.read(keys::Avvio).isEmpty())
        faces.showFace(FaceKind::Quadrantix);
}

namespace {
// One argument of a desktop entry's Exec key. The argument is quoted, and inside the quotes ", `, $ and \ take a
// backslash; % is doubled, as it would start a field code; then the whole value is escaped as any string value is,
// so that a backslash of the path ends up as four. Readers undo these in the opposite order.
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
    QString value;
    for (const QChar c : quoted) {
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
} // namespace

QString launcherPath() {
    const QString base = xdgFolder("XDG_DATA_HOME", ".local/share");
    return base.isEmpty() ? QString() : base + QLatin1String("/applications/quadrantix.desktop");
}

QString registerLauncher(const QString& executable, const QString& path) {
    if (path.isEmpty())
        return path;
    const QByteArray entry = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Quadrantix\n"
                                            "GenericName=Orologio\n"
                                            "Comment=Orologio multifunzione con allarme, rintocchi e cronometro\n"
                                            "Exec=%1\n"
                                            "Icon=quadrantix\n"
                                            "Terminal=false\n"
                                            "Categories=Utility;Clock;\n")
                                 .arg(execArgument(executable))
                                 .toUtf8();
    const FileRead existing = readRegularFile(path, kMaxIniFileBytes);
    if (existing.ok && existing.data == entry)
        return path;
    if (QDir().mkpath(QFileInfo(path).absolutePath()))
        replaceFileAtomically(path, entry);
    return path;
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

void installTraceHooks(QCoreApplication& app) {
    if (tracing())
        app.installEventFilter(new TraceHooks(&app));
}

void settleWindowProgram(QApplication& app) {
    installTraceHooks(app);
    quitAfterLastWindow(app);
}

} // namespace qx
