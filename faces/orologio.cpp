// The analog face "Analogico": the clock's main window, loaded for the whole run and only hidden by other faces.
#include "faces/orologio.h"

#include "assets/artwork.h"
#include "core/face_chrome.h"
#include "core/fonts.h"
#include "core/time_events.h"
#include "core/twips.h"
#include "faces/analog_wake_plan.h"
#include "platform/boundary_timer.h"
#include "platform/clock.h"
#include "platform/trace.h"

#include <QLabel>
#include <QPaintEvent>
#include <QPainter>

namespace qx {

namespace {
const QColor kPink(252, 62, 157);
const QColor kWhite(255, 255, 255);

// The drawing unit is one twip across and 1.3073394 twips down; radii are measured across.
constexpr double kUnitHeight = 1.3073394;

AnalogDialStyle dialStyle() {
    AnalogDialStyle s;
    s.centre = QPointF(109, 107.5); // half the client area
    s.secondLength = s.minuteLength = px(800);
    s.hourLength = px(600);
    s.secondPen = 1;
    s.handPen = 3;
    s.hubDiameter = 10; // a circle of radius 1 drawn with a 10-pixel pen
    s.discCentre = QPointF(109, px(800 * kUnitHeight));
    s.discRadius = px(150);
    return s;
}

const MenuEntry kMenu[] = {
    {"scr", "&Attiva salvaschermo", Command::Screensaver},
    {"dig", "&Digitale", Command::ShowDigitale},
    {"maxdig", "&Quadrantix", Command::ShowQuadrantix},
    {"MiniMenu", "&Mini", Command::ShowMini},
    {"opzioni", "&Opzioni", Command::Options},
    {"info", "&Info su Quadrantix", Command::About},
    {"chiudi", "&Chiudi", Command::Exit},
};

} // namespace

Orologio::Orologio(const Clock& clock, FaceCommands& commands, TimeEventHooks* events)
    : FaceWindow(FaceKind::Analogico, Qt::Tool), clock_(clock), painter_(dialStyle()), events_(events) {
    setObjectName(QStringLiteral("Orologio"));
    setFixedSize(pxi(3270), pxi(3225));
    move(placeOnPrimary({pxi(8535), pxi(5460)}, size()));
    setMask(clientMask(outerEllipse({15, 31}, {212, 227}), frames::kFixed));
    setAttribute(Qt::WA_OpaquePaintEvent);

    // White outside the ring, the dial over it; at the screen's pixel ratio, so that nothing is scaled up.
    const qreal ratio = devicePixelRatioF();
    dialPicture_ = QPixmap(size() * ratio);
    dialPicture_.setDevicePixelRatio(ratio);
    dialPicture_.fill(kWhite);
    {
        QPainter p(&dialPicture_);
        p.drawPixmap(0, 0, renderArtwork(QStringLiteral("dial"), {}, ratio));
    }
    setCursor(artworkCursor(QStringLiteral("logo_small"), QPoint(16, 16), ratio));

    data_lbl = new QLabel(QStringLiteral("00"), this);
    data_lbl->setObjectName(QStringLiteral("data_lbl"));
    data_lbl->setTextFormat(Qt::PlainText);
    data_lbl->setGeometry(twipRect(1520, 950, 225, 195));
    data_lbl->setFont(msSansSerif(8.25, true));
    data_lbl->setAlignment(Qt::AlignCenter);
    data_lbl->setAutoFillBackground(true);
    QPalette pal = data_lbl->palette();
    pal.setColor(QPalette::Window, kPink);
    pal.setColor(QPalette::WindowText, kWhite);
    data_lbl->setPalette(pal);
    // The dial draws the label itself, over the date disc and under the hands, which pass over it near 12 o'clock;
    // shown as a child widget it would cover them.
    data_lbl->setVisible(false);

    new DragHandle(this, buildCommandMenu(this, commands, kMenu));

    Timer1 = new BoundaryTimer(clock_, gate(), this);
    connect(Timer1, &BoundaryTimer::tick, this, &Orologio::onTimer);
    Timer1->start(kSecondNs);
}

Orologio::~Orologio() = default;

void Orologio::onTimer() {
    // The clock is read once per wake-up (the local-time conversion is not free).
    const std::int64_t nowNs = clock_.epochNs();
    const AnalogWakePlan plan = planAnalogWake({lastHandsSecond_, lastAlarmNs_, alarmTicked_}, nowNs);
    lastHandsSecond_ = plan.next.handsSecond;
    if (plan.hands)
        handsTick(clock_.localTime(nowNs));
    if (!events_)
        return;
    events_->chimeTick(hands_.orario, hands_.ora12);
    lastAlarmNs_ = plan.next.alarmNs;
    alarmTicked_ = plan.next.alarmTicked;
    if (plan.alarm)
        events_->alarmTick(hands_.orario);
    const std::int64_t period = analogWakePeriod(events_->wantsHalfSecondTicks());
    if (Timer1->periodNs() != period)
        Timer1->start(period);
}

void Orologio::handsTick() {
    handsTick(clock_.now());
}

void Orologio::handsTick(const QDateTime& now) {
    hands_ = analogHandsAt(now.time());
    const QString day = now.toString(QStringLiteral("dd"));
    const bool newDay = day != data_lbl->text();
    data_lbl->setText(day);
    shownSecond_ = now.toSecsSinceEpoch();
    // Hidden, the window keeps its time (the chimes and the alarm read it) but draws nothing; showing it brings the
    // hands up to date at once.
    if (isVisible()) // now, not at the next pass of the event loop: the hand moves with the real second
        repaint(advanceDial() | (newDay ? QRegion(data_lbl->geometry()) : QRegion()));
}

void Orologio::showEvent(QShowEvent* event) {
    FaceWindow::showEvent(event);
    if (!hands_.orario.isEmpty())
        advanceDial();
}

QRegion Orologio::advanceDial() {
    AnalogDialState next;
    next.hands = true;
    next.angSec = hands_.angSec;
    next.angMin = hands_.angMin;
    next.angOre = hands_.angOre;
    // The previous hands are those drawn last; before the first tick, the members' initial 0 (3 o'clock).
    if (dial_.hands) {
        next.prec_sec = dial_.angSec;
        next.prec_min = dial_.angMin;
        next.prec_ore = dial_.angOre;
    }
    // Only what changed goes to the screen: a whole-window flush costs the X server and us several blocking writes.
    const QRegion changed = painter_.changed(dial_, next);
    dial_ = next;
    return changed;
}

void Orologio::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.setClipRegion(event->region());
    for (const QRect& r : event->region())
        p.drawPixmap(r, dialPicture_,
                     QRectF(r.topLeft() * dialPicture_.devicePixelRatio(), r.size() * dialPicture_.devicePixelRatio()));
    const auto drawDate = [this](QPainter& q) {
        data_lbl->render(&q, data_lbl->pos(), QRegion(), QWidget::DrawWindowBackground);
    };
    if (dial_.hands)
        painter_.paint(p, dial_, drawDate);
    else
        drawDate(p); // before the first tick: the dial and the label's "00"
    if (shownSecond_ && tracing())
        traceEvent("shown", QString::number(shownSecond_) + QLatin1String(" Analogico ") + data_lbl->text());
}

} // namespace qx
