// The half-minute interlude of every screensaver face.
#include "saver/interlude.h"

#include "core/fonts.h"
#include "core/shown_text.h"
#include "platform/random.h"

#include <QPainter>
#include <QTextOption>
#include <cmath>

namespace qx::saver {

namespace {
constexpr int kStrokes = 4;
constexpr int kStrokeStep = 3000; // units
constexpr int kEndTick = 8;
} // namespace

bool Interlude::start() {
    if (running())
        return false;
    pausa_ = true;
    shown_ = indice_lbl_;
    phase_ = Phase::Sprinkling;
    return true;
}

void Interlude::endSprinkle() {
    if (phase_ != Phase::Sprinkling)
        return;
    conta_ = 0;
    striscia_x_ = 0;
    phase_ = Phase::Curtain;
}

Interlude::Step Interlude::tick() {
    Step step;
    if (phase_ != Phase::Curtain)
        return step;
    if (conta_ < kStrokes) {
        step.stroke = striscia_x_;
        striscia_x_ += kStrokeStep;
    }
    step.reminder = conta_ == reminderTick_;
    if (conta_ == kEndTick) {
        step.end = true;
        indice_lbl_ = (indice_lbl_ + 1) % 3;
        pausa_ = false;
        phase_ = Phase::Idle;
    }
    ++conta_;
    return step;
}

InterludeGeometry InterludeGeometry::of(const Stage& stage, const FaceLayout& layout) {
    const double sx = double(stage.window.width()) / Stage::kDesign.width();
    const double sy = double(stage.window.height()) / Stage::kDesign.height();
    const double unitX = layout.unitX / kTwipsPerPixel, unitY = layout.unitY / kTwipsPerPixel; // pixels per unit
    InterludeGeometry g;
    g.area = QSizeF(17000 * unitX * sx, 12000 * unitY * sy);
    g.points = int(std::lround(kDesignPoints * sx * sy / 4.0)) * 4; // whole passes of four
    g.strokeScale = unitX * sx;
    g.strokeWidth = 450 * sx;
    g.title = QPointF(stage.origin()) + QPointF(100 * unitX, 2000 * unitY);
    g.text = QPointF(stage.origin()) + QPointF(100 * unitX, 5000 * unitY);
    g.textWidth = Stage::kDesign.width() - 2 * 100 * unitX;
    return g;
}

void InterludeCanvas::begin(const QImage& background) {
    image_ = background.copy();
    image_.setDevicePixelRatio(background.devicePixelRatio());
}

std::vector<QPoint> InterludeCanvas::sprinkle(Random& random, int count, QSizeF area) {
    std::vector<QPoint> drawn;
    if (image_.isNull())
        return drawn;
    drawn.reserve(std::size_t(std::max(count, 0)));
    // Written straight into the pixels: a painter call per point would cost more than the point.
    const qreal ratio = image_.devicePixelRatio();
    const int block = std::max(1, int(std::lround(ratio))); // one of the window's pixels
    const int width = image_.width(), height = image_.height();
    const auto bytesPerLine = std::size_t(image_.bytesPerLine());
    uchar* bits = image_.bits();
    for (int i = 0; i < count; ++i) {
        const double x = random.uniform() * area.width();
        const double y = random.uniform() * area.height();
        const int dx = int(x) * block, dy = int(y) * block;
        if (dx >= width || dy >= height)
            continue;
        drawn.emplace_back(int(x), int(y));
        for (int row = dy; row < std::min(dy + block, height); ++row) {
            auto* line = reinterpret_cast<QRgb*>(bits + std::size_t(row) * bytesPerLine);
            for (int col = dx; col < std::min(dx + block, width); ++col)
                line[col] = 0xff000000;
        }
    }
    return drawn;
}

void InterludeCanvas::stroke(double x, double width) {
    if (image_.isNull())
        return;
    QPainter p(&image_);
    const double height = image_.height() / image_.devicePixelRatio();
    p.fillRect(QRectF(x - width / 2, 0, width, height), Qt::black);
}

void InterludeCanvas::paint(const std::function<void(QPainter&)>& draw) {
    if (image_.isNull())
        return;
    QPainter p(&image_);
    draw(p);
}

void InterludeCanvas::reminder(QPointF title, QPointF text, double width, const QString& message) {
    if (image_.isNull())
        return;
    QPainter p(&image_);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double bottom = image_.height() / image_.devicePixelRatio();
    p.setFont(arial(28, true));
    p.setPen(QColor(255, 255, 0));
    p.drawText(QRectF(title, QSizeF(width, bottom - title.y())), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("Ricordati di.."));
    p.setFont(arial(20, false));
    p.setPen(Qt::white);
    // The user's own text, plain: line breaks kept, long lines wrapped rather than run off the screen.
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    p.drawText(QRectF(text, QSizeF(width, bottom - text.y())), shownText(message), option);
}

} // namespace qx::saver
