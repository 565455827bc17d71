// The clock program: loads the analog window and shows the face chosen in the settings.
#include "core/faces.h"
#include "core/settings_store.h"
#include "core/startup.h"
#include "faces/orologio.h"
#include "platform/clock.h"
#include "platform/trace.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Shaped, self-placed windows need X11 (XWayland on a Wayland desktop). Small windows repaint without the
    // shared-memory round trip to the X server, one wake-up a second less.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quadrantix"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    qx::installItalianTranslations(app);
    qx::installTraceHooks(app);
    qx::registerLauncher(QCoreApplication::applicationFilePath());

    qx::SystemClock clock;
    qx::SettingsStore store;
    qx::FaceManager faces;
    faces.setFactory(qx::FaceKind::Analogico, [&] { return new qx::Orologio(clock, store, faces); });
    qx::startUp(faces, store);
    qx::traceEvent("started");
    return app.exec();
}
