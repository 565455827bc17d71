// The large digital face "Quadrantix" (window `Digitale`): an LCD panel under a toolbar, with five modes.
#include "faces/digitale.h"

#include "assets/artwork.h"
#include "core/fonts.h"
#include "core/settings_store.h"
#include "core/twips.h"
#include "platform/boundary_timer.h"
#include "platform/clock.h"
#include "platform/trace.h"

#include <QAction>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace qx {

namespace {
constexpr std::int64_t kSecond = 1'000'000'000;
constexpr std::int64_t kStopwatchPeriod = 10'000'000;

const QColor kWindowGrey(192, 192, 192);
const QColor kPanelGreen(165, 173, 156);
// The ink of the digit pictures (#1f2619 at 90 %), so that colons, marks and words read as the same liquid crystal.
const QColor kInk(0x1f, 0x26, 0x19, 230);

// The client area, and the part of it the window's shape leaves: the toolbar and the face picture.
const QSize kClientSize(662, 263);
const QRect kShape(0, 0, 662, 194);
// The shape is given from the outer corner of a framed window whose frame is 2 pixels wide and whose title bar ends
// 23 pixels down; the window opened centred with that frame.
const QMargins kFrame(2, 23, 2, 2);
constexpr int kToolbarHeight = 56;
constexpr double kPictureTop = 840; // twips: the face picture `Image1` lies under the toolbar

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
// What a cell's widest picture covers (the large 7 is one pixel wider than its cell).
QRect cellExtent(int i) {
    return QRect(kCells[i].topLeft(), i < Centesimo0 ? QSize(53, 59) : QSize(25, 28));
}

// The colons' bars: 5 pixels wide, centred on x; upper `Line2` and lower `Line1`, or both joined in the middle.
constexpr std::array<double, 2> kColonX = {3240, 5400};
QRect bar(double x, double top, double bottom) {
    return onPicture(x, top, 0, bottom - top).adjusted(-2, 0, 3, 0);
}
QRect colonExtent(double x) {
    return bar(x, 1320, 2160);
}

// The three marks are circles as wide as their box, centred in it.
QRect circleIn(const QRect& box) {
    const int d = std::min(box.width(), box.height());
    return QRect(box.x() + (box.width() - d) / 2, box.y() + (box.height() - d) / 2, d, d);
}
const QRect kMilioni = circleIn(onPicture(3180, 1320, 135, 135));
const QRect kMille = circleIn(onPicture(6430, 1320, 135, 195));
const QRect kShape2 = circleIn(onPicture(7440, 2040, 135, 135));

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

// The parts of the picture whose look differs between two states of the face.
QRegion changedRegion(const LargeFaceView& a, const LargeFaceView& b) {
    QRegion region;
    for (int i = 0; i < kLargeCellCount; ++i) {
        const DigitCell &x = a.cells[i], &y = b.cells[i];
        if (x.lit() != y.lit() || (x.lit() && x.digit != y.digit))
            region += cellExtent(i);
    }
    if (a.colonsVisible != b.colonsVisible || a.CursoriUniti != b.CursoriUniti)
        for (const double x : kColonX)
            region += colonExtent(x);
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

// The toolbar's picture list `ImageList1`, in its order, and the list position (from 1) of each button's picture.
const std::array<const char*, 12> ImageList1 = {
    "tb_lap",     "tb_mode",    "tb_start", "tb_stop",   "tb_reset",       "tb_analog",
    "tb_digital", "tb_options", "tb_exit",  "tb_cancel", "tb_screensaver", "tb_mini",
};
constexpr std::array<int, 12> kButtonPicture = {2, 3, 1, 4, 5, 10, 6, 7, 12, 8, 11, 9};

struct ModeItem {
    const char* name;
    const char* caption;
    LargeMode mode;
};
const std::array<ModeItem, 5> kModeItems = {{
    {"Crono_menu", "&Cronometro", LargeMode::Crono},
    {"Rovescia_menu", "&Conto alla rovescia", LargeMode::Rovescia},
    {"OraCorr_menu", "&Ora corrente", LargeMode::OraCorr},
    {"TimerWin_menu", "&Timer esecuzione Windows", LargeMode::TimerWin},
    {"qmil", "&Quanti secondi mancano al terzo millennio?", LargeMode::Millennio},
}};
} // namespace

// The face picture `Image1` with everything drawn over it; pressing and moving on it drags the window.
class LargeFacePicture : public QWidget {
public:
    LargeFacePicture(const LargeFace& model, QWidget* parent) : QWidget(parent), model_(model) {
        setObjectName(QStringLiteral("Image1"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        const QPixmap face = renderArtwork(QStringLiteral("quadrantix_face"));
        setFixedSize(face.size());
        background_ = QPixmap(face.size());
        background_.fill(kWindowGrey);
        QPainter p(&background_);
        p.drawPixmap(0, 0, face);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(kPanelGreen);
        p.drawRoundedRect(QRectF(kPanel).adjusted(1, 1, -1, -1), 6, 6);
        setCursor(artworkCursor(QStringLiteral("pointer_face"), QPoint(15, 15)));
        // Rendered now, so that no new second waits for a picture to be drawn from its vector source.
        for (int d = 0; d < 10; ++d) {
            large_[d] = renderArtwork(QStringLiteral("lcd_large_%1").arg(d));
            small_[d] = renderArtwork(QStringLiteral("lcd_small_%1").arg(d));
        }
    }

    // The wall-clock second the next paint puts on screen, for the timing trace.
    void setNewSecond(std::int64_t second) { newSecond_ = second; }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        // The unchanging parts are copied rectangle by rectangle: one blend over the region's bounding box handed its
        // rows to Qt's painting threads, waking them every second.
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : event->region())
            p.drawPixmap(r.topLeft(), background_, r);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        // Only what lies in the region is drawn: a new second touches a cell or two, not the texts.
        const QRegion& dirty = event->region();
        const LargeFaceView& v = model_.view();
        for (int i = 0; i < kLargeCellCount; ++i) {
            const DigitCell& cell = v.cells[i];
            if (cell.lit() && cell.digit.isDigit() && dirty.intersects(cellExtent(i))) {
                const int d = cell.digit.digitValue();
                p.drawPixmap(kCells[i].topLeft(), i < Centesimo0 ? large_[d] : small_[d]);
            }
        }
        for (const double x : kColonX) {
            if (!v.colonsVisible || !dirty.intersects(colonExtent(x)))
                continue;
            if (v.CursoriUniti) {
                p.fillRect(bar(x, 1620, 1860), kInk);
            } else {
                p.fillRect(bar(x, 1320, 1560), kInk);
                p.fillRect(bar(x, 1920, 2160), kInk);
            }
        }
        const std::pair<bool, QRect> marks[] = {{v.p_milioni, kMilioni}, {v.p_mille, kMille}, {v.Shape2, kShape2}};
        for (const auto& [shown, box] : marks) {
            if (!shown || !dirty.intersects(box))
                continue;
            p.save();
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            p.drawEllipse(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
            p.restore();
        }
        p.setPen(kInk);
        const auto text = [&](const QFont& font, const QRect& box, Qt::Alignment align, const QString& s) {
            if (!dirty.intersects(box))
                return;
            p.setFont(font);
            p.drawText(box, align | Qt::AlignTop, s);
        };
        if (v.giorno_sett.visible)
            text(labelFont_, kGiornoSett, Qt::AlignHCenter, v.giorno_sett.text);
        if (v.datalbl.visible)
            text(labelFont_, kDatalbl, Qt::AlignHCenter, v.datalbl.text);
        if (v.annolbl.visible)
            text(yearFont_, kAnnolbl, Qt::AlignHCenter, v.annolbl.text);
        for (const Indicator& indicator : kIndicators)
            if (v.*indicator.shown)
                text(labelFont_, indicator.box, Qt::AlignLeft, QLatin1String(indicator.text));
        if (newSecond_ && tracing())
            traceEvent("shown", QString::number(newSecond_) + QLatin1String(" Quadrantix"));
        newSecond_ = 0;
    }

    void mousePressEvent(QMouseEvent* event) override { pressPos_ = event->position().toPoint(); }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (event->buttons() == Qt::NoButton)
            return;
        // The point of the picture that was pressed stays under the pointer.
        window()->move(window()->pos() + event->position().toPoint() - pressPos_);
    }

private:
    const LargeFace& model_;
    QPixmap background_;
    std::array<QPixmap, 10> large_, small_; // `numero` and `npiccolo`
    const QFont labelFont_ = msSansSerif(8.25, true);
    const QFont yearFont_ = msSansSerif(9.75, true);
    QPoint pressPos_;
    std::int64_t newSecond_ = 0;
};

Digitale::Digitale(const Clock& clock, SettingsStore& store, FaceManager& faces)
    : FaceWindow(FaceKind::Quadrantix), clock_(clock), faces_(faces), model_(clock, store) {
    setObjectName(QStringLiteral("Digitale"));
    setFixedSize(kClientSize);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowGrey);
    setPalette(pal);
    setAutoFillBackground(true);
    setMask(QRegion(kShape));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect outer(QPoint(), kClientSize.grownBy(kFrame));
        const QRect placed = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, outer.size(), screen->geometry());
        move(placed.topLeft() + QPoint(kFrame.left(), kFrame.top()));
    }

    buildToolbar();
    buildModeMenu();
    Image1 = new LargeFacePicture(model_, this);
    Image1->move(0, pxi(kPictureTop));

    // A change of the alarm setting shows at once: the store replaces its file by rename, which its folder reports.
    settingsWatcher_ = new QFileSystemWatcher(this);
    settingsWatcher_->addPath(QFileInfo(store.path()).absolutePath());
    connect(settingsWatcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        model_.refresh();
        sync(false);
    });

    Agg_numeri = new BoundaryTimer(clock_, gate(), this);
    connect(Agg_numeri, &BoundaryTimer::tick, this, &Digitale::onWake);
    uptimeTimer_ = new BoundaryTimer(clock_, gate(), this);
    uptimeTimer_->setTimeSource(BoundaryTimer::TimeSource::Uptime);
    connect(uptimeTimer_, &BoundaryTimer::tick, this, &Digitale::onWake);

    model_.refresh();
    sync(false);
    updateRefreshPeriod();
}

