// The screensaver's digital face `Digitale`.
#include "saver/digitale_face.h"

namespace qx::saver {

namespace {
FaceLayout digitaleLayout() {
    FaceLayout l;
    l.kind = FaceKind::Digitale;
    l.reminderTick = 4; // one tick earlier than the other faces
    l.noticeLeft = 4913;
    l.noticeTop = 8640;
    l.labels = {{{3600, 4320, 4815, 615, 20.25, Qt::black},
                 {3840, 4440, 4455, 375, 11.25, Qt::black},
                 {3960, 4320, 4215, 615, 15.75, Qt::black}}};
    return l;
}
} // namespace

DigitaleFace::DigitaleFace(const Stage& stage)
    : DigitalFace(digitaleLayout(), stage, QStringLiteral("saver_star"), stage.rect(2205, 0, 7605, 8505).topLeft(),
                  {stage.rect(3780, 3900, 4440, 1320), 1, 0},
                  {{stage.rect(4080, 4140, 780, 885).topLeft(), 1},
                   {stage.rect(5040, 4140, 780, 885).topLeft(), 2},
                   {stage.rect(6195, 4140, 780, 885).topLeft(), 4},
                   {stage.rect(7155, 4140, 780, 885).topLeft(), 5}}),
      colon_(colonBars(stage, 6000, 4140, 4380, 4740, 4980, 280)) {}

void DigitaleFace::paintClock(QPainter& p, const QRegion& dirty) const {
    cells_.paint(p, lcd_, dirty);
    if (barsShown_ && dirty.intersects(colon_.extent()))
        lcd_.colon(p, colon_, fase_punti_);
}

QRegion DigitaleFace::colonTick(bool) {
    // The bars move whether or not an interlude hides them, so their phase afterwards depends on its length.
    fase_punti_ = !fase_punti_;
    return barsShown_ ? QRegion(colon_.extent()) : QRegion();
}

QRegion DigitaleFace::hideClock() {
    barsShown_ = false;
    return cells_.setVisible(false) + colon_.extent();
}

QRegion DigitaleFace::showClock() {
    barsShown_ = true;
    return cells_.setVisible(true) + colon_.extent();
}

} // namespace qx::saver
