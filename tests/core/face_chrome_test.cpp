// What every face shares: shapes moved from the framed window to the client area, placing, dragging, command menus.
#include "core/face_chrome.h"
#include "core/faces.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <gtest/gtest.h>

using namespace qx;

namespace {

TEST(FaceChrome, ShapesGivenFromTheOuterCornerLandOnTheClientArea) {
    // The analog face: the ellipse (15, 31)-(212, 227) of a window with a 5-pixel frame and a 21-pixel title bar.
    const QRegion ellipse = clientMask(outerEllipse({15, 31}, {212, 227}), frames::kFixed);
    const QRect box(10, 10, 197, 196);
    EXPECT_TRUE(box.contains(ellipse.boundingRect()));
    EXPECT_TRUE(ellipse.boundingRect().adjusted(-1, -1, 1, 1).contains(box)) << "the ellipse touches its box";
    EXPECT_TRUE(ellipse.contains(QPoint(108, 108))) << "the centre";
    EXPECT_FALSE(ellipse.contains(QPoint(12, 12))) << "a corner of the box is outside the ellipse";

    // The large face: a rectangle whose right and bottom edges are excluded.
    const QRegion rect = clientMask(outerRectangle({2, 23}, {664, 217}), frames::kFixedSingle);
    EXPECT_EQ(rect.boundingRect(), QRect(0, 0, 662, 194));

    // An eight-point star, filled by the nonzero rule: its points are inside, the notches between them are not.
    const QPolygon star{{100, 20}, {135, 85}, {200, 120}, {135, 155}, {100, 220}, {65, 155}, {0, 120}, {65, 85}};
    const QRegion shaped = clientMask(outerPolygon(star), WindowFrame{2, 20, 2, 2});
    EXPECT_TRUE(shaped.contains(QPoint(98, 5))) << "near the top point";
    EXPECT_TRUE(shaped.contains(QPoint(98, 100))) << "the middle";
    EXPECT_FALSE(shaped.contains(QPoint(20, 20))) << "between two points";
    EXPECT_FALSE(shaped.contains(QPoint(170, 170)));
}

TEST(FaceChrome, CentringPlacesTheFramedWindowInTheMiddle) {
    const QPoint client = centredClientPos(QSize(662, 263), frames::kFixedSingle, QRect(0, 0, 1024, 768));
    // The framed window is 666 x 288: (1024 - 666) / 2 = 179, (768 - 288) / 2 = 240; its client area lies inside.
    EXPECT_EQ(client, QPoint(179 + 2, 240 + 23));
    EXPECT_EQ(centredClientPos(QSize(100, 100), frames::kNone, QRect(100, 50, 300, 200)), QPoint(200, 100));
}

void send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

TEST(FaceChrome, DraggingKeepsThePressedPointUnderThePointerWithAnyButton) {
    QWidget window;
    window.setGeometry(100, 100, 200, 100);
    auto* picture = new QWidget(&window);
    picture->setGeometry(0, 40, 200, 60);
    new DragHandle(picture);
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton}) {
        const QPoint start = window.pos();
        send(picture, QEvent::MouseButtonPress, {50, 20}, button, button);
        send(picture, QEvent::MouseMove, {80, 10}, Qt::NoButton, button);
        EXPECT_EQ(window.pos(), start + QPoint(30, -10)) << "button " << int(button);
        send(picture, QEvent::MouseMove, {60, 30}, Qt::NoButton, Qt::NoButton);
        EXPECT_EQ(window.pos(), start + QPoint(30, -10)) << "no button held: no move";
        send(picture, QEvent::MouseButtonRelease, {60, 30}, button, Qt::NoButton);
    }
    // A quick second press arrives as a double click; the drag starts from it, not from the first press.
    const QPoint start = window.pos();
    send(picture, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    send(picture, QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton, Qt::NoButton);
    send(picture, QEvent::MouseButtonDblClick, {100, 30}, Qt::LeftButton, Qt::LeftButton);
    send(picture, QEvent::MouseMove, {110, 35}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), start + QPoint(10, 5));
}

