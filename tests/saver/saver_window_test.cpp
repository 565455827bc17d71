// A screensaver face window on a fake clock: the start-up, the interlude's timeline, and every way out.
#include "tests/saver/saver_support.h"
#include "tests/support/row_name.h"

#include "saver/analogico_face.h"
#include "saver/mini_face.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

using namespace qx;
using namespace qx::saver;
using Phase = Interlude::Phase;

namespace {
bool pointerHidden() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::BlankCursor;
}

int blackShare(const QImage& image, QRect area) {
    int black = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            black += image.pixel(x, y) == qRgb(0, 0, 0);
    return 100 * black / (area.width() * area.height());
}

bool anyPixel(const QImage& image, QRect area, QRgb colour) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == colour)
                return true;
    return false;
}

void press(QWidget* w, int key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(w, &event);
}

void moveTo(QWidget* w, QPointF p) {
    QMouseEvent event(QEvent::MouseMove, p, p, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}
} // namespace

class SaverStartUp : public test::SaverFixture {};

TEST_F(SaverStartUp, AbsentSettingOpensAnalogicoFullScreenWithThePointerHidden) {
    SaverWindow* w = startScreensaver(clock, store, random, pointer);
    window = w;
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName(), QStringLiteral("Analogico"));
    EXPECT_TRUE(w->isFullScreen());
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(pointerHidden());
    EXPECT_EQ(store.read(keys::Salvaschermo), QString()) << "nothing written";
    w->leave();
    EXPECT_FALSE(pointerHidden()) << "shown again on the way out";
}

namespace {

struct FaceNameRow {
    const char* name; // stored, and the window's name
};

class SaverFaceByName : public test::SaverFixture, public ::testing::WithParamInterface<FaceNameRow> {};

TEST_P(SaverFaceByName, OpensTheFaceItNames) {
    const QLatin1String name(GetParam().name);
    store.write(keys::Salvaschermo, name);
    SaverWindow* w = startScreensaver(clock, store, random, pointer);
    window = w;
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName(), name);
    EXPECT_EQ(bool(w->windowFlags() & Qt::WindowStaysOnTopHint), name == QLatin1String("Mini"))
        << "only Mini keeps itself above the other windows";
    EXPECT_FALSE(w->windowFlags() & Qt::WindowDoesNotAcceptFocus) << "it takes the keys";
}

INSTANTIATE_TEST_SUITE_P(SaverStartUp, SaverFaceByName,
                         ::testing::Values(FaceNameRow{"Analogico"}, FaceNameRow{"Digitale"}, FaceNameRow{"Mini"},
                                           FaceNameRow{"Quadrantix"}),
                         test::RowName());

} // namespace

TEST_F(SaverStartUp, ValueNamingNoFaceOpensNothingAndShowsThePointerAgain) {
    for (const char* value : {"analogico", " Mini"}) {
        store.write(keys::Salvaschermo, QString::fromLatin1(value));
        EXPECT_EQ(startScreensaver(clock, store, random, pointer), nullptr) << value;
        EXPECT_FALSE(pointer.hidden()) << value;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << value;
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << value;
    }
}

// The interlude on every face, with its reminder tick.
struct FaceCase {
    FaceKind kind;
    int reminderTick;
};
class SaverInterlude : public test::SaverFixture, public ::testing::WithParamInterface<FaceCase> {};

