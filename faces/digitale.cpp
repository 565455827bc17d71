// The window of the large digital face "Quadrantix" (`Digitale`): the toolbar, the mode menu and the face picture.
#include "faces/digitale.h"

#include "assets/artwork.h"
#include "core/face_chrome.h"
#include "core/message_boxes.h"
#include "core/settings_store.h"
#include "core/settings_watcher.h"
#include "faces/c_rovescia.h"
#include "faces/large_face_picture.h"
#include "platform/boundary_timer.h"
#include "platform/clock.h"
#include "platform/desktop/window_attention.h"
#include "platform/trace.h"

#include <QAction>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

namespace qx {

namespace {

const QColor kWindowGrey(192, 192, 192);

// The client area, and the part of it the window's shape leaves: the toolbar and the face picture.
const QSize kClientSize(662, 263);
constexpr int kToolbarHeight = 56;

// The toolbar's picture list `ImageList1`, in its order.
const std::array<const char*, 12> ImageList1 = {
    "tb_lap",     "tb_mode",    "tb_start", "tb_stop",   "tb_reset",       "tb_analog",
    "tb_digital", "tb_options", "tb_exit",  "tb_cancel", "tb_screensaver", "tb_mini",
};

// The twelve buttons from left to right: the list position (from 1) of each one's picture, and the command of the
// face and exit buttons (the first six drive the face's own modes).
struct ToolbarEntry {
    int picture;
    std::optional<Command> command;
};
const std::array<ToolbarEntry, 12> kToolbar = {{
    {2, std::nullopt},           // 1 the mode menu
    {3, std::nullopt},           // 2 start the stopwatch / resume the countdown
    {1, std::nullopt},           // 3 lap hold
    {4, std::nullopt},           // 4 stop the stopwatch / pause the countdown
    {5, std::nullopt},           // 5 reset the stopwatch
    {10, std::nullopt},          // 6 cancel the countdown
    {6, Command::ShowAnalogico}, // 7
    {7, Command::ShowDigitale},  // 8
    {12, Command::ShowMini},     // 9
    {8, Command::Options},       // 10
    {11, Command::Screensaver},  // 11
    {9, Command::Exit},          // 12
}};

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

// Keeps a timer on a schedule of the face, touching it only when the schedule changed.
void follow(BoundaryTimer* timer, const WakeSchedule& schedule) {
    if (schedule.periodNs <= 0) {
        if (timer->isActive())
            timer->stop();
    } else if (!timer->isActive() || timer->periodNs() != schedule.periodNs || timer->phaseNs() != schedule.phaseNs) {
        timer->start(schedule.periodNs, schedule.phaseNs);
    }
}

// The eight cells as digits ("HHMMSScc"), for the trace of the stopwatch's shown readings.
QString cellDigits(const LargeFaceView& view) {
    QString digits;
    for (const DigitCell& cell : view.cells)
        digits += cell.digit.isNull() ? QChar(u'-') : cell.digit;
    return digits;
}
} // namespace

Digitale::Digitale(const Clock& clock, SettingsStore& store, FaceCommands& commands, PowerService& power,
                   SettingsWatcher* settingsChanges)
    : FaceWindow(FaceKind::Quadrantix), clock_(clock), store_(store), commands_(commands),
      model_(clock, store, power, [this](const QString& message) { showEndMessage(message); }) {
    setObjectName(QStringLiteral("Digitale"));
    setFixedSize(kClientSize);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowGrey);
    setPalette(pal);
    setAutoFillBackground(true);
    setMask(clientMask(outerRectangle({2, 23}, {664, 217}), frames::kFixedSingle));
    move(centredClientPos(kClientSize, frames::kFixedSingle, primaryArea()));

    // The window manager's close is the exit button: it asks first while a stopwatch or countdown runs.
    setExitCommand([this] { requestFace(Command::Exit); });
    buildToolbar();
    buildModeMenu();
    Image1 = new LargeFacePicture(model_, this);
    // Only the face picture drags the window; the toolbar's empty end does nothing.
    new DragHandle(Image1);
    // The face's one pop-up menu is its mode menu: the Menu key and Shift+F10 open it over the picture.
    new MenuKeys(this, MenuMode, Image1);

    // A change of the alarm setting shows at once.
    if (settingsChanges)
        settingsChanges->follow(this, [this] {
            model_.refresh();
            sync(false);
        });

