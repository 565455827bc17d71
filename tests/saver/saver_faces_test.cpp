// The screensaver's four faces: what each shows at a given time, its colon's phases, and where its parts lie.
#include "saver/analogico_face.h"
#include "saver/digitale_face.h"
#include "saver/interlude.h"
#include "saver/mini_face.h"
#include "saver/quadrantix_face.h"
#include "saver/saver_window.h"
#include "tests/support/qt_printers.h"

#include "core/fonts.h"
#include "core/settings_store.h"

#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <cmath>

using namespace qx;
using namespace qx::saver;

namespace {
const Stage kScreen{};

QDateTime at(int h, int m, int s, QDate date = QDate(2026, 12, 9)) {
    return QDateTime(date, QTime(h, m, s), QTimeZone::utc());
}
} // namespace

TEST(SaverFaceChoice, StoredValueComparedAsExactText) {
    const struct {
        const char* name;
        const char* stored;
        std::optional<FaceKind> face;
    } cases[] = {
        {"absent or empty means the analog face", "", FaceKind::Analogico},
        {"Analogico", "Analogico", FaceKind::Analogico},
        {"Digitale", "Digitale", FaceKind::Digitale},
        {"Mini", "Mini", FaceKind::Mini},
        {"Quadrantix", "Quadrantix", FaceKind::Quadrantix},
        {"lower case analogico names no face", "analogico", std::nullopt},
        {"a leading space before Mini names no face", " Mini", std::nullopt},
        {"a trailing space names no face", "Digitale ", std::nullopt},
        {"capitals name no face", "QUADRANTIX", std::nullopt},
    };
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("q.ini")));
    for (const auto& c : cases) {
        ASSERT_TRUE(store.write(keys::Salvaschermo, QString::fromUtf8(c.stored))) << c.name;
        EXPECT_EQ(chooseFace(store), c.face) << c.name;
    }
}

TEST(SaverAnalogico, WorkedAngles) {
    const struct {
        const char* name;
        QDateTime time;
        double sec, min, ore;
    } cases[] = {
        {"noon: all three up", at(12, 0, 0), 270, 270, 270},
        {"three o'clock: the hour hand right", at(15, 0, 0), 270, 270, 0},
        {"half past midnight: half-way from 12 to 1", at(0, 30, 0), 270, 90, 285},
        {"half past noon: the same", at(12, 30, 0), 270, 90, 285},
        {"the last second of the day", at(23, 59, 59), 264, 264, 269.5},
        {"one in the afternoon is one", at(13, 0, 0), 270, 270, 300},
        {"one in the morning", at(1, 0, 0), 270, 270, 300},
    };
    for (const auto& c : cases) {
        AnalogicoFace face(kScreen);
        face.clockTick(c.time);
        EXPECT_TRUE(face.dial().hands) << c.name;
        EXPECT_DOUBLE_EQ(face.dial().angSec, c.sec) << c.name;
        EXPECT_DOUBLE_EQ(face.dial().angMin, c.min) << c.name;
        EXPECT_DOUBLE_EQ(face.dial().angOre, c.ore) << c.name;
    }
}

TEST(SaverAnalogico, FirstTickErasesAtThreeOClockThenTheLastDrawnHands) {
    AnalogicoFace face(kScreen);
    EXPECT_FALSE(face.dial().hands) << "the dial alone before the first tick";
    EXPECT_EQ(face.dataLbl(), QStringLiteral("00"));
    face.clockTick(at(10, 8, 21, QDate(2026, 12, 5)));
    EXPECT_EQ(face.dial().prec_sec, 0);
    EXPECT_EQ(face.dial().prec_min, 0);
    EXPECT_EQ(face.dial().prec_ore, 0);
    EXPECT_EQ(face.dataLbl(), QStringLiteral("05")) << "two digits";
    const AnalogDialState first = face.dial();
    face.hideClock();
    EXPECT_FALSE(face.dial().hands) << "the interlude repaints the dial without hands, hub and disc";
    EXPECT_FALSE(face.dataLblVisible());
    face.showClock();
    EXPECT_TRUE(face.dataLblVisible());
    EXPECT_FALSE(face.dial().hands) << "the hands come back at the next tick";
    face.clockTick(at(10, 8, 40, QDate(2026, 12, 5)));
    EXPECT_EQ(face.dial().prec_sec, first.angSec) << "the hands stored before the interlude are erased first";
    EXPECT_EQ(face.dial().prec_min, first.angMin);
    EXPECT_EQ(face.dial().prec_ore, first.angOre);
}

