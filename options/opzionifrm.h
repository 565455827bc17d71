// The options dialog `Opzionifrm`: alarm, chimes, start face, start at log-on, the timers' read-outs and the reminder.
#pragma once

#include "options/autostart.h"
#include "platform/tick_gate.h"

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace qx {

class BoundaryTimer;
class Clock;
class FacePictures;
class SettingsStore;
class SettingsWatcher;
class SoundObject;
class SoundService;

// What the dialog works with, handed over by the program.
struct OptionsContext {
    const Clock& clock;
    SettingsStore& store;
    SoundService& sound;
    std::shared_ptr<SoundObject> BB_Suono; // the analog window's Big Ben
    std::shared_ptr<SoundObject> Al_Suono; // and its alarm melody
    QString programFolder;                 // where "Ora.wav" and "Mezzora.wav" lie
    QString bootId;                        // the boot the machine is in, for the lifetime read-out
    AutostartEntry autostart;
    FacePictures* pictures = nullptr;           // none: the start-up page shows the faces' boxes empty
    std::function<void()> beep;                 // the system beep, at the limits of the alarm time
    std::function<void()> startSysInfo;         // the system information tool; none: its button is disabled
    SettingsWatcher* settingsChanges = nullptr; // the store's changes; none: the read-outs follow the uptime only
};

// Opened without blocking the faces. It reads its fields from the store when it opens and writes them only on
// "&OK"; "&Annulla", Escape and the close box leave the store and the start-at-log-on entry untouched.
class Opzionifrm : public QDialog {
    Q_OBJECT
public:
    explicit Opzionifrm(OptionsContext context);
    ~Opzionifrm() override;

    // True while the bell's next click starts the alarm melody.
    bool allarmeSpento() const { return allarmeSpento_; }
    // 1 while the chime picture's next click plays the hour stroke, 0 the half-hour sound.
    int prossimoRintocco() const { return prossimoRintocco_; }

    // Brings the timer page's read-outs up to date now. While that page is shown they follow each second of the
    // uptime and each change of the store by themselves.
    void refreshReadouts();

    // What "&OK" does: writes every field, applies start at log-on and closes. When the store cannot be written the
    // dialog says so and stays open, so that nothing the user set is lost without a word.
    void save();

private:
    void buildClockPage(QWidget* page);
    void buildStartPage(QWidget* page);
    void buildTimerPage(QWidget* page);
    void buildSaverPage(QWidget* page);
    void load();
    void step(QLabel* display, int by, int limit);
    void applyAlarmOn(bool on);
    void applyChimesOn(bool on);
    void applyBigBenOn(bool on);
    void showStartMarks();
    void onPageChanged();
    void onBell();
    void onChime();

    OptionsContext ctx_;
    TickGate gate_;
    bool allarmeSpento_ = true;
    int prossimoRintocco_ = 1;

    QTabWidget* TabStrip1 = nullptr;
    QGroupBox* Frame1 = nullptr; // "Allarme"
    QLabel* ore = nullptr;
    QLabel* minuti = nullptr;
    QLineEdit* messaggioAllarme_ = nullptr;
    QCheckBox* Check1 = nullptr; // "Attiva allarme"
    QCheckBox* Check2 = nullptr; // "Segnale orario"
    QCheckBox* Check3 = nullptr; // "Big Ben "
    QWidget* BigBen_pic = nullptr;
    QWidget* BigBen_line = nullptr;
    QWidget* rintocco_pic = nullptr;
    QWidget* rintocco_line = nullptr;
    std::array<QRadioButton*, 4> avvio_{}; // Avvio_An, Avvio_Dig, Avvio_ino, Avvio_Quadrantix (FaceKind order)
    std::array<QWidget*, 4> faceLines_{};  // An_line, Dig_line, ino_line, Quadrantix_line
    QCheckBox* AutoEsegui = nullptr;
    QLineEdit* esecwin = nullptr;
    QLineEdit* vita_ = nullptr;
    QLineEdit* messaggio = nullptr;
    BoundaryTimer* Timer2 = nullptr; // the read-outs, at each second of the uptime
};

} // namespace qx
