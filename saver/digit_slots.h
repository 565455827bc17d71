// The digit slots of the screensaver's digital faces: each shows the large digit picture of one character of the time.
#pragma once

#include "faces/lcd_painter.h"
#include "saver/saver_face.h"

#include <QPoint>
#include <QRegion>
#include <QString>
#include <vector>

namespace qx::saver {

class DigitSlots {
public:
    struct Slot {
        QPoint topLeft;
        int position; // the character of the time text "hh.mm.ss" it shows, counting from 1
    };
    explicit DigitSlots(std::vector<Slot> cells);

    // Shows the characters of `orario` ("hh.mm.ss") at the slots' positions; returns what changed on screen.
    QRegion show(const QString& orario);
    QRegion setVisible(bool visible);

    void paint(QPainter& p, const LcdPainter& lcd, const QRegion& dirty) const;

    bool visible() const { return visible_; }
    // The characters the slots show, in slot order; spaces before the first tick.
    QString digits() const;

private:
    QRect extent(std::size_t i) const;

    std::vector<Slot> cells_;
    std::vector<QChar> shown_;
    bool visible_ = true;
};

// A colon of two 5-pixel bars centred on x, from `top` to `bottom` (twips), that its tick moves `shift` twips towards
// each other and back.
Colon colonBars(const Stage& stage, double x, double upperTop, double upperBottom, double lowerTop, double lowerBottom,
                double shift);

} // namespace qx::saver
