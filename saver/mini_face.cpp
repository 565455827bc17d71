// The screensaver's mini face `Mini`.
#include "saver/mini_face.h"

namespace qx::saver {

namespace {
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
    : DigitalFace(miniLayout(), stage, QStringLiteral("saver_water"), stage.rect(1680, -120, 8505, 8490).topLeft(),
                  {stage.rect(3360, 2580, 5175, 3975), 5, 18},
                  {{stage.rect(3870, 3120, 780, 885).topLeft(), 1},
                   {stage.rect(4950, 3120, 780, 885).topLeft(), 2},
                   {stage.rect(6360, 3120, 780, 885).topLeft(), 4},
                   {stage.rect(7440, 3120, 780, 885).topLeft(), 5},
                   {stage.rect(5070, 5160, 780, 885).topLeft(), 7},
                   {stage.rect(6150, 5160, 780, 885).topLeft(), 8}}),
      dotBoxes_{stage.rect(5940, 3720, 195, 255), stage.rect(5940, 3120, 195, 255)} {}

void MiniFace::paintClock(QPainter& p, const QRegion& dirty) const {
    cells_.paint(p, lcd_, dirty);
    if (dots_)
        for (const QRect& box : dotBoxes_)
            if (dirty.intersects(box))
                lcd_.mark(p, box);
}

QRegion MiniFace::colonTick(bool pausa) {
    // Both start shown, so they blink together; an interlude hides them until its end.
    const bool next = pausa ? false : !dots_;
    if (next == dots_)
        return {};
    dots_ = next;
    return QRegion(dotBoxes_[0]) + dotBoxes_[1];
}

QRegion MiniFace::hideClock() {
    return cells_.setVisible(false);
}

QRegion MiniFace::showClock() {
    return cells_.setVisible(true); // the dots come back at the next colon tick
}

} // namespace qx::saver