TEST(SaverAnalogico, HandsAndDialShareTheirCentreOnAnyScreen) {
    for (const QSize screen : {QSize(800, 600), QSize(1024, 768), QSize(1920, 1080)}) {
        AnalogicoFace face(Stage{screen, 1.0});
        EXPECT_EQ(face.style().centre, QPointF(screen.width() / 2, screen.height() / 2)) << screen.width();
        EXPECT_EQ(face.style().discCentre.x(), screen.width() / 2);
        EXPECT_NEAR(face.style().discCentre.y() - face.style().centre.y(), (3100 - 4500) / 15.0, 1e-9);
        EXPECT_TRUE(QRectF(face.dataLblBox()).contains(face.style().discCentre)) << "the day lies on its disc";
    }
    AnalogicoFace face(kScreen);
    EXPECT_NEAR(face.style().minuteLength, 2000 / 15.0, 1e-9);
    EXPECT_NEAR(face.style().hourLength, 100, 1e-9);
    EXPECT_EQ(face.style().cap, Qt::RoundCap);
}

TEST(SaverDigitalFaces, DigitsAtTheWorkedTimes) {
    const struct {
        const char* name;
        FaceKind kind;
        QDateTime time;
        const char* digits;
    } cases[] = {
        {"Digitale at 09:05", FaceKind::Digitale, at(9, 5, 30), "0905"},
        {"Digitale at 23:59", FaceKind::Digitale, at(23, 59, 59), "2359"},
        {"Mini at 07:08:09, seconds below", FaceKind::Mini, at(7, 8, 9), "070809"},
        {"Mini at midnight", FaceKind::Mini, at(0, 0, 0), "000000"},
        {"Quadrantix at 13:04:59", FaceKind::Quadrantix, at(13, 4, 59), "130459"},
    };
    for (const auto& c : cases) {
        auto face = makeFace(c.kind, kScreen);
        face->clockTick(c.time);
        const DigitSlots* cells = c.kind == FaceKind::Digitale ? &static_cast<DigitaleFace&>(*face).cells()
                                  : c.kind == FaceKind::Mini   ? &static_cast<MiniFace&>(*face).cells()
                                                               : &static_cast<QuadrantixFace&>(*face).cells();
        EXPECT_EQ(cells->digits(), QLatin1String(c.digits)) << c.name;
    }
}

TEST(SaverQuadrantix, ItalianDateLabelsShownFromTheFirstTick) {
    QuadrantixFace face(kScreen, QLocale(QLocale::Italian, QLocale::Italy));
    EXPECT_FALSE(face.labelsVisible()) << "hidden until the first clock tick";
    face.clockTick(at(13, 4, 59, QDate(2000, 12, 4)));
    EXPECT_TRUE(face.labelsVisible());
    EXPECT_EQ(face.giorno_sett(), QStringLiteral("lunedì"));
    EXPECT_EQ(face.datalbl(), QStringLiteral("04 dicembre"));
    EXPECT_EQ(face.annolbl(), QStringLiteral("2000"));
    EXPECT_EQ(face.cells().digits(), QStringLiteral("130459"));
}

TEST(SaverDigitale, ColonBarsMeetAndPartOnceASecondEvenWhileHidden) {
    DigitaleFace face(kScreen);
    const auto [line1, line2] = face.bars();
    EXPECT_EQ(line1.top(), 276);    // 4140 twips
    EXPECT_EQ(line2.bottom(), 331); // 4980 twips, the last row
    face.colonTick(false);
    EXPECT_TRUE(face.fase_punti());
    EXPECT_EQ(face.bars()[0].top(), qx::pxi(4420)) << "Line1 down to 4420-4660";
    EXPECT_EQ(face.bars()[0].bottom() + 1, qx::pxi(4660));
    EXPECT_EQ(face.bars()[1].top(), qx::pxi(4460)) << "Line2 up to 4460-4700: they overlap";
    EXPECT_LT(face.bars()[1].top(), face.bars()[0].bottom());
    face.colonTick(false);
    EXPECT_EQ(face.bars()[0], line1) << "back at their design places";
    face.hideClock();
    face.colonTick(true);
    EXPECT_TRUE(face.fase_punti()) << "the bars keep moving while an interlude hides them";
    EXPECT_FALSE(face.barsVisible());
    face.showClock();
    EXPECT_TRUE(face.barsVisible());
}

