// The analog face "Analogico": the clock's main window, loaded for the whole run and only hidden by other faces.
#pragma once

#include "core/faces.h"
#include "faces/analog_dial_painter.h"
#include "faces/analog_hands.h"

#include <QPixmap>
#include <QRegion>

class QLabel;

namespace qx {

class BoundaryTimer;
class Clock;
class TimeEventHooks;

class Orologio : public FaceWindow {
    Q_OBJECT
public:
    // Loading, in order: the shape, the date label, the timer. The first-run settings and the sound objects come
    // before, with the clock's session (events/clock_session.h), whose chimes, alarm and greeting this window's
    // timer drives: `events`, which outlives the window; none for a window that only shows the time.
    Orologio(const Clock& clock, FaceCommands& commands, TimeEventHooks* events = nullptr);
    ~Orologio() override;

    // Left by the last hands tick; empty and 0 until the first one.
    const QString& orario() const { return hands_.orario; }
    int ora12() const { return hands_.ora12; }

    // What the window's timer does at each wake-up: the hands tick when a new second has begun, then the chime tick,
    // then the alarm tick when two seconds have passed since the last one. The hands, chime and alarm timers share
    // one wake-up a second; the chime tick comes every half second only while a chime sequence is under way or in
    // the greeting's minute (faces/analog_wake_plan.h decides).
    void onTimer();
    // One hands tick now, or at a time the caller has just read.
    void handsTick();
    void handsTick(const QDateTime& now);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Moves the dial on to the hands of the last tick; returns what changed on screen.
    QRegion advanceDial();

    const Clock& clock_;
    BoundaryTimer* Timer1 = nullptr;
    QLabel* data_lbl = nullptr;
    AnalogDialPainter painter_;
    QPixmap dialPicture_; // `Picture1`, at the screen's pixel ratio
    AnalogHands hands_;
    AnalogDialState dial_;
    qint64 shownSecond_ = 0;
    TimeEventHooks* events_ = nullptr;
    qint64 lastHandsSecond_ = 0;
    std::int64_t lastAlarmNs_ = 0;
    bool alarmTicked_ = false;
};

} // namespace qx
