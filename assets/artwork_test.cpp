// Tests of the compiled-in pictures: each parses cleanly in Qt's SVG renderer at its exact size, the dial keeps
// the hands' area flat, the liquid-crystal digits light the right segments, and the render helper caches.
#include "assets/artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLineF>
#include <QPolygon>
#include <QRegion>
#include <QSet>
#include <QSvgRenderer>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct Picture {
    const char* name;
    int width;
    int height;
    bool opaque; // false: transparent round the drawing
};

const std::vector<Picture>& pictures() {
    static const std::vector<Picture> all = [] {
        std::vector<Picture> list = {
            {"dial", 216, 214, true},        {"logo", 227, 227, false},     {"logo_small", 32, 32, false},
            {"info", 32, 32, false},         {"fireworks", 317, 421, true}, {"quadrantix_face", 663, 138, true},
            {"pointer_face", 32, 32, false}, {"logo_48", 48, 48, false},    {"quadrantix", 256, 256, false},
            {"star_dial", 200, 199, false},  {"pointer_star", 32, 32, false}, {"mini_dial", 98, 74, false},
            {"pointer_mini", 32, 32, false}, {"saver_star", 507, 567, false}, {"saver_dial", 500, 500, false},
            {"saver_water", 567, 566, false}, {"saver_frame", 663, 138, false},
            {"countdown_strip", 40, 227, false}, {"options_bigben", 64, 160, false},
            {"options_chime", 48, 48, false}, {"options_bell", 48, 48, false}, {"options_timer", 64, 64, false},
            {"options_saver", 32, 32, false},
        };
        static const std::vector<std::string> names = [] {
            std::vector<std::string> n;
            for (int d = 0; d <= 9; ++d) {
                n.push_back("lcd_large_" + std::to_string(d));
                n.push_back("lcd_small_" + std::to_string(d));
            }
            for (const char* tool : {"lap", "mode", "start", "stop", "reset", "analog", "digital", "options", "exit",
                                     "cancel", "screensaver", "mini"})
                n.push_back(std::string("tb_") + tool);
            return n;
        }();
        for (const std::string& name : names) {
            int width = 48;
            int height = 48;
            if (name.starts_with("lcd_large_")) {
                const char digit = name.back();
                width = digit == '1' ? 36 : digit == '7' ? 53 : 52;
                height = 59;
            } else if (name.starts_with("lcd_small_")) {
                width = name.back() == '1' ? 17 : 25;
                height = 28;
            }
            list.push_back({name.c_str(), width, height, false});
        }
        return list;
    }();
    return all;
}

QString resourcePath(const char* name) {
    return QStringLiteral(":/assets/%1.svg").arg(QLatin1String(name));
}

// Collects what Qt's SVG parser complains about: an element or attribute it does not support.
class SvgWarnings {
public:
    SvgWarnings() { previous_ = qInstallMessageHandler(&SvgWarnings::handle); }
    ~SvgWarnings() { qInstallMessageHandler(previous_); }
    SvgWarnings(const SvgWarnings&) = delete;
    SvgWarnings& operator=(const SvgWarnings&) = delete;

    static QStringList& messages() {
        static QStringList list;
        return list;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext&, const QString& message) { messages() << message; }
    QtMessageHandler previous_;
};

void PrintTo(const Picture& picture, std::ostream* out) {
    *out << picture.name;
}

class EachPicture : public ::testing::TestWithParam<Picture> {};

TEST_P(EachPicture, ParsesCleanlyAtItsExactSize) {
    const Picture& picture = GetParam();
    SvgWarnings::messages().clear();
    QSvgRenderer renderer;
    {
        SvgWarnings warnings;
        ASSERT_TRUE(renderer.load(resourcePath(picture.name)));
    }
    EXPECT_TRUE(SvgWarnings::messages().isEmpty()) << SvgWarnings::messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(renderer.defaultSize(), QSize(picture.width, picture.height));
    EXPECT_EQ(renderer.viewBoxF(), QRectF(0, 0, picture.width, picture.height));
}

