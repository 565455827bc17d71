// The two small faces: "Digitale" (window `Mini`, the star) and "Mini" (window `Orologino`, the oval), their models
// tick by tick and their windows: shapes, places, menus, toggles, painting of what changed.
#include "assets/artwork.h"
#include "core/faces.h"
#include "faces/lcd_painter.h"
#include "faces/mini.h"
#include "faces/orologino.h"
#include "faces/oval_face.h"
#include "faces/star_face.h"
#include "tests/support/face_stubs.h"
#include "tests/support/fake_clock.h"
#include "tests/support/qt_printers.h"
#include "tests/support/wake_timers.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <bit>
#include <gtest/gtest.h>

using namespace qx;

namespace {

using test::PaintRecorder;
using test::StubFace;

const QLocale kItalian(QLocale::Italian, QLocale::Italy);

QString digits(const StarFaceView& v) {
    QString s;
    for (const QChar c : v.digits)
        s += c.isNull() ? QChar(u'_') : c;
    return s;
}

// --- the models -----------------------------------------------------------------------------------------------

TEST(StarFace, DigitsShowHoursAndMinutesWithLeadingZeros) {
    const struct {
        const char* what;
        QTime time;
        const char* shown;
    } cases[] = {
        {"09:05 keeps both leading zeros", QTime(9, 5, 59), "0905"},
        {"23:59, the last minute of the day", QTime(23, 59, 0), "2359"},
        {"midnight is 00:00, not 24:00 or 12:00", QTime(0, 0, 0), "0000"},
        {"noon", QTime(12, 0, 30), "1200"},
    };
    for (const auto& c : cases) {
        test::FakeClock clock(QDateTime(QDate(2026, 12, 9), c.time, QTimeZone::utc()));
        StarFace face(clock, kItalian);
        EXPECT_EQ(digits(face.view()), QLatin1String(c.shown)) << c.what;
    }
}

TEST(StarFace, TheSeparatorAndTheSecondsFollowTheClocksSeconds) {
    test::FakeClock clock;
    clock.setLocal(2026, 12, 9, 23, 59, 58, 700);
    StarFace face(clock, kItalian);
    EXPECT_TRUE(face.view().lampeggio) << "a colon when the face opens";
    EXPECT_EQ(face.view().seclbl, QStringLiteral("00")) << "until the separator's first tick";

    clock.advanceMs(200); // still 23:59:58
    face.wake();
    EXPECT_TRUE(face.view().lampeggio) << "a wake-up within the same second turns nothing";
    EXPECT_EQ(face.view().seclbl, QStringLiteral("00"));

    clock.advanceMs(100); // 23:59:59.000
    face.wake();
    EXPECT_FALSE(face.view().lampeggio) << "one stroke";
    EXPECT_EQ(face.view().seclbl, QStringLiteral("59")) << "the second just begun, not one a second old";
    EXPECT_EQ(digits(face.view()), QStringLiteral("2359"));

    clock.advanceMs(1000); // midnight: the minute digits and the date change at the same wake-up
    face.wake();
    EXPECT_TRUE(face.view().lampeggio);
    EXPECT_EQ(face.view().seclbl, QStringLiteral("00"));
    EXPECT_EQ(digits(face.view()), QStringLiteral("0000"));
    EXPECT_EQ(face.view().giornolbl, QStringLiteral("10"));
    EXPECT_EQ(face.view().gsett, QStringLiteral("giovedì"));

    clock.advanceMs(-5000); // the clock is set back: still a new second for the separator
    face.wake();
    EXPECT_FALSE(face.view().lampeggio);
    EXPECT_EQ(face.view().seclbl, QStringLiteral("55"));
    EXPECT_EQ(digits(face.view()), QStringLiteral("2359"));
    EXPECT_EQ(face.view().giornolbl, QStringLiteral("09"));
}

TEST(StarFace, DateLabelsInTheSystemLanguageWhetherShownOrNot) {
    test::FakeClock clock;
    clock.setLocal(2026, 9, 2, 10, 0, 0);
    StarFace face(clock, kItalian);
    EXPECT_FALSE(face.view().visgiorno || face.view().vismes || face.view().vissec) << "all toggles off";
    EXPECT_EQ(face.view().giornolbl, QStringLiteral("02"));
    EXPECT_EQ(face.view().gsett, QStringLiteral("mercoledì"));
    EXPECT_EQ(face.view().mese, QStringLiteral("settembre"));
    EXPECT_EQ(face.view().anno, QStringLiteral("2026"));
}

TEST(OvalFace, TimeWithTheSystemsSeparatorSecondsAndTheDateOfTheOpening) {
    test::FakeClock clock;
    clock.setLocal(2026, 12, 9, 23, 59, 58);
    OvalFace face(clock, kItalian);
    EXPECT_EQ(face.view().Label1, QStringLiteral("23:59"));
    EXPECT_EQ(face.view().Label2, QStringLiteral("58"));
    EXPECT_EQ(face.toolTip(), QStringLiteral("mercoledì 09 dicembre 2026"));
    clock.advanceMs(2000);
    face.wake();
    EXPECT_EQ(face.view().Label1, QStringLiteral("00:00"));
    EXPECT_EQ(face.view().Label2, QStringLiteral("00"));
    EXPECT_EQ(face.toolTip(), QStringLiteral("mercoledì 09 dicembre 2026"))
        << "past midnight: still the opening's date";

    clock.setLocal(2026, 12, 9, 9, 5, 7);
    EXPECT_EQ(OvalFace(clock, QLocale(QLocale::Danish)).view().Label1, QStringLiteral("09.05"))
        << "a dot where the system's separator is one";
    EXPECT_EQ(OvalFace(clock, QLocale(QLocale::Finnish)).view().Label1, QStringLiteral("09.05"))
        << "two-digit hours even where the system writes one";
    EXPECT_EQ(OvalFace(clock, QLocale::c()).view().Label2, QStringLiteral("07"));
}

TEST(OvalFace, TimeSeparatorOfTheShortFormat) {
    const struct {
        const char* what;
        QLocale locale;
        const char* separator;
    } cases[] = {
        {"C", QLocale::c(), ":"},
        {"Italian", kItalian, ":"},
        {"Danish writes HH.mm", QLocale(QLocale::Danish), "."},
        {"Finnish writes H.mm", QLocale(QLocale::Finnish), "."},
        {"US English has a 12-hour format", QLocale(QLocale::English, QLocale::UnitedStates), ":"},
        {"Canadian French quotes its h", QLocale(QLocale::French, QLocale::Canada), " h "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OvalFace::timeSeparator(c.locale), QLatin1String(c.separator)) << c.what;
}

TEST(LcdGlyphs, DrawTheTextWhereAndAsThePainterWould) {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(13);
    font.setBold(true);
    const LcdGlyphs glyphs(font, QStringLiteral("0123456789:"));
    const QRect box(3, 2, 60, 18);
    const auto inkBox = [](const QImage& image) {
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 100)
                    ink |= QRect(x, y, 1, 1);
        return ink;
    };
    for (const QString& text : {QStringLiteral("09:05"), QStringLiteral("17"), QStringLiteral("2x")}) {
        QImage expected(66, 22, QImage::Format_ARGB32_Premultiplied), drawn = expected;
        expected.fill(Qt::transparent);
        drawn.fill(Qt::transparent);
        {
            QPainter p(&expected);
            p.setFont(font);
            p.setPen(LcdPainter::ink());
            p.drawText(box, Qt::AlignHCenter | Qt::AlignVCenter, text);
        }
        {
            QPainter p(&drawn);
            glyphs.draw(p, box, Qt::AlignHCenter, text); // "x" has no picture: drawn as text
        }
        const QRect a = inkBox(expected), b = inkBox(drawn);
        EXPECT_FALSE(b.isEmpty()) << qPrintable(text);
        for (const auto& [edge, other] : {std::pair(a.left(), b.left()), std::pair(a.right(), b.right()),
                                          std::pair(a.top(), b.top()), std::pair(a.bottom(), b.bottom())})
            EXPECT_LE(std::abs(edge - other), 1) << qPrintable(text);
    }
}

// --- the windows ----------------------------------------------------------------------------------------------

QStringList captions(const QMenu* menu) {
    QStringList list;
    for (const QAction* a : menu->actions())
        list << a->text();
    return list;
}

// The share of a shape's pixels where a picture drawn at `offset` is transparent or missing.
double uncovered(const QRegion& shape, const QImage& picture, QPoint offset) {
    int pixels = 0, bare = 0;
    for (const QRect& r : shape)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                ++pixels;
                const QPoint p = QPoint(x, y) - offset;
                bare += !picture.rect().contains(p) || qAlpha(picture.pixel(p)) < 128;
            }
    return pixels ? double(bare) / pixels : 1.0;
}

