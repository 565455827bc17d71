// One copy per user, display and settings file: the lock, the hand-over and a holder that is gone.
#include "platform/single_instance.h"
#include "tests/support/temp_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <sys/stat.h>

namespace qx {
namespace {

using Outcome = SingleInstance::Outcome;

// Whether `holder` hears of a later start on its event loop within two seconds.
bool hears(SingleInstance& holder) {
    QEventLoop loop;
    bool heard = false;
    QObject::connect(&holder, &SingleInstance::anotherStart, &loop, [&] {
        heard = true;
        loop.quit();
    });
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec();
    return heard;
}

class SingleInstanceTest : public test::TempDirTest {
protected:
    // A runtime folder as the session has it: the user's own, closed to others.
    QString runtime(const QString& name = QStringLiteral("run")) {
        const QString path = file(name);
        EXPECT_TRUE(QDir().mkpath(path));
        ::chmod(QFile::encodeName(path).constData(), 0700);
        return path;
    }
};

TEST_F(SingleInstanceTest, ASecondStartIsHandedToTheFirstWhichHearsIt) {
    const QString folder = runtime();
    SingleInstance first(QStringLiteral("quadrantix"), ":0", QStringLiteral("/home/u/Quadrantix.ini"), folder);
    ASSERT_EQ(first.outcome(), Outcome::First);
    first.listen();

    SingleInstance second(QStringLiteral("quadrantix"), ":0.0", QStringLiteral("/home/u/Quadrantix.ini"), folder);
    EXPECT_EQ(second.outcome(), Outcome::HandedOver) << "screen 0 of display :0 is the same display";
    EXPECT_TRUE(hears(first));
}

TEST_F(SingleInstanceTest, OtherDisplaysProgramsAndSettingsFilesAreOtherCopies) {
    const QString folder = runtime();
    SingleInstance first(QStringLiteral("quadrantix"), ":0", QStringLiteral("/a.ini"), folder);
    ASSERT_EQ(first.outcome(), Outcome::First);
    EXPECT_EQ(SingleInstance(QStringLiteral("quadrantix"), ":1", QStringLiteral("/a.ini"), folder).outcome(),
              Outcome::First);
    EXPECT_EQ(SingleInstance(QStringLiteral("quadrasogno"), ":0", QStringLiteral("/a.ini"), folder).outcome(),
              Outcome::First);
    EXPECT_EQ(SingleInstance(QStringLiteral("quadrantix"), ":0", QStringLiteral("/b.ini"), folder).outcome(),
              Outcome::First);
}

TEST_F(SingleInstanceTest, AFolderLongerThanASocketAddressStillHandsOver) {
    const QString folder = runtime(QString(150, QLatin1Char('r')));
    SingleInstance first(QStringLiteral("quadrantix"), ":0", QStringLiteral("/a.ini"), folder);
    ASSERT_EQ(first.outcome(), Outcome::First);
    first.listen();
    EXPECT_EQ(SingleInstance(QStringLiteral("quadrantix"), ":0", QStringLiteral("/a.ini"), folder).outcome(),
              Outcome::HandedOver);
    EXPECT_TRUE(hears(first));
}

TEST_F(SingleInstanceTest, AHolderThatIsGoneBlocksNothing) {
    const QString folder = runtime();
    {
        SingleInstance gone(QStringLiteral("quadrantix"), ":0", QStringLiteral("/a.ini"), folder);
        ASSERT_EQ(gone.outcome(), Outcome::First);
    }
    // What a crashed copy leaves: its lock file and its socket, with no one behind them.
    EXPECT_EQ(SingleInstance(QStringLiteral("quadrantix"), ":0", QStringLiteral("/a.ini"), folder).outcome(),
              Outcome::First);
}

TEST_F(SingleInstanceTest, AFolderOthersCanEnterIsNotUsed) {
    const QString folder = runtime();
    ::chmod(QFile::encodeName(folder).constData(), 0777);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
    EXPECT_NE(SingleInstance::runtimeFolder(), folder);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    EXPECT_EQ(SingleInstance::runtimeFolder(), folder);
    qunsetenv("XDG_RUNTIME_DIR");
}

} // namespace
} // namespace qx
