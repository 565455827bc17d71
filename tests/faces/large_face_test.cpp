// The large digital face's logic: cells, marks, labels, indicators, buttons and colons, mode by mode, tick by tick.
#include "core/settings_store.h"
#include "faces/large_face.h"
#include "tests/support/fake_clock.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

using namespace qx;

namespace {

// The eight cells as the panel shows them: the digit of a lit cell, a space for a dark one.
QString shown(const LargeFaceView& v) {
    QString s;
    for (const DigitCell& cell : v.cells)
        s += cell.lit() ? cell.digit : QChar(u' ');
    return s;
}

// The digits given to the cells, shown or not.
QString digits(const LargeFaceView& v) {
    QString s;
    for (const DigitCell& cell : v.cells)
        s += cell.digit.isNull() ? QChar(u'-') : cell.digit;
    return s;
}

QStringList tips(const LargeFace& face, int first, int last) {
    QStringList list;
    for (int i = first; i <= last; ++i)
        list << face.buttons()[i - 1].toolTip;
    return list;
}

QList<bool> enabled(const LargeFace& face, int first, int last) {
    QList<bool> list;
    for (int i = first; i <= last; ++i)
        list << face.buttons()[i - 1].enabled;
    return list;
}

class LargeFaceTest : public test::TempDirTest {
protected:
    LargeFaceTest() : store(file(QStringLiteral("q.ini"))) {}
    LargeFace& open() {
        face = std::make_unique<LargeFace>(clock, store, QLocale(QLocale::Italian, QLocale::Italy));
        return *face;
    }

