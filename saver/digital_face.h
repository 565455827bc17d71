// What the screensaver's three digital faces share: a picture, a display panel laid on it, and digit slots.
#pragma once

#include "faces/lcd_painter.h"
#include "saver/digit_slots.h"
#include "saver/saver_face.h"

#include <QPixmap>

namespace qx::saver {

class DigitalFace : public SaverFace {
public:
    // `Shape1`: the grey-green panel, its black border `pen` pixels wide, its corners rounded by `radius`.
    struct Panel {
        QRect rect;
        double pen = 1;
        double radius = 0;
    };

    const FaceLayout& layout() const override { return layout_; }
    void paintStatic(QPainter& p) const override;
    // Shows the time's digits in the slots.
    QRegion clockTick(const QDateTime& now) override;

    const DigitSlots& cells() const { return cells_; }

protected:
    DigitalFace(const FaceLayout& layout, const Stage& stage, const QString& picture, QPoint pictureAt, Panel panel,
                std::vector<DigitSlots::Slot> cells);

    FaceLayout layout_;
    LcdPainter lcd_;
    DigitSlots cells_;

private:
    QPixmap picture_;
    QPoint pictureAt_;
    Panel panel_;
};

} // namespace qx::saver