TEST_P(EachPicture, IsOpaqueOrTransparentRoundTheDrawing) {
    const Picture& picture = GetParam();
    const QImage image = qx::renderArtwork(QLatin1String(picture.name)).toImage();
    ASSERT_EQ(image.size(), QSize(picture.width, picture.height));
    const QPoint corners[] = {
        {0, 0}, {picture.width - 1, 0}, {0, picture.height - 1}, {picture.width - 1, picture.height - 1}};
    for (const QPoint corner : corners) {
        const int alpha = qAlpha(image.pixel(corner));
        if (picture.opaque)
            EXPECT_EQ(alpha, 255) << "corner " << corner.x() << "," << corner.y();
        else
            EXPECT_EQ(alpha, 0) << "corner " << corner.x() << "," << corner.y();
    }
}

INSTANTIATE_TEST_SUITE_P(Artwork, EachPicture, ::testing::ValuesIn(pictures()),
                         [](const ::testing::TestParamInfo<Picture>& info) { return std::string(info.param.name); });

TEST(Artwork, EveryCompiledPictureIsChecked) {
    QSet<QString> listed;
    for (const Picture& picture : pictures())
        listed.insert(QLatin1String(picture.name) + QStringLiteral(".svg"));
    const QStringList compiled = QDir(QStringLiteral(":/assets")).entryList({QStringLiteral("*.svg")}, QDir::Files);
    EXPECT_EQ(QSet<QString>(compiled.begin(), compiled.end()), listed);
}

// The programs erase their hands by repainting the face colour, so each face must be exactly that colour as far
// as the hands reach from the hub; the numerals and ticks sit between that and the pink ring.
struct DialCase {
    const char* name;
    QPointF hub;
    double flatRadius; // the longest hand plus half its pen
    double ringRadius; // a radius inside the pink ring
    int minimumChecked;
    QRgb corner; // the ground outside the ring
};

void PrintTo(const DialCase& dial, std::ostream* out) {
    *out << dial.name;
}

class Dial : public ::testing::TestWithParam<DialCase> {};

TEST_P(Dial, IsFlatFaceColourAroundTheHubInsideAPinkRing) {
    const DialCase& dial = GetParam();
    const QImage image =
        qx::renderArtwork(QLatin1String(dial.name)).toImage().convertToFormat(QImage::Format_ARGB32);
    int checked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (std::hypot(x + 0.5 - dial.hub.x(), y + 0.5 - dial.hub.y()) > dial.flatRadius)
                continue;
            ++checked;
            const QRgb pixel = image.pixel(x, y);
            if (pixel != qRgb(0, 102, 102)) {
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << qRed(pixel) << "," << qGreen(pixel) << ","
                              << qBlue(pixel) << " alpha " << qAlpha(pixel);
                return;
            }
        }
    }
    EXPECT_GT(checked, dial.minimumChecked);

    for (int step = 0; step < 24; ++step) {
        const double angle = step * std::numbers::pi / 12;
        const QPoint at = (dial.hub + QPointF(std::sin(angle), -std::cos(angle)) * dial.ringRadius).toPoint();
        const QColor ring = QColor::fromRgb(image.pixel(at));
        EXPECT_GT(ring.red(), 170) << "ring at step " << step;
        EXPECT_LT(ring.green(), 140) << "ring at step " << step;
        EXPECT_GT(ring.blue(), 90) << "ring at step " << step;
        EXPECT_GT(ring.red(), ring.green() + 80) << "ring at step " << step;
    }
    EXPECT_EQ(image.pixel(0, 0), dial.corner);
}

