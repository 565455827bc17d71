// The screensaver's mini face `Mini`: hours, minutes and seconds on a panel over an oval of rippled water.
#pragma once

#include "saver/digital_face.h"

namespace qx::saver {

class MiniFace final : public DigitalFace {
public:
    explicit MiniFace(const Stage& stage);

    void paintClock(QPainter& p, const QRegion& dirty) const override;
    QRegion colonTick(bool pausa) override;
    QRegion hideClock() override;
    QRegion showClock() override;

    // The slots are `ore`(0), `ore`(1), `minuti`(0), `minuti`(1), `secondi`(0), `secondi`(1).
    // `Shape2`(0) and `Shape2`(1), the colon's dots: they blink together.
    bool dotsVisible() const { return dots_; }

private:
    std::array<QRect, 2> dotBoxes_;
    bool dots_ = true;
};

} // namespace qx::saver
