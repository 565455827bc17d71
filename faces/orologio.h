// The analog face "Analogico": the clock's main window, loaded for the whole run and only hidden by other faces.
#pragma once

#include "core/faces.h"
#include "faces/analog_hands.h"

#include <QPixmap>

class QLabel;
class QMenu;

namespace qx {

class BoundaryTimer;
class Clock;
class SettingsStore;

class Orologio : public FaceWindow {
    Q_OBJECT
public:
    Orologio(const Clock& clock, SettingsStore& store, FaceManager& faces);

    // Left by the last hands tick; empty and 0 until the first one.
    const QString& orario() const { return hands_.orario; }
    int ora12() const { return hands_.ora12; }
    const AnalogHands& hands() const { return hands_; }

    // Runs one hands tick now (the timer calls it just after every second boundary).
    void handsTick();

Q_SIGNALS:
    // After every hands tick, with orario and ora12 up to date: the time events hang on this.
    void ticked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawTick();
    QMenu* buildMenu();

    const Clock& clock_;
    FaceManager& faces_;
    BoundaryTimer* Timer1 = nullptr;
    QLabel* data_lbl = nullptr;
    QPixmap canvas_;  // the dial with the hands painted over it, tick after tick
    AnalogHands hands_;
    double prec_sec = 0, prec_min = 0, prec_ore = 0;
    qint64 shownSecond_ = 0;
};

} // namespace qx