class SmallFacesTest : public ::testing::Test {
protected:
    SmallFacesTest() {
        faces.setFactory(FaceKind::Analogico, [] { return new StubFace(FaceKind::Analogico); });
        faces.setFactory(FaceKind::Digitale, [this] { return new Mini(clock, faces); });
        faces.setFactory(FaceKind::Mini, [this] { return new Orologino(clock, faces); });
        faces.setFactory(FaceKind::Quadrantix, [] { return new StubFace(FaceKind::Quadrantix); });
        faces.setHandler(Command::About, [this](FaceWindow* from) { ran.emplace_back(Command::About, from); });
        faces.setHandler(Command::Screensaver,
                         [this](FaceWindow* from) { ran.emplace_back(Command::Screensaver, from); });
        // No options dialog in this program: its item shows disabled.
        clock.setLocal(2026, 12, 9, 9, 5, 7);
        faces.loadOrologio();
    }
    ~SmallFacesTest() override {
        settle();
        for (const FaceKind kind : {FaceKind::Analogico, FaceKind::Digitale, FaceKind::Mini, FaceKind::Quadrantix})
            delete faces.window(kind);
    }
    template <class W> W* open(FaceKind kind) {
        faces.showFace(kind, faces.window(FaceKind::Analogico));
        return static_cast<W*>(faces.window(kind));
    }
    // Lets closed windows go, as the event loop would.
    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static QMenu* menu(QWidget* w) { return w->findChild<QMenu*>(QStringLiteral("menu")); }
    static QAction* item(QWidget* w, const char* name) { return w->findChild<QAction*>(QLatin1String(name)); }

