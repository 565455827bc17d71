// The window `Mini` of the star-shaped face "Digitale": the time in digit pictures, the separator, the date boxes.
#pragma once

#include "core/faces.h"
#include "faces/lcd_painter.h"
#include "faces/star_face.h"

#include <QPixmap>
#include <QRegion>
#include <array>
#include <cstdint>

class QAction;
class QMenu;

namespace qx {

class BoundaryTimer;
class Clock;

class Mini : public FaceWindow {
    Q_OBJECT
public:
    // Opening: the star shape at the face's own place, the time at once, a wake-up at every second of the clock.
    Mini(const Clock& clock, FaceCommands& commands);
    ~Mini() override;

    const StarFace& model() const { return model_; }
    // A "&Visualizza" item, as choosing it does.
    void toggle(StarToggle which);
    // The parts of the window whose look differs between two states of the face.
    static QRegion changedRegion(const StarFaceView& a, const StarFaceView& b);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // What the window's timer does at each second: the model's wake-up and a repaint of what changed before returning.
    void onWake();

    QMenu* buildMenu(FaceCommands& commands);
    void sync(bool now, std::int64_t newSecond);

    StarFace model_;
    LcdPainter lcd_;
    QPixmap background_; // the star and the time panel, at the screen's pixel ratio
    QFont labelFont_;
    LcdGlyphs seconds_; // the seconds change every second: their digits as pictures
    BoundaryTimer* Timer1 = nullptr;
    std::array<QAction*, 3> toggles_{}; // vissec, vismes, visgiorno
    StarFaceView painted_;
    std::int64_t newSecond_ = 0;
};

} // namespace qx
