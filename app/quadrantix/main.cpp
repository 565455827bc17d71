// The clock program: loads the analog window and shows the face chosen in the settings.
#include "core/about.h"
#include "core/faces.h"
#include "core/program_info.h"
#include "core/screensaver_launch.h"
#include "core/settings_store.h"
#include "core/settings_watcher.h"
#include "core/splash.h"
#include "core/startup.h"
#include "events/clock_session.h"
#include "faces/digitale.h"
#include "faces/mini.h"
#include "faces/orologino.h"
#include "faces/orologio.h"
#include "options/face_pictures.h"
#include "options/opzionifrm.h"
#include "platform/boot_id.h"
#include "platform/clock.h"
#include "platform/power/power_service.h"
#include "platform/process.h"
#include "platform/sound/sound_service.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPointer>

namespace {

// The clock's parts, for as long as it runs.
class ClockProgram {
public:
    explicit ClockProgram(qx::ProgramStart& start);

private:
    void openOptions();
    void showItself();

    qx::SystemClock clock_;
    qx::SettingsStore store_;
    qx::SettingsWatcher settingsChanges_{store_}; // the one watch on the store, for the windows that follow it
    std::unique_ptr<qx::SoundService> sound_ = qx::makeSdlSoundService();
    std::unique_ptr<qx::PowerService> power_ = qx::makeLogindPowerService();
    QString folder_ = QCoreApplication::applicationDirPath();
    std::function<void(const QUrl&)> openUrl_ = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    std::unique_ptr<qx::ClockSession> session_; // made with the analog face, which ticks it
    qx::FaceManager faces_;
    qx::ScreensaverLaunch screensaver_{store_, folder_, qx::startProgram};
    qx::AboutWindows about_{{openUrl_, qx::startProgram, qx::findProgram}};
    qx::FacePictures pictures_;
    QPointer<qx::Opzionifrm> options_;
};

ClockProgram::ClockProgram(qx::ProgramStart& start) {
    qx::setWindowIconAfterFirstPaint(*qApp, [] { return qx::programIcon(); });
    qx::installItalianTranslations(*qApp);
    qx::registerLauncher(QCoreApplication::applicationFilePath());

    faces_.setFactory(qx::FaceKind::Analogico, [this] {
        if (!session_)
            session_ = std::make_unique<qx::ClockSession>(clock_, store_, *sound_, folder_, openUrl_);
        return new qx::Orologio(clock_, faces_, &session_->events());
    });
    faces_.setFactory(qx::FaceKind::Digitale, [this] { return new qx::Mini(clock_, faces_); });
    faces_.setFactory(qx::FaceKind::Mini, [this] { return new qx::Orologino(clock_, faces_); });
    faces_.setFactory(qx::FaceKind::Quadrantix,
                      [this] { return new qx::Digitale(clock_, store_, faces_, *power_, &settingsChanges_); });
    faces_.setHandler(qx::Command::Screensaver, [this](qx::FaceWindow* from) { screensaver_.launch(from->kind()); });
    faces_.setHandler(qx::Command::About, [this](qx::FaceWindow*) { about_.open(); });
    faces_.setHandler(qx::Command::Options, [this](qx::FaceWindow*) { openOptions(); });
    // Every exit ends through the closing splash; the program ends when it and every other window have closed.
    QObject::connect(&faces_, &qx::FaceManager::exiting, &faces_, [] { qx::showClosingSplash(); });

    // The options dialog's pictures of the faces, drawn by the faces themselves.
    pictures_.setFactory(qx::FaceKind::Analogico,
                         [](const qx::Clock& c, qx::SettingsStore&, qx::FaceCommands& f) {
                             auto* orologio = new qx::Orologio(c, f);
                             orologio->handsTick();
                             return orologio;
                         });
    pictures_.setFactory(qx::FaceKind::Digitale,
                         [](const qx::Clock& c, qx::SettingsStore&, qx::FaceCommands& f) {
                             return new qx::Mini(c, f);
                         });
    pictures_.setFactory(qx::FaceKind::Mini,
                         [](const qx::Clock& c, qx::SettingsStore&, qx::FaceCommands& f) {
                             return new qx::Orologino(c, f);
                         });
    pictures_.setFactory(qx::FaceKind::Quadrantix,
                         [this](const qx::Clock& c, qx::SettingsStore& s, qx::FaceCommands& f) {
                             // The mode's read-out shows as soon as it is chosen: the picture needs no wake-up.
                             auto* digitale = new qx::Digitale(c, s, f, *power_);
                             digitale->chooseMode(qx::LargeMode::OraCorr);
                             return digitale;
                         });

    if (qx::SingleInstance* instance = start.instance())
        QObject::connect(instance, &qx::SingleInstance::anotherStart, &faces_, [this] { showItself(); });
    qx::startUp(faces_, store_);
}

void ClockProgram::openOptions() {
    if (!options_) {
        if (!session_)
            return;
        options_ = new qx::Opzionifrm({.clock = clock_,
                                       .store = store_,
                                       .sound = *sound_,
                                       .BB_Suono = session_->BB_Suono(),
                                       .Al_Suono = session_->Al_Suono(),
                                       .programFolder = folder_,
                                       .bootId = qx::readBootId(),
                                       .autostart = qx::AutostartEntry::forUser(),
                                       .pictures = &pictures_,
                                       .beep = [] { QApplication::beep(); },
                                       .startSysInfo = [this] { about_.startSysInfo(options_); },
                                       .settingsChanges = &settingsChanges_});
        options_->show();
    }
    options_->raise();
    options_->activateWindow();
}

// Started again while running: the face that shows comes to the front, or the analog face when none shows.
void ClockProgram::showItself() {
    for (const qx::FaceKind kind :
         {qx::FaceKind::Quadrantix, qx::FaceKind::Digitale, qx::FaceKind::Mini, qx::FaceKind::Analogico}) {
        if (qx::FaceWindow* face = faces_.window(kind); face && face->isVisible()) {
            face->raise();
            face->activateWindow();
            return;
        }
    }
    faces_.showFace(qx::FaceKind::Analogico);
}

} // namespace

int main(int argc, char** argv) {
    return qx::runWindowProgram(argc, argv, qx::ProgramId::Quadrantix,
                                [](qx::ProgramStart& start) { return std::make_unique<ClockProgram>(start); });
}
