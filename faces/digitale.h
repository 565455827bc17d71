// The window of the large digital face "Quadrantix" (`Digitale`): the toolbar, the mode menu and the face picture.
#pragma once

#include "core/faces.h"
#include "faces/large_face.h"

#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>

class QAction;
class QMenu;
class QToolBar;

namespace qx {

class BoundaryTimer;
class CRovescia;
class Clock;
class LargeFacePicture;
class PowerService;
class SettingsStore;
class SettingsWatcher;

class Digitale : public FaceWindow {
    Q_OBJECT
public:
    // `power` carries out the shut-down and restart a countdown may end with. With `settingsChanges`, a change of
    // the store (the alarm switched on elsewhere) shows at once, not at the next second.
    Digitale(const Clock& clock, SettingsStore& store, FaceCommands& commands, PowerService& power,
             SettingsWatcher* settingsChanges = nullptr);
    ~Digitale() override;

    LargeFace& model() { return model_; }
    const LargeFace& model() const { return model_; }

    // Runs the mode menu's item for `mode`, as a click on it does.
    void chooseMode(LargeMode mode);
    // A face or exit button (7, 8, 9, 12): keeps the command in `Fai`, asks first while the stopwatch runs or a
    // countdown is active, and carries it out.
    void requestFace(Command command);

    // Button 6: asks "Sicuro di voler annullare il conto alla rovescia?" while a countdown is active, and cancels it
    // on Yes. Returns at once; the question holds only this face.
    void confirmCancel();

    // Sets the window's timers to the face's schedules: each wall-clock second; each second of the uptime in the
    // run-time mode; each hundredth of a running stopwatch on show; each second of a running countdown, whatever
    // the mode, down to its deadline. Nothing else wakes the face. Called after every operation and every wake-up.
    void updateRefreshPeriod();

    // The countdown dialog while it is open.
    CRovescia* countdownDialog() const;

private:
    // What each tick of the window's timers does: the colon tick at a new second, the refresh, and a repaint of what
    // changed before returning.
    void onWake();

    void buildToolbar();
    void buildModeMenu();
    void onModeButton(int number);   // buttons 1 to 6
    void onCommand(Command command); // buttons 7 to 12
    void openCountdownDialog();
    // The message a countdown ends with, in a box that holds only this face: it returns at once, and the other
    // windows' timers (the hidden analog window's chimes and alarm) go on while it is open.
    void showEndMessage(const QString& message);
    // After a toolbar operation or the dialog's start: the timers and the screen follow the model.
    void afterOperation();
    // Hands what changed in the model to the screen: only the changed parts are painted, at once when `now`.
    void sync(bool now, std::int64_t newSecond = 0);

    const Clock& clock_;
    SettingsStore& store_;
    FaceCommands& commands_;
    LargeFace model_;
    QToolBar* Toolbar1 = nullptr;
    std::array<QAction*, 12> buttons_{};
    QMenu* MenuMode = nullptr;
    std::array<QAction*, 5> modeItems_{}; // Crono_menu, Rovescia_menu, OraCorr_menu, TimerWin_menu, qmil
    LargeFacePicture* Image1 = nullptr;
    QPointer<CRovescia> c_rovescia_;
    BoundaryTimer* Agg_numeri = nullptr;     // the wall clock's seconds
    BoundaryTimer* uptimeTimer_ = nullptr;   // the uptime's seconds, or the running stopwatch's hundredths
    BoundaryTimer* Rovescia_timer = nullptr; // the running countdown's seconds
    LargeFaceView painted_;
    std::array<ToolButtonState, 12> shownButtons_;
};

} // namespace qx
