// Draws the parts of a liquid-crystal display: digit pictures, colon bars, round marks and words.
#include "faces/lcd_painter.h"

#include "assets/artwork.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <cmath>

namespace qx {

void drawPanel(QPainter& p, const QRect& box, qreal radius) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(kPanelGreen);
    p.drawRoundedRect(QRectF(box).adjusted(1, 1, -1, -1), radius, radius);
    p.restore();
}

std::array<QRect, 2> Colon::bars(bool joined) const {
    if (!joined)
        return {upper, lower};
    return {upper.translated(0, shift), lower.translated(0, -shift)};
}

LcdPainter::LcdPainter(qreal devicePixelRatio) {
    // Rendered now, so that no new second waits for a picture to be drawn from its vector source.
    for (int d = 0; d < 10; ++d) {
        large_[d] = renderArtwork(QStringLiteral("lcd_large_%1").arg(d), {}, devicePixelRatio);
        small_[d] = renderArtwork(QStringLiteral("lcd_small_%1").arg(d), {}, devicePixelRatio);
    }
}

QSize LcdPainter::extent(DigitSize size) {
    return size == DigitSize::Large ? QSize(53, 59) : QSize(25, 28);
}

QColor LcdPainter::ink() {
    // Black, as the marks, colon bars and words of the display are: only the digit pictures have their own ink.
    return Qt::black;
}

void LcdPainter::digit(QPainter& p, QPoint topLeft, QChar digit, DigitSize size) const {
    if (!digit.isDigit())
        return;
    const int d = digit.digitValue();
    p.drawPixmap(topLeft, size == DigitSize::Large ? large_[d] : small_[d]);
}

void LcdPainter::colon(QPainter& p, const Colon& colon, bool joined) const {
    for (const QRect& bar : colon.bars(joined))
        p.fillRect(bar, ink());
}

QRect LcdPainter::markCircle(const QRect& box) {
    const int d = std::min(box.width(), box.height());
    return QRect(box.x() + (box.width() - d) / 2, box.y() + (box.height() - d) / 2, d, d);
}

void LcdPainter::mark(QPainter& p, const QRect& box) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ink());
    p.drawEllipse(QRectF(markCircle(box)).adjusted(0.5, 0.5, -0.5, -0.5));
    p.restore();
}

void LcdPainter::text(QPainter& p, const QRect& box, const QFont& font, Qt::Alignment align,
                      const QString& text) const {
    p.setPen(ink());
    p.setFont(font);
    p.drawText(box, align | Qt::AlignTop, text);
}

LcdGlyphs::LcdGlyphs(const QFont& font, const QString& characters, qreal devicePixelRatio) : font_(font) {
    const QFontMetricsF metrics(font);
    ascent_ = metrics.ascent();
    height_ = metrics.height();
    for (const QChar c : characters) {
        if (glyphs_.contains(c))
            continue;
        const qreal advance = metrics.horizontalAdvance(c);
        // A pixel of room on either side for the antialiased edges and any overhang.
        QPixmap picture(QSizeF((advance + 2) * devicePixelRatio, height_ * devicePixelRatio).toSize());
        picture.setDevicePixelRatio(devicePixelRatio);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        p.setFont(font);
        p.setPen(LcdPainter::ink());
        p.drawText(QPointF(1, ascent_), QString(c));
        glyphs_.insert(c, {picture, advance});
    }
}

void LcdGlyphs::draw(QPainter& p, const QRect& box, Qt::Alignment align, const QString& text) const {
    qreal width = 0;
    for (const QChar c : text)
        width += glyphs_.contains(c) ? glyphs_[c].second : QFontMetricsF(font_).horizontalAdvance(c);
    qreal x = box.left();
    if (align & Qt::AlignHCenter)
        x += (box.width() - width) / 2;
    else if (align & Qt::AlignRight)
        x += box.width() - width;
    const qreal top = box.top() + (box.height() - height_) / 2;
    for (const QChar c : text) {
        if (const auto found = glyphs_.constFind(c); found != glyphs_.cend()) {
            // Whole device pixels, as the text rasteriser places glyphs: no resampling of the pictures.
            const qreal ratio = found->first.devicePixelRatio();
            p.drawPixmap(QPointF(std::round((x - 1) * ratio) / ratio, std::round(top * ratio) / ratio), found->first);
            x += found->second;
        } else {
            p.setFont(font_);
            p.setPen(LcdPainter::ink());
            p.drawText(QPointF(x, top + ascent_), QString(c));
            x += QFontMetricsF(font_).horizontalAdvance(c);
        }
    }
}

} // namespace qx
