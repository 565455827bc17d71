// The analog face: hand angles at the awkward hours, the drawn hands, the date label, the shape and the menu.
#include "core/faces.h"
#include "faces/orologio.h"
#include "tests/support/fake_clock.h"

#include <QImage>
#include <QLabel>
#include <QMenu>
#include <gtest/gtest.h>

#include <cmath>

using namespace qx;

TEST(AnalogHands, AnglesAndFoldedHourAtTheEdges) {
    const struct {
        const char* name;
        QTime time;
        const char* orario;
        int ora12;
        double sec, min, ore;
    } cases[] = {
        {"midnight folds to 0 and points to 12", QTime(0, 0, 0), "00.00.00", 0, 270, 270, 270},
        {"noon stays 12 and points to 12", QTime(12, 0, 0), "12.00.00", 12, 270, 270, 90 + 270 - 0 - 90},
        {"three o'clock", QTime(3, 0, 0), "03.00.00", 3, 270, 270, 0},
        {"half past six lies between 6 and 7", QTime(6, 30, 0), "06.30.00", 6, 270, 90, 105},
        {"afternoon folds to 1..11", QTime(13, 5, 30), "13.05.30", 1, 90, 300, 302.5},
        {"last second of the day", QTime(23, 59, 59), "23.59.59", 11, 264, 264, 269.5},
    };
    for (const auto& c : cases) {
        const AnalogHands h = analogHandsAt(c.time);
        EXPECT_EQ(h.orario, QLatin1String(c.orario)) << c.name;
        EXPECT_EQ(h.ora12, c.ora12) << c.name;
        EXPECT_DOUBLE_EQ(h.angSec, c.sec) << c.name;
        EXPECT_DOUBLE_EQ(h.angMin, c.min) << c.name;
        EXPECT_DOUBLE_EQ(std::fmod(h.angOre, 360), c.ore) << c.name;
    }
}

TEST(AnalogHands, PiAsThreePointFourteenTiltsTheHands) {
    const QPointF c(0, 0);
    const QPointF three = handEnd(c, 0, 1000);
    EXPECT_NEAR(std::atan2(three.y(), three.x()) * 180 / M_PI, 0.1824, 0.001) << "3 o'clock dips below horizontal";
    const QPointF twelve = handEnd(c, 270, 1000);
    EXPECT_NEAR(std::atan2(twelve.x(), -twelve.y()) * 180 / M_PI, 0.0456, 0.001) << "12 o'clock leans right";
}

class OrologioTest : public ::testing::Test {
protected:
    Orologio* make() {
        faces.setFactory(FaceKind::Analogico, [this] { return new Orologio(clock, faces); });
        return static_cast<Orologio*>(faces.loadOrologio());
    }
    QImage shot(Orologio* w) { return w->grab().toImage(); }

    test::FakeClock clock;
    FaceManager faces;
};

TEST_F(OrologioTest, LoadingShowsNoHandsUntilTheFirstTick) {
    Orologio* w = make();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->orario(), QString());
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("data_lbl"))->text(), QStringLiteral("00"));
    EXPECT_EQ(w->size(), QSize(218, 215));
    const QRegion shape = w->mask();
    EXPECT_TRUE(shape.contains(QPoint(109, 107)));
    for (const QPoint corner : {QPoint(2, 2), QPoint(215, 2), QPoint(2, 212), QPoint(215, 212)})
        EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();
    delete w;
}

// The colours within a pixel of a point along a hand (a one-pixel line may fall on either side of the ideal one).
static QList<QColor> along(const QImage& img, double angleDeg, double fraction) {
    const QPointF p = handEnd(QPointF(109, 107.5), angleDeg, 53.3 * fraction);
    QList<QColor> around;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            around << img.pixelColor(int(std::floor(p.x())) + dx, int(std::floor(p.y())) + dy);
    return around;
}