TEST_P(SaverInterlude, TimelineFromTheTriggerToTheNewBackground) {
    const auto [kind, R] = GetParam();
    store.write(keys::Promemoria, QStringLiteral("Comprare il pane"));
    SaverWindow* w = open(kind, QTime(10, 8, 29));
    const QColor before = w->backgroundColour();
    EXPECT_EQ(before, SaverWindow::kGrey);

    secondAt(QTime(10, 8, 30));
    EXPECT_EQ(w->interlude().phase(), Phase::Sprinkling);
    EXPECT_TRUE(w->interlude().pausa());
    EXPECT_EQ(w->interlude().shownLabel(), 0);
    EXPECT_TRUE(w->gate()->isHeld()) << "no tick of the window while points are sprinkled";
    ASSERT_EQ(random.seeds.size(), 1u);
    EXPECT_EQ(random.seeds[0], std::uint64_t(clock.epochNs())) << "seeded from the clock";

    SeededRandom real;
    random.next = [&real] { return real.uniform(); };
    sprinkleAll();
    EXPECT_EQ(w->pointsSprinkled(), w->interludeGeometry().points);
    EXPECT_EQ(w->interludeGeometry().points, 200000);
    EXPECT_EQ(random.draws, 2 * 200000) << "two numbers a point, x first";
    EXPECT_EQ(w->interlude().phase(), Phase::Curtain);
    EXPECT_FALSE(w->gate()->isHeld());
    EXPECT_TRUE(w->isTimer1Active());
    const int sprinkled = blackShare(w->canvas().image(), QRect(0, 0, 800, 600));
    EXPECT_GT(sprinkled, 10);
    EXPECT_LT(sprinkled, 30);

    random.next = nullptr;
    random.value = 0.5;
    for (int tick = 0; tick <= 8; ++tick) {
        ASSERT_EQ(w->interlude().conta(), tick);
        const QImage picture = w->canvas().image();
        w->interludeTick();
        if (tick == 8)
            break;
        const QImage& now = w->canvas().image();
        // Stroke k covers its quarter: by stroke 3 the whole window is black.
        if (tick < 4) {
            EXPECT_EQ(blackShare(now, QRect(tick * 200, 0, 200, 600)), 100) << "stroke " << tick;
        }
        const QRect title = QRect(w->interludeGeometry().title.toPoint(), QSize(200, 40));
        EXPECT_EQ(anyPixel(now, title, qRgb(255, 255, 0)), tick >= R) << "tick " << tick;
        EXPECT_EQ(anyPixel(picture, title, qRgb(255, 255, 0)), tick > R) << "tick " << tick;
    }
    EXPECT_EQ(w->interlude().phase(), Phase::Idle);
    EXPECT_FALSE(w->interlude().pausa());
    EXPECT_FALSE(w->isTimer1Active());
    EXPECT_FALSE(w->canvas().active()) << "the new background erases points, curtain and reminder";
    EXPECT_EQ(w->backgroundColour(), QColor(128, 128, 128)) << "each of three numbers times 255, rounded";
    EXPECT_EQ(w->interlude().indice_lbl(), 1);
}

TEST_P(SaverInterlude, LabelsInTurnAndNoSecondInterludeWhileOneRuns) {
    SaverWindow* w = open(GetParam().kind, QTime(10, 0, 5));
    std::vector<int> labels;
    int started = 0;
    for (int minute = 1; minute <= 2; ++minute)
        for (const int half : {0, 30}) {
            secondAt(QTime(10, minute, half));
            ASSERT_EQ(w->interlude().phase(), Phase::Sprinkling);
            ++started;
            labels.push_back(w->interlude().shownLabel());
            sprinkleAll();
            // The trigger's second comes round again while this one runs: that half minute is skipped.
            secondAt(QTime(10, minute, half + 1));
            w->interludeTick();
            secondAt(QTime(10, minute, half));
            EXPECT_EQ(w->interlude().conta(), 1) << "the running interlude goes on";
            for (int tick = 1; tick <= 8; ++tick)
                w->interludeTick();
            EXPECT_EQ(w->interlude().phase(), Phase::Idle);
        }
    EXPECT_EQ(started, 4);
    EXPECT_EQ(labels, (std::vector<int>{0, 1, 2, 0}));
}

INSTANTIATE_TEST_SUITE_P(Faces, SaverInterlude,
                         ::testing::Values(FaceCase{FaceKind::Analogico, 5}, FaceCase{FaceKind::Digitale, 4},
                                           FaceCase{FaceKind::Mini, 5}, FaceCase{FaceKind::Quadrantix, 5}),
                         [](const auto& info) { return faceName(info.param.kind).toStdString(); });

class SaverWindowTest : public test::SaverFixture {};

