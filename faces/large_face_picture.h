// The picture of the large digital face: its casing with the display panel and everything the read-outs light on it.
#pragma once

#include "faces/large_face.h"
#include "faces/lcd_painter.h"

#include <QFont>
#include <QPixmap>
#include <QRegion>
#include <QWidget>
#include <cstdint>

namespace qx {

// `Image1`: the casing and the panel, with the cells, colons, marks, date labels and indicator words of a
// LargeFaceView drawn over them. It paints only what lies in the region it is asked to repaint.
class LargeFacePicture : public QWidget {
public:
    LargeFacePicture(const LargeFace& model, QWidget* parent);

    // The parts of the picture whose look differs between two states of the face.
    static QRegion changedRegion(const LargeFaceView& a, const LargeFaceView& b);

    // The wall-clock second the next paint puts on screen, for the timing trace.
    void setNewSecond(std::int64_t second) { newSecond_ = second; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const LargeFace& model_;
    QPixmap background_; // the casing and the empty panel, at the screen's pixel ratio
    LcdPainter lcd_;
    QFont labelFont_, yearFont_;
    std::int64_t newSecond_ = 0;
};

} // namespace qx
