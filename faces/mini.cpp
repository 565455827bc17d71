// The window `Mini` of the star-shaped face "Digitale": the time in digit pictures, the separator, the date boxes.
#include "faces/mini.h"

#include "assets/artwork.h"
#include "core/face_chrome.h"
#include "core/fonts.h"
#include "core/twips.h"
#include "faces/lcd_painter.h"
#include "platform/boundary_timer.h"
#include "platform/clock.h"
#include "platform/trace.h"

#include <QAction>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>

namespace qx {

namespace {

const QSize kClient(pxi(2925), pxi(3000)); // 195 x 200
const QPoint kPlace(pxi(8745), pxi(5535));
const QPolygon kStar{{100, 20}, {135, 85}, {200, 120}, {135, 155}, {100, 220}, {65, 155}, {0, 120}, {65, 85}};

const QRect kShape1 = twipRect(555, 1200, 1815, 570); // the time panel
const std::array<QPoint, 4> kDigits = {
    QPoint(pxi(605), pxi(1290)), QPoint(pxi(1005), pxi(1290)),  // `ore`
    QPoint(pxi(1535), pxi(1290)), QPoint(pxi(1955), pxi(1290)), // `minuti`
};
QRect digitExtent(std::size_t i) {
    return QRect(kDigits[i], LcdPainter::extent(DigitSize::Small));
}

// The separator: `Line2` above `Line1`, 3-pixel strokes at x 1455 twips with round ends, moved 130 twips towards
// each other and back.
Colon separator() {
    const auto stroke = [](double top, double bottom) {
        return QRect(pxi(1455) - 1, pxi(top) - 1, 3, pxi(bottom) - pxi(top) + 2);
    };
    return {stroke(1320, 1400), stroke(1600, 1680), pxi(130)};
}
const Colon kSeparator = separator();

// A label drawn over its box.
struct Box {
    QRect shape, label;
    Qt::Alignment align;
    QRect extent() const { return shape | label; }
};
const Box kShape3{twipRect(2400, 1355, 300, 255), twipRect(2430, 1365, 225, 195), Qt::AlignLeft};    // seclbl
const Box kShape6{twipRect(1165, 630, 595, 255), twipRect(1245, 640, 435, 195), Qt::AlignHCenter};   // giornolbl
const Box kShape2{twipRect(962, 930, 1000, 240), twipRect(960, 930, 975, 255), Qt::AlignHCenter};    // gsett
const Box kShape4{twipRect(975, 1800, 1000, 230), twipRect(975, 1785, 1000, 255), Qt::AlignHCenter}; // mese
const Box kShape5{twipRect(1150, 2065, 595, 255), twipRect(1075, 2080, 735, 255), Qt::AlignHCenter}; // anno

struct ShownLabel {
    const Box& box;
    const QString& text;
};
// The boxes and labels a state shows, by toggle.
std::vector<ShownLabel> shownLabels(const StarFaceView& v) {
    std::vector<ShownLabel> shown;
    if (v.vissec)
        shown.push_back({kShape3, v.seclbl});
    if (v.visgiorno) {
        shown.push_back({kShape6, v.giornolbl});
        shown.push_back({kShape2, v.gsett});
    }
    if (v.vismes) {
        shown.push_back({kShape4, v.mese});
        shown.push_back({kShape5, v.anno});
    }
    return shown;
}

const MenuEntry kMenu[] = {
    {"scr", "&Attiva salvaschermo", Command::Screensaver},
    {"analogico", "&Analogico", Command::ShowAnalogico},
    {"MiniMenu", "&Mini", Command::ShowMini},
    {"maxdig", "&Quadrantix", Command::ShowQuadrantix},
    {"opzioni", "&Opzioni", Command::Options},
    {"info", "&Info su Quadrantix", Command::About},
    {"esci", "&Esci", Command::Exit},
};

struct ToggleItem {
    const char* name;
    const char* caption;
    StarToggle toggle;
};
const std::array<ToggleItem, 3> kToggles = {{
    {"vissec", "&Secondi", StarToggle::Secondi},
    {"vismes", "&Mese e anno", StarToggle::MeseEAnno},
    {"visgiorno", "&Giorno", StarToggle::Giorno},
}};
} // namespace

Mini::Mini(const Clock& clock, FaceCommands& commands)
    : FaceWindow(FaceKind::Digitale, Qt::Tool), model_(clock), lcd_(devicePixelRatioF()),
      labelFont_(msSansSerif(8.25, true)), seconds_(labelFont_, QStringLiteral("0123456789"), devicePixelRatioF()) {
    setObjectName(QStringLiteral("Mini"));
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(kClient);
    move(placeOnPrimary(kPlace, size()));
    // The star is wider than the client area: its left and right points end at the window's edges.
    setMask(clientMask(outerPolygon(kStar), frames::kThinFixed) & QRegion(rect()));
    setAttribute(Qt::WA_OpaquePaintEvent);

    // `Image1` and the time panel over it never change: one picture at the screen's pixel ratio.
    const qreal ratio = devicePixelRatioF();
    background_ = faceCanvas(kClient, ratio, Qt::black);
    {
        QPainter p(&background_);
        p.drawPixmap(0, 0, renderArtwork(QStringLiteral("star_dial"), {}, ratio));
        drawPanel(p, kShape1, 6);
    }
    setCursor(artworkCursor(QStringLiteral("pointer_star"), QPoint(15, 15), ratio));
    new DragHandle(this, buildMenu(commands));

    painted_ = model_.view();
    Timer1 = new BoundaryTimer(clock, gate(), this);
    connect(Timer1, &BoundaryTimer::tick, this, &Mini::onWake);
    Timer1->start(kSecondNs);
}

Mini::~Mini() = default;

QMenu* Mini::buildMenu(FaceCommands& commands) {
    QMenu* menu = buildCommandMenu(this, commands, kMenu);
    auto* visualizza = new QMenu(QStringLiteral("&Visualizza"), menu);
    visualizza->setObjectName(QStringLiteral("visualizza"));
    for (std::size_t i = 0; i < kToggles.size(); ++i) {
        QAction* item = visualizza->addAction(QString::fromUtf8(kToggles[i].caption));
        item->setObjectName(QLatin1String(kToggles[i].name));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, which = kToggles[i].toggle] { toggle(which); });
        toggles_[i] = item;
    }
    // The submenu is this face's own; it comes just before the about item.
    menu->insertMenu(menu->findChild<QAction*>(QStringLiteral("info"), Qt::FindDirectChildrenOnly), visualizza);
    return menu;
}

