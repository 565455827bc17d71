// What the clock does when it starts: register its launcher, load the analog window, show the chosen face.
#include "core/startup.h"

#include "core/faces.h"
#include "core/settings_store.h"
#include "platform/file_ops.h"
#include "platform/trace.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
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

QString registerLauncher(const QString& executable) {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QLatin1String("/.local/share");
    const QString dir = base + QLatin1String("/applications");
    const QString path = dir + QLatin1String("/quadrantix.desktop");

    // Exec quoting of the desktop entry format: the path in double quotes with \ " ` $ escaped.
    QString exec = executable;
    for (const char* c : {"\\", "\"", "`", "$"})
        exec.replace(QLatin1String(c), QLatin1String("\\") + QLatin1String(c));
    const QByteArray entry = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Quadrantix\n"
                                            "GenericName=Orologio\n"
                                            "Comment=Orologio multifunzione con allarme, rintocchi e cronometro\n"
                                            "Exec=\"%1\"\n"
                                            "Icon=quadrantix\n"
                                            "Terminal=false\n"
                                            "Categories=Utility;Clock;\n")
                                 .arg(exec)
                                 .toUtf8();
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == entry)
        return path;
    if (QDir().mkpath(dir))
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

} // namespace qx
