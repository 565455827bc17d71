// The closing splash `fine`: shown by every exit command, it blinks, closes in on itself, says goodbye and closes.
#include "core/splash.h"

#include "assets/artwork.h"
#include "core/face_chrome.h"
#include "core/fonts.h"
#include "core/forms.h"
#include "core/program_info.h"
#include "core/twips.h"
#include "platform/trace.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QVariantAnimation>

namespace qx {

namespace {
const QSize kClient(pxi(3390), pxi(3450)); // 226 x 230
const QColor kGreen(0, 255, 0);
constexpr int kLastBlink = 9; // ticks before this one blink the text
constexpr int kCovered = 9;   // the tick that draws the black circles
constexpr int kClosing = 11;  // the tick that closes the splash
constexpr int kTickMs = 500;
// The black circles shrink from 1800 twips to nothing round the middle of the window, with a 2-pixel pen.
constexpr double kOuterRadius = 1800.0 / kTwipsPerPixel + 1;
// How long the black takes to close in: the original drew its 1801 circles one by one within one tick.
constexpr int kClosingMs = 350;

int widestWord(const QFont& font, const QString& text) {
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString& word : text.split(QLatin1Char(' ')))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    return widest;
}

// Green, centred, and letting clicks through to the window.
QLabel* greenLabel(QWidget* parent, const char* name, const QString& text, const QRect& box, QFont font) {
    // The texts must fit their boxes: the free heavy face may be wider than the one they were drawn for.
    while (font.pixelSize() > 8 && widestWord(font, text) > box.width())
        font.setPixelSize(font.pixelSize() - 1);
    QLabel* label = forms::label(parent, name, text, box, Qt::AlignCenter);
    label->setFont(font);
    forms::setTextColour(label, kGreen);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}
} // namespace

bool SplashTimeline::tick() {
    const int c = count_;
    if (c < kLastBlink)
        Label1 = !Label1;
    count_ = qint16(c + 1);
    if (count_ == kCovered) {
        black = true;
        Label1 = false;
        Image1 = false;
    }
    if (count_ > kCovered)
        Label2 = true;
    return count_ != kClosing;
}

fine::fine() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::Tool) {
    setObjectName(QStringLiteral("fine"));
    setWindowTitle(programTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kClient);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(centredClientPos(kClient, frames::kNone, screen->geometry()));
    setMask(clientMask(outerEllipse({1, 0}, {227, 228}), frames::kNone));
    setAttribute(Qt::WA_OpaquePaintEvent);
    logo_ = renderArtwork(QStringLiteral("logo"), {}, devicePixelRatioF());

    Label1 = greenLabel(this, "Label1", QStringLiteral("Chiusura in corso"), twipRect(608, 1118, 2175, 1215),
                        arialBlack(21.75));
    Label1->setWordWrap(true);
    Label2 =
        greenLabel(this, "Label2", QStringLiteral("Arrivederci"), twipRect(120, 1298, 3180, 855), arialBlack(26.25));
    Label2->hide();

    circles_ = new QVariantAnimation(this);
    circles_->setStartValue(0.0);
    circles_->setEndValue(1.0);
    circles_->setDuration(kClosingMs);
    connect(circles_, &QVariantAnimation::valueChanged, this, [this] { update(); });
    connect(circles_, &QVariantAnimation::finished, this, [this] { update(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(kTickMs);
    connect(Timer1, &QTimer::timeout, this, &fine::tick);
    Timer1->start();
    traceEvent("splash", QStringLiteral("0 1 1 0"));
}

void fine::tick() {
    const bool wasBlack = timeline_.black;
    const bool goesOn = timeline_.tick();
    Label1->setVisible(timeline_.Label1);
    Label2->setVisible(timeline_.Label2);
    if (timeline_.black && !wasBlack)
        circles_->start();
    update();
    const auto flag = [](bool b) { return b ? QLatin1String("1") : QLatin1String("0"); };
    traceEvent("splash", QString::number(timeline_.count()) + u' ' + flag(timeline_.Label1) + u' ' +
                             flag(timeline_.Image1) + u' ' + flag(timeline_.Label2));
    if (!goesOn) {
        Timer1->stop();
        close();
    }
}

void fine::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const bool closingIn = circles_->state() == QAbstractAnimation::Running;
    if (!timeline_.Image1 && !closingIn)
        return;
    p.drawPixmap(0, 0, logo_);
    if (!closingIn)
        return;
    // Black from the rim in to the circle drawn last.
    const double r = kOuterRadius * (1.0 - circles_->currentValue().toDouble());
    const QPointF middle(width() / 2.0, height() / 2.0);
    QPainterPath black;
    black.addRect(rect());
    QPainterPath inside;
    inside.addEllipse(middle, r, r);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(black.subtracted(inside), Qt::black);
}

fine* showClosingSplash() {
    auto* splash = new fine;
    splash->show();
    return splash;
}

} // namespace qx
