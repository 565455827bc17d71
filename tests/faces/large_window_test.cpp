// The large digital face's window: shape, toolbar, mode menu, painting of what changed, dragging and face switching.
#include "assets/artwork.h"
#include "core/faces.h"
#include "core/message_boxes.h"
#include "core/settings_store.h"
#include "core/settings_watcher.h"
#include "core/time_events.h"
#include "core/twips.h"
#include "faces/c_rovescia.h"
#include "faces/digitale.h"
#include "faces/orologio.h"
#include "platform/boundary_timer.h"
#include "tests/support/face_stubs.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_power_service.h"
#include "tests/support/row_name.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wake_timers.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <gtest/gtest.h>

using namespace qx;

namespace {

using test::PaintRecorder;
using test::StubFace;

// The cells' top-left corners on the face picture, which starts 56 pixels down the window.
constexpr QPoint kLargeCells[] = {{88, 32}, {152, 32}, {232, 32}, {296, 32}, {376, 32}, {440, 32}};

// Answers the "Fai" question the face asks, in the user's place, noting what it asked. Any other box is turned down
// (as its Escape button would) and noted, so that a different box fails the test instead of holding it.
class FaiAnswers {
public:
    FaiAnswers(Digitale* face, QMessageBox::StandardButton answer) {
        new BoxAnswerer(face, [this, answer](const QMessageBox& box) {
            if (box.objectName() != QLatin1String("Fai")) {
                others << box.objectName();
                return QMessageBox::NoButton;
            }
            answered = true;
            text = box.text();
            title = box.windowTitle();
            for (QAbstractButton* b : box.buttons())
                offered << box.standardButton(b);
            return box.button(answer) ? answer : QMessageBox::NoButton;
        });
    }

    bool answered = false;
    QString text, title;
    QList<QMessageBox::StandardButton> offered;
    QStringList others;
};

class DigitaleTest : public test::TempDirTest {
protected:
    DigitaleTest() : store(file(QStringLiteral("q.ini"))) {
        faces.setFactory(FaceKind::Analogico, [] { return new StubFace(FaceKind::Analogico); });
        faces.setFactory(FaceKind::Mini, [] { return new StubFace(FaceKind::Mini); });
        faces.setFactory(FaceKind::Quadrantix,
                         [this] { return new Digitale(clock, store, faces, power, &settingsChanges); });
        // The face "Digitale" is left out: its button shows what a command without its window looks like.
        faces.setHandler(Command::Options, [this](FaceWindow* from) { ran.emplace_back(Command::Options, from); });
        faces.setHandler(Command::Screensaver,
                         [this](FaceWindow* from) { ran.emplace_back(Command::Screensaver, from); });
    }
    ~DigitaleTest() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const FaceKind kind : {FaceKind::Analogico, FaceKind::Mini, FaceKind::Quadrantix})
            delete faces.window(kind);
    }

    Digitale* open() {
        faces.loadOrologio();
        faces.showFace(FaceKind::Quadrantix);
        return static_cast<Digitale*>(faces.window(FaceKind::Quadrantix));
    }
    static QToolButton* button(Digitale* w, int number) {
        return w->findChild<QToolButton*>(QStringLiteral("Button%1").arg(number));
    }
    static QAction* modeItem(Digitale* w, const char* name) { return w->findChild<QAction*>(QLatin1String(name)); }
    static QWidget* picture(Digitale* w) { return w->findChild<QWidget*>(QStringLiteral("Image1")); }
    // Lets closed windows go, as the event loop would.
    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A visible message box of this face by object name, or null.
    static QMessageBox* box(Digitale* w, const char* name) {
        auto* b = w->findChild<QMessageBox*>(QLatin1String(name));
        return b && b->isVisible() ? b : nullptr;
    }
    // The countdown dialog's start, as a click on it.
    static void startFromDialog(Digitale* w, const QString& time, const char* option, const QString& message = {}) {
        CRovescia* dialog = w->countdownDialog();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(time);
        dialog->findChild<QRadioButton*>(QLatin1String(option))->setChecked(true);
        dialog->findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(message);
        dialog->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    }

    test::FakeClock clock;
    SettingsStore store;
    SettingsWatcher settingsChanges{store};
    FakePowerService power;
    FaceManager faces;
    std::vector<std::pair<Command, FaceWindow*>> ran; // the options and screensaver commands carried out, and whence
};

