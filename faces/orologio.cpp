// The analog face "Analogico": the clock's main window, loaded for the whole run and only hidden by other faces.
#include "faces/orologio.h"

#include "assets/artwork.h"
#include "core/fonts.h"
#include "core/settings_store.h"
#include "core/time_events.h"
#include "core/twips.h"
#include "faces/analog_wake_plan.h"
#include "platform/boundary_timer.h"
#include "platform/sound/sound_service.h"
#include "platform/trace.h"

#include <QLabel>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>

namespace qx {

namespace {
const QColor kFace(0, 102, 102);
const QColor kPink(252, 62, 157);
const QColor kWhite(255, 255, 255);
const QColor kSecondHand(0, 255, 0);
const QColor kHub(255, 0, 0);

constexpr QPointF kCentre(109, 107.5);                              // half the client area
constexpr QPointF kDateDisc(109, 800 * 1.3073394 / kTwipsPerPixel); // 800 vertical units from the top
constexpr double kDateDiscRadius = 10;                              // 150 horizontal units
constexpr double kLongHand = 800 / kTwipsPerPixel;
constexpr double kHourHand = 600 / kTwipsPerPixel;

// The window's shape is given from the outer corner of a framed window; the frame is 5 pixels wide and the title
// bar ends 21 pixels down, which puts the ellipse around the dial.
const QPoint kFrameOffset(5, 21);

constexpr std::int64_t kSecond = 1'000'000'000;
const QRect kShapeInWindow(QPoint(15, 31), QSize(212 - 15, 227 - 31)); // right and bottom edges exclusive
} // namespace

Orologio::Orologio(const Clock& clock, SettingsStore& store, FaceManager& faces, SoundService& sound,
                   const QString& programFolder)
    : FaceWindow(FaceKind::Analogico, Qt::Tool), clock_(clock), faces_(faces) {
    setObjectName(QStringLiteral("Orologio"));
    // Loading, in order: first-run settings, the sound objects, the hands (initial members; the chime and alarm
    // state come with setTimeEvents), the shape, the date label's colour, the timer.
    store.firstRunInit();
    BB_Suono_ = sound.bind(programFolder + QLatin1String("/BigBen.wav"));
    Al_Suono_ = sound.bind(programFolder + QLatin1String("/Allarme.mid"));
    setFixedSize(pxi(3270), pxi(3225));
    move(pxi(8535), pxi(5460));
    setMask(QRegion(kShapeInWindow.translated(-kFrameOffset), QRegion::Ellipse));

    canvas_ = QPixmap(size());
    canvas_.fill(kWhite);
    {
        QPainter p(&canvas_);
        p.drawPixmap(0, 0, renderArtwork(QStringLiteral("dial")));
    }
    setCursor(artworkCursor(QStringLiteral("logo_small"), QPoint(16, 16)));

    data_lbl = new QLabel(QStringLiteral("00"), this);
    data_lbl->setObjectName(QStringLiteral("data_lbl"));
    data_lbl->setGeometry(twipRect(1520, 950, 225, 195));
    data_lbl->setFont(msSansSerif(8.25, true));
    data_lbl->setAlignment(Qt::AlignCenter);
    data_lbl->setAutoFillBackground(true);
    QPalette pal = data_lbl->palette();
    pal.setColor(QPalette::Window, kPink);
    pal.setColor(QPalette::WindowText, kWhite);
    data_lbl->setPalette(pal);

    setPopupMenu(buildMenu());

    Timer1 = new BoundaryTimer(clock_, gate(), this);
    connect(Timer1, &BoundaryTimer::tick, this, &Orologio::onTimer);
    Timer1->start(kSecond);
}

Orologio::~Orologio() = default;

void Orologio::setTimeEvents(std::unique_ptr<TimeEventHooks> events) {
    events_ = std::move(events);
}

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

QMenu* Orologio::buildMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("menu"));
    const auto add = [&](const char* name, const QString& caption, auto slot) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
    };
    add("scr", QStringLiteral("&Attiva salvaschermo"), [] {});
    add("dig", QStringLiteral("&Digitale"), [this] { faces_.showFace(FaceKind::Digitale, this); });
    add("maxdig", QStringLiteral("&Quadrantix"), [this] { faces_.showFace(FaceKind::Quadrantix, this); });
    add("MiniMenu", QStringLiteral("&Mini"), [this] { faces_.showFace(FaceKind::Mini, this); });
    add("opzioni", QStringLiteral("&Opzioni"), [] {});
    add("info", QStringLiteral("&Info su Quadrantix"), [] {});
    add("chiudi", QStringLiteral("&Chiudi"), [this] { faces_.exitFrom(this); });
    return menu;
}

