// The half-minute interlude of every screensaver face: its timeline, and what it draws over the face.
#pragma once

#include "saver/saver_face.h"

#include <QImage>
#include <QPointF>
#include <QSizeF>
#include <functional>
#include <optional>
#include <vector>

class QPainter;

namespace qx {
class Random;
}

namespace qx::saver {

// The timeline, tick by tick. At second 0 or 30 an interlude starts: the clock pauses (`pausa`) and points are
// sprinkled; then `Timer1` ticks once a second: curtain strokes on ticks 0 to 3, the reminder on tick R, and on
// tick 8 the end (the next maker label, the clock back). One interlude at a time: while one runs, a trigger does
// nothing, and that half minute is skipped.
class Interlude {
public:
    enum class Phase { Idle, Sprinkling, Curtain };
    explicit Interlude(int reminderTick) : reminderTick_(reminderTick) {}

    // Returns false, changing nothing, while an interlude is still running.
    bool start();
    // The sprinkling is over (all points, or the pointer moved): `conta` and `striscia_x` to 0, `Timer1` runs.
    void endSprinkle();

    // What one tick of `Timer1` does.
    struct Step {
        std::optional<int> stroke; // x of a curtain stroke, in the face's unit
        bool reminder = false;
        bool end = false;
    };
    Step tick();

    Phase phase() const { return phase_; }
    bool running() const { return phase_ != Phase::Idle; }
    bool pausa() const { return pausa_; }
    int conta() const { return conta_; }
    int striscia_x() const { return striscia_x_; }
    int indice_lbl() const { return indice_lbl_; } // the label the next interlude shows
    int shownLabel() const { return shown_; }      // the label of the running interlude
    int reminderTick() const { return reminderTick_; }

private:
    int reminderTick_;
    Phase phase_ = Phase::Idle;
    bool pausa_ = false;
    int conta_ = 0;
    int striscia_x_ = 0;
    int indice_lbl_ = 0;
    int shown_ = 0;
};

// Where an interlude draws, in the window's pixels. On the 800 x 600 design screen: points over 17000 x 12000 units
// from the window's corner, strokes 450 pixels wide at x = 0, 3000, 6000 and 9000 units, the reminder at (100, 2000)
// and (100, 5000) units from the design's corner. On a larger screen the points and the curtain stretch with it, at
// the same density and overlap, so that the whole screen darkens; the reminder stays with the face.
struct InterludeGeometry {
    QSizeF area;
    int points = 0;
    double strokeScale = 1; // window pixels per unit of striscia_x
    double strokeWidth = 450;
    QPointF title, text;
    double textWidth = 0;

    static constexpr int kDesignPoints = 200000;
    static InterludeGeometry of(const Stage& stage, const FaceLayout& layout);
};

// What the interlude draws stays on the window as drawn graphics do: this picture starts as the face without its
// clock, and points, strokes and the reminder go onto it until the interlude ends and it is dropped.
class InterludeCanvas {
public:
    void begin(const QImage& background);
    void clear() { image_ = QImage(); }
    bool active() const { return !image_.isNull(); }
    const QImage& image() const { return image_; }

    // `count` black points of one pixel each over `area`, from pairs of random numbers (x first); those that fall
    // outside the window are lost.
    // Returns where, in the window's pixels, the points that fell inside it lie.
    std::vector<QPoint> sprinkle(Random& random, int count, QSizeF area);
    // A black vertical stroke of `width` pixels centred on x, over the window's whole height.
    void stroke(double x, double width);
    // Anything else drawn onto the picture, such as a label that from now on lies under what follows.
    void paint(const std::function<void(QPainter&)>& draw);
    // "Ricordati di.." in yellow, and below it the user's reminder in white, wrapped to `width`.
    void reminder(QPointF title, QPointF text, double width, const QString& message);

private:
    QImage image_;
};

} // namespace qx::saver
