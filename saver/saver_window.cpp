// A face window of the screensaver: full screen, the face's clock, the half-minute interlude and the ways out.
#include "saver/saver_window.h"

#include "assets/artwork.h"
#include "core/fonts.h"
#include "core/program_info.h"
#include "core/settings_store.h"
#include "platform/boundary_timer.h"
#include "platform/clock.h"
#include "platform/hires_timer.h"
#include "platform/random.h"
#include "platform/trace.h"
#include "saver/hidden_pointer.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace qx::saver {

namespace {

// The corner badges, 48 x 48 pixels at 120 twips from each edge of the design screen.
constexpr std::array<std::pair<double, double>, 4> kBadges{{{120, 120}, {11160, 120}, {120, 8160}, {11160, 8160}}};

Qt::WindowFlags saverFlags(FaceKind kind) {
    // No button in the task bar; `Mini` alone keeps itself above every other window.
    Qt::WindowFlags flags = Qt::Tool;
    if (kind == FaceKind::Mini)
        flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

int frameIntervalMs(const QScreen* screen) {
    const qreal rate = screen ? screen->refreshRate() : 60;
    return int(std::lround(1000 / std::clamp(rate > 0 ? rate : 60, 24.0, 240.0)));
}

// The region of single pixels at `points`, built in the band order a region keeps.
QRegion pixelsAt(std::vector<QPoint> points) {
    std::sort(points.begin(), points.end(),
              [](QPoint a, QPoint b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    std::vector<QRect> rects;
    rects.reserve(points.size());
    for (const QPoint p : points)
        rects.emplace_back(p, QSize(1, 1));
    QRegion region;
    region.setRects(rects.data(), int(rects.size()));
    return region;
}

QRect deviceRect(const QRect& r, qreal ratio) {
    return QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio).toAlignedRect();
}
} // namespace

SaverWindow::SaverWindow(std::unique_ptr<SaverFace> face, const Stage& stage, const Clock& clock,
                         const SettingsStore& store, Random& random, HiddenPointer& pointer)
    : FaceWindow(face->layout().kind, saverFlags(face->layout().kind)), face_(std::move(face)), stage_(stage),
      clock_(clock), store_(store), random_(random), pointer_(pointer), interlude_(face_->layout().reminderTick),
      geometry_(InterludeGeometry::of(stage_, face_->layout())) {
    setObjectName(faceName(face_->layout().kind));
    setWindowTitle(QStringLiteral("Quadrasogno"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    resize(stage_.window);
    renderBackground();

    HiResTimer2 = new BoundaryTimer(clock_, gate(), this);
    connect(HiResTimer2, &BoundaryTimer::tick, this, &SaverWindow::secondTick);
    HiResTimer2->start(kSecondNs);
    Timer1 = new HiResTimer(gate(), this);
    Timer1->setInterval(1000);
    connect(Timer1, &HiResTimer::tick, this, &SaverWindow::interludeTick);
    frames_.setTimerType(Qt::PreciseTimer);
    connect(&frames_, &QTimer::timeout, this, &SaverWindow::sprinkleFrame);

    // The first ticks at once: the face opens with the time on it, and an interlude starts if the run begins in its
    // second.
    const QDateTime now = clock_.now();
    const int second = now.time().second();
    if (second == 0 || second == 30)
        startInterlude(now);
    else
        showClockChanges(face_->clockTick(now), now);
    traceEvent("face", objectName());
}

SaverWindow::~SaverWindow() = default;

bool SaverWindow::isTimer1Active() const {
    return Timer1->isActive();
}

QString SaverWindow::makerLabel(int index) {
    const QString texts[] = {makerName(), makerSite().toString(), makerMail()};
    return texts[std::clamp(index, 0, 2)];
}

bool SaverWindow::inTriggerSecond() const {
    const int second = clock_.now().time().second();
    return second == 0 || second == 30;
}

void SaverWindow::renderBackground() {
    const qreal ratio = stage_.ratio;
    background_ = QImage(stage_.window * ratio, QImage::Format_RGB32);
    background_.setDevicePixelRatio(ratio);
    background_.fill(background_colour_);
    QPainter p(&background_);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    face_->paintStatic(p);
    const QPixmap badge = renderArtwork(QStringLiteral("logo_48"), {}, ratio);
    for (const auto& [left, top] : kBadges)
        p.drawPixmap(stage_.fromCorner(left, top, 720, 720).topLeft(), badge);
    const FaceLayout& l = face_->layout();
    const QRect notice = stage_.fromBottom(l.noticeLeft, l.noticeTop, 2175, 255);
    p.setPen(Qt::black);
    p.setFont(msSansSerif(8.25));
    // Centred on its box, so that it stays in the middle however wide the font makes it.
    p.drawText(notice.adjusted(-100, 0, 100, 0), Qt::AlignHCenter | Qt::AlignTop, QString::fromUtf8(maker::kNotice));
}

void SaverWindow::showClockChanges(const QRegion& changed, const QDateTime& now) {
    if (changed.isEmpty() || canvas_.active())
        return;
    shownSecond_ = now.toSecsSinceEpoch();
    // Now, not at the next pass of the event loop: the new second is on screen within the millisecond.
    if (isVisible())
        repaint(changed);
}

void SaverWindow::secondTick() {
    if (leaving_)
        return;
    if (!grabbed_ && isVisible())
        grabInput();
    const QDateTime now = clock_.now();
    const int second = now.time().second();
    if (second == 0 || second == 30) {
        if (!interlude_.running())
            startInterlude(now);
    } else if (pointerRule_.mosso()) {
        leave("moved");
        return;
    }
    QRegion changed = face_->colonTick(interlude_.pausa());
    if (!interlude_.pausa())
        changed += face_->clockTick(now);
    showClockChanges(changed, now);
}

void SaverWindow::startInterlude(const QDateTime& now) {
    if (!interlude_.start())
        return;
    traceEvent("interlude", QString::number(now.toSecsSinceEpoch()));
    face_->hideClock();
    canvas_.begin(background_); // the face without its clock, as repainting it leaves it
    random_.seed(std::uint64_t(clock_.epochNs()));
    sprinkled_ = 0;
    labelOnCanvas_ = false;
    sprinkleStartNs_ = clock_.uptimeNs();
    sprinkling_.emplace(gate());
    frames_.start(frameIntervalMs(screen()));
    update();
}

void SaverWindow::sprinkleFrame() {
    if (leaving_ || interlude_.phase() != Interlude::Phase::Sprinkling)
        return;
    if (pointerRule_.mosso()) {
        endSprinkle();
        return;
    }
    // The share of the points due by now, in whole passes of four: the sprinkling lasts its three seconds however
    // many frames the display takes, and at least one pass goes into every frame.
    const std::int64_t elapsed = clock_.uptimeNs() - sprinkleStartNs_;
    const int total = geometry_.points;
    int due = elapsed >= kSprinkleNs ? total : int(double(total) * double(elapsed) / double(kSprinkleNs));
    due = std::clamp((due + 3) / 4 * 4, std::min(sprinkled_ + 4, total), total);
    const std::vector<QPoint> points = canvas_.sprinkle(random_, due - sprinkled_, geometry_.area);
    sprinkled_ = due;
    // Only the new points go to the X server: a whole-screen flush each frame cost seven times the wake-ups and
    // three times the X server's time.
    update(pixelsAt(points));
    if (sprinkled_ >= total)
        endSprinkle();
}

void SaverWindow::endSprinkle() {
    frames_.stop();
    sprinkling_.reset();
    interlude_.endSprinkle();
    traceEvent("sprinkled", QString::number(sprinkled_) + QLatin1Char(' ') +
                                QString::number(double(clock_.uptimeNs() - sprinkleStartNs_) / 1e6, 'f', 1));
    Timer1->start();
    // The pointer moved during the sprinkling: the window closes now, unless this is a second of the trigger, which
    // leaves it to the next tick.
    if (pointerRule_.mosso() && !inTriggerSecond())
        leave("moved");
}

void SaverWindow::interludeTick() {
    if (pointerRule_.mosso()) {
        leave("moved");
        return;
    }
    const Interlude::Step step = interlude_.tick();
    if (step.stroke) {
        canvas_.stroke(*step.stroke * geometry_.strokeScale, geometry_.strokeWidth);
        traceEvent("stroke", QString::number(*step.stroke));
        update();
    }
    if (step.reminder) {
        // The maker label stays, under the reminder: a label drawn over it would hide its words.
        canvas_.paint([this](QPainter& p) { paintLabel(p); });
        labelOnCanvas_ = true;
        canvas_.reminder(geometry_.title, geometry_.text, geometry_.textWidth, store_.text(keys::Promemoria));
        traceEvent("reminder");
        update();
    }
    if (step.end)
        endInterlude();
}

void SaverWindow::endInterlude() {
    Timer1->stop();
    face_->showClock();
    // A new background colour erases everything drawn on the window: points, curtain and reminder.
    const double r = random_.uniform(), g = random_.uniform(), b = random_.uniform();
    background_colour_ = QColor(int(std::lround(r * 255)), int(std::lround(g * 255)), int(std::lround(b * 255)));
    renderBackground();
    canvas_.clear();
    traceEvent("background", background_colour_.name());
    const QDateTime now = clock_.now();
    if (face_->layout().fastClock)
        face_->clockTick(now); // its own clock timer would show the time within the millisecond
    update();
}

void SaverWindow::pointerMoved(QPointF position) {
    const FaceLayout& l = face_->layout();
    const bool before = pointerRule_.mosso();
    pointerRule_.moved(float(position.x() * kTwipsPerPixel / l.unitX), float(position.y() * kTwipsPerPixel / l.unitY));
    if (!pointerRule_.mosso()) {
        if (tracing())
            traceEvent("pointer", QString::number(position.x()) + QLatin1Char(' ') + QString::number(position.y()));
        return;
    }
    if (!before)
        traceEvent("moved");
    // Outside the trigger's seconds the next check would come within the millisecond; a sprinkling in progress
    // would stop at its next pass and the window close right after.
    if (!inTriggerSecond())
        leave("moved");
}

void SaverWindow::leave(const char* why) {
    if (!leaving_) {
        stopForLeaving(why);
        close();
    }
}

void SaverWindow::closeEvent(QCloseEvent* event) {
    if (!leaving_)
        stopForLeaving("closed"); // closed from outside (the window manager): the same way out
    for (const QPointer<QWidget>& cover : covers_)
        if (cover)
            cover->close();
    FaceWindow::closeEvent(event);
}

namespace {
// Black over one screen; what it is given (keys, pointer movements) goes to the face.
class Cover : public QWidget {
public:
    Cover(SaverWindow* face, QScreen* screen)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), face_(face) {
        setObjectName(QStringLiteral("cover"));
        setAttribute(Qt::WA_DeleteOnClose);
        QPalette black = palette();
        black.setColor(QPalette::Window, Qt::black);
        setPalette(black);
        setAutoFillBackground(true);
        setMouseTracking(true);
        setScreen(screen);
        setGeometry(screen->geometry());
    }

protected:
    void keyPressEvent(QKeyEvent* event) override { forward(event); }
    void mouseMoveEvent(QMouseEvent* event) override { forward(event); }

private:
    void forward(QEvent* event) {
        if (face_)
            QCoreApplication::sendEvent(face_, event);
    }
    QPointer<SaverWindow> face_;
};
} // namespace

void SaverWindow::coverOtherScreens() {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen == this->screen())
            continue;
        auto* cover = new Cover(this, screen);
        cover->showFullScreen();
        covers_.emplace_back(cover);
    }
}

void SaverWindow::stopForLeaving(const char* why) {
    leaving_ = true;
    traceEvent("leave", QString::fromLatin1(why));
    frames_.stop();
    Timer1->stop();
    HiResTimer2->stop();
    sprinkling_.reset();
    pointer_.show();
}

void SaverWindow::keyPressEvent(QKeyEvent* event) {
    if (!leavesOnKey(*event)) {
        event->ignore();
        return;
    }
    traceEvent("key", QString::number(event->key(), 16));
    leave("key");
}

void SaverWindow::mouseMoveEvent(QMouseEvent* event) {
    // Measured on the screen, so that the window being placed under a resting pointer is no movement.
    pointerMoved(event->globalPosition() - QPointF(screen() ? screen()->geometry().topLeft() : QPoint()));
}

void SaverWindow::grabInput() {
    // Keys and the pointer come to the screensaver wherever the focus is and whatever window appears over it.
    QWindow* w = windowHandle();
    if (!w)
        return;
    grabbed_ = w->setKeyboardGrabEnabled(true) && w->setMouseGrabEnabled(true);
    traceEvent("grab", QLatin1String(grabbed_ ? "1" : "0"));
}

void SaverWindow::paintLabel(QPainter& p) const {
    const int index = interlude_.shownLabel();
    const MakerLabel& label = face_->layout().labels[std::size_t(index)];
    p.setPen(label.colour);
    p.setFont(arialBlack(label.points));
    p.drawText(stage_.rect(label.left, label.top, label.width, label.height), Qt::AlignHCenter | Qt::AlignTop,
               makerLabel(index));
}

void SaverWindow::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QImage& base = canvas_.active() ? canvas_.image() : background_;
    const qreal ratio = base.devicePixelRatio();
    // Copied rectangle by rectangle, without blending: the pictures are opaque.
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& r : event->region())
        p.drawImage(r, base, deviceRect(r, ratio));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (canvas_.active()) {
        if (!labelOnCanvas_)
            paintLabel(p);
        if (tracing() && interlude_.phase() == Interlude::Phase::Sprinkling)
            traceEvent("frame", QString::number(sprinkled_));
    } else {
        face_->paintClock(p, event->region());
        if (shownSecond_ && tracing())
            traceEvent("shown", QString::number(shownSecond_) + QLatin1Char(' ') + objectName());
    }
    shownSecond_ = 0;
    if (!grabAsked_) {
        grabAsked_ = true;
        QTimer::singleShot(0, this, &SaverWindow::grabInput); // once the window is on screen; retried each second
    }
}

SaverWindow* startScreensaver(const Clock& clock, const SettingsStore& store, Random& random, HiddenPointer& pointer) {
    pointer.hide();
    const std::optional<FaceKind> kind = chooseFace(store);
    if (!kind) {
        pointer.show();
        return nullptr;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    const Stage stage{screen ? screen->geometry().size() : Stage::kDesign, screen ? screen->devicePixelRatio() : 1.0};
    auto* window = new SaverWindow(makeFace(*kind, stage), stage, clock, store, random, pointer);
    if (screen) {
        window->setScreen(screen);
        window->setGeometry(screen->geometry());
    }
    window->showFullScreen();
    window->coverOtherScreens();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace qx::saver