// The clock's hands reach 53 px (800 twips and a 3 px pen); the screensaver's 133 px with a 10 px pen.
INSTANTIATE_TEST_SUITE_P(Artwork, Dial,
                         ::testing::Values(DialCase{"dial", {109, 107.5}, 56, 99, 9000, qRgb(255, 255, 255)},
                                           DialCase{"saver_dial", {250, 250}, 142, 225, 62000, 0}),
                         [](const ::testing::TestParamInfo<DialCase>& info) { return std::string(info.param.name); });

// The shaped faces give their window shapes from the outer corner of a framed window; the pictures are drawn
// for a frame 3 px wide whose title bar ends 21 px down, so that is where the client area, and the picture, begin.
const QPoint kFrame(3, 21);

QRegion starRegion() {
    const QPolygon star({{100, 20}, {135, 85}, {200, 120}, {135, 155}, {100, 220}, {65, 155}, {0, 120}, {65, 85}});
    return QRegion(star.translated(-kFrame), Qt::WindingFill) & QRegion(0, 0, 195, 200);
}

QRect twips(int left, int top, int width, int height) {
    return QRect(QPoint(left, top) / 15, QSize(width, height) / 15);
}

// Every pixel the star-shaped window shows is covered by the star; nothing of it shows outside.
TEST(StarDial, CoversTheWindowShapeExactly) {
    const QImage image = qx::renderArtwork(QStringLiteral("star_dial")).toImage();
    ASSERT_EQ(image.size(), QSize(200, 199));
    int shown = 0;
    for (const QRect& rect : starRegion()) {
        for (int y = rect.top(); y <= rect.bottom() && y < image.height(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                ++shown;
                if (qAlpha(image.pixel(x, y)) != 255) {
                    ADD_FAILURE() << "pixel " << x << "," << y << " of the window is not covered";
                    return;
                }
            }
        }
    }
    EXPECT_GT(shown, 13000);
    // A few pixels outside each edge, the picture is clear.
    const QPolygonF star = QPolygonF(QPolygon({{100, 20}, {135, 85}, {200, 120}, {135, 155}, {100, 220},
                                               {65, 155}, {0, 120}, {65, 85}}))
                               .translated(-kFrame);
    const QPointF centre(97, 99);
    for (int i = 0; i < star.size(); ++i) {
        const QPointF mid = (star[i] + star[(i + 1) % star.size()]) / 2;
        const QLineF edge(star[i], star[(i + 1) % star.size()]);
        QPointF normal = QPointF(edge.dy(), -edge.dx()) / edge.length();
        if (QPointF::dotProduct(normal, mid - centre) < 0)
            normal = -normal;
        const QPoint outside = (mid + normal * 4).toPoint();
        EXPECT_EQ(qAlpha(image.pixel(outside)), 0) << "edge " << i;
    }
}

// The time panel and the five date boxes the face paints all lie on the star, clear of its edges.
TEST(StarDial, HoldsEveryBoxOfTheFace) {
    const QRegion region = starRegion();
    const QRect boxes[] = {twips(555, 1200, 1815, 570), twips(2400, 1355, 300, 255), twips(1165, 630, 595, 255),
                           twips(962, 930, 1000, 240),  twips(975, 1800, 1000, 230), twips(1150, 2065, 595, 255)};
    for (const QRect& box : boxes) {
        const QRect inner = box.adjusted(2, 2, -2, -2); // the boxes have rounded corners
        for (const QPoint corner : {inner.topLeft(), inner.topRight(), inner.bottomLeft(), inner.bottomRight()})
            EXPECT_TRUE(region.contains(corner)) << "box at " << box.x() << "," << box.y();
    }
}

// The oval window shows only the dial, which lies 8 px down the client area.
TEST(MiniDial, CoversTheWindowShape) {
    const QImage image = qx::renderArtwork(QStringLiteral("mini_dial")).toImage();
    const QRegion region(QRect(5, 31, 92, 70).translated(-kFrame), QRegion::Ellipse);
    const QPoint picture(0, 8);
    int shown = 0;
    for (const QRect& rect : region) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                ++shown;
                const QPoint at = QPoint(x, y) - picture;
                ASSERT_TRUE(image.rect().contains(at)) << x << "," << y;
                ASSERT_EQ(qAlpha(image.pixel(at)), 255) << "pixel " << x << "," << y << " of the window";
            }
        }
    }
    EXPECT_GT(shown, 4800);
}