TEST_F(SaverWindowTest, ReminderReadsMessaggioWhenItIsPrintedAndAnEmptyOnePrintsOnlyTheTitle) {
    SaverWindow* w = open(FaceKind::Mini, QTime(9, 0, 0));
    ASSERT_EQ(w->interlude().phase(), Phase::Sprinkling) << "a run that begins at second 0 starts with an interlude";
    sprinkleAll();
    for (int tick = 0; tick < 5; ++tick)
        w->interludeTick();
    const QRect below(QPoint(0, int(w->interludeGeometry().text.y())), QSize(800, 60));
    w->interludeTick();
    EXPECT_FALSE(anyPixel(w->canvas().image(), below, qRgb(255, 255, 255))) << "no setting: an empty line";
    EXPECT_TRUE(anyPixel(w->canvas().image(), QRect(0, 120, 300, 50), qRgb(255, 255, 0)));

    for (int tick = 6; tick <= 8; ++tick)
        w->interludeTick();
    store.write(keys::Promemoria, QStringLiteral("Chiamare la nonna"));
    secondAt(QTime(9, 0, 30));
    sprinkleAll();
    for (int tick = 0; tick <= 5; ++tick)
        w->interludeTick();
    EXPECT_TRUE(anyPixel(w->canvas().image(), below, qRgb(255, 255, 255))) << "read anew at every reminder";
}

TEST_F(SaverWindowTest, TheReminderLiesOverTheMakerLabel) {
    // On the large face the reminder's text runs through the maker's name, black on the black curtain.
    store.write(keys::Promemoria, QStringLiteral("Comprare il pane e il latte, poi passare in farmacia"));
    SaverWindow* w = open(FaceKind::Quadrantix, QTime(9, 0, 0), QSize(1024, 768));
    sprinkleAll();
    for (int tick = 0; tick <= 5; ++tick)
        w->interludeTick();
    const QRect line(QPoint(0, int(w->interludeGeometry().text.y())), QSize(1024, 40));
    const auto white = [&line](const QImage& image) {
        int n = 0;
        for (int y = line.top(); y <= line.bottom(); ++y)
            for (int x = line.left(); x <= line.right(); ++x)
                n += image.pixel(x, y) == qRgb(255, 255, 255);
        return n;
    };
    const int written = white(w->canvas().image());
    EXPECT_GT(written, 500);
    EXPECT_EQ(white(w->grab().toImage()), written) << "every pixel of the text is on screen";
}

TEST_F(SaverWindowTest, WhilePausedTheClockTickChangesNoHand) {
    SaverWindow* w = open(FaceKind::Analogico, QTime(10, 8, 28));
    auto& face = static_cast<AnalogicoFace&>(w->face());
    secondAt(QTime(10, 8, 30));
    sprinkleAll();
    const AnalogDialState paused = face.dial();
    EXPECT_FALSE(paused.hands);
    secondAt(QTime(10, 8, 34));
    w->interludeTick();
    secondAt(QTime(10, 8, 35));
    EXPECT_EQ(face.dial(), paused);
    EXPECT_EQ(face.dial().angSec, 28 * 6 - 90) << "the angles of the last tick before the interlude survive it";
}

TEST_F(SaverWindowTest, DigitsShowTheTimeAsSoonAsTheInterludeEnds) {
    SaverWindow* w = open(FaceKind::Mini, QTime(7, 8, 29));
    auto& face = static_cast<MiniFace&>(w->face());
    secondAt(QTime(7, 8, 30));
    sprinkleAll();
    EXPECT_FALSE(face.cells().visible());
    for (int tick = 0; tick < 8; ++tick)
        w->interludeTick();
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(7, 8, 42, 500), QTimeZone::utc()));
    w->interludeTick();
    EXPECT_TRUE(face.cells().visible());
    EXPECT_EQ(face.cells().digits(), QStringLiteral("070842"));
}