    test::FakeClock clock;
    SettingsStore store;
    std::unique_ptr<LargeFace> face;
};

TEST_F(LargeFaceTest, RightAfterOpeningOnlyTheColonsShowAndTheyAlternateEachSecond) {
    LargeFace& f = open();
    f.refresh();
    const LargeFaceView& v = f.view();
    EXPECT_EQ(f.mode(), LargeMode::None);
    EXPECT_EQ(shown(v), QStringLiteral("        "));
    EXPECT_EQ(digits(v), QStringLiteral("--------")) << "no cell has a picture yet";
    EXPECT_FALSE(v.giorno_sett.visible || v.datalbl.visible || v.annolbl.visible);
    EXPECT_FALSE(v.lbl_Rovescia || v.cdstop || v.lbl_Crono || v.Label2 || v.lbl_Allarme);
    EXPECT_FALSE(v.p_milioni || v.p_mille);
    EXPECT_TRUE(v.Shape2);
    EXPECT_TRUE(v.colonsVisible);
    EXPECT_FALSE(v.CursoriUniti);
    EXPECT_TRUE(f.colonTimerOn());

    EXPECT_EQ(tips(f, 1, 12),
              (QStringList{"Seleziona modalità", "Non attivo", "Non attivo", "Non attivo", "Non attivo", "Non attivo",
                           "Analogico", "Digitale", "Mini", "Opzioni", "Attiva Screen Saver", "Esci da Quadrantix"}));
    EXPECT_EQ(enabled(f, 1, 12),
              (QList<bool>{true, false, false, false, false, false, true, true, true, true, true, true}));

    f.wake();
    EXPECT_FALSE(v.CursoriUniti) << "no tick within the second the face opened in";
    QList<bool> phases;
    for (int i = 0; i < 4; ++i) {
        clock.advanceMs(1000);
        f.wake();
        phases << v.CursoriUniti;
        f.wake(); // a second wake-up within the same second leaves the colons alone
        EXPECT_EQ(v.CursoriUniti, phases.last());
    }
    EXPECT_EQ(phases, (QList<bool>{true, false, true, false}));
}

TEST_F(LargeFaceTest, AlarmIndicatorFollowsTheSettingAtEveryRefreshInEveryMode) {
    const struct {
        const char* name;
        const char* value;
        bool shown;
    } cases[] = {
        {"on", "1", true},
        {"off", "0", false},
        {"empty", "", false},
        {"not a number", "sì", false},
        {"another number", "2", false},
        {"padded one", " 1 ", true},
    };
    LargeFace& f = open();
    for (const LargeMode mode : {LargeMode::None, LargeMode::Crono, LargeMode::OraCorr, LargeMode::Millennio}) {
        if (mode != LargeMode::None)
            f.selectMode(mode);
        for (const auto& c : cases) {
            store.write(keys::Allarme, QString::fromUtf8(c.value));
            f.refresh();
            EXPECT_EQ(f.view().lbl_Allarme, c.shown) << c.name << " in mode " << int(mode);
        }
    }
}

TEST_F(LargeFaceTest, CurrentTimeShowsHoursMinutesSecondsAndTheItalianDate) {
    clock.setLocal(2026, 12, 9, 9, 5, 3);
    LargeFace& f = open();
    f.selectMode(LargeMode::OraCorr);
    const LargeFaceView& v = f.view();
    EXPECT_EQ(shown(v), QStringLiteral("090503  "));
    EXPECT_FALSE(v.cells[Centesimo0].visible || v.cells[Centesimo1].visible);
    EXPECT_EQ(v.giorno_sett, (TextLabel{QStringLiteral("mercoledì"), true}));
    EXPECT_EQ(v.datalbl, (TextLabel{QStringLiteral("09 dicembre"), true}));
    EXPECT_EQ(v.annolbl, (TextLabel{QStringLiteral("2026"), true}));
    EXPECT_TRUE(v.Shape2);
    EXPECT_FALSE(v.p_milioni || v.p_mille);

    clock.setLocal(2027, 1, 1, 23, 59, 59);
    f.wake();
    EXPECT_EQ(shown(v), QStringLiteral("235959  "));
    clock.advanceMs(1000);
    f.wake();
    EXPECT_EQ(shown(v), QStringLiteral("000000  ")) << "midnight with leading zeros";
    EXPECT_EQ(v.giorno_sett.text, QStringLiteral("sabato"));
    EXPECT_EQ(v.datalbl.text, QStringLiteral("02 gennaio"));
}

TEST_F(LargeFaceTest, EachModeSetsTheActionButtonsColonsAndMarks) {
    const QString no = QStringLiteral("Non attivo in questa modalità");
    const struct {
        const char* name;
        LargeMode mode;
        QStringList tips;
        QList<bool> enabled;
        bool colonTimer;
        bool marks; // the millennium's two marks instead of the decimal dot and the colons
    } cases[] = {
        {"stopwatch",
         LargeMode::Crono,
         {"Avvia", "Tempo intermedio", "Ferma", "Azzera", no},
         {true, true, true, true, false},
         false,
         false},
        {"countdown",
         LargeMode::Rovescia,
         {"Riprende", no, "Sospende temporaneamente", no, "Annulla"},
         {true, false, true, false, true},
         true,
         false},
        {"current time", LargeMode::OraCorr, {no, no, no, no, no}, {false, false, false, false, false}, true, false},
        {"run-time", LargeMode::TimerWin, {no, no, no, no, no}, {false, false, false, false, false}, true, false},
        {"millennium", LargeMode::Millennio, {no, no, no, no, no}, {false, false, false, false, false}, false, true},
    };
    clock.setLocal(2000, 6, 1, 12, 0, 0);
    LargeFace& f = open();
    const QStringList fixedTips = tips(f, 7, 12);
    // Every order of choice: each case after every other, so that nothing of the previous mode lingers.
    for (const auto& before : cases) {
        for (const auto& c : cases) {
            f.selectMode(before.mode);
            const bool dialog = f.selectMode(c.mode);
            const std::string name = std::string(before.name) + " then " + c.name;
            EXPECT_EQ(f.mode(), c.mode) << name;
            EXPECT_EQ(tips(f, 2, 6), c.tips) << name;
            EXPECT_EQ(enabled(f, 2, 6), c.enabled) << name;
            EXPECT_EQ(tips(f, 1, 1), QStringList{"Seleziona modalità"}) << name;
            EXPECT_EQ(tips(f, 7, 12), fixedTips) << name;
            EXPECT_EQ(enabled(f, 7, 12), (QList<bool>(6, true))) << name;
            EXPECT_EQ(f.colonTimerOn(), c.colonTimer) << name;
            EXPECT_EQ(f.view().Shape2, !c.marks) << name;
            if (c.marks) {
                EXPECT_FALSE(f.view().colonsVisible) << name;
            } else {
                EXPECT_FALSE(f.view().p_milioni || f.view().p_mille) << name;
            }
            EXPECT_EQ(dialog, c.mode == LargeMode::Rovescia) << name << ": countdown dialog with no countdown active";
        }
    }
}

TEST_F(LargeFaceTest, ColonsHiddenByTheMillenniumReturnAtTheNextColonTick) {
    clock.setLocal(2000, 6, 1, 12, 0, 0);
    LargeFace& f = open();
    f.selectMode(LargeMode::Millennio);
    clock.advanceMs(1000);
    f.wake();
    EXPECT_FALSE(f.view().colonsVisible) << "the colon timer is off in the millennium mode";
    f.selectMode(LargeMode::OraCorr);
    EXPECT_FALSE(f.view().colonsVisible) << "choosing the time does not show them by itself";
    const bool phase = f.view().CursoriUniti;
    clock.advanceMs(1000);
    f.wake();
    EXPECT_TRUE(f.view().colonsVisible);
    EXPECT_NE(f.view().CursoriUniti, phase);

    f.selectMode(LargeMode::Crono);
    const bool stopped = f.view().CursoriUniti;
    clock.advanceMs(1000);
    f.wake();
    EXPECT_EQ(f.view().CursoriUniti, stopped) << "the stopwatch mode stops the blinking where the bars are";
    EXPECT_TRUE(f.view().colonsVisible);
}

TEST_F(LargeFaceTest, InTheRunTimeModeColonsTurnWithTheSecondsOfTheUptime) {
    clock.setLocal(2026, 12, 9, 12, 0, 0);
    clock.setUptimeMs(10'500);
    LargeFace& f = open();
    f.selectMode(LargeMode::TimerWin);
    const LargeFaceView& v = f.view();
    const struct {
        const char* name;
        int advanceMs;
        bool turns;
        const char* shown;
    } steps[] = {
        {"wall 12:00:00.400, uptime 10.9 s", 400, false, "000010  "},
        {"wall 12:00:00.600, uptime 11.1 s: a new second of the uptime", 200, true, "000011  "},
        {"wall 12:00:01.100, uptime 11.6 s: a new second of the wall clock only", 500, false, "000011  "},
        {"wall 12:00:01.500, uptime 12.0 s", 400, true, "000012  "},
    };
    for (const auto& step : steps) {
        const bool before = v.CursoriUniti;
        clock.advanceMs(step.advanceMs);
        f.wake();
        EXPECT_EQ(v.CursoriUniti != before, step.turns) << step.name;
        EXPECT_EQ(shown(v), QLatin1String(step.shown)) << step.name;
    }
}

TEST_F(LargeFaceTest, MillenniumCountsDownWithBlankedZerosAndGroupMarks) {
    const struct {
        const char* name;
        QDateTime at;
        const char* shown;  // lit cells; a space for a hidden one
        const char* digits; // what every cell holds, hidden or not
        bool milioni, mille;
    } cases[] = {
        {"start of the count", QDateTime(QDate(1999, 9, 1), QTime(0, 0)), "42163200", "42163200", true, true},
        {"new year 2000", QDateTime(QDate(2000, 1, 1), QTime(0, 0)), "31622400", "31622400", true, true},
        {"leap day counts", QDateTime(QDate(2000, 3, 1), QTime(0, 0)), "26438400", "26438400", true, true},
        {"one million left", QDateTime(QDate(2000, 12, 20), QTime(10, 13, 20)), " 1000000", "01000000", true, true},
        {"one second later", QDateTime(QDate(2000, 12, 20), QTime(10, 13, 21)), "  999999", "00999999", false, true},
        {"a minute left", QDateTime(QDate(2000, 12, 31), QTime(23, 59)), "      60", "00000060", false, false},
        {"last second", QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59)), "       1", "00000001", false, false},
        {"a thousand left", QDateTime(QDate(2000, 12, 31), QTime(23, 43, 20)), "    1000", "00001000", false, true},
        {"999 left", QDateTime(QDate(2000, 12, 31), QTime(23, 43, 21)), "     999", "00000999", false, false},
    };
    for (const auto& c : cases) {
        clock.set(c.at);
        LargeFace& f = open();
        f.selectMode(LargeMode::Millennio);
        const LargeFaceView& v = f.view();
        EXPECT_EQ(shown(v), QLatin1String(c.shown)) << c.name;
        EXPECT_EQ(digits(v), QLatin1String(c.digits)) << c.name;
        EXPECT_EQ(v.p_milioni, c.milioni) << c.name;
        EXPECT_EQ(v.p_mille, c.mille) << c.name;
        EXPECT_TRUE(v.cells[Centesimo1].visible) << c.name;
        EXPECT_FALSE(v.Shape2 || v.colonsVisible) << c.name;
        EXPECT_FALSE(v.giorno_sett.visible || v.datalbl.visible || v.annolbl.visible) << c.name;
    }
}

