// The window of the large digital face "Quadrantix" (`Digitale`): the toolbar, the mode menu and the face picture.
#pragma once

#include "core/faces.h"
#include "faces/large_face.h"

#include <QString>
#include <array>
#include <cstdint>

class QAction;
class QFileSystemWatcher;
class QMenu;
class QToolBar;

namespace qx {

class BoundaryTimer;
class Clock;
class LargeFacePicture;
class SettingsStore;

class Digitale : public FaceWindow {
    Q_OBJECT
public:
    Digitale(const Clock& clock, SettingsStore& store, FaceCommands& commands);
    ~Digitale() override;

    LargeFace& model() { return model_; }
    const LargeFace& model() const { return model_; }

    // Runs the mode menu's item for `mode`, as a click on it does.
    void chooseMode(LargeMode mode);
    // A face or exit button (7, 8, 9, 12): stores the action in `Fai`, asks first while the stopwatch runs or a
    // countdown is active, and carries it out.
    void requestFace(const QString& fai);

    // Wakes the face a hundred times a second only while the stopwatch mode shows a running stopwatch, otherwise at
    // each second boundary (and, in the run-time mode, at each second of the uptime). Call after anything that
    // starts, stops or holds the stopwatch.
    void updateRefreshPeriod();

    // What each tick of the window's timers does (public, so that tests can tick by hand): the colon tick at a new
    // second, the refresh, and a repaint of what changed before returning.
    void onWake();

private:
    void buildToolbar();
    void buildModeMenu();
    void onModeButton(int number);   // buttons 1 to 6
    void onCommand(Command command); // buttons 7 to 12
    void carryOut(const QString& fai);
    // Hands what changed in the model to the screen: only the changed parts are painted, at once when `now`.
    void sync(bool now, std::int64_t newSecond = 0);

    const Clock& clock_;
    FaceCommands& commands_;
    LargeFace model_;
    QToolBar* Toolbar1 = nullptr;
    std::array<QAction*, 12> buttons_{};
    QMenu* MenuMode = nullptr;
    std::array<QAction*, 5> modeItems_{}; // Crono_menu, Rovescia_menu, OraCorr_menu, TimerWin_menu, qmil
    LargeFacePicture* Image1 = nullptr;
    BoundaryTimer* Agg_numeri = nullptr;   // the wall clock's boundaries
    BoundaryTimer* uptimeTimer_ = nullptr; // the uptime's seconds, in the run-time mode
    QFileSystemWatcher* settingsWatcher_ = nullptr;
    LargeFaceView painted_;
    std::array<ToolButtonState, 12> shownButtons_;
};

} // namespace qx
