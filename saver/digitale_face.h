// The screensaver's digital face `Digitale`: hours and minutes on a panel set into a golden star.
#pragma once

#include "faces/lcd_painter.h"
#include "saver/digit_slots.h"
#include "saver/saver_face.h"

#include <QPixmap>

namespace qx::saver {

class DigitaleFace final : public SaverFace {
public:
    explicit DigitaleFace(const Stage& stage);

    const FaceLayout& layout() const override { return layout_; }
    void paintStatic(QPainter& p) const override;
    void paintClock(QPainter& p, const QRegion& dirty) const override;
    QRegion clockTick(const QDateTime& now) override;
    QRegion colonTick(bool pausa) override;
    QRegion hideClock() override;
    QRegion showClock() override;

    const DigitSlots& cells() const { return cells_; } // `ore`(0), `ore`(1), `minuti`(0), `minuti`(1)
    // Whether the bars were moved together by the last colon tick; false at creation.
    bool fase_punti() const { return fase_punti_; }
    // `Line1` and `Line2` where they are now.
    std::array<QRect, 2> bars() const { return colon_.bars(fase_punti_); }
    bool barsVisible() const { return barsShown_; }

private:
    FaceLayout layout_;
    LcdPainter lcd_;
    QPixmap star_;
    QPoint starAt_;
    QRect panel_;
    DigitSlots cells_;
    Colon colon_;
    bool fase_punti_ = false;
    bool barsShown_ = true;
};

} // namespace qx::saver
