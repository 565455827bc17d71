// The picture of the large digital face: its casing with the display panel and everything the read-outs light on it.
#include "faces/large_face_picture.h"

#include "assets/artwork.h"
#include "core/fonts.h"
#include "core/twips.h"
#include "platform/trace.h"

#include <QPaintEvent>
#include <QPainter>

namespace qx {

namespace {
const QColor kWindowGrey(192, 192, 192);

constexpr double kPictureTop = 840; // twips: the face picture lies under the toolbar

// Positions in twips of the client area, as pixels of the face picture.
QRect onPicture(double left, double top, double width, double height) {
    return twipRect(left, top - kPictureTop, width, height);
}

const QRect kPanel = onPicture(1200, 1200, 7455, 1335); // `Shape1`
const std::array<QRect, kLargeCellCount> kCells = {
    onPicture(1320, 1320, 780, 885), onPicture(2280, 1320, 780, 885), onPicture(3480, 1320, 780, 885),
    onPicture(4440, 1320, 780, 885), onPicture(5640, 1320, 780, 885), onPicture(6600, 1320, 780, 885),
    onPicture(7680, 1800, 375, 420), onPicture(8160, 1800, 375, 420),
};
DigitSize cellSize(int i) {
    return i < Centesimo0 ? DigitSize::Large : DigitSize::Small;
}
// What a cell's widest picture covers (the large 7 is one pixel wider than its cell).
QRect cellExtent(int i) {
    return QRect(kCells[i].topLeft(), LcdPainter::extent(cellSize(i)));
}

// The colons' bars, `Line2` above `Line1`: 5 pixels wide, centred on x; the colon tick moves them 300 twips.
Colon colonAt(double x) {
    const auto bar = [x](double top, double bottom) {
        return onPicture(x, top, 0, bottom - top).adjusted(-2, 0, 3, 0);
    };
    return {bar(1320, 1560), bar(1920, 2160), pxi(300)};
}
const std::array<Colon, 2> kColons = {colonAt(3240), colonAt(5400)};

// A mark of the size and height of `like`, centred in the gap between two digit cells' widest pictures.
QRect markBetween(int before, int after, const QRect& like) {
    const int gapLeft = cellExtent(before).right() + 1, gapRight = kCells[after].left();
    return QRect(gapLeft + (gapRight - gapLeft - like.width()) / 2, like.top(), like.width(), like.height());
}

// The three marks are circles as wide as their box, centred in it. The thousands mark's box is taller than the
// millions mark's and starts where the fifth digit's picture ends: it would sit 2 px lower than the other and touch
// that digit. It has the millions mark's size and height instead, midway between the fifth and sixth digits.
const QRect kMilioni = LcdPainter::markCircle(onPicture(3180, 1320, 135, 135));
const QRect kMille = markBetween(Secondi0, Secondi1, kMilioni);
const QRect kShape2 = LcdPainter::markCircle(onPicture(7440, 2040, 135, 135));

const QRect kGiornoSett = onPicture(7560, 1440, 975, 255);
const QRect kDatalbl = onPicture(7380, 1680, 1335, 255);
const QRect kAnnolbl = onPicture(7560, 1920, 975, 255);

struct Indicator {
    bool LargeFaceView::*shown;
    QRect box;
    const char* text;
};
const std::array<Indicator, 5> kIndicators = {{
    {&LargeFaceView::lbl_Rovescia, onPicture(2910, 2280, 1305, 195), "COUNT DOWN"},
    {&LargeFaceView::cdstop, onPicture(4230, 2280, 510, 195), "STOP"},
    {&LargeFaceView::lbl_Crono, onPicture(5070, 2280, 675, 195), "CRONO"},
    {&LargeFaceView::Label2, onPicture(6030, 2280, 360, 195), "LAP"},
    {&LargeFaceView::lbl_Allarme, onPicture(6750, 2280, 645, 195), "ALARM"},
}};
} // namespace

LargeFacePicture::LargeFacePicture(const LargeFace& model, QWidget* parent)
    : QWidget(parent), model_(model), lcd_(parent->devicePixelRatioF()), labelFont_(msSansSerif(8.25, true)),
      yearFont_(msSansSerif(9.75, true)) {
    setObjectName(QStringLiteral("Image1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    const qreal ratio = parent->devicePixelRatioF();
    const QPixmap face = renderArtwork(QStringLiteral("quadrantix_face"), {}, ratio);
    const QSize size = face.deviceIndependentSize().toSize();
    setFixedSize(size);
    move(0, pxi(kPictureTop));
    background_ = QPixmap(size * ratio);
    background_.setDevicePixelRatio(ratio);
    background_.fill(kWindowGrey);
    QPainter p(&background_);
    p.drawPixmap(0, 0, face);
    drawPanel(p, kPanel, 6);
    setCursor(artworkCursor(QStringLiteral("pointer_face"), QPoint(15, 15), ratio));
}

QRegion LargeFacePicture::changedRegion(const LargeFaceView& a, const LargeFaceView& b) {
    QRegion region;
    for (int i = 0; i < kLargeCellCount; ++i) {
        const DigitCell &x = a.cells[i], &y = b.cells[i];
        if (x.lit() != y.lit() || (x.lit() && x.digit != y.digit))
            region += cellExtent(i);
    }
    if (a.colonsVisible != b.colonsVisible || a.CursoriUniti != b.CursoriUniti)
        for (const Colon& colon : kColons)
            region += colon.extent();
    if (a.p_milioni != b.p_milioni)
        region += kMilioni;
    if (a.p_mille != b.p_mille)
        region += kMille;
    if (a.Shape2 != b.Shape2)
        region += kShape2;
    const auto label = [&](const TextLabel& x, const TextLabel& y, const QRect& box) {
        if (x.visible != y.visible || (x.visible && x.text != y.text))
            region += box;
    };
    label(a.giorno_sett, b.giorno_sett, kGiornoSett);
    label(a.datalbl, b.datalbl, kDatalbl);
    label(a.annolbl, b.annolbl, kAnnolbl);
    for (const Indicator& indicator : kIndicators)
        if (a.*indicator.shown != b.*indicator.shown)
            region += indicator.box;
    return region;
}

void LargeFacePicture::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRegion& dirty = event->region();
    // The unchanging parts are copied rectangle by rectangle: one blend over the region's bounding box handed its rows
    // to Qt's painting threads, waking them every second.
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const qreal ratio = background_.devicePixelRatio();
    for (const QRect& r : dirty)
        p.drawPixmap(r, background_, QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // Only what lies in the region is drawn: a new second touches a cell or two, not the texts.
    const LargeFaceView& v = model_.view();
    for (int i = 0; i < kLargeCellCount; ++i)
        if (v.cells[i].lit() && dirty.intersects(cellExtent(i)))
            lcd_.digit(p, kCells[i].topLeft(), v.cells[i].digit, cellSize(i));
    if (v.colonsVisible)
        for (const Colon& colon : kColons)
            if (dirty.intersects(colon.extent()))
                lcd_.colon(p, colon, v.CursoriUniti);
    const std::pair<bool, QRect> marks[] = {{v.p_milioni, kMilioni}, {v.p_mille, kMille}, {v.Shape2, kShape2}};
    for (const auto& [shown, box] : marks)
        if (shown && dirty.intersects(box))
            lcd_.mark(p, box);
    const auto text = [&](const TextLabel& label, const QFont& font, const QRect& box) {
        if (label.visible && dirty.intersects(box))
            lcd_.text(p, box, font, Qt::AlignHCenter, label.text);
    };
    text(v.giorno_sett, labelFont_, kGiornoSett);
    text(v.datalbl, labelFont_, kDatalbl);
    text(v.annolbl, yearFont_, kAnnolbl);
    for (const Indicator& indicator : kIndicators)
        if (v.*indicator.shown && dirty.intersects(indicator.box))
            lcd_.text(p, indicator.box, labelFont_, Qt::AlignLeft, QLatin1String(indicator.text));
    if (newSecond_ && tracing())
        traceEvent("shown", QString::number(newSecond_) + QLatin1String(" Quadrantix"));
    newSecond_ = 0;
}

} // namespace qx