Digitale::~Digitale() = default;

void Digitale::buildToolbar() {
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(48, 48));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    Toolbar1->setGeometry(0, 0, kClientSize.width(), kToolbarHeight);
    Toolbar1->setContentsMargins(0, 0, 0, 0);
    Toolbar1->layout()->setContentsMargins(0, 0, 0, 0);
    Toolbar1->layout()->setSpacing(0);
    for (int i = 0; i < 12; ++i) {
        const int number = i + 1;
        QAction* action =
            Toolbar1->addAction(renderArtwork(QLatin1String(ImageList1[kButtonPicture[i] - 1])), QString());
        action->setObjectName(QStringLiteral("Button%1").arg(number));
        QWidget* button = Toolbar1->widgetForAction(action);
        button->setObjectName(QStringLiteral("Button%1").arg(number));
        // Twelve buttons share the window's width; the style's own padding would push the last ones off the edge.
        button->setFixedSize(kClientSize.width() / 12, kToolbarHeight);
        connect(action, &QAction::triggered, this, [this, number] { onButton(number); });
        buttons_[i] = action;
    }
}

void Digitale::buildModeMenu() {
    MenuMode = new QMenu(QStringLiteral("modo"), this);
    MenuMode->setObjectName(QStringLiteral("MenuMode"));
    for (std::size_t i = 0; i < kModeItems.size(); ++i) {
        const ModeItem& item = kModeItems[i];
        QAction* action = MenuMode->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QLatin1String(item.name));
        action->setCheckable(true);
        const LargeMode mode = item.mode;
        connect(action, &QAction::triggered, this, [this, mode] { chooseMode(mode); });
        modeItems_[i] = action;
    }
    modeItems_.back()->setEnabled(model_.qmilEnabled());
}