void Mini::toggle(StarToggle which) {
    model_.toggle(which);
    for (std::size_t i = 0; i < kToggles.size(); ++i)
        toggles_[i]->setChecked(model_.isShown(kToggles[i].toggle));
    sync(false, 0);
}

void Mini::onWake() {
    const std::int64_t before = model_.second();
    model_.wake();
    // Every new second turns the separator: the timing trace notes when it reached the screen.
    sync(true, model_.second() != before ? model_.second() : 0);
}

QRegion Mini::changedRegion(const StarFaceView& a, const StarFaceView& b) {
    QRegion region;
    for (std::size_t i = 0; i < a.digits.size(); ++i)
        if (a.digits[i] != b.digits[i])
            region += digitExtent(i);
    if (a.lampeggio != b.lampeggio)
        region += kSeparator.extent();
    const auto label = [&](bool shownA, bool shownB, const QString& textA, const QString& textB, const Box& box) {
        if (shownA != shownB || (shownA && textA != textB))
            region += box.extent();
    };
    label(a.vissec, b.vissec, a.seclbl, b.seclbl, kShape3);
    label(a.visgiorno, b.visgiorno, a.giornolbl, b.giornolbl, kShape6);
    label(a.visgiorno, b.visgiorno, a.gsett, b.gsett, kShape2);
    label(a.vismes, b.vismes, a.mese, b.mese, kShape4);
    label(a.vismes, b.vismes, a.anno, b.anno, kShape5);
    return region;
}

void Mini::sync(bool now, std::int64_t newSecond) {
    const StarFaceView& view = model_.view();
    const QRegion changed = changedRegion(painted_, view);
    painted_ = view;
    newSecond_ = newSecond; // for the timing trace, when the paint comes
    paintChanged(this, changed, now);
}

void Mini::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRegion& dirty = event->region();
    copyCanvas(p, background_, dirty);

    const StarFaceView& v = model_.view();
    for (const ShownLabel& shown : shownLabels(v)) {
        if (!dirty.intersects(shown.box.extent()))
            continue;
        drawPanel(p, shown.box.shape, 4);
        // Across, as the label lies; upright, in the middle of its box (the labels sit a pixel off their boxes).
        const QRect text(shown.box.label.left(), shown.box.shape.top(), shown.box.label.width(),
                         shown.box.shape.height());
        if (&shown.box == &kShape3) {
            seconds_.draw(p, text, shown.box.align, shown.text);
            continue;
        }
        p.setPen(LcdPainter::ink());
        p.setFont(labelFont_);
        p.drawText(text, shown.box.align | Qt::AlignVCenter, shown.text);
    }
    for (std::size_t i = 0; i < v.digits.size(); ++i)
        if (dirty.intersects(digitExtent(i)))
            lcd_.digit(p, kDigits[i], v.digits[i], DigitSize::Small);
    if (dirty.intersects(kSeparator.extent()))
        lcd_.colon(p, kSeparator, !v.lampeggio);
    if (newSecond_ && tracing())
        traceEvent("shown", QString::number(newSecond_) + QLatin1String(" Digitale ") + QString(v.digits[0]) +
                                v.digits[1] + u':' + v.digits[2] + v.digits[3]);
    newSecond_ = 0;
}

} // namespace qx
