// The INI file tool the faces carry: it writes only files that already exist, and the system folder's name.
#include "platform/ini_tool.h"
#include "tests/support/temp_dir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace qx;

class INIToolTest : public test::TempDirTest {};

TEST_F(INIToolTest, EntryCallNeverCreatesAFileButWritesAnExistingOne) {
    INITool tool;
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

TEST(CartellaSistema, EndsWithExactlyOneSeparator) {
    EXPECT_EQ(CartellaSistema(), QStringLiteral("/etc/"));
}