// The screensaver's star leaves its display window clear for the program's panel (252, 260, 296 x 88 px on the
// screen, the picture at (147, 0)) and frames it in black.
TEST(SaverStar, LeavesTheDisplayWindowClearInABlackFrame) {
    const QImage image = qx::renderArtwork(QStringLiteral("saver_star")).toImage();
    const QRect window(105, 260, 296, 88);
    for (int y = window.top(); y <= window.bottom(); ++y)
        for (int x = window.left(); x <= window.right(); ++x)
            ASSERT_EQ(qAlpha(image.pixel(x, y)), 0) << "pixel " << x << "," << y;
    for (const QPoint frame : {QPoint(253, 258), QPoint(253, 349), QPoint(103, 304), QPoint(402, 304)}) {
        const QRgb pixel = image.pixel(frame);
        EXPECT_EQ(qAlpha(pixel), 255) << frame.x() << "," << frame.y();
        EXPECT_LT(qGray(pixel), 40) << frame.x() << "," << frame.y();
    }
    EXPECT_EQ(qAlpha(image.pixel(253, 150)), 255); // the upper arm
}

// The options dialog crosses out the Big Ben and chime pictures with yellow lines from corner to corner while
// their sounds are off; the pictures must not be yellow there, or the cross would not show.
TEST(OptionsPictures, LeaveTheYellowCrossVisible) {
    for (const char* name : {"options_bigben", "options_chime"}) {
        const QImage image = qx::renderArtwork(QLatin1String(name)).toImage();
        int yellow = 0;
        int samples = 0;
        for (int i = 0; i < 200; ++i) {
            const double t = (i + 0.5) / 200;
            for (const QPointF at : {QPointF(t * image.width(), t * image.height()),
                                     QPointF((1 - t) * image.width(), t * image.height())}) {
                const QRgb pixel = image.pixel(at.toPoint());
                if (qAlpha(pixel) < 128)
                    continue;
                ++samples;
                yellow += qRed(pixel) > 200 && qGreen(pixel) > 170 && qBlue(pixel) < 110;
            }
        }
        EXPECT_GT(samples, 0) << name;
        EXPECT_LT(yellow * 10, samples) << name << ": " << yellow << " of " << samples << " are yellow";
    }
}

// Centres of the seven segments in each design, in picture pixels of the 52 × 59 and 25 × 28 cells.
struct SegmentCentres {
    const char* size;
    QPointF a, b, c, d, e, f, g;
    double oneShift; // the 1 keeps its right-hand column at the right edge of its narrower picture
};

const SegmentCentres largeCells{"large",     {27.9, 4.5}, {45.6, 16.5}, {43.4, 41.5}, {23.6, 54.5},
                                {5.9, 41.5}, {8.1, 16.5}, {25.8, 28.5}, -16};
const SegmentCentres smallCells{"small",    {13.0, 2.5},  {21.2, 8.0}, {20.2, 19.5}, {11.0, 25.5}, {2.9, 19.5},
                                {3.9, 8.0}, {12.1, 13.5}, -8};

struct DigitCase {
    int digit;
    const SegmentCentres* cells;
};

void PrintTo(const DigitCase& digitCase, std::ostream* out) {
    *out << digitCase.cells->size << ' ' << digitCase.digit;
}

class LcdDigit : public ::testing::TestWithParam<DigitCase> {};

