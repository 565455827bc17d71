// The INI file tool the faces carry: it writes only files that already exist, and the system folder's name.
#include "platform/ini_tool.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qx;

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

