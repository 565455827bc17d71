// The screensaver's mini face `Mini`: hours, minutes and seconds on a panel over an oval of rippled water.
#pragma once

#include "faces/lcd_painter.h"
#include "saver/digit_slots.h"
#include "saver/saver_face.h"

#include <QPixmap>

namespace qx::saver {

class MiniFace final : public SaverFace {
public:
    explicit MiniFace(const Stage& stage);

    const FaceLayout& layout() const override { return layout_; }
    void paintStatic(QPainter& p) const override;
    void paintClock(QPainter& p, const QRegion& dirty) const override;
    QRegion clockTick(const QDateTime& now) override;
    QRegion colonTick(bool pausa) override;
    QRegion hideClock() override;
    QRegion showClock() override;

    // `ore`(0), `ore`(1), `minuti`(0), `minuti`(1), `secondi`(0), `secondi`(1)
    const DigitSlots& cells() const { return cells_; }
    // `Shape2`(0) and `Shape2`(1), the colon's dots: they blink together.
    bool dotsVisible() const { return dots_; }

private:
    QRect dotsExtent() const { return dotBoxes_[0] | dotBoxes_[1]; }

    FaceLayout layout_;
    LcdPainter lcd_;
    QPixmap water_;
    QPoint waterAt_;
    QRect panel_;
    DigitSlots cells_;
    std::array<QRect, 2> dotBoxes_;
    bool dots_ = true;
};

} // namespace qx::saver
