// The large digital face's window: shape, toolbar, mode menu, painting of what changed, dragging and face switching.
#include "assets/artwork.h"
#include "core/faces.h"
#include "core/settings_store.h"
#include "faces/digitale.h"
#include "platform/boundary_timer.h"
#include "tests/support/face_stubs.h"
#include "tests/support/fake_clock.h"
#include "tests/support/temp_dir.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace qx;

namespace {

using test::PaintRecorder;
using test::StubFace;

// The cells' top-left corners on the face picture, which starts 56 pixels down the window.
constexpr QPoint kLargeCells[] = {{88, 32}, {152, 32}, {232, 32}, {296, 32}, {376, 32}, {440, 32}};

class DigitaleTest : public test::TempDirTest {
protected:
    DigitaleTest() : store(file(QStringLiteral("q.ini"))) {
        faces.setFactory(FaceKind::Analogico, [] { return new StubFace(FaceKind::Analogico); });
        faces.setFactory(FaceKind::Mini, [] { return new StubFace(FaceKind::Mini); });
        faces.setFactory(FaceKind::Quadrantix, [this] { return new Digitale(clock, store, faces); });
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

    test::FakeClock clock;
    SettingsStore store;
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
        EXPECT_TRUE(a->isCheckable());
        EXPECT_FALSE(a->isChecked()) << "no mode when the face opens";
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
            for (const char* other : {"Crono_menu", "Rovescia_menu", "OraCorr_menu", "TimerWin_menu", "qmil"})
                EXPECT_EQ(modeItem(w, other)->isChecked(), qstrcmp(item, other) == 0) << item << " / " << other;
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
    w->onWake();
    QCoreApplication::processEvents();
    EXPECT_TRUE(paints.regions.isEmpty()) << "the same second again paints nothing";

    clock.advanceMs(600); // 12:00:01
    w->onWake();
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

TEST_F(DigitaleTest, FaceAndExitButtonsSwitchThroughTheFaceMachinery) {
    const struct {
        const char* name;
        int button;
        bool analogShown;
        bool faceStays;
        bool exits;
    } cases[] = {
        {"7 shows the analog face", 7, true, false, false},
        {"8 targets a face not in the program: disabled, nothing changes", 8, false, true, false},
        {"9 shows the Mini face", 9, false, false, false},
        {"10 opens the options and the face stays", 10, false, true, false},
        {"11 starts the screensaver and the face stays", 11, false, true, false},
        {"12 ends the program", 12, false, false, true},
    };
    for (const auto& c : cases) {
        Digitale* w = open();
        bool exited = false;
        const auto connection = QObject::connect(&faces, &FaceManager::exiting, &faces, [&] { exited = true; });
        QPointer<Digitale> face(w);
        button(w, c.button)->click();
        settle();
        EXPECT_EQ(face && face->isVisible(), c.faceStays) << c.name;
        FaceWindow* analog = faces.window(FaceKind::Analogico);
        EXPECT_EQ(analog && analog->isVisible(), c.analogShown) << c.name;
        EXPECT_EQ(exited, c.exits) << c.name;
        EXPECT_EQ(c.exits, analog == nullptr) << c.name << ": the analog window closes only on exit";
        const std::optional<Command> handled = c.button == 10   ? std::optional(Command::Options)
                                               : c.button == 11 ? std::optional(Command::Screensaver)
                                                                : std::nullopt;
        EXPECT_EQ(ran.size(), handled ? 1u : 0u) << c.name;
        if (handled && ran.size() == 1) {
            EXPECT_EQ(ran[0].first, *handled) << c.name;
            EXPECT_EQ(ran[0].second, w) << c.name << ": given on this face";
        }
        ran.clear();
        QObject::disconnect(connection);
        if (analog)
            analog->hide();
        if (FaceWindow* mini = faces.window(FaceKind::Mini))
            mini->close();
        delete face.data();
    }
}

TEST_F(DigitaleTest, WhileTimingRunsFaceButtonsAskFirst) {
    const struct {
        const char* name;
        int button;
        bool crono;
        bool answerYes;
        const char* fai;
        bool switched;
    } cases[] = {
        {"stopwatch running, analog, No keeps the face", 7, true, false, "Analogico", false},
        {"stopwatch running, analog, Yes switches", 7, true, true, "Analogico", true},
        {"countdown active, exit, No keeps the face", 12, false, false, "Esci", false},
        {"countdown active, exit, Yes ends", 12, false, true, "Esci", true},
        {"countdown active, mini, Yes switches", 9, false, true, "Mini", true},
        {"stopwatch running, mini, No keeps the face", 9, true, false, "Mini", false},
    };
    for (const auto& c : cases) {
        Digitale* w = open();
        QPointer<Digitale> face(w);
        if (c.crono)
            w->model().stopwatch().start();
        else
            w->model().countdown().start(60, {});
        QString text, title;
        QList<QMessageBox::StandardButton> offered;
        QTimer::singleShot(0, w, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr) << c.name;
            text = box->text();
            title = box->windowTitle();
            for (QAbstractButton* b : box->buttons())
                offered << box->standardButton(b);
            box->button(c.answerYes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        button(w, c.button)->click();
        EXPECT_EQ(text, QStringLiteral("Cronometro o conto alla rovescia in corso. Interromperli e continuare?"))
            << c.name;
        EXPECT_EQ(title, QStringLiteral("Quadrantix")) << c.name;
        EXPECT_EQ(offered.size(), 2) << c.name;
        EXPECT_TRUE(offered.contains(QMessageBox::Yes) && offered.contains(QMessageBox::No)) << c.name;
        if (face) {
            EXPECT_EQ(face->model().Fai(), QLatin1String(c.fai)) << c.name;
        }
        settle();
        EXPECT_EQ(!face || !face->isVisible(), c.switched) << c.name;
        delete face.data();
        if (FaceWindow* analog = faces.window(FaceKind::Analogico))
            analog->hide();
    }
}

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

TEST_F(DigitaleTest, RefreshWakesEachSecondAndFasterOnlyForARunningStopwatchOnShow) {
    Digitale* w = open();
    const auto periods = [w] {
        QList<std::int64_t> active;
        for (BoundaryTimer* t : w->findChildren<BoundaryTimer*>())
            if (t->isActive())
                active << t->periodNs();
        std::sort(active.begin(), active.end());
        return active;
    };
    EXPECT_EQ(periods(), (QList<std::int64_t>{1'000'000'000}));
    modeItem(w, "TimerWin_menu")->trigger();
    EXPECT_EQ(periods(), (QList<std::int64_t>{1'000'000'000, 1'000'000'000})) << "the uptime's seconds too";
    modeItem(w, "Crono_menu")->trigger();
    EXPECT_EQ(periods(), (QList<std::int64_t>{1'000'000'000}));
    w->model().stopwatch().start();
    w->updateRefreshPeriod();
    EXPECT_EQ(periods(), (QList<std::int64_t>{10'000'000}));
    modeItem(w, "OraCorr_menu")->trigger();
    EXPECT_EQ(periods(), (QList<std::int64_t>{1'000'000'000})) << "the stopwatch runs on, unseen";
}

} // namespace
