// Draws the parts of a liquid-crystal display: digit pictures, colon bars, round marks and words.
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QRect>
#include <array>

class QFont;
class QPainter;

namespace qx {

enum class DigitSize {
    Large, // 52 x 59 pixels (the 1 is 36 wide, the 7 is 53)
    Small, // 25 x 28 pixels (the 1 is 17 wide)
};

// The liquid-crystal panel's green, and the panel itself: a rounded box in it with a black edge 2 pixels wide
// inside `box`, as the small faces and the large face draw it.
inline const QColor kPanelGreen(165, 173, 156);
void drawPanel(QPainter& p, const QRect& box, qreal radius);

// A colon: two vertical bars that the colon tick moves `shift` pixels towards each other and back again.
struct Colon {
    QRect upper, lower; // apart
    int shift = 0;
    std::array<QRect, 2> bars(bool joined) const;
    QRect extent() const { return upper | lower | bars(true)[0] | bars(true)[1]; }
};

// The digit pictures are rendered once, at the screen's pixel ratio; everything else is drawn in the display's ink.
class LcdPainter {
public:
    explicit LcdPainter(qreal devicePixelRatio = 1.0);

    // What a cell's widest picture covers from its top-left corner.
    static QSize extent(DigitSize size);
    // The ink of the display's marks, colons and words.
    static QColor ink();

    // A digit character's picture at its natural size, its top-left corner at `topLeft`; anything else draws nothing.
    void digit(QPainter& p, QPoint topLeft, QChar digit, DigitSize size) const;
    void colon(QPainter& p, const Colon& colon, bool joined) const;
    // A filled circle as wide as the smaller side of `box`, centred in it.
    void mark(QPainter& p, const QRect& box) const;
    void text(QPainter& p, const QRect& box, const QFont& font, Qt::Alignment align, const QString& text) const;

    // The circle `mark` draws for a box.
    static QRect markCircle(const QRect& box);

private:
    std::array<QPixmap, 10> large_, small_; // `numero` and `npiccolo`
};

// Text in the display's ink from pictures of its characters made once at the screen's pixel ratio, so that a label
// that changes every second costs a few copies rather than a text layout.
class LcdGlyphs {
public:
    LcdGlyphs(const QFont& font, const QString& characters, qreal devicePixelRatio = 1.0);

    // `text` in `box`, aligned across as `align` says and upright in its middle, as QPainter::drawText would place
    // it. A character that has no picture is drawn as text.
    void draw(QPainter& p, const QRect& box, Qt::Alignment align, const QString& text) const;

private:
    QFont font_;
    qreal ascent_, height_;
    QHash<QChar, std::pair<QPixmap, qreal>> glyphs_; // picture and advance
};

} // namespace qx