    test::FakeClock clock;
    FaceManager faces;
    std::vector<std::pair<Command, FaceWindow*>> ran;
};

TEST_F(SmallFacesTest, StarOpensAtItsPlaceShapedAsTheStarOverItsPicture) {
    auto* w = open<Mini>(FaceKind::Digitale);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->objectName(), QStringLiteral("Mini"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Form1"));
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ((w->windowFlags() & Qt::WindowType_Mask), Qt::Tool) << "no task bar button";
    EXPECT_EQ(w->size(), QSize(195, 200));
    EXPECT_EQ(w->pos(), QPoint(583, 369)) << "8745, 5535 twips";
    EXPECT_EQ(w->cursor().shape(), Qt::BitmapCursor);

    // The star of a window with a 3-pixel frame and a title bar ending 21 pixels down, moved to the client area.
    const QRegion shape = w->mask();
    for (const QPoint in : {QPoint(97, 1), QPoint(190, 99), QPoint(97, 196), QPoint(2, 99), QPoint(97, 99)})
        EXPECT_TRUE(shape.contains(in)) << in.x() << "," << in.y() << ": a point or the middle";
    for (const QPoint out : {QPoint(20, 20), QPoint(175, 20), QPoint(175, 180), QPoint(20, 180), QPoint(62, 62)})
        EXPECT_FALSE(shape.contains(out)) << out.x() << "," << out.y() << ": between two points";
    EXPECT_TRUE(shape.contains(QRect(37, 80, 121, 38).center())) << "the time panel's middle";
    EXPECT_LE(std::abs(shape.boundingRect().center().y() - (80 + 38 / 2)), 1) << "the star centred on the panel";
    EXPECT_LT(uncovered(shape, renderArtwork(QStringLiteral("star_dial")).toImage(), QPoint(0, 0)), 0.01)
        << "the visible star is the picture's";
}

TEST_F(SmallFacesTest, OvalOpensAtItsPlaceAboveOtherWindowsWithoutTakingTheFocus) {
    auto* w = open<Orologino>(FaceKind::Mini);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName(), QStringLiteral("Orologino"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Form1"));
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(w->windowFlags() & Qt::WindowDoesNotAcceptFocus) << "a click gives the keyboard its menu";
    EXPECT_EQ((w->windowFlags() & Qt::WindowType_Mask), Qt::Tool) << "no task bar button";
    EXPECT_EQ(w->size(), QSize(97, 152));
    EXPECT_EQ(w->pos(), QPoint(639, 491)) << "9585, 7365 twips";
    EXPECT_EQ(w->toolTip(), QLocale::system().toString(QDate(2026, 12, 9), QStringLiteral("dddd dd MMMM yyyy")));
    EXPECT_EQ(w->cursor().shape(), Qt::BitmapCursor);

    // The ellipse (5, 31)-(97, 101) of the framed window: (2, 10)-(94, 80) of the client area, over the dial
    // picture that lies 8 pixels down.
    const QRegion shape = w->mask();
    EXPECT_TRUE(QRect(2, 10, 92, 70).contains(shape.boundingRect()));
    EXPECT_TRUE(shape.boundingRect().adjusted(-1, -1, 1, 1).contains(QRect(2, 10, 92, 70)));
    EXPECT_FALSE(shape.contains(QPoint(4, 12))) << "a corner of the box";
    EXPECT_TRUE(shape.contains(QRect(24, 24, 49, 41))) << "the whole panel";
    EXPECT_LT(uncovered(shape, renderArtwork(QStringLiteral("mini_dial")).toImage(), QPoint(0, 8)), 0.01)
        << "the visible oval is the picture's";
    EXPECT_EQ(w->model().view().Label1, QStringLiteral("09:05"));
    EXPECT_EQ(w->model().view().Label2, QStringLiteral("07"));
}

TEST_F(SmallFacesTest, MenusOfferTheOtherFacesAndRunTheirCommands) {
    const struct {
        FaceKind face;
        QStringList captions;
    } cases[] = {
        {FaceKind::Digitale,
         {"&Attiva salvaschermo", "&Analogico", "&Mini", "&Quadrantix", "&Opzioni", "&Visualizza",
          "&Info su Quadrantix", "&Esci"}},
        {FaceKind::Mini,
         {"&Attiva salvaschermo", "&Analogico", "&Digitale", "&Quadrantix", "&Opzioni", "&Info su Quadrantix",
          "&Esci"}},
    };
    for (const auto& c : cases) {
        faces.showFace(c.face, faces.window(FaceKind::Analogico));
        QPointer<FaceWindow> w = faces.window(c.face);
        ASSERT_TRUE(w);
        QMenu* m = menu(w);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(captions(m), c.captions);
        EXPECT_FALSE(item(w, "opzioni")->isEnabled()) << "no options dialog in this program";

        ran.clear();
        item(w, "scr")->trigger();
        item(w, "info")->trigger();
        ASSERT_EQ(ran.size(), 2u);
        EXPECT_EQ(ran[0], std::make_pair(Command::Screensaver, w.data())) << "the launch knows the face";
        EXPECT_EQ(ran[1], std::make_pair(Command::About, w.data()));
        EXPECT_TRUE(w->isVisible()) << "the face stays open";

        item(w, "maxdig")->trigger();
        settle();
        EXPECT_FALSE(w) << "closed, its state discarded";
        ASSERT_NE(faces.window(FaceKind::Quadrantix), nullptr);
        EXPECT_TRUE(faces.window(FaceKind::Quadrantix)->isVisible());
        faces.showFace(FaceKind::Analogico, faces.window(FaceKind::Quadrantix));
        settle();
    }

    // From the star to the oval and on to the analog face.
    auto* star = open<Mini>(FaceKind::Digitale);
    item(star, "MiniMenu")->trigger();
    settle();
    ASSERT_NE(faces.window(FaceKind::Mini), nullptr);
    EXPECT_EQ(faces.window(FaceKind::Digitale), nullptr);
    item(faces.window(FaceKind::Mini), "analogico")->trigger();
    settle();
    EXPECT_EQ(faces.window(FaceKind::Mini), nullptr);
    EXPECT_TRUE(faces.window(FaceKind::Analogico)->isVisible());
}

TEST_F(SmallFacesTest, ExitClosesTheFaceAndTheAnalogWindow) {
    for (const FaceKind kind : {FaceKind::Digitale, FaceKind::Mini}) {
        faces.loadOrologio();
        faces.showFace(kind);
        bool exited = false;
        const auto connection = QObject::connect(&faces, &FaceManager::exiting, &faces, [&] {
            exited = true;
            EXPECT_FALSE(faces.window(FaceKind::Analogico)->isLoaded()) << "closed before the splash opens";
        });
        item(faces.window(kind), "esci")->trigger();
        QObject::disconnect(connection);
        settle();
        EXPECT_TRUE(exited);
        EXPECT_EQ(faces.window(kind), nullptr);
        EXPECT_EQ(faces.window(FaceKind::Analogico), nullptr);
    }
}

// The five boxes of the star face and the toggle of each.
const struct {
    StarToggle toggle;
    QRect box;
} kBoxes[] = {
    {StarToggle::Secondi, {160, 90, 20, 17}},   // Shape3
    {StarToggle::Giorno, {78, 42, 40, 17}},     // Shape6
    {StarToggle::Giorno, {64, 62, 67, 16}},     // Shape2
    {StarToggle::MeseEAnno, {65, 120, 67, 15}}, // Shape4
    {StarToggle::MeseEAnno, {77, 138, 40, 17}}, // Shape5
};

// A box shows by its black border; hidden, the star's gold or brown lies there.
bool borderShown(const QImage& shot, const QRect& box) {
    const QColor c = shot.pixelColor(box.left() + 1, box.center().y());
    return c.red() < 30 && c.green() < 30 && c.blue() < 30;
}

TEST_F(SmallFacesTest, TogglesShowTheirBoxesInAnyCombinationAndCheckTheirItems) {
    auto* w = open<Mini>(FaceKind::Digitale);
    const std::array<std::pair<StarToggle, const char*>, 3> toggles = {
        {{StarToggle::Secondi, "vissec"}, {StarToggle::MeseEAnno, "vismes"}, {StarToggle::Giorno, "visgiorno"}}};
    const QImage closed = w->grab().toImage();
    for (const auto& b : kBoxes)
        EXPECT_FALSE(borderShown(closed, b.box)) << "hidden when the face opens";

    // Every combination, reached by choosing items of the submenu; each step changes one toggle (a Gray code).
    std::array<bool, 3> on{};
    for (int step = 1; step < 8; ++step) {
        const int bit = std::countr_zero(unsigned(step));
        item(w, toggles[bit].second)->trigger();
        on[bit] = !on[bit];
        const QImage shot = w->grab().toImage();
        QString combination;
        for (std::size_t i = 0; i < 3; ++i) {
            combination += on[i] ? QLatin1String(toggles[i].second) + u' ' : QString();
            EXPECT_EQ(item(w, toggles[i].second)->isChecked(), on[i]) << "step " << step << " " << toggles[i].second;
            EXPECT_EQ(w->model().isShown(toggles[i].first), on[i]) << "step " << step;
        }
        for (const auto& b : kBoxes)
            EXPECT_EQ(borderShown(shot, b.box), on[std::size_t(b.toggle)])
                << qPrintable(combination) << "box at " << b.box.x() << "," << b.box.y();
    }
}

TEST_F(SmallFacesTest, TogglesAndPlaceAreResetWhenTheFaceOpensAgain) {
    auto* w = open<Mini>(FaceKind::Digitale);
    for (const char* name : {"vissec", "vismes", "visgiorno"})
        item(w, name)->trigger();
    w->move(10, 10);
    item(w, "analogico")->trigger();
    settle();
    auto* again = open<Mini>(FaceKind::Digitale);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->pos(), QPoint(583, 369));
    for (const char* name : {"vissec", "vismes", "visgiorno"})
        EXPECT_FALSE(item(again, name)->isChecked()) << name;
    EXPECT_FALSE(again->model().view().vissec || again->model().view().vismes || again->model().view().visgiorno);
    EXPECT_TRUE(again->model().view().lampeggio);
}

TEST_F(SmallFacesTest, AWakeUpRepaintsOnlyWhatChanged) {
    clock.setLocal(2026, 12, 9, 9, 5, 58);
    auto* star = open<Mini>(FaceKind::Digitale);
    QCoreApplication::processEvents();
    auto* starPaints = new PaintRecorder;
    star->installEventFilter(starPaints);
    clock.advanceMs(1000); // 09:05:59
    test::wakeTimers(*star);
    ASSERT_EQ(starPaints->regions.size(), 1) << "the new second is painted before the wake-up returns";
    EXPECT_EQ(starPaints->regions[0].boundingRect(), QRect(96, 87, 3, 26)) << "only the separator";
    starPaints->regions.clear();
    clock.advanceMs(1000); // 09:06:00
    test::wakeTimers(*star);
    ASSERT_EQ(starPaints->regions.size(), 1);
    EXPECT_TRUE(starPaints->regions[0].contains(QPoint(140, 100))) << "the minute's units";
    EXPECT_FALSE(starPaints->regions[0].intersects(QRect(40, 86, 25, 28))) << "not the hours";
    starPaints->regions.clear();
    clock.advanceMs(300);
    test::wakeTimers(*star);
    QCoreApplication::processEvents();
    EXPECT_TRUE(starPaints->regions.isEmpty()) << "a wake-up within the same second paints nothing";
    delete starPaints;

    item(star, "MiniMenu")->trigger();
    settle();
    auto* oval = static_cast<Orologino*>(faces.window(FaceKind::Mini));
    ASSERT_NE(oval, nullptr);
    QCoreApplication::processEvents();
    PaintRecorder ovalPaints;
    oval->installEventFilter(&ovalPaints);
    clock.advanceMs(700);
    test::wakeTimers(*oval);
    ASSERT_EQ(ovalPaints.regions.size(), 1);
    EXPECT_EQ(ovalPaints.regions[0].boundingRect(), QRect(40, 45, 17, 16)) << "only the seconds";
    oval->removeEventFilter(&ovalPaints);
}

} // namespace
