// The screensaver's digital face `Digitale`: hours and minutes on a panel set into a golden star.
#pragma once

#include "saver/digital_face.h"

namespace qx::saver {

class DigitaleFace final : public DigitalFace {
public:
    explicit DigitaleFace(const Stage& stage);

    void paintClock(QPainter& p, const QRegion& dirty) const override;
    QRegion colonTick(bool pausa) override;
    QRegion hideClock() override;
    QRegion showClock() override;

    // The slots are `ore`(0), `ore`(1), `minuti`(0), `minuti`(1).
    // Whether the bars were moved together by the last colon tick; false at creation.
    bool fase_punti() const { return fase_punti_; }
    // `Line1` and `Line2` where they are now.
    std::array<QRect, 2> bars() const { return colon_.bars(fase_punti_); }
    bool barsVisible() const { return barsShown_; }

private:
    Colon colon_;
    bool fase_punti_ = false;
    bool barsShown_ = true;
};

} // namespace qx::saver
