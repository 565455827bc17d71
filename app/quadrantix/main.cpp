// The clock program: loads the analog window and shows the face chosen in the settings.
#include "core/about.h"
#include "core/faces.h"
#include "core/program_info.h"
#include "core/screensaver_launch.h"
#include "core/settings_store.h"
#include "core/splash.h"
#include "core/startup.h"
#include "events/event_windows.h"
#include "events/time_events.h"
#include "faces/digitale.h"
#include "faces/mini.h"
#include "faces/orologino.h"
#include "faces/orologio.h"
#include "options/face_pictures.h"
#include "options/opzionifrm.h"
#include "platform/boot_id.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/power/power_service.h"
#include "platform/process.h"
#include "platform/sound/sound_service.h"
#include "platform/trace.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPointer>

int main(int argc, char** argv) {
    if (!qx::prepareDesktopEnvironment("quadrantix"))
        return 1;
    // Shaped, self-placed windows need X11 (XWayland on a Wayland desktop). Small windows repaint without the
    // shared-memory round trip to the X server, one wake-up a second less.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");

    QApplication app(argc, argv);
    qx::quitOnTerminationSignals(app);
    QApplication::setApplicationName(qx::programTitle());
    QApplication::setApplicationVersion(qx::programVersion().toString());
    QApplication::setWindowIcon(qx::programIcon());
    qx::installItalianTranslations(app);
    qx::installTraceHooks(app);
    qx::quitAfterLastWindow(app);
    qx::registerLauncher(QCoreApplication::applicationFilePath());

    qx::SystemClock clock;
    qx::SettingsStore store;
    qx::FaceManager faces;
    const std::unique_ptr<qx::SoundService> sound = qx::makeSdlSoundService();
    const std::unique_ptr<qx::PowerService> power = qx::makeLogindPowerService();
    const QString folder = QCoreApplication::applicationDirPath();
    const auto openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    faces.setFactory(qx::FaceKind::Analogico, [&] {
        auto* orologio = new qx::Orologio(clock, store, faces, *sound, folder);
        auto windows = std::make_unique<qx::RealEventWindows>(store, orologio->Al_Suono(), openUrl);
        orologio->setTimeEvents(
            std::make_unique<qx::TimeEvents>(clock, store, *sound, *orologio->BB_Suono(), std::move(windows), folder));
        return orologio;
    });
    faces.setFactory(qx::FaceKind::Digitale, [&] { return new qx::Mini(clock, faces); });
    faces.setFactory(qx::FaceKind::Mini, [&] { return new qx::Orologino(clock, faces); });

    qx::ScreensaverLaunch screensaver(store, folder, qx::startProgram);
    faces.setHandler(qx::Command::Screensaver, [&](qx::FaceWindow* from) { screensaver.launch(from->kind()); });
    qx::AboutWindows about({openUrl, qx::startProgram, qx::findProgram});
    faces.setHandler(qx::Command::About, [&](qx::FaceWindow*) { about.open(); });
    // Every exit ends through the closing splash; the program ends when it and every other window have closed.
    QObject::connect(&faces, &qx::FaceManager::exiting, &faces, [] { qx::showClosingSplash(); });
    faces.setFactory(qx::FaceKind::Quadrantix, [&] { return new qx::Digitale(clock, store, faces, *power); });

    // The options dialog's pictures of the faces, drawn by the faces themselves.
    qx::FacePictures pictures;
    pictures.setFactory(qx::FaceKind::Analogico,
                        [&](const qx::Clock& c, qx::SettingsStore& s, qx::FaceCommands& f, qx::SoundService& snd) {
                            auto* orologio = new qx::Orologio(c, s, f, snd, folder);
                            orologio->handsTick();
                            return orologio;
                        });
    pictures.setFactory(qx::FaceKind::Digitale,
                        [](const qx::Clock& c, qx::SettingsStore&, qx::FaceCommands& f, qx::SoundService&) {
                            return new qx::Mini(c, f);
                        });
    pictures.setFactory(qx::FaceKind::Mini,
                        [](const qx::Clock& c, qx::SettingsStore&, qx::FaceCommands& f, qx::SoundService&) {
                            return new qx::Orologino(c, f);
                        });
    pictures.setFactory(qx::FaceKind::Quadrantix,
                        [&](const qx::Clock& c, qx::SettingsStore& s, qx::FaceCommands& f, qx::SoundService&) {
                            auto* digitale = new qx::Digitale(c, s, f, *power);
                            digitale->chooseMode(qx::LargeMode::OraCorr);
                            digitale->onWake();
                            return digitale;
                        });
    QPointer<qx::Opzionifrm> options;
    faces.setHandler(qx::Command::Options, [&](qx::FaceWindow*) {
        if (!options) {
            auto* orologio = static_cast<qx::Orologio*>(faces.window(qx::FaceKind::Analogico));
            if (!orologio)
                return;
            options = new qx::Opzionifrm({.clock = clock,
                                          .store = store,
                                          .sound = *sound,
                                          .BB_Suono = orologio->BB_Suono(),
                                          .Al_Suono = orologio->Al_Suono(),
                                          .programFolder = folder,
                                          .bootId = qx::readBootId(),
                                          .autostart = qx::AutostartEntry::forUser(),
                                          .pictures = &pictures,
                                          .beep = [] { QApplication::beep(); },
                                          .startSysInfo = [&] { about.startSysInfo(options); }});
            options->show();
        }
        options->raise();
        options->activateWindow();
    });
    qx::startUp(faces, store);
    qx::traceEvent("started");
    const int status = app.exec();
    qx::deleteRemainingWindows();
    return status;
}