// The date label lies under the hands: near 12 o'clock they pass over it instead of vanishing behind it.
TEST_F(OrologioTest, HandsPassOverTheDateLabel) {
    Orologio* w = make();
    w->show();
    const QColor white(255, 255, 255), pink(252, 62, 157);
    const QRect label = w->findChild<QLabel*>(QStringLiteral("data_lbl"))->geometry();
    clock.setLocal(2026, 12, 11, 12, 0, 30); // hour and minute hands at 12, the second hand at 6
    w->handsTick();
    const QImage noon = shot(w);
    for (int y = label.top() + 1; y < label.bottom(); ++y)
        EXPECT_EQ(noon.pixelColor(109, y), white) << "the hands over the label at row " << y;
    EXPECT_EQ(noon.pixelColor(label.left() + 1, label.top() + 1), pink) << "the label beside them";

    clock.setLocal(2026, 12, 11, 3, 15, 30); // no hand near the label
    w->handsTick();
    clock.setLocal(2026, 12, 11, 3, 15, 31); // nor the erasing of the hands of noon, which this tick leaves behind
    w->handsTick();
    const QImage quarter = shot(w);
    int pinkInBand = 0;
    for (int y = label.top() + 1; y < label.bottom(); ++y)
        pinkInBand += quarter.pixelColor(109, y) == pink;
    EXPECT_GT(pinkInBand, 0) << "the label shows again where the hands were";
    delete w;
}

TEST_F(OrologioTest, HandsAreDrawnWhereTheTimePutsThem) {
    Orologio* w = make();
    w->show();
    const QColor green(0, 255, 0), white(255, 255, 255), face(0, 102, 102);
    clock.setLocal(2026, 12, 9, 3, 0, 0);
    w->handsTick();
    QImage img = shot(w);
    EXPECT_EQ(w->orario(), QStringLiteral("03.00.00"));
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("data_lbl"))->text(), QStringLiteral("09"));
    EXPECT_TRUE(along(img, 270, 0.95).contains(green)) << "second hand at 12, drawn over the minute hand";
    EXPECT_TRUE(along(img, 0, 0.6).contains(white)) << "hour hand at 3";
    EXPECT_EQ(along(img, 90, 0.6).count(face), 9) << "nothing at 6";

    clock.setLocal(2026, 12, 9, 6, 30, 15);
    w->handsTick();
    img = shot(w);
    EXPECT_TRUE(along(img, 0, 0.95).contains(green)) << "second hand at 3";
    EXPECT_TRUE(along(img, 90, 0.9).contains(white)) << "minute hand at 6";
    EXPECT_TRUE(along(img, 105, 0.6).contains(white)) << "hour hand between 6 and 7";
    EXPECT_FALSE(along(img, 0, 0.6).contains(white)) << "the old hour hand at 3 is erased under the second hand";
    EXPECT_EQ(along(img, 300, 0.9).count(face), 9) << "old minute hand erased";
    delete w;
}

TEST_F(OrologioTest, HiddenWindowKeepsTheTimeAndShowsCurrentHandsWhenShown) {
    Orologio* w = make();
    clock.setLocal(2026, 12, 9, 3, 0, 0);
    w->handsTick();
    EXPECT_EQ(w->orario(), QStringLiteral("03.00.00")) << "the time events read it while the face is hidden";
    EXPECT_EQ(w->ora12(), 3);
    w->show();
    const QImage img = shot(w);
    EXPECT_TRUE(along(img, 270, 0.95).contains(QColor(0, 255, 0)));
    EXPECT_TRUE(along(img, 0, 0.6).contains(QColor(255, 255, 255)));
    delete w;
}

TEST_F(OrologioTest, MenuHasTheSevenCommandsInOrder) {
    Orologio* w = make();
    auto* menu = w->findChild<QMenu*>(QStringLiteral("menu"));
    ASSERT_NE(menu, nullptr);
    QStringList captions, names;
    for (QAction* a : menu->actions()) {
        captions << a->text();
        names << a->objectName();
    }
    EXPECT_EQ(captions, (QStringList{"&Attiva salvaschermo", "&Digitale", "&Quadrantix", "&Mini", "&Opzioni",
                                     "&Info su Quadrantix", "&Chiudi"}));
    EXPECT_EQ(names, (QStringList{"scr", "dig", "maxdig", "MiniMenu", "opzioni", "info", "chiudi"}));
    // Only the analog face is in this program: every command but the exit has no window behind it.
    for (QAction* a : menu->actions())
        EXPECT_EQ(a->isEnabled(), a->objectName() == QLatin1String("chiudi")) << qPrintable(a->objectName());
    delete w;
}
