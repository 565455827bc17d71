// The large digital face's logic: cells, marks, labels, indicators, buttons and colons, mode by mode, tick by tick.
#include "core/settings_store.h"
#include "faces/large_face.h"
#include "platform/boundary_timer.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_power_service.h"
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
    // A face showing its stopwatch, started.
    LargeFace& openRunningStopwatch() {
        LargeFace& f = open();
        f.selectMode(LargeMode::Crono);
        f.startOrResume();
        return f;
    }
    LargeFace& open() {
        face = std::make_unique<LargeFace>(
            clock, store, power, [this](const QString& message) { messages << message; },
            QLocale(QLocale::Italian, QLocale::Italy));
        return *face;
    }

    test::FakeClock clock;
    SettingsStore store;
    FakePowerService power;
    QStringList messages; // the end messages the face asked to show
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
        {"padded one: the alarm does not ring for it", " 1 ", false},
        {"one with a leading zero: likewise", "01", false},
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

    // Without a colon timer to bring them back, the stopwatch shows them as soon as it is chosen.
    f.selectMode(LargeMode::Millennio);
    f.selectMode(LargeMode::Crono);
    EXPECT_TRUE(f.view().colonsVisible) << "straight from the millennium to the stopwatch";
    clock.advanceMs(1000);
    f.wake();
    EXPECT_TRUE(f.view().colonsVisible);
    EXPECT_EQ(f.view().CursoriUniti, stopped) << "and they stand still";
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

// --- the stopwatch ----------------------------------------------------------------------------------------------