void Digitale::chooseMode(LargeMode mode) {
    [[maybe_unused]] const bool openDialog = model_.selectMode(mode); // the countdown dialog hooks in here
    for (std::size_t i = 0; i < kModeItems.size(); ++i)
        modeItems_[i]->setChecked(kModeItems[i].mode == mode);
    sync(false);
    updateRefreshPeriod();
}

void Digitale::onButton(int number) {
    switch (number) {
    case 1:
        MenuMode->popup(QCursor::pos());
        break;
    case 7:
        requestFace(QStringLiteral("Analogico"));
        break;
    case 8:
        requestFace(QStringLiteral("Digitale"));
        break;
    case 9:
        requestFace(QStringLiteral("Mini"));
        break;
    case 12:
        requestFace(QStringLiteral("Esci"));
        break;
    default:
        // 2 to 6 drive the stopwatch and the countdown, 10 the options and 11 the screensaver, which hook in here.
        break;
    }
}

void Digitale::requestFace(const QString& fai) {
    model_.Fai = fai;
    if (model_.busy()) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quadrantix"),
                        QStringLiteral("Cronometro o conto alla rovescia in corso. Interromperli e continuare?"),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("Fai"));
        QPointer<Digitale> self(this);
        const int answer = box.exec();
        if (!self || answer != QMessageBox::Yes)
            return;
    }
    carryOut(model_.Fai);
}

