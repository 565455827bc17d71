// The INI file tool the faces carry: it writes only files that already exist, and the system folder's name.
#include "platform/ini_tool.h"
#include "tests/support/row_name.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <utility>

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

namespace {

// A clock run as root owns /etc/system.ini: ownership alone must not let the call write there. `system` lies outside
// the own folder, which holds a link to it.
class INIToolOutsideTest : public INIToolTest {
public:
    INIToolOutsideTest() {
        test::writeFile(system, original);
        QDir().mkpath(own);
        QFile::link(system, link);
    }
    QTemporaryDir elsewhere;
    const QString system = elsewhere.filePath(QStringLiteral("system.ini"));
    const QByteArray original = "[boot]\nSCRNSAVE.EXE=old.scr\n";
    const QString own = file(QStringLiteral("own"));
    const QString link = own + QStringLiteral("/system.ini");
};

struct OutsideRow {
    const char* name;
    // The own folder and the path the call is given.
    std::function<std::pair<QString, QString>(const INIToolOutsideTest&)> call;
};

class INIToolRefusesTest : public INIToolOutsideTest, public ::testing::WithParamInterface<OutsideRow> {};

TEST_P(INIToolRefusesTest, EntryCallWritesNothingOutsideTheUsersOwnFolder) {
    ASSERT_TRUE(QFileInfo(link).isSymLink());
    const auto [ownFolder, path] = GetParam().call(*this);
    INITool tool(ownFolder);
    EXPECT_FALSE(tool.entryCall(QString(), QStringLiteral("boot"), QStringLiteral("SCRNSAVE.EXE"), path));
    EXPECT_EQ(test::readFile(system), original);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, INIToolRefusesTest,
    ::testing::Values(OutsideRow{"a file outside the own folder",
                                 [](const INIToolOutsideTest& t) { return std::pair(t.own, t.system); }},
                      OutsideRow{"a link inside the own folder to a file outside it",
                                 [](const INIToolOutsideTest& t) { return std::pair(t.own, t.link); }},
                      OutsideRow{"the path of the own folder itself",
                                 [](const INIToolOutsideTest& t) {
                                     return std::pair(t.elsewhere.path(), t.elsewhere.path() + QStringLiteral("/."));
                                 }},
                      OutsideRow{"a home folder that is the root of the file system",
                                 [](const INIToolOutsideTest& t) { return std::pair(QStringLiteral("/"), t.system); }},
                      OutsideRow{"no home folder",
                                 [](const INIToolOutsideTest& t) { return std::pair(QString(), t.system); }}),
    test::RowName());

TEST_F(INIToolOutsideTest, TheSameFileIsWrittenOnceItLiesInsideTheOwnFolder) {
    EXPECT_TRUE(
        INITool(elsewhere.path()).entryCall(QString(), QStringLiteral("boot"), QStringLiteral("SCRNSAVE.EXE"), system));
    EXPECT_EQ(test::readFile(system), QByteArray("[boot]\nSCRNSAVE.EXE=\n"));
}

} // namespace

TEST(CartellaSistema, EndsWithExactlyOneSeparator) {
    EXPECT_EQ(CartellaSistema(), QStringLiteral("/etc/"));
}