TEST(MillenniumDayOffset, CountsCalendarDaysFromSeptember1999WhereTheTableReaches) {
    const QDate start(1999, 9, 1);
    for (QDate month(1999, 10, 1); month <= QDate(2000, 12, 1); month = month.addMonths(1))
        EXPECT_EQ(millenniumDayOffset(month.month(), month.year()), start.daysTo(month))
            << month.toString(Qt::ISODate).toStdString();
    EXPECT_EQ(millenniumDayOffset(9, 1999), 0) << "the count's own first month";
    EXPECT_EQ(millenniumDayOffset(3, 2026), 182) << "January to August match any year";
    EXPECT_EQ(millenniumDayOffset(10, 2026), 0) << "autumn of another year is not in the table";
    EXPECT_EQ(millenniumRemaining(QDate(2001, 1, 1), QTime(0, 0)), 31622400) << "2001 starts the count again";
}

TEST_F(LargeFaceTest, MillenniumItemIsDisabledWhenOpenedFrom2001On) {
    const struct {
        const char* name;
        QDateTime at;
        bool enabled;
    } cases[] = {
        {"last second of 2000", QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59)), true},
        {"first second of 2001", QDateTime(QDate(2001, 1, 1), QTime(0, 0)), false},
        {"today", QDateTime(QDate(2026, 12, 9), QTime(12, 0)), false},
        {"1999", QDateTime(QDate(1999, 9, 1), QTime(0, 0)), true},
    };
    for (const auto& c : cases) {
        clock.set(c.at);
        EXPECT_EQ(open().qmilEnabled(), c.enabled) << c.name;
    }
    clock.set(QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59)));
    LargeFace& f = open();
    clock.advanceMs(5000);
    f.wake();
    EXPECT_TRUE(f.qmilEnabled()) << "decided when the face opens, not later";
}