void Digitale::carryOut(const QString& fai) {
    if (fai == QLatin1String("Esci")) {
        faces_.exitFrom(this);
        return;
    }
    if (const std::optional<FaceKind> kind = faceFromName(fai))
        faces_.showFace(*kind, this);
}

void Digitale::updateRefreshPeriod() {
    const std::int64_t period = model_.wantsFastRefresh() ? kStopwatchPeriod : kSecond;
    if (Agg_numeri->periodNs() != period)
        Agg_numeri->start(period);
    // The run-time read-out turns over at the seconds of the uptime, which fall elsewhere in the wall-clock second.
    const bool uptime = model_.mode() == LargeMode::TimerWin;
    if (uptime && !uptimeTimer_->isActive())
        uptimeTimer_->start(kSecond);
    else if (!uptime && uptimeTimer_->isActive())
        uptimeTimer_->stop();
}

void Digitale::onWake() {
    const std::int64_t before = model_.refreshedSecond();
    model_.wake();
    const std::int64_t second = model_.refreshedSecond();
    sync(true, second != before ? second : 0);
}

void Digitale::sync(bool now, std::int64_t newSecond) {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const ToolButtonState& state = model_.buttons()[i];
        if (state == shownButtons_[i])
            continue;
        buttons_[i]->setEnabled(state.enabled);
        buttons_[i]->setToolTip(state.toolTip);
        shownButtons_[i] = state;
    }
    const LargeFaceView& view = model_.view();
    if (view == painted_)
        return;
    const QRegion changed = changedRegion(painted_, view);
    if (tracing() && (view.giorno_sett != painted_.giorno_sett || view.datalbl != painted_.datalbl ||
                      view.annolbl != painted_.annolbl))
        traceEvent("labels", QStringList{view.giorno_sett.text, view.datalbl.text, view.annolbl.text}.join(u'|'));
    painted_ = view;
    if (changed.isEmpty())
        return;
    if (now && isVisible()) {
        // The new second is on screen before the handler returns, not at the next pass of the event loop.
        Image1->setNewSecond(newSecond);
        Image1->repaint(changed);
    } else {
        Image1->update(changed);
    }
}

void Digitale::mousePressEvent(QMouseEvent* event) {
    // Only the face picture drags the window; the toolbar's empty end does nothing.
    event->ignore();
}

void Digitale::mouseMoveEvent(QMouseEvent* event) {
    event->ignore();
}

} // namespace qx
