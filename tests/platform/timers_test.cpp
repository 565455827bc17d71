// Timers: where the next boundary falls, that boundary ticks land on the new side of it, and the window gate.
#include "platform/boundary_timer.h"
#include "platform/clock.h"
#include "platform/hires_timer.h"
#include "platform/ini_tool.h"
#include "tests/support/temp_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace qx;

TEST(NextBoundary, CountsToTheNextMultipleOfThePeriod) {
    constexpr std::int64_t s = 1'000'000'000, ms = 1'000'000;
    const struct {
        const char* name;
        std::int64_t now, period, expected;
    } cases[] = {
        {"just after a second", 5 * s + 1, s, s - 1},
        {"just before a second", 6 * s - 1, s, 1},
        {"exactly on a second waits a whole one", 7 * s, s, s},
        {"ten-millisecond grid", 5 * s + 123 * ms, 10 * ms, 7 * ms},
        {"before the epoch", -s / 2, s, s / 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nsToNextBoundary(c.now, c.period), c.expected) << c.name;
}

TEST(BoundaryTimer, EveryTickReadsATimeInALaterPeriod) {
    SystemClock clock;
    BoundaryTimer timer(clock, nullptr);
    constexpr std::int64_t period = 20'000'000;
    std::vector<std::int64_t> periods;
    QEventLoop loop;
    QObject::connect(&timer, &BoundaryTimer::tick, &loop, [&] {
        periods.push_back(clock.epochNs() / period);
        if (periods.size() == 5)
            loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    timer.start(period);
    loop.exec();
    ASSERT_EQ(periods.size(), 5u);
    for (std::size_t i = 1; i < periods.size(); ++i)
        EXPECT_GT(periods[i], periods[i - 1]) << "two ticks in one period, or a tick before its boundary";
}

// A handler that yields to the event loop must not see its window's other timers, nor itself, tick inside it;
// the ticks that fell due meanwhile are dropped, not delivered in a burst afterwards.
TEST(HiResTimer, NoTickNestsInsideAHandlerOfTheSameWindow) {
    TickGate gate;
    HiResTimer slow(&gate), fast(&gate);
    slow.setInterval(5);
    fast.setInterval(1);
    int depth = 0, maxDepth = 0, slowTicks = 0, fastTicksDuringYield = 0;
    bool yielding = false;
    QObject::connect(&fast, &HiResTimer::tick, &fast, [&] {
        if (yielding)
            ++fastTicksDuringYield;
    });
    QEventLoop done;
    QObject::connect(&slow, &HiResTimer::tick, &slow, [&] {
        maxDepth = std::max(maxDepth, ++depth);
        if (++slowTicks == 1) {
            yielding = true;
            QElapsedTimer spin;
            spin.start();
            while (spin.elapsed() < 60)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            yielding = false;
        } else {
            slow.stop();
            done.quit();
        }
        --depth;
    });
    slow.start();
    fast.start();
    QTimer::singleShot(5000, &done, &QEventLoop::quit);
    done.exec();
    EXPECT_EQ(slowTicks, 2);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(fastTicksDuringYield, 0);
}

class INIToolTest : public test::TempDirTest {};

TEST_F(INIToolTest, EntryCallNeverCreatesAFileButWritesAnExistingOne) {
    INITool tool(dirPath());
    const QString missing = file(QStringLiteral("system.ini"));
    EXPECT_FALSE(tool.entryCall(QString(), QStringLiteral("boot"), QStringLiteral("SCRNSAVE.EXE"), missing));
    EXPECT_FALSE(QFileInfo::exists(missing));

    test::writeFile(missing, "[boot]\nshell=x\n");
    EXPECT_TRUE(
        tool.entryCall(QStringLiteral("q.scr"), QStringLiteral("BOOT"), QStringLiteral("SCRNSAVE.EXE"), missing));
    EXPECT_EQ(test::readFile(missing), QByteArray("[boot]\nshell=x\nSCRNSAVE.EXE=q.scr\n"));
    EXPECT_EQ(INITool::read(missing, QStringLiteral("boot"), QStringLiteral("scrnsave.exe")), QStringLiteral("q.scr"));
    EXPECT_FALSE(tool.entryCall(QString(), QStringLiteral("boot"), QStringLiteral("x"), dirPath()));
}

TEST_F(INIToolTest, EntryCallWritesNothingOutsideTheUsersOwnFolder) {
    // A clock run as root owns /etc/system.ini: ownership alone must not let the call write there.
    QTemporaryDir elsewhere;
    const QString system = elsewhere.filePath(QStringLiteral("system.ini"));
    const QByteArray original = "[boot]\nSCRNSAVE.EXE=old.scr\n";
    test::writeFile(system, original);
    const QString own = file(QStringLiteral("own"));
    ASSERT_TRUE(QDir().mkpath(own));
    const QString link = own + QStringLiteral("/system.ini");
    ASSERT_TRUE(QFile::link(system, link));

    const struct {
        const char* what;
        QString ownFolder, path;
    } cases[] = {
        {"a file outside the own folder", own, system},
        {"a link inside the own folder to a file outside it", own, link},
        {"the path of the own folder itself", elsewhere.path(), elsewhere.path() + QStringLiteral("/.")},
        {"a home folder that is the root of the file system", QStringLiteral("/"), system},
        {"no home folder", QString(), system},
    };
    for (const auto& c : cases) {
        INITool tool(c.ownFolder);
        EXPECT_FALSE(tool.entryCall(QString(), QStringLiteral("boot"), QStringLiteral("SCRNSAVE.EXE"), c.path))
            << c.what;
        EXPECT_EQ(test::readFile(system), original) << c.what;
    }
    // The same file is written once it lies inside the own folder.
    EXPECT_TRUE(
        INITool(elsewhere.path()).entryCall(QString(), QStringLiteral("boot"), QStringLiteral("SCRNSAVE.EXE"), system));
    EXPECT_EQ(test::readFile(system), QByteArray("[boot]\nSCRNSAVE.EXE=\n"));
}

TEST(CartellaSistema, EndsWithExactlyOneSeparator) {
    EXPECT_EQ(CartellaSistema(), QStringLiteral("/etc/"));
}
