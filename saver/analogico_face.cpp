// The screensaver's analog face `Analogico`.
#include "saver/analogico_face.h"

#include "assets/artwork.h"
#include "core/fonts.h"

#include <QPainter>

namespace qx::saver {

namespace {
const QColor kPink(252, 62, 157);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 255, 0);

FaceLayout analogicoLayout() {
    FaceLayout l;
    l.kind = FaceKind::Analogico;
    l.reminderTick = 5;
    l.noticeLeft = 4913;
    l.noticeTop = 8760;
    l.labels = {{{3600, 3600, 4815, 615, 21.75, kYellow},
                 {3120, 3600, 5775, 375, 15.75, kGreen},
                 {3360, 3600, 5295, 615, 18, kGreen}}};
    l.fastClock = false; // the hands come back at the next tick of their one-second timer
    return l;
}

AnalogDialStyle dialStyle(const Stage& stage) {
    AnalogDialStyle s;
    s.centre = stage.point(6000, 4500); // the middle of the window and of the dial
    s.secondLength = s.minuteLength = px(2000);
    s.hourLength = px(1500);
    s.secondPen = 4;
    s.handPen = 10;
    s.hubDiameter = 30; // a circle of radius one twip drawn with a 30-pixel pen
    s.discCentre = stage.point(6000, 3100);
    s.discRadius = px(350);
    s.cap = Qt::RoundCap;
    return s;
}
} // namespace

AnalogicoFace::AnalogicoFace(const Stage& stage)
    : layout_(analogicoLayout()), stage_(stage), painter_(dialStyle(stage)),
      dial_picture_(renderArtwork(QStringLiteral("saver_dial"), {}, stage.ratio)),
      dialAt_(stage.rect(2250, 750, 7500, 7500).topLeft()), dayBox_(stage.rect(5800, 2880, 435, 435)),
      dayFont_(msSansSerif(18, true)) {}

void AnalogicoFace::paintStatic(QPainter& p) const {
    p.drawPixmap(dialAt_, dial_picture_);
}

void AnalogicoFace::paintClock(QPainter& p, const QRegion& dirty) const {
    p.save();
    painter_.paint(p, dial_);
    p.restore();
    if (dayShown_ && dirty.intersects(dayBox_)) {
        p.fillRect(dayBox_, kPink);
        p.setPen(Qt::white);
        p.setFont(dayFont_);
        p.drawText(dayBox_, Qt::AlignCenter, day_);
    }
}

QRegion AnalogicoFace::clockTick(const QDateTime& now) {
    const AnalogHands hands = analogHandsAt(now.time());
    AnalogDialState next;
    next.hands = true;
    next.angSec = hands.angSec;
    next.angMin = hands.angMin;
    next.angOre = hands.angOre;
    next.prec_sec = last_.angSec;
    next.prec_min = last_.angMin;
    next.prec_ore = last_.angOre;
    QRegion changed = painter_.changed(dial_, next);
    dial_ = next;
    last_ = hands;
    const QString day = now.toString(QStringLiteral("dd"));
    if (day != day_) {
        day_ = day;
        changed += dayBox_;
    }
    // The day lies over the hands and the disc: wherever they changed under it, it is drawn again.
    if (dayShown_ && changed.intersects(dayBox_))
        changed += dayBox_;
    return changed;
}

QRegion AnalogicoFace::hideClock() {
    AnalogDialState bare = dial_;
    bare.hands = false;
    QRegion changed = painter_.changed(dial_, bare) + dayBox_;
    dial_ = bare;
    dayShown_ = false;
    return changed;
}

QRegion AnalogicoFace::showClock() {
    dayShown_ = true;
    return dayBox_;
}

} // namespace qx::saver
