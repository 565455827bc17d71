// The screensaver's mini face `Mini`.
#include "saver/mini_face.h"

#include "assets/artwork.h"

#include <QPainter>

namespace qx::saver {

namespace {
const QColor kPanel(165, 173, 156);

FaceLayout miniLayout() {
    FaceLayout l;
    l.kind = FaceKind::Mini;
    l.reminderTick = 5;
    l.noticeLeft = 4913;
    l.noticeTop = 8760;
    l.labels = {{{3480, 4320, 4935, 615, 21.75, Qt::black},
                 {3480, 4440, 4935, 375, 12, Qt::black},
                 {3540, 4320, 4815, 615, 15.75, Qt::black}}};
    return l;
}
} // namespace

MiniFace::MiniFace(const Stage& stage)
    : layout_(miniLayout()), lcd_(stage.ratio), water_(renderArtwork(QStringLiteral("saver_water"), {}, stage.ratio)),
      waterAt_(stage.rect(1680, -120, 8505, 8490).topLeft()), panel_(stage.rect(3360, 2580, 5175, 3975)),
      cells_({{stage.rect(3870, 3120, 780, 885).topLeft(), 1},
              {stage.rect(4950, 3120, 780, 885).topLeft(), 2},
              {stage.rect(6360, 3120, 780, 885).topLeft(), 4},
              {stage.rect(7440, 3120, 780, 885).topLeft(), 5},
              {stage.rect(5070, 5160, 780, 885).topLeft(), 7},
              {stage.rect(6150, 5160, 780, 885).topLeft(), 8}}),
      dotBoxes_{stage.rect(5940, 3720, 195, 255), stage.rect(5940, 3120, 195, 255)} {}

void MiniFace::paintStatic(QPainter& p) const {
    p.drawPixmap(waterAt_, water_);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 5));
    p.setBrush(kPanel);
    p.drawRoundedRect(QRectF(panel_).adjusted(2.5, 2.5, -2.5, -2.5), 18, 18);
    p.restore();
}

void MiniFace::paintClock(QPainter& p, const QRegion& dirty) const {
    cells_.paint(p, lcd_, dirty);
    if (dots_)
        for (const QRect& box : dotBoxes_)
            if (dirty.intersects(box))
                lcd_.mark(p, box);
}

QRegion MiniFace::clockTick(const QDateTime& now) {
    return cells_.show(now.toString(QStringLiteral("hh.mm.ss")));
}

QRegion MiniFace::colonTick(bool pausa) {
    // Both start shown, so they blink together; an interlude hides them until its end.
    const bool next = pausa ? false : !dots_;
    if (next == dots_)
        return {};
    dots_ = next;
    return dotsExtent();
}

QRegion MiniFace::hideClock() {
    return cells_.setVisible(false);
}

QRegion MiniFace::showClock() {
    return cells_.setVisible(true); // the dots come back at the next colon tick
}

} // namespace qx::saver