void Orologio::handsTick() {
    handsTick(clock_.now());
}

void Orologio::handsTick(const QDateTime& now) {
    hands_ = analogHandsAt(now.time());
    data_lbl->setText(now.toString(QStringLiteral("dd")));
    shownSecond_ = now.toSecsSinceEpoch();
    // Hidden, the window keeps its time (the chimes and the alarm read it) but draws nothing; showing it brings the
    // hands up to date at once.
    if (isVisible())
        repaint(paintHands()); // now, not at the next pass of the event loop: the hand moves with the real second
    Q_EMIT ticked();
}

void Orologio::showEvent(QShowEvent* event) {
    FaceWindow::showEvent(event);
    if (!hands_.orario.isEmpty())
        paintHands();
}

QRegion Orologio::paintHands() {
    // Only what can have changed goes to the screen: a whole-window flush costs the X server and us several
    // blocking writes a second.
    const auto box = [](double angle, double length, int width) {
        return QRectF(kCentre, handEnd(kCentre, angle, length))
            .normalized()
            .toAlignedRect()
            .adjusted(-width - 1, -width - 1, width + 1, width + 1);
    };
    QRegion changed = box(prec_sec, kLongHand, 1) | box(hands_.angSec, kLongHand, 1);
    changed |= QRectF(kCentre - QPointF(6, 6), QSizeF(12, 12)).toAlignedRect();
    changed |= QRectF(kDateDisc - QPointF(12, 12), QSizeF(24, 24)).toAlignedRect();
    if (hands_.angMin != prec_min || hands_.angOre != prec_ore)
        changed |= box(prec_min, kLongHand, 3) | box(hands_.angMin, kLongHand, 3) | box(prec_ore, kHourHand, 3) |
                   box(hands_.angOre, kHourHand, 3);
    drawTick();
    prec_sec = hands_.angSec;
    prec_min = hands_.angMin;
    prec_ore = hands_.angOre;
    return changed;
}

// Paints over the dial in the order the face has always used, without repainting the dial itself: the previous
// hands are erased by drawing them again in the face colour. Lines are hard-edged, so an erased hand leaves no trace.
void Orologio::drawTick() {
    QPainter p(&canvas_);
    const auto hand = [&](double angle, double length, const QColor& colour, int width) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(kCentre, handEnd(kCentre, angle, length));
    };

    p.setPen(Qt::NoPen);
    p.setBrush(kHub);
    p.drawEllipse(kCentre, 5, 5);

    hand(prec_sec, kLongHand, kFace, 1);

    p.setPen(QPen(kWhite, 1));
    p.setBrush(kPink);
    p.drawEllipse(kDateDisc, kDateDiscRadius, kDateDiscRadius);
    p.setBrush(Qt::NoBrush);

    hand(prec_min, kLongHand, kFace, 3);
    hand(hands_.angMin, kLongHand, kWhite, 3);
    hand(prec_ore, kHourHand, kFace, 3);
    hand(hands_.angOre, kHourHand, kWhite, 3);
    hand(hands_.angSec, kLongHand, kSecondHand, 1);
}

void Orologio::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    for (const QRect& r : event->region())
        p.drawPixmap(r, canvas_, r);
    if (shownSecond_ && tracing())
        traceEvent("shown", QString::number(shownSecond_) + QLatin1String(" Analogico ") + data_lbl->text());
}

} // namespace qx