namespace {

struct LeaveKeyRow {
    const char* name;
    int key;
    const char* text;
    bool leaves;
};

class SaverLeaveKeyTest : public test::SaverFixture, public ::testing::WithParamInterface<LeaveKeyRow> {};

TEST_P(SaverLeaveKeyTest, KeysThatTypeLeaveAtOnceEvenWhileSprinklingAndShiftDoesNot) {
    const LeaveKeyRow& c = GetParam();
    pointer.hide();
    SaverWindow* w = open(FaceKind::Digitale, QTime(12, 0, 29));
    secondAt(QTime(12, 0, 30));
    clock.advanceMs(500);
    w->sprinkleFrame();
    const int sprinkled = w->pointsSprinkled();
    EXPECT_GT(sprinkled, 0);
    press(w, c.key, QString::fromLatin1(c.text));
    EXPECT_EQ(w->leaving(), c.leaves);
    EXPECT_EQ(pointer.hidden(), !c.leaves);
    clock.advanceMs(500);
    w->sprinkleFrame();
    EXPECT_EQ(w->pointsSprinkled() == sprinkled, c.leaves) << "no point after the key";
}

INSTANTIATE_TEST_SUITE_P(Keys, SaverLeaveKeyTest,
                         ::testing::Values(LeaveKeyRow{"Escape", Qt::Key_Escape, "\x1b", true},
                                           LeaveKeyRow{"Enter", Qt::Key_Return, "\r", true},
                                           LeaveKeyRow{"a letter", Qt::Key_Q, "q", true},
                                           LeaveKeyRow{"Shift alone", Qt::Key_Shift, "", false}),
                         test::RowName());

} // namespace

TEST_F(SaverWindowTest, PointerMovementLeavesAtOnceOutsideTheTriggerSeconds) {
    pointer.hide();
    SaverWindow* w = open(FaceKind::Quadrantix, QTime(12, 0, 10));
    moveTo(w, {300, 200});
    EXPECT_FALSE(w->mosso()) << "the first event only records";
    moveTo(w, {301, 200});
    EXPECT_TRUE(w->mosso()) << "one pixel is more than one unit";
    EXPECT_TRUE(w->leaving());
    EXPECT_FALSE(pointer.hidden());
}

TEST_F(SaverWindowTest, PointerMovementInSecondThirtyEndsTheSprinklingAndLeavesAtTheNextSecond) {
    pointer.hide();
    SaverWindow* w = open(FaceKind::Analogico, QTime(12, 0, 29));
    secondAt(QTime(12, 0, 30));
    clock.advanceMs(300);
    w->sprinkleFrame();
    w->pointerMoved({100, 100});
    clock.advanceMs(16);
    w->pointerMoved({140, 100});
    EXPECT_TRUE(w->mosso());
    EXPECT_FALSE(w->leaving()) << "second 30: the trigger's second does not test the flag";
    const int sprinkled = w->pointsSprinkled();
    clock.advanceMs(16);
    w->sprinkleFrame();
    EXPECT_EQ(w->pointsSprinkled(), sprinkled) << "the sprinkling stops before its next pass";
    EXPECT_EQ(w->interlude().phase(), Phase::Curtain);
    EXPECT_TRUE(w->isTimer1Active());
    EXPECT_FALSE(w->leaving());
    secondAt(QTime(12, 0, 31));
    EXPECT_TRUE(w->leaving()) << "the first tick of the next second closes it";
    EXPECT_FALSE(pointer.hidden());
}

TEST_F(SaverWindowTest, PointerMovementDuringTheCurtainLeavesAtOnce) {
    SaverWindow* w = open(FaceKind::Mini, QTime(12, 0, 29));
    secondAt(QTime(12, 0, 30));
    sprinkleAll();
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(12, 0, 34), QTimeZone::utc()));
    w->interludeTick();
    w->pointerMoved({10, 10});
    w->pointerMoved({10, 12});
    EXPECT_TRUE(w->leaving());
}

TEST_F(SaverWindowTest, ClosedFromOutsideShowsThePointerToo) {
    pointer.hide();
    SaverWindow* w = open(FaceKind::Mini, QTime(12, 0, 10));
    w->close();
    EXPECT_FALSE(pointer.hidden());
}

TEST_F(SaverWindowTest, TheCurtainCoversTheWholeScreenOnEveryFace) {
    for (const QSize screen : {QSize(800, 600), QSize(1024, 768), QSize(1366, 768)})
        for (const FaceKind kind : {FaceKind::Analogico, FaceKind::Digitale, FaceKind::Mini, FaceKind::Quadrantix}) {
            SaverWindow* w = open(kind, QTime(12, 0, 30), screen);
            sprinkleAll();
            for (int tick = 0; tick < 4; ++tick)
                w->interludeTick();
            EXPECT_EQ(blackShare(w->canvas().image(), QRect(QPoint(0, 0), screen)), 100)
                << faceName(kind).toStdString() << " on " << screen.width() << " x " << screen.height();
            delete w;
        }
}
