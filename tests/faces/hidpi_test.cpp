// On a screen scaled by two (QT_SCALE_FACTOR=2, set by the test's registration) the faces are painted at the screen's
// resolution, not scaled up from pictures made for one, and keep their shapes.
#include "core/faces.h"
#include "core/settings_store.h"
#include "faces/digitale.h"
#include "faces/mini.h"
#include "faces/orologino.h"
#include "faces/orologio.h"
#include "platform/random.h"
#include "saver/hidden_pointer.h"
#include "saver/saver_window.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_power_service.h"
#include "tests/support/temp_dir.h"

#include <QAction>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace qx;

namespace {

// Of the aligned 2 x 2 blocks of device pixels on an edge (a block unlike its right or lower neighbour, or split
// itself), the share that is split. A picture painted for ratio 1 and scaled up has none; a crisp one, most.
double splitEdgeShare(const QImage& image) {
    const auto block = [&](int bx, int by) { return image.pixel(2 * bx, 2 * by); };
    const auto split = [&](int bx, int by) {
        const QRgb a = block(bx, by);
        return image.pixel(2 * bx + 1, 2 * by) != a || image.pixel(2 * bx, 2 * by + 1) != a ||
               image.pixel(2 * bx + 1, 2 * by + 1) != a;
    };
    int edges = 0, splits = 0;
    for (int by = 0; by + 1 < image.height() / 2; ++by)
        for (int bx = 0; bx + 1 < image.width() / 2; ++bx) {
            const bool isSplit = split(bx, by);
            if (isSplit || block(bx, by) != block(bx + 1, by) || block(bx, by) != block(bx, by + 1)) {
                ++edges;
                splits += isSplit;
            }
        }
    return edges ? double(splits) / edges : 0;
}

// The same widget painted at ratio 1 and scaled up by two, as a face without its own high-resolution pictures shows.
QImage scaledUp(QWidget* w) {
    QImage low(w->size(), QImage::Format_ARGB32_Premultiplied);
    low.setDevicePixelRatio(1);
    low.fill(Qt::white);
    w->render(&low);
    return low.scaled(low.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

class HiDpiTest : public test::TempDirTest {
protected:
    HiDpiTest() : store(file(QStringLiteral("q.ini"))) {
        faces.setFactory(FaceKind::Analogico, [this] { return new Orologio(clock, faces); });
        faces.setFactory(FaceKind::Quadrantix, [this] { return new Digitale(clock, store, faces, power); });
        faces.setFactory(FaceKind::Digitale, [this] { return new Mini(clock, faces); });
        faces.setFactory(FaceKind::Mini, [this] { return new Orologino(clock, faces); });
    }
    ~HiDpiTest() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const FaceKind kind : {FaceKind::Analogico, FaceKind::Digitale, FaceKind::Mini, FaceKind::Quadrantix})
            delete faces.window(kind);
    }
    // The share of split edge blocks of a face painted at twice the scale, after checking that the measure sees a
    // face painted at scale one and scaled up as blocky.
    void expectCrisp(QWidget* face) {
        const QImage crisp = face->grab().toImage();
        ASSERT_EQ(crisp.size(), face->size() * 2) << qPrintable(face->objectName());
        const double sharp = splitEdgeShare(crisp);
        const double blocky = splitEdgeShare(scaledUp(face));
        EXPECT_LT(blocky, 0.01) << qPrintable(face->objectName()) << ": the measure sees a scaled-up picture";
        EXPECT_GT(sharp, 0.4) << qPrintable(face->objectName()) << ": split edge blocks " << sharp;
        RecordProperty(face->objectName().toStdString() + "_split_edge_share", std::to_string(sharp));
    }
    test::FakeClock clock;
    SettingsStore store;
    FakePowerService power;
    FaceManager faces;
};

TEST_F(HiDpiTest, FacesAreCrispAtTwiceTheScaleAndKeepTheirShapes) {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
    clock.setLocal(2026, 12, 9, 10, 8, 37);
    auto* orologio = static_cast<Orologio*>(faces.loadOrologio());
    faces.showFace(FaceKind::Analogico);
    orologio->handsTick();
    auto* digitale =
        static_cast<Digitale*>((faces.showFace(FaceKind::Quadrantix, orologio), faces.window(FaceKind::Quadrantix)));
    ASSERT_NE(digitale, nullptr);
    digitale->chooseMode(LargeMode::OraCorr);
    orologio->show();

    for (QWidget* face : std::initializer_list<QWidget*>{orologio, digitale})
        expectCrisp(face);

    // The shapes stay in the faces' own pixels, and the scaled picture fills them: the dial's rim just inside the
    // analog face's ellipse is pink, not the white of the square around it.
    EXPECT_EQ(orologio->mask(), QRegion(QRect(10, 10, 197, 196), QRegion::Ellipse));
    const QImage dial = orologio->grab().toImage();
    for (const QPoint p : {QPoint(108, 12), QPoint(108, 203), QPoint(12, 108), QPoint(204, 108)}) {
        ASSERT_TRUE(orologio->mask().contains(p));
        const QColor c = dial.pixelColor(p * 2);
        EXPECT_GT(c.red(), 180) << p.x() << "," << p.y();
        EXPECT_LT(c.green(), 160) << p.x() << "," << p.y() << ": rim colour, not white";
    }
    EXPECT_EQ(digitale->mask().boundingRect(), QRect(0, 0, 662, 194));
}

TEST_F(HiDpiTest, ScreensaverFacesAreCrispAtTwiceTheScale) {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
    clock.setLocal(2026, 12, 9, 10, 8, 37);
    SeededRandom random;
    saver::HiddenPointer pointer;
    for (const char* face : {"Analogico", "Digitale", "Mini", "Quadrantix"}) {
        store.write(keys::Salvaschermo, QString::fromLatin1(face));
        std::unique_ptr<saver::SaverWindow> window(saver::startScreensaver(clock, store, random, pointer));
        ASSERT_TRUE(window) << face;
        EXPECT_EQ(window->stage().ratio, 2.0) << face;
        const QImage crisp = window->grab().toImage();
        ASSERT_EQ(crisp.size(), window->size() * 2) << face;
        // The design's 800 x 600 pixels, where the pictures are; the rest is the plain background.
        const QRect design(QPoint(window->stage().origin()) * 2, QSize(1600, 1200));
        const double sharp = splitEdgeShare(crisp.copy(design));
        EXPECT_GT(sharp, 0.4) << face << ": split edge blocks " << sharp;
        RecordProperty(std::string("saver_") + face + "_split_edge_share", std::to_string(sharp));
        pointer.show();
    }
}

TEST_F(HiDpiTest, SmallFacesAreCrispAtTwiceTheScaleAndKeepTheirShapes) {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
    clock.setLocal(2026, 12, 9, 10, 8, 37);
    FaceWindow* orologio = faces.loadOrologio();
    faces.showFace(FaceKind::Digitale, orologio);
    auto* star = static_cast<Mini*>(faces.window(FaceKind::Digitale));
    ASSERT_NE(star, nullptr);
    for (const char* toggle : {"vissec", "vismes", "visgiorno"})
        star->findChild<QAction*>(QLatin1String(toggle))->trigger();
    expectCrisp(star);
    const QRegion starShape = star->mask();
    EXPECT_TRUE(starShape.contains(QPoint(97, 1)) && starShape.contains(QPoint(2, 99)) && !starShape.contains({20, 20}))
        << "the star in the face's own pixels";

    faces.showFace(FaceKind::Mini, star);
    auto* oval = static_cast<Orologino*>(faces.window(FaceKind::Mini));
    ASSERT_NE(oval, nullptr);
    expectCrisp(oval);
    EXPECT_EQ(oval->mask(), QRegion(QRect(2, 10, 92, 70), QRegion::Ellipse));
    // The scaled dial fills the oval: its pink bezel just inside the shape, not the cyan client area.
    const QImage shot = oval->grab().toImage();
    for (const QPoint p : {QPoint(48, 11), QPoint(48, 78), QPoint(3, 45), QPoint(92, 45)}) {
        ASSERT_TRUE(oval->mask().contains(p));
        const QColor c = shot.pixelColor(p * 2);
        EXPECT_GT(c.red(), 150) << p.x() << "," << p.y() << ": bezel, not cyan";
    }
}

} // namespace