    Agg_numeri = new BoundaryTimer(clock_, gate(), this);
    connect(Agg_numeri, &BoundaryTimer::tick, this, &Digitale::onWake);
    Agg_numeri->start(kSecondNs);
    uptimeTimer_ = new BoundaryTimer(clock_, gate(), this);
    uptimeTimer_->setTimeSource(BoundaryTimer::TimeSource::Uptime);
    connect(uptimeTimer_, &BoundaryTimer::tick, this, &Digitale::onWake);
    // The countdown keeps its seconds on the uptime, as its deadline does.
    Rovescia_timer = new BoundaryTimer(clock_, gate(), this);
    Rovescia_timer->setTimeSource(BoundaryTimer::TimeSource::Uptime);
    connect(Rovescia_timer, &BoundaryTimer::tick, this, &Digitale::onWake);

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
    const qreal ratio = devicePixelRatioF();
    for (std::size_t i = 0; i < kToolbar.size(); ++i) {
        const int number = int(i) + 1;
        const ToolbarEntry& entry = kToolbar[i];
        QAction* action =
            Toolbar1->addAction(renderArtwork(QLatin1String(ImageList1[entry.picture - 1]), {}, ratio), QString());
        action->setObjectName(QStringLiteral("Button%1").arg(number));
        QWidget* button = Toolbar1->widgetForAction(action);
        button->setObjectName(QStringLiteral("Button%1").arg(number));
        // Twelve buttons share the window's width; the style's own padding would push the last ones off the edge.
        button->setFixedSize(kClientSize.width() / 12, kToolbarHeight);
        // A toolbar's buttons take no focus by default: here they are the face's only controls, reached with Tab
        // and pressed with Space.
        button->setFocusPolicy(Qt::TabFocus);
        if (entry.command)
            connect(action, &QAction::triggered, this, [this, command = *entry.command] { onCommand(command); });
        else
            connect(action, &QAction::triggered, this, [this, number] { onModeButton(number); });
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
        const LargeMode mode = item.mode;
        connect(action, &QAction::triggered, this, [this, mode] { chooseMode(mode); });
        modeItems_[i] = action;
    }
    modeItems_.back()->setEnabled(model_.qmilEnabled());
}

void Digitale::chooseMode(LargeMode mode) {
    const bool openDialog = model_.selectMode(mode);
    // Only the chosen item is checkable: the others show no empty box beside them.
    for (std::size_t i = 0; i < kModeItems.size(); ++i) {
        const bool chosen = kModeItems[i].mode == mode;
        modeItems_[i]->setCheckable(chosen);
        modeItems_[i]->setChecked(chosen);
    }
    afterOperation();
    if (openDialog)
        openCountdownDialog();
}

void Digitale::onModeButton(int number) {
    switch (number) {
    case 1: {
        // At the pointer for a click; under the button when it was pressed from the keyboard.
        QWidget* button = Toolbar1->widgetForAction(buttons_[0]);
        const QPoint pointer = QCursor::pos();
        MenuMode->popup(button->rect().contains(button->mapFromGlobal(pointer))
                            ? pointer
                            : button->mapToGlobal(button->rect().bottomLeft()));
        return;
    }
    case 2:
        model_.startOrResume();
        break;
    case 3:
        model_.toggleLap();
        break;
    case 4:
        model_.stopOrPause();
        break;
    case 5:
        model_.resetStopwatch();
        break;
    case 6:
        confirmCancel();
        return;
    default:
        return;
    }
    afterOperation();
}

void Digitale::afterOperation() {
    sync(false);
    updateRefreshPeriod();
}

void Digitale::confirmCancel() {
    if (!model_.countdown().RovesciaAttivo())
        return;
    // Modal for this face only and answered later: the other windows, and the countdown itself, go on meanwhile.
    tell(this,
         {.name = "annulla",
          .text = QStringLiteral("Sicuro di voler annullare il conto alla rovescia?"),
          .buttons = QMessageBox::Yes | QMessageBox::No},
         [this](QMessageBox::StandardButton answer) {
             if (answer != QMessageBox::Yes)
                 return;
             model_.cancelCountdown(); // nothing, if it ended while the question was open
             afterOperation();
         });
}