TEST(SaverMini, DotsBlinkAndAnInterludeHidesThem) {
    MiniFace face(kScreen);
    EXPECT_TRUE(face.dotsVisible()) << "visible at creation";
    face.colonTick(false);
    EXPECT_FALSE(face.dotsVisible()) << "the first colon tick hides them";
    face.colonTick(false);
    EXPECT_TRUE(face.dotsVisible());
    face.hideClock();
    face.colonTick(true);
    EXPECT_FALSE(face.dotsVisible());
    face.colonTick(true);
    EXPECT_FALSE(face.dotsVisible()) << "they stay hidden through the interlude";
    face.showClock();
    EXPECT_FALSE(face.dotsVisible()) << "not yet: the next colon tick brings them back";
    face.colonTick(false);
    EXPECT_TRUE(face.dotsVisible());
}

TEST(SaverQuadrantix, ColonsMoveThreeHundredUnitsAndHoldDuringAnInterlude) {
    QuadrantixFace face(kScreen);
    const std::array<QRect, 2> apart = face.bars(0);
    face.colonTick(false);
    EXPECT_TRUE(face.fase_punti());
    // Upper bars 4620.25-4860.25 twips, lower bars 4687.75-4927.75: 17.75 pixels each way, to the nearest pixel.
    EXPECT_NEAR(face.bars(0)[0].top(), 4620.25 / 15, 1);
    EXPECT_NEAR(face.bars(0)[1].top(), 4687.75 / 15, 1);
    EXPECT_EQ(face.bars(1)[0].top(), face.bars(0)[0].top()) << "both colons together";
    face.hideClock();
    face.colonTick(true);
    EXPECT_TRUE(face.fase_punti()) << "while paused the bars do not move";
    face.showClock();
    face.colonTick(false);
    EXPECT_EQ(face.bars(0), apart);
}

TEST(SaverFaces, MakerLabelsFitTheirBoxes) {
    for (const FaceKind kind : {FaceKind::Analogico, FaceKind::Digitale, FaceKind::Mini, FaceKind::Quadrantix}) {
        const auto face = makeFace(kind, kScreen);
        for (int i = 0; i < 3; ++i) {
            const MakerLabel& label = face->layout().labels[std::size_t(i)];
            const QFontMetrics metrics(arialBlack(label.points));
            const QString text = SaverWindow::makerLabel(i);
            EXPECT_LE(metrics.horizontalAdvance(text), qx::pxi(label.width))
                << faceName(kind).toStdString() << " " << i;
            EXPECT_LE(metrics.height(), qx::pxi(label.height) + 2) << faceName(kind).toStdString() << " " << i;
        }
    }
}

TEST(SaverInterludeGeometry, OnTheDesignScreenAsLaidOut) {
    const InterludeGeometry twips = InterludeGeometry::of(kScreen, makeFace(FaceKind::Mini, kScreen)->layout());
    EXPECT_NEAR(twips.area.width(), 17000 / 15.0, 1e-9);
    EXPECT_NEAR(twips.area.height(), 12000 / 15.0, 1e-9);
    EXPECT_EQ(twips.points, 200000);
    EXPECT_NEAR(twips.strokeScale * 3000, 200, 1e-9);
    EXPECT_EQ(twips.strokeWidth, 450);
    EXPECT_EQ(twips.title, QPointF(100 / 15.0, 2000 / 15.0));
    // The large face's own unit: the area is 16575 x 10650 twips, the strokes 2925 twips apart.
    const InterludeGeometry units = InterludeGeometry::of(kScreen, makeFace(FaceKind::Quadrantix, kScreen)->layout());
    EXPECT_NEAR(units.area.width(), 16575 / 15.0, 1e-9);
    EXPECT_NEAR(units.area.height(), 10650 / 15.0, 1e-9);
    EXPECT_NEAR(units.strokeScale * 9000, 8775 / 15.0, 1e-9);
    EXPECT_NEAR(units.title.y(), 1775 / 15.0, 1e-9);
    EXPECT_NEAR(units.text.y(), 4437.5 / 15.0, 1e-9);
    // On a larger screen the points keep their density and the strokes their overlap.
    const Stage large{QSize(1600, 1200), 1.0};
    const InterludeGeometry wide = InterludeGeometry::of(large, makeFace(FaceKind::Mini, large)->layout());
    EXPECT_EQ(wide.points, 800000);
    EXPECT_NEAR(wide.strokeWidth, 900, 1e-9);
    EXPECT_EQ(wide.title, QPointF(400 + 100 / 15.0, 300 + 2000 / 15.0)) << "the reminder stays with the face";
}