TEST_F(DigitaleTest, OpensCentredAndShapedWithItsToolbarAndNoMode) {
    Digitale* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->objectName(), QStringLiteral("Digitale"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quadrantix"));
    EXPECT_EQ(w->size(), QSize(662, 263));
    // Centred as a window with a 2-pixel frame and a title bar ending 23 pixels down would be.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w->pos(),
              QPoint(screen.x() + (screen.width() - 666) / 2 + 2, screen.y() + (screen.height() - 288) / 2 + 23));

    const QRegion shape = w->mask();
    for (const QPoint inside : {QPoint(0, 0), QPoint(661, 0), QPoint(0, 193), QPoint(661, 193)})
        EXPECT_TRUE(shape.contains(inside)) << inside.x() << "," << inside.y();
    for (const QPoint outside : {QPoint(0, 194), QPoint(661, 262), QPoint(300, 200)})
        EXPECT_FALSE(shape.contains(outside)) << outside.x() << "," << outside.y();

    auto* toolbar = w->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->geometry(), QRect(0, 0, 662, 56));
    EXPECT_EQ(toolbar->iconSize(), QSize(48, 48));
    const QStringList tips = {"Seleziona modalità",  "Non attivo",        "Non attivo", "Non attivo", "Non attivo",
                              "Non attivo",          "Analogico",         "Digitale",   "Mini",       "Opzioni",
                              "Attiva Screen Saver", "Esci da Quadrantix"};
    const char* pictures[] = {"tb_mode",   "tb_start",   "tb_lap",  "tb_stop",    "tb_reset",       "tb_cancel",
                              "tb_analog", "tb_digital", "tb_mini", "tb_options", "tb_screensaver", "tb_exit"};
    int left = -1;
    for (int n = 1; n <= 12; ++n) {
        QToolButton* b = button(w, n);
        ASSERT_NE(b, nullptr) << n;
        EXPECT_EQ(b->toolTip(), tips[n - 1]) << n;
        EXPECT_EQ(b->isEnabled(), n == 1 || (n >= 7 && n != 8))
            << n << (n == 8 ? ": the face \"Digitale\" is not in this program" : "");
        EXPECT_TRUE(b->text().isEmpty() || b->toolButtonStyle() == Qt::ToolButtonIconOnly) << n;
        EXPECT_EQ(b->icon().pixmap(48, 48).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                  renderArtwork(QLatin1String(pictures[n - 1])).toImage())
            << n << " shows " << pictures[n - 1];
        EXPECT_GT(b->x(), left) << "buttons numbered from left to right";
        EXPECT_LE(b->geometry().right(), 661) << n << " fits the window";
        left = b->x();
    }

    auto* menu = w->findChild<QMenu*>(QStringLiteral("MenuMode"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("modo"));
    QStringList names, captions;
    for (QAction* a : menu->actions()) {
        names << a->objectName();
        captions << a->text();
        EXPECT_FALSE(a->isCheckable()) << "no mode when the face opens, and no empty check box beside any item";
    }
    EXPECT_EQ(names, (QStringList{"Crono_menu", "Rovescia_menu", "OraCorr_menu", "TimerWin_menu", "qmil"}));
    EXPECT_EQ(captions, (QStringList{"&Cronometro", "&Conto alla rovescia", "&Ora corrente",
                                     "&Timer esecuzione Windows", "&Quanti secondi mancano al terzo millennio?"}));
    EXPECT_FALSE(modeItem(w, "qmil")->isEnabled()) << "opened in 2026";

    QWidget* image = picture(w);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->geometry(), QRect(0, 56, 663, 138));
    EXPECT_EQ(image->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(DigitaleTest, MenuChecksOnlyTheChosenItemAndTheButtonsFollow) {
    clock.setLocal(2000, 5, 1, 8, 0, 0);
    Digitale* w = open();
    EXPECT_TRUE(modeItem(w, "qmil")->isEnabled()) << "opened in 2000";
    const char* items[] = {"Crono_menu", "Rovescia_menu", "OraCorr_menu", "TimerWin_menu", "qmil", "OraCorr_menu"};
    for (const char* item : items) {
        for (int again = 0; again < 2; ++again) { // choosing the checked item again keeps it checked
            modeItem(w, item)->trigger();
            if (CRovescia* dialog = w->countdownDialog())
                dialog->close();
            for (const char* other : {"Crono_menu", "Rovescia_menu", "OraCorr_menu", "TimerWin_menu", "qmil"}) {
                const bool chosen = qstrcmp(item, other) == 0;
                EXPECT_EQ(modeItem(w, other)->isChecked(), chosen) << item << " / " << other;
                EXPECT_EQ(modeItem(w, other)->isCheckable(), chosen)
                    << item << " / " << other << ": only the chosen item has a check box, the others none";
            }
            for (int n = 2; n <= 6; ++n) {
                EXPECT_EQ(button(w, n)->toolTip(), w->model().buttons()[n - 1].toolTip) << item << " " << n;
                EXPECT_EQ(button(w, n)->isEnabled(), w->model().buttons()[n - 1].enabled) << item << " " << n;
            }
        }
    }
    modeItem(w, "Crono_menu")->trigger();
    EXPECT_EQ(button(w, 2)->toolTip(), QStringLiteral("Avvia"));
    EXPECT_TRUE(button(w, 5)->isEnabled());
    EXPECT_FALSE(button(w, 6)->isEnabled());
}

TEST_F(DigitaleTest, CellsShowTheDigitPicturesAtTheirPlaces) {
    clock.setLocal(2026, 12, 9, 9, 5, 3);
    Digitale* w = open();
    const QImage empty = picture(w)->grab().toImage();
    modeItem(w, "OraCorr_menu")->trigger();
    const QImage shot = picture(w)->grab().toImage();

    QImage expected = empty;
    {
        QPainter p(&expected);
        const char digits[] = "090503";
        for (int i = 0; i < 6; ++i)
            p.drawPixmap(kLargeCells[i], renderArtwork(QStringLiteral("lcd_large_%1").arg(digits[i])));
    }
    for (int i = 0; i < 6; ++i) {
        const QRect cell(kLargeCells[i], QSize(52, 59));
        EXPECT_EQ(shot.copy(cell), expected.copy(cell)) << "cell " << i + 1;
        EXPECT_NE(shot.copy(cell), empty.copy(cell)) << "cell " << i + 1 << " lit";
    }
}

TEST_F(DigitaleTest, ATickRepaintsOnlyWhatChangedAndNothingWhenNothingDid) {
    clock.setLocal(2026, 12, 9, 12, 0, 0);
    Digitale* w = open();
    modeItem(w, "OraCorr_menu")->trigger();
    QCoreApplication::processEvents();
    PaintRecorder paints;
    picture(w)->installEventFilter(&paints);

    clock.advanceMs(400);
    test::wakeTimers(*w);
    QCoreApplication::processEvents();
    EXPECT_TRUE(paints.regions.isEmpty()) << "a wake-up within the same second paints nothing";

    clock.advanceMs(600); // 12:00:01
    test::wakeTimers(*w);
    ASSERT_EQ(paints.regions.size(), 1) << "the new second is painted before the tick returns";
    const QRect painted = paints.regions.front().boundingRect();
    const QRect lastCell(kLargeCells[5], QSize(53, 59));
    EXPECT_TRUE(paints.regions.front().contains(lastCell.center())) << "the seconds' last cell";
    EXPECT_FALSE(paints.regions.front().intersects(QRect(kLargeCells[0], QSize(52, 59)))) << "not the hours";
    EXPECT_GE(painted.left(), 210) << "the colons and the last cell only";
    EXPECT_LE(painted.right(), 493);
    picture(w)->removeEventFilter(&paints);
}

TEST_F(DigitaleTest, OnlyTheFacePictureDragsTheWindowWithAnyButton) {
    Digitale* w = open();
    const QPoint start = w->pos();
    QWidget* image = picture(w);
    const auto send = [](QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    };
    send(image, QEvent::MouseButtonPress, {100, 50}, Qt::MiddleButton, Qt::MiddleButton);
    send(image, QEvent::MouseMove, {130, 70}, Qt::NoButton, Qt::MiddleButton);
    EXPECT_EQ(w->pos(), start + QPoint(30, 20)) << "the pressed point stays under the pointer";
    send(image, QEvent::MouseButtonRelease, {130, 70}, Qt::MiddleButton, Qt::NoButton);
    send(image, QEvent::MouseMove, {160, 90}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(w->pos(), start + QPoint(30, 20)) << "no button held: no move";

    const QPoint moved = w->pos();
    send(w, QEvent::MouseButtonPress, {661, 20}, Qt::LeftButton, Qt::LeftButton);
    send(w, QEvent::MouseMove, {600, 10}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w->pos(), moved) << "the toolbar's end does not drag";
}

struct FaceButtonRow {
    const char* name;
    int button;
    bool analogShown;
    bool faceStays;
    bool exits;
};

class DigitaleFaceButtonTest : public DigitaleTest, public ::testing::WithParamInterface<FaceButtonRow> {};

TEST_P(DigitaleFaceButtonTest, SwitchesThroughTheFaceMachinery) {
    const FaceButtonRow& c = GetParam();
    Digitale* w = open();
    bool exited = false;
    QObject scope; // the connection ends with the test's locals
    QObject::connect(&faces, &FaceManager::exiting, &scope, [&] { exited = true; });
    QPointer<Digitale> face(w);
    button(w, c.button)->click();
    settle();
    EXPECT_EQ(face && face->isVisible(), c.faceStays);
    FaceWindow* analog = faces.window(FaceKind::Analogico);
    EXPECT_EQ(analog && analog->isVisible(), c.analogShown);
    EXPECT_EQ(exited, c.exits);
    EXPECT_EQ(c.exits, analog == nullptr) << "the analog window closes only on exit";
    const std::optional<Command> handled = c.button == 10   ? std::optional(Command::Options)
                                           : c.button == 11 ? std::optional(Command::Screensaver)
                                                            : std::nullopt;
    EXPECT_EQ(ran.size(), handled ? 1u : 0u);
    if (handled && ran.size() == 1) {
        EXPECT_EQ(ran[0].first, *handled);
        EXPECT_EQ(ran[0].second, w) << "given on this face";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, DigitaleFaceButtonTest,
    ::testing::Values(FaceButtonRow{"7 shows the analog face", 7, true, false, false},
                      FaceButtonRow{"8 targets a face not in the program: disabled, nothing changes", 8, false, true,
                                    false},
                      FaceButtonRow{"9 shows the Mini face", 9, false, false, false},
                      FaceButtonRow{"10 opens the options and the face stays", 10, false, true, false},
                      FaceButtonRow{"11 starts the screensaver and the face stays", 11, false, true, false},
                      FaceButtonRow{"12 ends the program", 12, false, false, true}),
    test::RowName());

struct AskFirstRow {
    const char* name;
    int button;
    bool crono;
    bool answerYes;
    Command fai;
    bool switched;
};

class DigitaleAskFirstTest : public DigitaleTest, public ::testing::WithParamInterface<AskFirstRow> {};

TEST_P(DigitaleAskFirstTest, WhileTimingRunsAFaceButtonAsksFirst) {
    const AskFirstRow& c = GetParam();
    Digitale* w = open();
    QPointer<Digitale> face(w);
    if (c.crono) {
        modeItem(w, "Crono_menu")->trigger();
        button(w, 2)->click();
    } else {
        modeItem(w, "Rovescia_menu")->trigger();
        startFromDialog(w, QStringLiteral("00:01:00"), "Option3");
    }
    ASSERT_TRUE(c.crono ? w->model().stopwatch().CronoAttivo() : w->model().countdown().RovesciaAttivo());
    FaiAnswers box(w, c.answerYes ? QMessageBox::Yes : QMessageBox::No);
    button(w, c.button)->click();
    ASSERT_TRUE(box.answered) << "no \"Fai\" question box was shown, but " << box.others.join(u' ').toStdString();
    EXPECT_EQ(box.text, QStringLiteral("Cronometro o conto alla rovescia in corso. Interromperli e continuare?"));
    EXPECT_EQ(box.title, QStringLiteral("Quadrantix"));
    EXPECT_EQ(box.offered.size(), 2);
    EXPECT_TRUE(box.offered.contains(QMessageBox::Yes) && box.offered.contains(QMessageBox::No));
    if (face) {
        EXPECT_EQ(face->model().Fai(), c.fai);
    }
    settle();
    EXPECT_EQ(!face || !face->isVisible(), c.switched);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, DigitaleAskFirstTest,
    ::testing::Values(AskFirstRow{"stopwatch running, analog, No keeps the face", 7, true, false, Command::ShowAnalogico, false},
                      AskFirstRow{"stopwatch running, analog, Yes switches", 7, true, true, Command::ShowAnalogico, true},
                      AskFirstRow{"countdown active, exit, No keeps the face", 12, false, false, Command::Exit, false},
                      AskFirstRow{"countdown active, exit, Yes ends", 12, false, true, Command::Exit, true},
                      AskFirstRow{"countdown active, mini, Yes switches", 9, false, true, Command::ShowMini, true},
                      AskFirstRow{"stopwatch running, mini, No keeps the face", 9, true, false, Command::ShowMini, false}),
    test::RowName());

TEST_F(DigitaleTest, TheToolbarIsReachedWithTabAndReadAloudByItsTooltips) {
    Digitale* w = open();
    modeItem(w, "Crono_menu")->trigger(); // tooltips change with the mode: the names follow them
    for (int number = 1; number <= 12; ++number) {
        QToolButton* b = button(w, number);
        ASSERT_NE(b, nullptr) << number;
        EXPECT_TRUE(b->focusPolicy() & Qt::TabFocus) << "button " << number;
        EXPECT_FALSE(b->toolTip().isEmpty()) << "button " << number;
        EXPECT_EQ(b->accessibleName(), b->toolTip()) << "button " << number;
    }
    button(w, 2)->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(button(w, 2), &press);
    QCoreApplication::sendEvent(button(w, 2), &release);
    EXPECT_TRUE(w->model().stopwatch().CronoAttivo()) << "Space pressed \"Avvia\"";
}

struct CloseRow {
    const char* name;
    bool crono;
    std::optional<QMessageBox::StandardButton> answer; // none: no question is asked
    bool exits;
};

class DigitaleCloseTest : public DigitaleTest, public ::testing::WithParamInterface<CloseRow> {};

TEST_P(DigitaleCloseTest, TheWindowManagersCloseIsTheExitButton) {
    const CloseRow& c = GetParam();
    Digitale* w = open();
    QPointer<Digitale> face(w);
    int exits = 0;
    QObject scope; // the connection ends with the test's locals
    QObject::connect(&faces, &FaceManager::exiting, &scope, [&] { ++exits; });
    if (c.crono) {
        modeItem(w, "Crono_menu")->trigger();
        button(w, 2)->click();
    }
    std::optional<FaiAnswers> box;
    if (c.answer)
        box.emplace(w, *c.answer);
    QCloseEvent event; // as the window manager's close reaches the native window
    QCoreApplication::sendEvent(w->windowHandle(), &event);
    EXPECT_TRUE(face && face->isVisible()) << "not closed alone, the exit command decides";
    settle();
    if (box) {
        EXPECT_TRUE(box->answered);
        settle();
    }
    EXPECT_EQ(exits, c.exits ? 1 : 0);
    EXPECT_EQ(!face || !face->isVisible(), c.exits);
}

INSTANTIATE_TEST_SUITE_P(Close, DigitaleCloseTest,
                         ::testing::Values(CloseRow{"nothing running: exits at once", false, std::nullopt, true},
                                           CloseRow{"stopwatch running, No keeps the face", true, QMessageBox::No,
                                                    false},
                                           CloseRow{"stopwatch running, Yes exits", true, QMessageBox::Yes, true}),
                         test::RowName());

TEST_F(DigitaleTest, AlarmSwitchedOnByAnotherProgramShowsWithoutWaitingForATick) {
    Digitale* w = open();
    EXPECT_FALSE(w->model().view().lbl_Allarme);
    SettingsStore other(store.path());
    other.write(keys::Allarme, QStringLiteral("1"));
    QElapsedTimer waited;
    waited.start();
    while (!w->model().view().lbl_Allarme && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(w->model().view().lbl_Allarme) << "the folder watch refreshes the face when the file is replaced";
}

TEST_F(DigitaleTest, TimersWakeOnlyWhenSomethingShownCanChange) {
    clock.setUptimeMs(7'000);
    Digitale* w = open();
    // Each active timer as (its period, its phase) on the clock it follows.
    const auto timers = [w] {
        QList<std::pair<std::int64_t, std::int64_t>> active;
        for (BoundaryTimer* t : w->findChildren<BoundaryTimer*>())
            if (t->isActive())
                active.append({t->periodNs(), t->phaseNs()});
        std::sort(active.begin(), active.end());
        return active;
    };
    using Timers = QList<std::pair<std::int64_t, std::int64_t>>;
    constexpr std::int64_t kS = 1'000'000'000, kCs = 10'000'000;
    EXPECT_EQ(timers(), (Timers{{kS, 0}})) << "the wall clock's seconds";
    modeItem(w, "TimerWin_menu")->trigger();
    EXPECT_EQ(timers(), (Timers{{kS, 0}, {kS, 0}})) << "and the uptime's";
    modeItem(w, "Crono_menu")->trigger();
    EXPECT_EQ(timers(), (Timers{{kS, 0}})) << "a stopped stopwatch needs nothing more";
    clock.advanceNs(4'321'000);
    button(w, 2)->click();
    EXPECT_EQ(timers(), (Timers{{kCs, 4'321'000}, {kS, 0}})) << "the running stopwatch's hundredths";
    button(w, 3)->click();
    EXPECT_EQ(timers(), (Timers{{kS, 0}})) << "under the lap hold the digits stand still";
    button(w, 3)->click();
    modeItem(w, "OraCorr_menu")->trigger();
    EXPECT_EQ(timers(), (Timers{{kS, 0}})) << "the stopwatch runs on, unseen";

    modeItem(w, "Rovescia_menu")->trigger();
    clock.advanceNs(250'000'000);
    startFromDialog(w, QStringLiteral("00:00:05"), "Option3");
    EXPECT_EQ(timers(), (Timers{{kS, 0}, {kS, 254'321'000}})) << "the countdown's seconds, down to its deadline";
    modeItem(w, "Crono_menu")->trigger();
    EXPECT_EQ(timers(), (Timers{{kCs, 4'321'000}, {kS, 0}, {kS, 254'321'000}})) << "in every mode";
    modeItem(w, "Rovescia_menu")->trigger();
    button(w, 4)->click();
    EXPECT_EQ(timers(), (Timers{{kS, 0}})) << "paused";
    button(w, 2)->click();
    EXPECT_EQ(timers(), (Timers{{kS, 0}, {kS, 254'321'000}}));
    clock.advanceMs(5'000);
    test::wakeTimers(*w);
    EXPECT_FALSE(w->model().countdown().RovesciaAttivo());
    EXPECT_EQ(timers(), (Timers{{kS, 0}})) << "an ended countdown wakes the face no more";
    if (QMessageBox* end = box(w, "fine_conto"))
        end->close();
}

TEST_F(DigitaleTest, ToolbarButtonsDriveTheStopwatch) {
    Digitale* w = open();
    modeItem(w, "Crono_menu")->trigger();
    button(w, 2)->click();
    EXPECT_TRUE(w->model().view().lbl_Crono);
    clock.advanceMs(12'340);
    test::wakeTimers(*w);
    button(w, 4)->click();
    EXPECT_EQ(w->model().view().cells[Secondi1].digit, u'2');
    EXPECT_EQ(w->model().view().cells[Centesimo0].digit, u'3');
    EXPECT_EQ(w->model().view().cells[Centesimo1].digit, u'4');
    EXPECT_FALSE(w->model().view().lbl_Crono);
    button(w, 5)->click();
    EXPECT_EQ(w->model().stopwatch().elapsedCs(), 0);
    button(w, 3)->click();
    EXPECT_TRUE(w->model().view().Label2);
    EXPECT_FALSE(button(w, 6)->isEnabled()) << "no countdown to cancel in this mode";
}

TEST_F(DigitaleTest, CountdownDialogOpensOnceStartsTheCountdownAndClosesItsAnnouncementBoxAlone) {
    Digitale* w = open();
    modeItem(w, "Rovescia_menu")->trigger();
    QPointer<CRovescia> dialog = w->countdownDialog();
    ASSERT_NE(dialog, nullptr) << "no countdown active: the dialog opens";
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal()) << "the face goes on";
    modeItem(w, "Rovescia_menu")->trigger();
    EXPECT_EQ(w->countdownDialog(), dialog.data()) << "chosen again: the same dialog, not a second one";

    startFromDialog(w, QStringLiteral("00:01:30"), "Option3", QStringLiteral("Pasta <i>pronta</i>"));
    settle();
    EXPECT_TRUE(dialog.isNull()) << "closed by its start";
    EXPECT_EQ(store.read(keys::QuandoZero), QStringLiteral("Messaggio"));
    EXPECT_EQ(store.read(keys::ContoMessaggio), QStringLiteral("Pasta <i>pronta</i>"));
    EXPECT_TRUE(w->model().view().lbl_Rovescia);
    EXPECT_EQ(w->model().countdown().Contatore_r(), 90);
    modeItem(w, "Rovescia_menu")->trigger();
    EXPECT_EQ(w->countdownDialog(), nullptr) << "a countdown is active: no dialog";

    clock.advanceMs(90'000);
    test::wakeTimers(*w); // returns: the box does not hold the tick
    QMessageBox* end = box(w, "fine_conto");
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->windowTitle(), QStringLiteral("Fine conto alla rovescia"));
    EXPECT_EQ(end->text(), QStringLiteral("Pasta <i>pronta</i>"));
    EXPECT_EQ(end->textFormat(), Qt::PlainText) << "text from the store is never markup";
    EXPECT_EQ(end->icon(), QMessageBox::Information);
    EXPECT_EQ(end->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(end->windowModality(), Qt::WindowModal) << "modal for the face only";
    EXPECT_EQ(end->parentWidget(), w);
    EXPECT_FALSE(w->model().view().lbl_Rovescia);
    clock.advanceMs(5'000);
    test::wakeTimers(*w);
    EXPECT_EQ(w->findChildren<QMessageBox*>().size(), 1) << "the end action ran once";
    end->button(QMessageBox::Ok)->click();
    settle();
    EXPECT_EQ(box(w, "fine_conto"), nullptr);
}

TEST_F(DigitaleTest, ClosingTheDialogWithItsCloseBoxStartsNothing) {
    Digitale* w = open();
    modeItem(w, "Rovescia_menu")->trigger();
    QPointer<CRovescia> dialog = w->countdownDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("00:00:05"));
    dialog->close();
    settle();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_FALSE(w->model().countdown().RovesciaAttivo());
    EXPECT_EQ(w->model().mode(), LargeMode::Rovescia);
    EXPECT_TRUE(modeItem(w, "Rovescia_menu")->isChecked());
    const LargeFaceView& v = w->model().view();
    QString digits;
    for (int i = Ore0; i <= Secondi1; ++i)
        digits += v.cells[i].digit;
    EXPECT_EQ(digits, QStringLiteral("000000"));
    EXPECT_TRUE(store.read(keys::QuandoZero).isEmpty()) << "nothing stored";
    clock.advanceMs(10'000);
    test::wakeTimers(*w);
    EXPECT_EQ(box(w, "fine_conto"), nullptr);
    modeItem(w, "Rovescia_menu")->trigger();
    EXPECT_NE(w->countdownDialog(), nullptr) << "a fresh dialog next time";
}

struct CancelRow {
    const char* name;
    QMessageBox::StandardButton answer;
};

class DigitaleCancelTest : public DigitaleTest, public ::testing::WithParamInterface<CancelRow> {};

TEST_P(DigitaleCancelTest, CancelAsksFirstAndNoKeepsTheCountdown) {
    const QMessageBox::StandardButton answer = GetParam().answer;
    Digitale* w = open();
    QPointer<Digitale> face(w);
    modeItem(w, "Rovescia_menu")->trigger();
    startFromDialog(w, QStringLiteral("00:10:00"), "Option1");
    button(w, 4)->click(); // paused, so that STOP shows
    EXPECT_TRUE(w->model().view().cdstop);
    button(w, 6)->click();
    QMessageBox* question = box(w, "annulla");
    ASSERT_NE(question, nullptr) << "no question box";
    EXPECT_EQ(question->text(), QStringLiteral("Sicuro di voler annullare il conto alla rovescia?"));
    EXPECT_EQ(question->windowTitle(), QStringLiteral("Quadrantix"));
    EXPECT_EQ(question->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(question->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question->windowModality(), Qt::WindowModal) << "the other windows go on while it asks";
    EXPECT_TRUE(w->model().countdown().RovesciaAttivo()) << "nothing changes before the answer";
    question->button(answer)->click();
    settle();
    const bool yes = answer == QMessageBox::Yes;
    ASSERT_TRUE(face);
    EXPECT_EQ(box(w, "annulla"), nullptr) << "the question has gone";
    EXPECT_EQ(w->model().countdown().RovesciaAttivo(), !yes);
    EXPECT_EQ(w->model().view().lbl_Rovescia, !yes);
    EXPECT_EQ(w->model().view().cdstop, !yes);
    button(w, 2)->click(); // resumed, if still there
    clock.advanceMs(20 * 60'000);
    test::wakeTimers(*w);
    EXPECT_EQ(power.calls.size(), yes ? 0u : 1u) << (yes ? "cancelled: no shut-down" : "No: it went on to its end");
}

INSTANTIATE_TEST_SUITE_P(Answers, DigitaleCancelTest,
                         ::testing::Values(CancelRow{"No keeps the countdown", QMessageBox::No},
                                           CancelRow{"Yes cancels it", QMessageBox::Yes}),
                         test::RowName());

// What the end box must not do: hold the program. The hidden analog window (here on the real clock) keeps ticking,
// with its chimes and alarm, while the box waits for the user.
TEST_F(DigitaleTest, WhileTheEndBoxIsOpenTheAnalogWindowsTimerGoesOn) {
    class CountingEvents : public TimeEventHooks {
    public:
        explicit CountingEvents(int& ticks) : ticks_(ticks) {}
        void chimeTick(const QString&, int) override { ++ticks_; }
        void alarmTick(const QString&) override {}
        bool wantsHalfSecondTicks() const override { return false; }

    private:
        int& ticks_;
    };
    SystemClock realClock;
    int chimeTicks = 0;
    CountingEvents events(chimeTicks);
    faces.setFactory(FaceKind::Analogico, [&] { return new Orologio(realClock, faces, &events); });
    Digitale* w = open();
    modeItem(w, "Rovescia_menu")->trigger();
    startFromDialog(w, QStringLiteral("00:00:00"), "Option3", QStringLiteral("Fine!"));
    QMessageBox* end = box(w, "fine_conto");
    ASSERT_NE(end, nullptr) << "00:00:00 ends at once";
    const int before = chimeTicks;
    QElapsedTimer waited;
    waited.start();
    while (chimeTicks < before + 2 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GE(chimeTicks, before + 2) << "the analog window's chime ticks came while the box was open";
    EXPECT_EQ(box(w, "fine_conto"), end) << "still open";
    end->close();
}

// The millennium count's two group marks: one size, one height at the top of the row, the thousands mark midway
// between the fifth and the sixth digit.
TEST_F(DigitaleTest, MillenniumMarksSitAtOneHeightClearOfTheDigits) {
    clock.setLocal(2000, 6, 1, 0, 0, 0); // 18489600 seconds left: all eight cells lit, no 7 in the fifth
    Digitale* w = open();
    modeItem(w, "qmil")->trigger();
    const QImage shot = picture(w)->grab().toImage();
    // The black ink in the rows of the marks, between two columns (the colons are hidden in this mode).
    const auto inkBetween = [&](int left, int right) {
        QRect box;
        for (int y = kLargeCells[0].y() - 4; y < kLargeCells[0].y() + 20; ++y)
            for (int x = left; x < right; ++x)
                if (qGray(shot.pixel(x, y)) < 96)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    constexpr int kWidest = 53; // the widest digit picture, the 7
    const QRect milioni = inkBetween(kLargeCells[1].x() + kWidest, kLargeCells[2].x());
    const QRect mille = inkBetween(kLargeCells[4].x() + kWidest - 1, kLargeCells[5].x());
    ASSERT_FALSE(milioni.isEmpty());
    ASSERT_FALSE(mille.isEmpty());
    EXPECT_EQ(mille.top(), milioni.top()) << "one height";
    EXPECT_EQ(mille.size(), milioni.size()) << "one size";
    const int afterFifth = mille.left() - (kLargeCells[4].x() + kWidest);
    const int beforeSixth = kLargeCells[5].x() - 1 - mille.right();
    EXPECT_GE(afterFifth, 1) << "clear of the fifth digit";
    EXPECT_LE(std::abs(afterFifth - beforeSixth), 1) << "midway: " << afterFifth << " and " << beforeSixth << " px";
}

TEST_F(DigitaleTest, MarksColonsAndWordsAreBlack) {
    store.write(keys::Allarme, QStringLiteral("1"));
    Digitale* w = open();
    modeItem(w, "OraCorr_menu")->trigger();
    const QImage shot = picture(w)->grab().toImage();
    EXPECT_EQ(shot.pixelColor(500, 84), QColor(Qt::black)) << "the decimal dot's middle";
    EXPECT_EQ(shot.pixelColor(216, 40), QColor(Qt::black)) << "the first colon's upper bar";
    // "ALARM": its darkest pixel is black ink.
    int darkest = 255 * 3;
    const QRect word = twipRect(6750, 2280 - 840, 645, 195);
    for (int y = word.top(); y <= word.bottom(); ++y)
        for (int x = word.left(); x <= word.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            darkest = std::min(darkest, c.red() + c.green() + c.blue());
        }
    EXPECT_EQ(darkest, 0);
}

} // namespace
