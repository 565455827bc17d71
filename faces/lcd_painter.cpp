// Draws the parts of a liquid-crystal display: digit pictures, colon bars, round marks and words.
#include "faces/lcd_painter.h"

#include "assets/artwork.h"

#include <QPainter>

namespace qx {

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

} // namespace qx
