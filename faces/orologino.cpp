// The window `Orologino` of the tiny face "Mini": an oval above every other window, with the time and the seconds.
#include "faces/orologino.h"

#include "assets/artwork.h"
#include "core/face_chrome.h"
#include "core/fonts.h"
#include "core/twips.h"
#include "faces/lcd_painter.h"
#include "platform/boundary_timer.h"
#include "platform/clock.h"
#include "platform/trace.h"

#include <QPaintEvent>
#include <QPainter>

namespace qx {

namespace {
const QColor kCyan(0, 255, 255);

const QSize kClient(pxi(1455), pxi(2280)); // 97 x 152
const QPoint kPlace(pxi(9585), pxi(7365));
const QPoint kImage1 = QPoint(0, pxi(120));         // the dial picture, 98 x 74
const QRect kShape1 = twipRect(360, 360, 735, 615); // the panel
const QRect kLabel1 = twipRect(465, 390, 555, 240); // hours and minutes
const QRect kLabel2 = twipRect(600, 675, 255, 240); // seconds

const MenuEntry kMenu[] = {
    {"scr", "&Attiva salvaschermo", Command::Screensaver},
    {"analogico", "&Analogico", Command::ShowAnalogico},
    {"dig", "&Digitale", Command::ShowDigitale},
    {"maxdig", "&Quadrantix", Command::ShowQuadrantix},
    {"opzioni", "&Opzioni", Command::Options},
    {"info", "&Info su Quadrantix", Command::About},
    {"esci", "&Esci", Command::Exit},
};
} // namespace

Orologino::Orologino(const Clock& clock, FaceCommands& commands)
    : FaceWindow(FaceKind::Mini, Qt::Tool | Qt::WindowStaysOnTopHint), model_(clock),
      labels_(msSansSerif(9.75, true), QStringLiteral("0123456789") + OvalFace::timeSeparator(QLocale::system()),
              devicePixelRatioF()) {
    setObjectName(QStringLiteral("Orologino"));
    setWindowTitle(QStringLiteral("Form1"));
    // Above every window, without taking the focus from the one the user works in when it is shown. A click still
    // gives it the focus, so that the keyboard reaches its menu (the Menu key) and the window manager's close.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // A window that is not active must show its tooltip all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFixedSize(kClient);
    move(placeOnPrimary(kPlace, size()));
    setMask(clientMask(outerEllipse({5, 31}, {97, 101}), frames::kThinFixed));
    setAttribute(Qt::WA_OpaquePaintEvent);

    const qreal ratio = devicePixelRatioF();
    background_ = faceCanvas(kClient, ratio, kCyan);
    {
        QPainter p(&background_);
        p.drawPixmap(kImage1, renderArtwork(QStringLiteral("mini_dial"), {}, ratio));
        drawPanel(p, kShape1, 5);
    }
    setCursor(artworkCursor(QStringLiteral("pointer_mini"), QPoint(15, 15), ratio));
    // The picture and both labels carry the date of the opening; they cover the whole visible oval.
    setToolTip(model_.toolTip());
    new DragHandle(this, buildCommandMenu(this, commands, kMenu));

    painted_ = model_.view();
    Timer1 = new BoundaryTimer(clock, gate(), this);
    connect(Timer1, &BoundaryTimer::tick, this, &Orologino::onWake);
    Timer1->start(kSecondNs);
}

Orologino::~Orologino() = default;

QRegion Orologino::changedRegion(const OvalFaceView& a, const OvalFaceView& b) {
    QRegion region;
    if (a.Label1 != b.Label1)
        region += kLabel1;
    if (a.Label2 != b.Label2)
        region += kLabel2;
    return region;
}

void Orologino::onWake() {
    model_.wake();
    const OvalFaceView& view = model_.view();
    const QRegion changed = changedRegion(painted_, view);
    const bool newSecond = view.Label2 != painted_.Label2;
    painted_ = view;
    newSecond_ = newSecond ? model_.second() : 0; // for the timing trace, when the paint comes
    paintChanged(this, changed, true);
}

void Orologino::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRegion& dirty = event->region();
    copyCanvas(p, background_, dirty);
    const OvalFaceView& v = model_.view();
    if (dirty.intersects(kLabel1))
        labels_.draw(p, kLabel1, Qt::AlignHCenter, v.Label1);
    if (dirty.intersects(kLabel2))
        labels_.draw(p, kLabel2, Qt::AlignHCenter, v.Label2);
    if (newSecond_ && tracing())
        traceEvent("shown", QString::number(newSecond_) + QLatin1String(" Mini ") + v.Label1 + u' ' + v.Label2);
    newSecond_ = 0;
}

} // namespace qx
