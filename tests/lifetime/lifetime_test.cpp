// The lifetime total: the arithmetic that counts each second of a boot once, and the accumulator's updates.
#include "core/settings_store.h"
#include "lifetime/horacumul.h"
#include "lifetime/lifetime_ledger.h"
#include "lifetime/lifetime_store.h"
#include "platform/boot_id.h"
#include "tests/support/fake_clock.h"
#include "tests/support/row_name.h"
#include "tests/support/temp_dir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

using namespace qx;

namespace {

struct LedgerRow {
    const char* name;
    const char* total;
    const char* boot;
    const char* counted;
    const char* currentBoot;
    std::uint64_t uptimeMs;
    std::uint64_t expected;
};

class LedgerTest : public ::testing::TestWithParam<LedgerRow> {};

TEST_P(LedgerTest, EachSecondOfABootIsAddedOnce) {
    const LedgerRow& c = GetParam();
    const LifetimeLedger before =
        LifetimeLedger::fromText(QLatin1String(c.total), QLatin1String(c.boot), QLatin1String(c.counted));
    const QString boot = QLatin1String(c.currentBoot);
    const LifetimeLedger after = before.advancedTo(boot, uptimeSeconds(c.uptimeMs));
    EXPECT_EQ(after.total, c.expected);
    EXPECT_EQ(after.boot, boot);
    EXPECT_EQ(after.counted, uptimeSeconds(c.uptimeMs));
    EXPECT_EQ(before.totalAt(boot, uptimeSeconds(c.uptimeMs)), c.expected) << "the read-out";
    // Bringing the total up to date neither adds nor loses anything the read-out shows, now or later (where the
    // boot is known: without a boot id, a count the uptime later passes is taken for the current boot's).
    if (boot.isEmpty())
        return;
    for (const std::uint64_t later : {std::uint64_t(0), std::uint64_t(1), std::uint64_t(86'400)}) {
        const std::uint64_t uptimeS = uptimeSeconds(c.uptimeMs) + later;
        if (c.expected != std::numeric_limits<std::uint64_t>::max()) {
            EXPECT_EQ(after.totalAt(boot, uptimeS), before.totalAt(boot, uptimeS)) << "+" << later;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    LifetimeLedger, LedgerTest,
    ::testing::Values(
        LedgerRow{"first run: 1 h 2 min 5.4 s gives 3725", "0", "", "", "b", 3'725'400, 3725},
        LedgerRow{"999 ms leave 1000 as it is", "1000", "", "", "b", 999, 1000},
        LedgerRow{"3 000 000 000 ms add 3 000 000 s", "0", "", "", "b", 3'000'000'000, 3'000'000},
        LedgerRow{"the same boot again adds only the seconds since", "5000", "b", "3600", "b", 3'700'000, 5100},
        LedgerRow{"the same second again adds nothing", "5000", "b", "3700", "b", 3'700'999, 5000},
        LedgerRow{"a new boot counts from its own start", "5000", "a", "3600", "b", 120'000, 5120},
        LedgerRow{"a total that is no number counts as 0, with the whole boot", "12x", "b", "3600", "b", 3'700'000,
                  3700},
        LedgerRow{"an absent total counts as 0, with the whole boot", "", "b", "3600", "b", 3'700'000, 3700},
        LedgerRow{"a negative total is no whole number", "-5", "b", "3600", "b", 3'700'000, 3700},
        LedgerRow{"a total with blanks is no whole number", " 5000", "b", "3600", "b", 3'700'000, 3700},
        LedgerRow{"a count beyond the uptime is not this boot's", "5000", "b", "99999", "b", 3'700'000, 8700},
        LedgerRow{"a count that is no number holds nothing", "5000", "b", "x", "b", 3'700'000, 8700},
        LedgerRow{"no boot id: a count the uptime has passed is this boot's", "5000", "", "3600", "", 3'700'000, 5100},
        LedgerRow{"no boot id: a count beyond the uptime means a restart", "5000", "", "3600", "", 60'000, 5060},
        LedgerRow{"the largest total stays the largest", "18446744073709551615", "", "", "b", 5000,
                  std::numeric_limits<std::uint64_t>::max()},
        LedgerRow{"a total beyond 64 bits is no whole number", "18446744073709551616", "", "", "b", 5000, 5}),
    test::RowName());

class HoracumulTest : public test::TempDirTest {
protected:
    HoracumulTest() : store(file(QStringLiteral("Quadrantix.ini"))) {}
    QString total() const { return store.read(keys::TimerVita); }

    test::FakeClock clock;
    SettingsStore store;
};

TEST_F(HoracumulTest, AnUpdateWritesTheTotalTheBootAndItsCountedSeconds) {
    store.firstRunInit();
    clock.setUptimeMs(3'725'400);
    Horacumul h(clock, store, QStringLiteral("boot-a"));
    ASSERT_TRUE(h.accumulate());
    EXPECT_EQ(total(), QStringLiteral("3725"));
    EXPECT_EQ(store.read(keys::TimerVitaAvvio), QStringLiteral("boot-a"));
    EXPECT_EQ(store.read(keys::TimerVitaContati), QStringLiteral("3725"));

    // Logged off and on again in the same boot: the next update adds the time since, not the whole boot again.
    clock.advanceMs(600'000);
    Horacumul again(clock, store, QStringLiteral("boot-a"));
    ASSERT_TRUE(again.accumulate());
    EXPECT_EQ(total(), QStringLiteral("4325"));

    // After a restart the new boot counts from its own start.
    clock.setUptimeMs(42'000);
    ASSERT_TRUE(Horacumul(clock, store, QStringLiteral("boot-b")).accumulate());
    EXPECT_EQ(total(), QStringLiteral("4367"));

    // A first run that finds only "Big Ben" missing leaves the total and its boot alone.
    store.write(keys::BigBen, QString());
    store.firstRunInit();
    EXPECT_EQ(total(), QStringLiteral("4367"));
    EXPECT_EQ(LifetimeStore(store).read().totalAt(QStringLiteral("boot-b"), 42), 4367u);

    // One that finds the total missing starts it again, and the current boot is counted afresh.
    store.write(keys::TimerVita, QString());
    store.firstRunInit();
    EXPECT_EQ(total(), QStringLiteral("0"));
    EXPECT_EQ(LifetimeStore(store).read().totalAt(QStringLiteral("boot-b"), 42), 42u);
}

TEST_F(HoracumulTest, TwoCopiesCountEachSecondOnce) {
    store.firstRunInit();
    clock.setUptimeMs(10'000);
    Horacumul first(clock, store, QStringLiteral("boot-a"));
    Horacumul second(clock, store, QStringLiteral("boot-a"));
    for (int i = 0; i < 50; ++i) {
        clock.advanceMs(1'700);
        ASSERT_TRUE((i % 3 ? first : second).accumulate());
        if (i % 5 == 0) {
            ASSERT_TRUE((i % 3 ? second : first).accumulate()) << "both at the same moment";
        }
    }
    EXPECT_EQ(total(), QString::number(uptimeSeconds(clock.uptimeMs())));
}

TEST_F(HoracumulTest, CopiesInOtherProgramsCountEachSecondOnceAndReadersSeeTheKeysTogether) {
    // Same boot throughout: every update moves the total and the count on together, so their difference stays.
    const std::uint64_t start = uptimeSeconds(SystemClock().uptimeMs());
    store.firstRunInit();
    store.write(keys::TimerVita, QStringLiteral("100000"));
    store.write(keys::TimerVitaAvvio, QStringLiteral("boot-x"));
    store.write(keys::TimerVitaContati, QString::number(start - 5));
    const std::int64_t difference = 100000 - std::int64_t(start - 5);

    std::vector<std::unique_ptr<QProcess>> copies;
    for (int i = 0; i < 2; ++i) {
        copies.push_back(std::make_unique<QProcess>());
        copies.back()->start(QStringLiteral(QX_LIFETIME_WRITER), {store.path(), QStringLiteral("boot-x"), "150"});
        ASSERT_TRUE(copies.back()->waitForStarted(10'000));
    }
    int readings = 0;
    const auto running = [&] {
        return std::any_of(copies.begin(), copies.end(),
                           [](const auto& p) { return p->state() != QProcess::NotRunning; });
    };
    while (running()) {
        const LifetimeLedger seen = LifetimeStore(store).read();
        ASSERT_EQ(std::int64_t(seen.total) - std::int64_t(seen.counted), difference) << "reading " << readings;
        ++readings;
        for (auto& p : copies)
            p->waitForFinished(0);
    }
    for (auto& p : copies) {
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    const LifetimeLedger end = LifetimeStore(store).read();
    EXPECT_EQ(std::int64_t(end.total) - std::int64_t(end.counted), difference) << "no second counted twice";
    EXPECT_GE(end.counted, start);
    EXPECT_GT(readings, 0);
}

TEST_F(HoracumulTest, AFileWithLinesTheStoreCannotReadAndNoTotalIsLeftAlone) {
    const QByteArray unreadable = "[Opzioni\nTimer vita=5000\n[Allarme]\nOre=07\n";
    test::writeFile(store.path(), unreadable);
    clock.setUptimeMs(60'000);
    EXPECT_FALSE(Horacumul(clock, store, QStringLiteral("boot-a")).accumulate()) << "the total may be in there";
    EXPECT_EQ(test::readFile(store.path()), unreadable);

    // With a total it can read, the rest of the file is no reason to stop counting.
    test::writeFile(store.path(), "[Opzioni]\nTimer vita=5000\n[Allarme\nOre=07\n");
    EXPECT_TRUE(Horacumul(clock, store, QStringLiteral("boot-a")).accumulate());
    EXPECT_EQ(total(), QStringLiteral("5060"));
    EXPECT_TRUE(test::readFile(store.path()).contains("[Allarme\nOre=07\n")) << "the unreadable line kept";
}

TEST_F(HoracumulTest, UpdatesEveryPeriodWhileItRuns) {
    store.firstRunInit();
    clock.setUptimeMs(90'000);
    EXPECT_EQ(Horacumul(clock, store, QStringLiteral("boot-a")).period(), std::chrono::minutes(10));
    Horacumul h(clock, store, QStringLiteral("boot-a"), std::chrono::milliseconds(20));
    QElapsedTimer waited;
    waited.start();
    while (total() != QStringLiteral("90") && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(total(), QStringLiteral("90")) << "written by the periodic update alone";
}

TEST_F(HoracumulTest, TheBootIdIsTheKernelsLineOrNothing) {
    test::writeFile(file(QStringLiteral("id")), "3f1c2b9e-8d6a-4e1f-9a7b-0c5d4e3f2a1b\n");
    EXPECT_EQ(readBootId(file(QStringLiteral("id"))), QStringLiteral("3f1c2b9e-8d6a-4e1f-9a7b-0c5d4e3f2a1b"));
    EXPECT_EQ(readBootId(file(QStringLiteral("absent"))), QString());
    test::writeFile(file(QStringLiteral("odd")), "not a boot id\n");
    EXPECT_EQ(readBootId(file(QStringLiteral("odd"))), QString());
    EXPECT_EQ(readBootId().size(), 36) << "this machine's own";
}

} // namespace