CRovescia* Digitale::countdownDialog() const {
    return c_rovescia_;
}

void Digitale::openCountdownDialog() {
    if (c_rovescia_) { // still open from an earlier choice: brought forward as it is
        c_rovescia_->show();
        c_rovescia_->raise();
        c_rovescia_->activateWindow();
        return;
    }
    c_rovescia_ = new CRovescia(store_, this);
    connect(c_rovescia_, &CRovescia::avvia, this,
            [this](qint64 seconds, const QString& action, const QString& message) {
                model_.startCountdown(seconds, action, message);
                afterOperation();
            });
    c_rovescia_->show();
    c_rovescia_->activateWindow(); // ready for the time to be typed
}

void Digitale::showEndMessage(const QString& message) {
    // The end of a countdown must be seen: above the other windows, with the urgency hint.
    if (QMessageBox* box = tell(this, {.name = "fine_conto",
                                       .icon = QMessageBox::Information,
                                       .text = message,
                                       .title = QStringLiteral("Fine conto alla rovescia"),
                                       .mustBeSeen = true}))
        demandAttention(box->windowHandle());
    traceEvent("countdown-message", message);
}

void Digitale::onCommand(Command command) {
    // The options and the screensaver leave the face as it is; switching and exit would interrupt its timing.
    if (command == Command::Options || command == Command::Screensaver)
        commands_.run(command, this);
    else
        requestFace(command);
}

void Digitale::requestFace(Command command) {
    model_.setFai(command);
    if (model_.busy()) {
        // NoButton, when the face went away meanwhile.
        if (ask(this, {.name = "Fai",
                       .text = QStringLiteral("Cronometro o conto alla rovescia in corso. Interromperli e continuare?"),
                       .buttons = QMessageBox::Yes | QMessageBox::No}) != QMessageBox::Yes)
            return;
    }
    // What `Fai` holds by now: a request made while the question was open is the one carried out.
    commands_.run(*model_.Fai(), this);
}

void Digitale::updateRefreshPeriod() {
    // The run-time read-out turns over at the seconds of the uptime, which fall elsewhere in the wall-clock second;
    // a stopwatch and a countdown turn over wherever they were started.
    follow(uptimeTimer_, model_.uptimeWakes());
    follow(Rovescia_timer, model_.countdownWakes());
}

void Digitale::onWake() {
    const std::int64_t before = model_.refreshedSecond();
    model_.wake();
    const std::int64_t second = model_.refreshedSecond();
    sync(true, second != before ? second : 0);
    updateRefreshPeriod(); // a countdown that has just ended wakes the face no more
}

void Digitale::sync(bool now, std::int64_t newSecond) {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        ToolButtonState state = model_.buttons()[i];
        if (kToolbar[i].command && !commands_.isAvailable(*kToolbar[i].command))
            state.enabled = false; // a command whose window the program does not have
        if (state == shownButtons_[i])
            continue;
        buttons_[i]->setEnabled(state.enabled);
        buttons_[i]->setToolTip(state.toolTip);
        // The buttons show only pictures: a screen reader reads the tooltip.
        if (QWidget* button = Toolbar1->widgetForAction(buttons_[i]))
            button->setAccessibleName(state.toolTip);
        shownButtons_[i] = state;
    }
    const LargeFaceView& view = model_.view();
    if (view == painted_)
        return;
    const QRegion changed = LargeFacePicture::changedRegion(painted_, view);
    if (tracing() && (view.giorno_sett != painted_.giorno_sett || view.datalbl != painted_.datalbl ||
                      view.annolbl != painted_.annolbl))
        traceEvent("labels", QStringList{view.giorno_sett.text, view.datalbl.text, view.annolbl.text}.join(u'|'));
    const bool newReading = model_.mode() == LargeMode::Crono && view.cells != painted_.cells;
    painted_ = view;
    if (changed.isEmpty())
        return;
    if (now && isVisible()) {
        // The new second is on screen before the handler returns, not at the next pass of the event loop.
        Image1->setNewSecond(newSecond);
        Image1->repaint(changed);
        if (newReading && tracing()) // what the stopwatch shows, and when on the uptime it was put on screen
            traceEvent("crono", cellDigits(view) + QLatin1Char(' ') + QString::number(clock_.uptimeNs()));
    } else {
        Image1->update(changed);
    }
}

} // namespace qx
