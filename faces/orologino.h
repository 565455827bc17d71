// The window `Orologino` of the tiny face "Mini": an oval above every other window, with the time and the seconds.
#pragma once

#include "core/faces.h"
#include "faces/lcd_painter.h"
#include "faces/oval_face.h"

#include <QPixmap>
#include <QRegion>
#include <cstdint>

namespace qx {

class BoundaryTimer;
class Clock;

class Orologino : public FaceWindow {
    Q_OBJECT
public:
    // Opening: the oval shape at the face's own place, always on top without taking the focus, the date as the
    // tooltip, the time at once and a wake-up at every second of the clock.
    Orologino(const Clock& clock, FaceCommands& commands);
    ~Orologino() override;

    const OvalFace& model() const { return model_; }
    // The parts of the window whose look differs between two states of the face.
    static QRegion changedRegion(const OvalFaceView& a, const OvalFaceView& b);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // What the window's timer does at each second: the model's wake-up and a repaint of what changed.
    void onWake();

    OvalFace model_;
    QPixmap background_; // the cyan client area, the dial and the panel, at the screen's pixel ratio
    LcdGlyphs labels_;   // the characters of `Label1` and `Label2`
    BoundaryTimer* Timer1 = nullptr;
    OvalFaceView painted_;
    std::int64_t newSecond_ = 0;
};

} // namespace qx