TEST_F(LargeFaceTest, StopwatchShowsWhatTheMonotonicClockSaysPassedWhileItRan) {
    LargeFace& f = open();
    f.selectMode(LargeMode::Crono);
    EXPECT_EQ(shown(f.view()), QStringLiteral("00000000"));
    EXPECT_FALSE(f.view().annolbl.visible || f.view().giorno_sett.visible || f.view().datalbl.visible);
    f.startOrResume();
    EXPECT_TRUE(f.view().lbl_Crono) << "CRONO at once";
    EXPECT_TRUE(f.busy());
    clock.advanceMs(12'340);
    f.stopOrPause();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00001234")) << "12.34 s: 00 00 12 in the large cells, 34 in the small";
    EXPECT_FALSE(f.view().lbl_Crono);
    EXPECT_FALSE(f.busy());

    clock.advanceMs(5'000);
    f.stopOrPause(); // stop while stopped
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00001234")) << "nothing counts while stopped";
    f.startOrResume();
    clock.advanceMs((59 * 60 + 47) * 1000 + 650); // 59 min 59.99 s in all
    f.startOrResume();                            // start while running does not begin the run again
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00595999"));
    clock.advanceMs(10);
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("01000000")) << "the next hundredth carries into the hour";

    // Late refreshes lose nothing: the count is read from the clock whenever it is drawn.
    clock.advanceMs(99 * 3600'000 + 7);
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00000000")) << "100 hours: the hour cells roll over like an odometer";
    clock.advanceMs(61'230);
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00010123"));
}

TEST_F(LargeFaceTest, LapHoldFreezesOnlyTheDigitsAndItsReleaseShowsTheCountAtOnce) {
    LargeFace& f = openRunningStopwatch();
    clock.advanceMs(5'120);
    f.refresh();
    f.toggleLap();
    EXPECT_TRUE(f.view().Label2) << "LAP";
    EXPECT_TRUE(f.view().lbl_Crono) << "CRONO stays";
    clock.advanceMs(3'000);
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00000512")) << "the digits keep the lap time";
    f.toggleLap();
    EXPECT_FALSE(f.view().Label2);
    EXPECT_EQ(shown(f.view()), QStringLiteral("00000812")) << "released: the count went on underneath";

    // Whole minutes under the hold are kept too, not all but one.
    f.toggleLap();
    clock.advanceMs(4 * 60'000);
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00000812"));
    f.toggleLap();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00040812"));
}

TEST_F(LargeFaceTest, ResetActsOnlyOnAStoppedStopwatchAndLeavesTheLapHold) {
    LargeFace& f = openRunningStopwatch();
    clock.advanceMs(2'500);
    f.resetStopwatch();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00000250")) << "a running stopwatch is not reset";
    f.stopOrPause();
    f.resetStopwatch();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00000000")) << "stopped: back to zero at once";

    f.startOrResume();
    clock.advanceMs(1'700);
    f.toggleLap(); // holds the time of the press, whenever the display was last drawn
    f.stopOrPause();
    f.resetStopwatch();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00000170")) << "under the lap hold the frozen time stays";
    EXPECT_TRUE(f.view().Label2) << "the reset leaves the lap hold as it is";
    f.toggleLap();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00000000")) << "released: the reset count";
}

TEST_F(LargeFaceTest, SwitchingModesForMinutesLosesNothingAndLapStaysShown) {
    LargeFace& f = openRunningStopwatch();
    clock.advanceMs(1'230);
    f.toggleLap();
    for (const LargeMode away : {LargeMode::OraCorr, LargeMode::TimerWin, LargeMode::Rovescia, LargeMode::Crono}) {
        f.selectMode(away);
        EXPECT_TRUE(f.view().Label2) << "LAP stays shown in mode " << int(away);
        EXPECT_TRUE(f.view().lbl_Crono) << "CRONO stays shown in mode " << int(away);
        for (int s = 0; s < 100; ++s) { // the face's seconds go by, none of them drawing the stopwatch
            clock.advanceMs(1'000);
            f.wake();
        }
    }
    f.toggleLap();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00064123")) << "400 s on, as if the stopwatch had been shown throughout";
    f.selectMode(LargeMode::OraCorr);
    clock.advanceMs(3 * 60'000 + 10);
    f.selectMode(LargeMode::Crono);
    EXPECT_EQ(shown(f.view()), QStringLiteral("00094124"));
}

TEST_F(LargeFaceTest, AHeldLapComesBackAsItWasShownAfterAModeSwitch) {
    clock.setLocal(2026, 12, 9, 10, 11, 12);
    LargeFace& f = openRunningStopwatch();
    clock.advanceMs(12'340);
    f.refresh();
    f.toggleLap();
    const LargeFaceView held = f.view();
    ASSERT_EQ(shown(held), QStringLiteral("00001234"));
    for (const LargeMode away : {LargeMode::OraCorr, LargeMode::TimerWin, LargeMode::Rovescia, LargeMode::Millennio}) {
        f.selectMode(away);
        clock.advanceMs(2'000);
        f.wake();
        f.selectMode(LargeMode::Crono);
        EXPECT_EQ(shown(f.view()), QStringLiteral("00001234")) << "the held reading, back from mode " << int(away);
        EXPECT_FALSE(f.view().giorno_sett.visible || f.view().datalbl.visible || f.view().annolbl.visible)
            << "no date label over the small cells, back from mode " << int(away);
        EXPECT_TRUE(f.view().Label2);
        EXPECT_TRUE(f.view().lbl_Crono);
        EXPECT_TRUE(f.view().colonsVisible) << "the stopwatch's colons, back from mode " << int(away);
        EXPECT_EQ(f.view().cells, held.cells);
    }
    f.toggleLap();
    EXPECT_EQ(shown(f.view()), QStringLiteral("00002034")) << "released: the count that went on underneath";
}

TEST_F(LargeFaceTest, ButtonsActOnlyInTheModesThatEnableThem) {
    LargeFace& f = open();
    f.selectMode(LargeMode::OraCorr);
    f.startOrResume();
    EXPECT_FALSE(f.stopwatch().CronoAttivo()) << "start needs the stopwatch mode";
    f.selectMode(LargeMode::Crono);
    f.startOrResume();
    f.selectMode(LargeMode::OraCorr);
    f.stopOrPause();
    EXPECT_TRUE(f.stopwatch().CronoAttivo()) << "stop needs the stopwatch mode";

    f.startCountdown(60);
    f.selectMode(LargeMode::Crono);
    f.stopOrPause();
    EXPECT_TRUE(f.countdown().running()) << "pause needs the countdown mode";
    EXPECT_FALSE(f.stopwatch().CronoAttivo()) << "the stopwatch's stop did";
    f.selectMode(LargeMode::Rovescia);
    f.stopOrPause();
    f.selectMode(LargeMode::OraCorr);
    f.startOrResume();
    EXPECT_TRUE(f.countdown().paused()) << "resume needs the countdown mode";
    EXPECT_FALSE(f.stopwatch().CronoAttivo());
}

TEST_F(LargeFaceTest, ColonsBlinkOnTheRunningStopwatchsSecondsAndStopWithIt) {
    clock.setLocal(2026, 12, 9, 12, 0, 0, 600); // the wall clock's seconds fall elsewhere
    LargeFace& f = open();
    f.selectMode(LargeMode::Crono);
    EXPECT_FALSE(f.colonTimerOn());
    const LargeFaceView& v = f.view();
    f.startOrResume();
    EXPECT_TRUE(f.colonTimerOn()) << "the start switches the colon timer on";
    QList<bool> turns;
    for (const int ms : {300, 500, 199, 1, 700, 300}) { // 0.3, 0.8 (wall second), 0.999, 1.0, 1.7, 2.0
        const bool before = v.CursoriUniti;
        clock.advanceMs(ms);
        f.wake();
        turns << (v.CursoriUniti != before);
    }
    EXPECT_EQ(turns, (QList<bool>{false, false, false, true, false, true})) << "at 1 s and 2 s of the count only";
    f.toggleLap(); // the digits stand still: the colons keep the wall clock's seconds meanwhile
    turns.clear();
    for (const int ms : {399, 1, 600}) { // wall 12:00:02.999, 03.000; count 3.0 s
        const bool before = v.CursoriUniti;
        clock.advanceMs(ms);
        f.wake();
        turns << (v.CursoriUniti != before);
    }
    EXPECT_EQ(turns, (QList<bool>{false, true, false})) << "under the lap hold, at the wall clock's second";
    f.toggleLap();
    f.selectMode(LargeMode::Crono);
    EXPECT_FALSE(f.colonTimerOn()) << "choosing the mode again switches the colons off until the next start";
    f.stopOrPause();
    f.startOrResume();
    EXPECT_TRUE(f.colonTimerOn());
    f.stopOrPause();
    EXPECT_FALSE(f.colonTimerOn()) << "the stop switches them off";
    const bool stopped = v.CursoriUniti;
    clock.advanceMs(3'000);
    f.wake();
    EXPECT_EQ(v.CursoriUniti, stopped);
}

TEST_F(LargeFaceTest, UptimeWakesFollowTheHundredthsOfARunningStopwatchOnShow) {
    clock.setUptimeMs(5'000);
    LargeFace& f = open();
    EXPECT_EQ(f.uptimeWakes(), WakeSchedule{});
    f.selectMode(LargeMode::TimerWin);
    EXPECT_EQ(f.uptimeWakes(), (WakeSchedule{1'000'000'000, 0})) << "the uptime's own seconds";
    f.selectMode(LargeMode::Crono);
    EXPECT_EQ(f.uptimeWakes(), WakeSchedule{}) << "a stopped stopwatch changes nothing";
    clock.advanceNs(3'456'789);
    f.startOrResume();
    EXPECT_EQ(f.uptimeWakes(), (WakeSchedule{10'000'000, 3'456'789})) << "where its hundredths turn over";
    f.toggleLap();
    EXPECT_EQ(f.uptimeWakes(), WakeSchedule{}) << "under the lap hold the digits stand still";
    f.toggleLap();
    EXPECT_EQ(f.uptimeWakes(), (WakeSchedule{10'000'000, 3'456'789}));
    f.selectMode(LargeMode::OraCorr);
    EXPECT_EQ(f.uptimeWakes(), WakeSchedule{}) << "not on show";
    EXPECT_EQ(f.countdownWakes(), WakeSchedule{});
}

// --- the countdown ---------------------------------------------------------------------------------------------

TEST_F(LargeFaceTest, CountdownShowsTheWholeSecondsLeftAsHoursMinutesSeconds) {
    const struct {
        const char* name;
        std::int64_t seconds;
        const char* shown;
    } cases[] = {
        {"3660 s", 3660, "010100  "},
        {"59 s", 59, "000059  "},
        {"the largest time the dialog takes", 359'999, "995959  "},
        {"an hour less a second", 3599, "005959  "},
    };
    for (const auto& c : cases) {
        LargeFace& f = open();
        f.selectMode(LargeMode::Rovescia);
        f.startCountdown(c.seconds);
        EXPECT_EQ(shown(f.view()), QLatin1String(c.shown)) << c.name;
        EXPECT_TRUE(f.view().annolbl.visible) << c.name << ": the date labels";
        EXPECT_TRUE(f.view().lbl_Rovescia) << c.name;
        clock.advanceMs(1);
        f.refresh();
        EXPECT_EQ(shown(f.view()), QLatin1String(c.shown)) << c.name << ": a second shows until it has fully passed";
    }
    LargeFace& f = open();
    f.selectMode(LargeMode::Rovescia);
    EXPECT_EQ(shown(f.view()), QStringLiteral("000000  ")) << "none active";
}

TEST_F(LargeFaceTest, PauseResumeAndCancel) {
    store.write(keys::QuandoZero, QStringLiteral("Messaggio"));
    LargeFace& f = open();
    f.selectMode(LargeMode::Rovescia);
    f.startCountdown(10);
    clock.advanceMs(2'500);
    f.stopOrPause();
    EXPECT_TRUE(f.view().cdstop) << "STOP";
    EXPECT_TRUE(f.view().lbl_Rovescia);
    EXPECT_EQ(f.countdownWakes(), WakeSchedule{}) << "a paused countdown wakes nothing";
    clock.advanceMs(60'000);
    f.wake();
    EXPECT_EQ(shown(f.view()), QStringLiteral("000008  ")) << "7.5 s left, frozen";
    clock.advanceMs(200);
    f.startOrResume();
    EXPECT_FALSE(f.view().cdstop);
    EXPECT_EQ(f.countdownWakes(), (WakeSchedule{1'000'000'000, 200'000'000})) << "the new deadline's seconds";
    clock.advanceMs(7'499);
    f.refresh();
    EXPECT_EQ(shown(f.view()), QStringLiteral("000001  "));
    EXPECT_TRUE(messages.isEmpty());
    clock.advanceMs(1);
    f.refresh();
    EXPECT_EQ(messages.size(), 1) << "the full 10 s counted, pause left out";

    // Cancel, running or paused: no end action, and both words go.
    f.startCountdown(30);
    f.stopOrPause();
    f.cancelCountdown();
    EXPECT_FALSE(f.view().lbl_Rovescia || f.view().cdstop);
    EXPECT_EQ(shown(f.view()), QStringLiteral("000000  "));
    EXPECT_FALSE(f.busy());
    f.startOrResume();
    EXPECT_FALSE(f.countdown().RovesciaAttivo()) << "nothing left to resume";
    f.startCountdown(30);
    f.cancelCountdown();
    clock.advanceMs(60'000);
    f.refresh();
    EXPECT_EQ(messages.size(), 1) << "a cancelled countdown never ends with its action";
}

TEST_F(LargeFaceTest, TheEndActionIsTheOneChosenAtTheStartAndRunsOnce) {
    const struct {
        const char* name;
        const char* quandoZero;
        std::vector<QString> power;
        QStringList messages;
    } cases[] = {
        {"shut down", "Arresta", {QStringLiteral("PowerOff")}, {}},
        {"restart", "Riavvia", {QStringLiteral("Reboot")}, {}},
        {"message", "Messaggio", {}, {QStringLiteral("Fine <b>del</b> tè")}},
        {"none chosen", "", {}, {}},
        {"compared with case", "arresta", {}, {}},
        {"compared exactly", "Arresta ", {}, {}},
    };
    for (const auto& c : cases) {
        LargeFace& f = open();
        power.calls.clear();
        messages.clear();
        f.selectMode(LargeMode::OraCorr); // ends in any mode
        f.startCountdown(90, QString::fromUtf8(c.quandoZero), QStringLiteral("Fine <b>del</b> tè"));
        // A second copy of the clock starts a countdown of its own: this one keeps its end.
        store.write(keys::QuandoZero, QString::fromUtf8(c.quandoZero) == u"Arresta" ? QStringLiteral("Riavvia")
                                                                                    : QStringLiteral("Arresta"));
        store.write(keys::ContoMessaggio, QStringLiteral("l'altra copia"));
        clock.advanceMs(89'999);
        f.wake();
        EXPECT_TRUE(f.view().lbl_Rovescia) << c.name << ": a millisecond left";
        clock.advanceMs(1);
        f.wake();
        EXPECT_FALSE(f.view().lbl_Rovescia) << c.name << ": COUNT DOWN goes in the refresh that ends it";
        for (int i = 0; i < 3; ++i) {
            clock.advanceMs(1000);
            f.wake();
        }
        EXPECT_EQ(power.calls, c.power) << c.name;
        EXPECT_EQ(messages, c.messages) << c.name;
        EXPECT_FALSE(f.busy()) << c.name;
    }
}

TEST_F(LargeFaceTest, ZeroSecondsEndsAtOnceAndTheEndWaitsForNoWakeUp) {
    store.write(keys::QuandoZero, QStringLiteral("Riavvia"));
    LargeFace& f = open();
    f.selectMode(LargeMode::Rovescia);
    f.startCountdown(0);
    EXPECT_EQ(power.calls, std::vector<QString>{QStringLiteral("Reboot")}) << "00:00:00 ends at the next refresh";
    EXPECT_FALSE(f.view().lbl_Rovescia);
    EXPECT_EQ(shown(f.view()), QStringLiteral("000000  "));

    // The countdown's own wake-ups come on its second boundaries, the last one on the deadline.
    clock.advanceNs(123'456'789);
    f.startCountdown(3);
    const WakeSchedule wakes = f.countdownWakes();
    EXPECT_EQ(wakes, (WakeSchedule{1'000'000'000, 123'456'789}));
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        clock.advanceNs(nsToNextBoundary(clock.uptimeNs(), wakes.periodNs, wakes.phaseNs) +
                        30'000); // as the timer wakes
        f.wake();
        seen << shown(f.view()).trimmed();
    }
    EXPECT_EQ(seen, (QStringList{"000002", "000001", "000000"}));
    EXPECT_EQ(power.calls.size(), 2u) << "ended on the third wake-up, its deadline";
    EXPECT_EQ(f.countdownWakes(), WakeSchedule{});
}

} // namespace