// Dark, nearly opaque segments where the digit is lit; at most a faint ghost elsewhere; clear background.
TEST_P(LcdDigit, LightsItsSegmentsOnAClearBackground) {
    static const char* const lit[] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                                      "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
    const auto [digit, cells] = GetParam();
    const QImage image =
        qx::renderArtwork(QStringLiteral("lcd_%1_%2").arg(QLatin1String(cells->size)).arg(digit)).toImage();
    ASSERT_FALSE(image.isNull());
    const std::pair<char, QPointF> segments[] = {{'a', cells->a}, {'b', cells->b}, {'c', cells->c}, {'d', cells->d},
                                                 {'e', cells->e}, {'f', cells->f}, {'g', cells->g}};
    for (const auto& [segment, centre] : segments) {
        const bool on = std::string_view(lit[digit]).find(segment) != std::string_view::npos;
        const QPointF at = centre + QPointF(digit == 1 ? cells->oneShift : 0, 0);
        if (at.x() < 0)
            continue; // outside the 1's picture
        const QRgb pixel = image.pixel(int(std::floor(at.x())), int(std::floor(at.y())));
        if (on) {
            EXPECT_GT(qAlpha(pixel), 200) << "segment " << segment;
            EXPECT_LT(qGray(pixel), 60) << "segment " << segment;
        } else {
            EXPECT_LT(qAlpha(pixel), 40) << "segment " << segment;
        }
    }
    int clear = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            clear += qAlpha(image.pixel(x, y)) == 0;
    EXPECT_GT(clear, image.width() * image.height() / 4);
}

std::vector<DigitCase> digitCases() {
    std::vector<DigitCase> cases;
    for (const SegmentCentres* cells : {&largeCells, &smallCells})
        for (int digit = 0; digit <= 9; ++digit)
            cases.push_back({digit, cells});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Artwork, LcdDigit, ::testing::ValuesIn(digitCases()),
                         [](const ::testing::TestParamInfo<DigitCase>& info) {
                             return std::string(info.param.cells->size) + "_" + std::to_string(info.param.digit);
                         });

TEST(RenderArtwork, RendersAtNaturalOrGivenSizeAndCaches) {
    const QPixmap natural = qx::renderArtwork(QStringLiteral("logo"));
    EXPECT_EQ(natural.size(), QSize(227, 227));
    EXPECT_EQ(natural.devicePixelRatio(), 1.0);
    EXPECT_TRUE(natural.hasAlphaChannel());

    const QPixmap small = qx::renderArtwork(QStringLiteral("logo"), QSize(48, 48));
    EXPECT_EQ(small.size(), QSize(48, 48));
    EXPECT_EQ(qx::renderArtwork(QStringLiteral("logo"), QSize(48, 48)).cacheKey(), small.cacheKey());
    EXPECT_NE(natural.cacheKey(), small.cacheKey());

    EXPECT_TRUE(qx::renderArtwork(QStringLiteral("no_such_picture")).isNull());
}

// Shared while held, and not kept by the cache alone: a face that copied its dial into its background holds the
// dial once.
TEST(RenderArtwork, APictureNoOneHoldsIsDroppedOnceTheEventLoopTurns) {
    QPixmap held = qx::renderArtwork(QStringLiteral("dial"));
    const qint64 dropped = qx::renderArtwork(QStringLiteral("logo"), QSize(40, 40)).cacheKey();
    QCoreApplication::processEvents();
    EXPECT_EQ(qx::renderArtwork(QStringLiteral("dial")).cacheKey(), held.cacheKey()) << "still held: shared";
    EXPECT_NE(qx::renderArtwork(QStringLiteral("logo"), QSize(40, 40)).cacheKey(), dropped) << "rendered again";
    EXPECT_FALSE(qx::renderArtwork(QStringLiteral("logo"), QSize(40, 40)).isNull());
}

TEST(RenderArtwork, MakesAPointerWithItsHotSpot) {
    const QCursor cursor = qx::artworkCursor(QStringLiteral("pointer_face"), QPoint(15, 15));
    EXPECT_EQ(cursor.hotSpot(), QPoint(15, 15));
    EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