TEST_F(LargeFaceTest, RunTimeSplitsTheUptimeIntoHoursMinutesSeconds) {
    const struct {
        const char* name;
        std::uint64_t uptimeMs;
        const char* shown;
    } cases[] = {
        {"3 h 25 min 7.9 s rounds down", 3 * 3600'000 + 25 * 60'000 + 7'900, "032507  "},
        {"3660 s", 3660'000, "010100  "},
        {"just started", 999, "000000  "},
        {"past 2^32 ms, no wrap; hours roll over at 100", (std::uint64_t(1) << 32) + 1000, "930248  "},
    };
    LargeFace& f = open();
    f.selectMode(LargeMode::TimerWin);
    for (const auto& c : cases) {
        clock.setUptimeMs(c.uptimeMs);
        f.refresh();
        EXPECT_EQ(shown(f.view()), QLatin1String(c.shown)) << c.name;
        EXPECT_TRUE(f.view().annolbl.visible) << c.name;
    }
}

TEST_F(LargeFaceTest, StopwatchAndCountdownStateDriveTheirReadOutsAndIndicators) {
    LargeFace& f = open();
    f.selectMode(LargeMode::OraCorr);
    f.stopwatch().start();
    f.refresh();
    EXPECT_TRUE(f.view().lbl_Crono) << "CRONO shows in every mode while the stopwatch runs";
    EXPECT_TRUE(f.busy());
    EXPECT_FALSE(f.wantsFastRefresh()) << "the running stopwatch is not on show";
    f.selectMode(LargeMode::Crono);
    EXPECT_TRUE(f.wantsFastRefresh());

    clock.advanceMs((59 * 60 + 59) * 1000 + 990);
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00595999"));
    clock.advanceMs(10);
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("01000000")) << "59 min 60.00 s carries into the hour";
    EXPECT_FALSE(f.view().annolbl.visible);
    f.stopwatch().lap();
    clock.advanceMs(12340);
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("01000000")) << "the lap hold keeps the last time";
    EXPECT_TRUE(f.view().Label2) << "LAP";
    EXPECT_FALSE(f.wantsFastRefresh());
    f.stopwatch().lap();
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("01001234")) << "released, the count went on underneath";

    int ends = 0;
    f.stopwatch().stop();
    f.selectMode(LargeMode::Rovescia);
    f.countdown().start(3660, [&] {
        ++ends;
        EXPECT_FALSE(f.countdown().RovesciaAttivo()) << "the countdown is over before its action runs";
    });
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("010100  "));
    EXPECT_TRUE(f.view().lbl_Rovescia);
    EXPECT_FALSE(f.view().lbl_Crono);
    f.countdown().pause();
    f.refresh();
    EXPECT_TRUE(f.view().cdstop) << "STOP while paused";
    f.countdown().resume();
    clock.advanceMs(3660 * 1000);
    f.refresh();
    f.refresh();
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(f.view().lbl_Rovescia) << "COUNT DOWN goes in the refresh that ends the countdown";
    EXPECT_FALSE(f.view().cdstop);
    EXPECT_EQ(shown(f.view()), QStringLiteral("000000  "));
}

} // namespace
