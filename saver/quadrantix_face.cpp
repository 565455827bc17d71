// The screensaver's large digital face `Quadrantix`.
#include "saver/quadrantix_face.h"

#include "core/fonts.h"

#include <QPainter>

namespace qx::saver {

namespace {
// This face measures in a unit of its own, 0.975 twips across and 0.8875 twips down.
constexpr double kUnitX = 0.975, kUnitY = 0.8875;

FaceLayout quadrantixLayout() {
    FaceLayout l;
    l.kind = FaceKind::Quadrantix;
    l.unitX = kUnitX;
    l.unitY = kUnitY;
    l.reminderTick = 5;
    l.noticeLeft = 4920;
    l.noticeTop = 8760;
    l.labels = {{{3540, 4440, 4815, 615, 21.75, Qt::black},
                 {2880, 4560, 5775, 375, 15.75, Qt::black},
                 {3600, 4440, 4575, 615, 15.75, Qt::black}}};
    return l;
}

Colon colonAt(const Stage& stage, double x) {
    // The colon tick moves the dots 300 units down and up.
    return colonBars(stage, x, 4354, 4594, 4954, 5194, 300 * kUnitY);
}
} // namespace

QuadrantixFace::QuadrantixFace(const Stage& stage, QLocale locale)
    : DigitalFace(quadrantixLayout(), stage, QStringLiteral("saver_frame"), stage.rect(968, 3776, 9945, 2070).topLeft(),
                  {stage.rect(2160, 4114, 7455, 1335), 2, 6},
                  {{stage.rect(2280, 4354, 780, 885).topLeft(), 1},
                   {stage.rect(3240, 4354, 780, 885).topLeft(), 2},
                   {stage.rect(4440, 4354, 780, 885).topLeft(), 4},
                   {stage.rect(5400, 4354, 780, 885).topLeft(), 5},
                   {stage.rect(6600, 4354, 780, 885).topLeft(), 7},
                   {stage.rect(7560, 4354, 780, 885).topLeft(), 8}}),
      locale_(std::move(locale)), colons_{colonAt(stage, 4200), colonAt(stage, 6360)},
      boxes_{stage.rect(8520, 4474, 975, 255), stage.rect(8340, 4714, 1335, 255), stage.rect(8520, 4954, 975, 255)},
      labelFont_(msSansSerif(8.25, true)), yearFont_(msSansSerif(9.75, true)) {}

void QuadrantixFace::paintClock(QPainter& p, const QRegion& dirty) const {
    cells_.paint(p, lcd_, dirty);
    if (barsShown_)
        for (const Colon& colon : colons_)
            if (dirty.intersects(colon.extent()))
                lcd_.colon(p, colon, fase_punti_);
    if (labelsShown_)
        for (std::size_t i = 0; i < boxes_.size(); ++i)
            if (dirty.intersects(boxes_[i]))
                lcd_.text(p, boxes_[i], i == 2 ? yearFont_ : labelFont_, Qt::AlignHCenter, texts_[i]);
}

QRegion QuadrantixFace::clockTick(const QDateTime& now) {
    QRegion changed;
    if (!labelsShown_) {
        labelsShown_ = true;
        changed += labelsExtent();
    }
    const QDate date = now.date();
    const std::array<QString, 3> texts{locale_.toString(date, u"dddd"), locale_.toString(date, u"dd MMMM"),
                                       locale_.toString(date, u"yyyy")};
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (texts[i] != texts_[i]) {
            texts_[i] = texts[i];
            changed += boxes_[i];
        }
    return changed + DigitalFace::clockTick(now);
}

QRegion QuadrantixFace::colonTick(bool pausa) {
    if (pausa)
        return {}; // the bars keep their place while an interlude hides them
    barsShown_ = true;
    fase_punti_ = !fase_punti_;
    return colonsExtent();
}

QRegion QuadrantixFace::hideClock() {
    const QRegion changed = cells_.setVisible(false) + colonsExtent() + labelsExtent();
    labelsShown_ = false;
    barsShown_ = false;
    return changed;
}

QRegion QuadrantixFace::showClock() {
    labelsShown_ = true;
    barsShown_ = true;
    return cells_.setVisible(true) + colonsExtent() + labelsExtent();
}

} // namespace qx::saver
