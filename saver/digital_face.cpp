// What the screensaver's three digital faces share.
#include "saver/digital_face.h"

#include "assets/artwork.h"

#include <QPainter>

namespace qx::saver {

DigitalFace::DigitalFace(const FaceLayout& layout, const Stage& stage, const QString& picture, QPoint pictureAt,
                         Panel panel, std::vector<DigitSlots::Slot> cells)
    : layout_(layout), lcd_(stage.ratio), cells_(std::move(cells)), picture_(renderArtwork(picture, {}, stage.ratio)),
      pictureAt_(pictureAt), panel_(panel) {}

void DigitalFace::paintStatic(QPainter& p) const {
    p.drawPixmap(pictureAt_, picture_);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, panel_.pen));
    p.setBrush(QColor(165, 173, 156));
    const double inset = panel_.pen / 2; // the border lies inside the panel's box
    p.drawRoundedRect(QRectF(panel_.rect).adjusted(inset, inset, -inset, -inset), panel_.radius, panel_.radius);
    p.restore();
}

QRegion DigitalFace::clockTick(const QDateTime& now) {
    return cells_.show(now.toString(QStringLiteral("hh.mm.ss")));
}

} // namespace qx::saver