TEST(FaceChrome, MotionsQueuedBeforeTheWindowMovedStillEndAtThePointer) {
    // A fast drag: every motion was reported against where the window was at the press, since the window manager
    // has not yet moved it for the earlier ones. Only the pointer's place on the screen counts.
    QWidget window;
    window.setGeometry(100, 100, 200, 100);
    auto* picture = new QWidget(&window);
    picture->setGeometry(0, 40, 200, 60);
    new DragHandle(picture);
    const QPoint origin = picture->mapToGlobal(QPoint(0, 0));
    const auto at = [&](QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(global - origin), QPointF(global), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(picture, &event);
    };
    at(QEvent::MouseButtonPress, origin + QPoint(50, 20), Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i <= 20; ++i)
        at(QEvent::MouseMove, origin + QPoint(50 + 7 * i, 20 - 3 * i), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(100 + 140, 100 - 60)) << "the pressed point is under the pointer";
}

TEST(FaceChrome, APlaceIsKeptInsideTheArea) {
    const QRect area(800, 0, 1024, 740); // a primary monitor right of another, a panel along its bottom
    const struct {
        const char* name;
        QPoint pos;
        QSize size;
        QPoint kept;
    } cases[] = {
        {"inside: unchanged", {900, 100}, {100, 100}, {900, 100}},
        {"past the right edge: moved left", {1800, 100}, {100, 100}, {1724, 100}},
        {"below the panel: moved up", {900, 700}, {100, 100}, {900, 640}},
        {"on the other monitor: moved right", {100, 100}, {100, 100}, {800, 100}},
        {"larger than the area: its top-left corner", {900, 100}, {2000, 1000}, {800, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keptInside(c.pos, c.size, area), c.kept) << c.name;
}

// A program with only some of its windows: the analog face and the about window.
class Commands : public ::testing::Test {
protected:
    Commands() {
        faces.setFactory(FaceKind::Analogico, [] { return new FaceWindow(FaceKind::Analogico); });
        faces.setHandler(Command::About, [this](FaceWindow* from) { aboutFrom.push_back(from); });
    }
    ~Commands() override { delete faces.window(FaceKind::Analogico); }
    FaceManager faces;
    std::vector<FaceWindow*> aboutFrom;
};

TEST_F(Commands, ACommandIsAvailableWhenItsWindowIsInTheProgram) {
    const struct {
        Command command;
        bool available;
        const char* why;
    } cases[] = {
        {Command::ShowAnalogico, true, "a face with a factory"},
        {Command::ShowDigitale, false, "a face without one"},
        {Command::About, true, "a window with a handler"},
        {Command::Options, false, "no handler"},
        {Command::Screensaver, false, "no handler"},
        {Command::Exit, true, "exit is always possible"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(faces.isAvailable(c.command), c.available) << c.why;
}

TEST_F(Commands, MenusRunTheirCommandsAndShowTheUnavailableOnesDisabled) {
    FaceWindow* face = faces.loadOrologio();
    const MenuEntry entries[] = {
        {"dig", "&Digitale", Command::ShowDigitale},
        {"info", "&Info su Quadrantix", Command::About},
        {"opzioni", "&Opzioni", Command::Options},
    };
    QMenu* menu = buildCommandMenu(face, faces, entries);
    ASSERT_EQ(menu->actions().size(), 3);
    QAction* dig = menu->findChild<QAction*>(QStringLiteral("dig"));
    QAction* info = menu->findChild<QAction*>(QStringLiteral("info"));
    QAction* opzioni = menu->findChild<QAction*>(QStringLiteral("opzioni"));
    ASSERT_TRUE(dig && info && opzioni);
    EXPECT_EQ(info->text(), QStringLiteral("&Info su Quadrantix"));
    EXPECT_FALSE(dig->isEnabled());
    EXPECT_TRUE(info->isEnabled());
    EXPECT_FALSE(opzioni->isEnabled());

    info->trigger();
    ASSERT_EQ(aboutFrom.size(), 1u);
    EXPECT_EQ(aboutFrom[0], face) << "the command knows the face it was given on";
    opzioni->trigger(); // disabled: nothing runs
    EXPECT_EQ(aboutFrom.size(), 1u);

    // A window that becomes available later is offered the next time the menu opens.
    faces.setHandler(Command::Options, [](FaceWindow*) {});
    QTimer::singleShot(0, menu, &QMenu::close);
    menu->exec(QPoint(0, 0));
    EXPECT_TRUE(opzioni->isEnabled());
}

} // namespace
