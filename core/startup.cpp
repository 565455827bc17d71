// What the clock does when it starts: register its launcher, load the analog window, show the chosen face.
#include "core/startup.h"

#include "core/faces.h"
#include "core/settings_store.h"
#include "platform/file_ops.h"
#include "platform/trace.h"
#include "platform/user_dirs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMenu>
#include <QSet>
#include <QTranslator>
#include <QWindow>

namespace qx {

void startUp(FaceManager& faces, const SettingsStore& store) {
    faces.loadOrologio();
    // Each test reads the setting again, as a value changed meanwhile by another program would be seen.
    const std::pair<const char16_t*, FaceKind> table[] = {
        {u"Analogico", FaceKind::Analogico},   {u"Digitale", FaceKind::Digitale}, {u"Mini", FaceKind::Mini},
        {u"Quadrantix", FaceKind::Quadrantix}, {u"", FaceKind::Quadrantix},
    };
    for (const auto& [value, face] : table)
        if (store.read(keys::Avvio) == QStringView(value))
            faces.showFace(face);
}

QString launcherPath() {
    return xdgDataHome() + QLatin1String("/applications/quadrantix.desktop");
}

QString registerLauncher(const QString& executable) {
    const QString path = launcherPath();

    // Exec of the desktop entry format: the path in double quotes with \ " ` $ escaped by a backslash; every
    // backslash then escaped again, as the format's string values need (GLib refuses "\$"); % doubled, as it starts
    // a field code.
    QString exec = executable;
    for (const char* c : {"\\", "\"", "`", "$"})
        exec.replace(QLatin1String(c), QLatin1String("\\") + QLatin1String(c));
    exec.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    exec.replace(QLatin1String("%"), QLatin1String("%%"));
    const QByteArray entry = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Quadrantix\n"
                                            "GenericName=Orologio\n"
                                            "Comment=Orologio multifunzione con allarme, rintocchi e cronometro\n"
                                            "Exec=\"%1\"\n"
                                            "Terminal=false\n"
                                            "Categories=Utility;Clock;\n")
                                 .arg(exec)
                                 .toUtf8();
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == entry)
        return path;
    if (QDir().mkpath(QFileInfo(path).absolutePath()))
        replaceFileAtomically(path, entry);
    return path;
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

} // namespace qx
