// What every face of the screensaver supplies to its window: its layout, its pictures and its clock.
#pragma once

#include "core/face_commands.h"
#include "core/twips.h"

#include <QColor>
#include <QDateTime>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <array>
#include <memory>
#include <optional>

namespace qx {
class SettingsStore;
}

class QPainter;

namespace qx::saver {

// The faces are laid out in twips for an 800 x 600 screen. On a screen of another size the design keeps its size and
// is centred, so that the hands and the dial share their centre on any screen; the corner badges and the notice stay
// at the screen's corners and its bottom edge.
struct Stage {
    static constexpr QSize kDesign{800, 600};

    QSize window = kDesign;
    qreal ratio = 1.0; // device pixels to one of the window's

    QPoint origin() const { return {(window.width() - kDesign.width()) / 2, (window.height() - kDesign.height()) / 2}; }
    QPointF point(double left, double top) const { return QPointF(origin()) + QPointF(px(left), px(top)); }
    QRect rect(double left, double top, double width, double height) const {
        return twipRect(left, top, width, height).translated(origin());
    }
    // Near a corner of the screen: on each axis the design's distance from the nearer edge of 800 x 600 is kept.
    QRect fromCorner(double left, double top, double width, double height) const;
    // Centred across the design and kept at its distance from the screen's bottom edge.
    QRect fromBottom(double left, double top, double width, double height) const;
};

// A maker label: its box in twips, its size in points and its colour.
struct MakerLabel {
    double left, top, width, height;
    double points;
    QColor colour;
};

// What the window needs to know of a face besides its drawing.
struct FaceLayout {
    FaceKind kind = FaceKind::Analogico;
    // The face's drawing unit in twips: the interlude's points, curtain and reminder are placed in it, and pointer
    // movements are measured in it. One twip on every face but `Quadrantix`.
    double unitX = 1, unitY = 1;
    int reminderTick = 5;                       // the interlude tick on which the reminder is printed (R)
    double noticeLeft = 4913, noticeTop = 8760; // the one-line notice, twips
    std::array<MakerLabel, 3> labels;           // the maker's name, web address and e-mail
    bool fastClock = true;                      // its clock ticks every few ms: it shows the time again the moment an
                                                // interlude ends, not at the next second
};

// A face: the pictures that never change, and a clock that its window's ticks drive. Every tick returns the part of
// the window whose picture it changed; the face paints from its state alone, so any part can be repainted any time.
class SaverFace {
public:
    virtual ~SaverFace() = default;

    virtual const FaceLayout& layout() const = 0;

    // The pictures and panels over the background colour.
    virtual void paintStatic(QPainter& p) const = 0;
    // The clock, drawn over what paintStatic drew, where it lies in `dirty`.
    virtual void paintClock(QPainter& p, const QRegion& dirty) const = 0;

    // The clock tick; the window calls it only while no interlude holds the clock.
    virtual QRegion clockTick(const QDateTime& now) = 0;
    // The colon tick, once a second, interlude or not.
    virtual QRegion colonTick(bool pausa) = 0;
    // At the start and at the end of an interlude.
    virtual QRegion hideClock() = 0;
    virtual QRegion showClock() = 0;
};

// The face the setting "Salvaschermo" chooses: "Quadrantix", "" or "Analogico", "Digitale", "Mini", compared as exact
// text; any other value chooses none.
std::optional<FaceKind> chooseFace(const SettingsStore& store);

std::unique_ptr<SaverFace> makeFace(FaceKind kind, const Stage& stage);

} // namespace qx::saver
