// Start-up and face switching: which face the "Avvio" setting shows, and what a switch keeps and discards.
#include "core/desktop_entry.h"
#include "core/faces.h"
#include "core/settings_store.h"
#include "core/startup.h"
#include "tests/support/row_name.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace qx;

namespace {

// A clock with stand-in faces and a settings file of its own.
struct Clockwork {
    Clockwork() : store(dir.filePath(QStringLiteral("q.ini"))) {
        for (FaceKind k : {FaceKind::Analogico, FaceKind::Digitale, FaceKind::Mini, FaceKind::Quadrantix})
            faces.setFactory(k, [this, k] {
                ++created[std::size_t(k)];
                auto* w = new FaceWindow(k);
                w->resize(50, 50);
                return w;
            });
    }
    ~Clockwork() {
        for (FaceKind k : {FaceKind::Analogico, FaceKind::Digitale, FaceKind::Mini, FaceKind::Quadrantix})
            delete faces.window(k);
    }
    std::optional<FaceKind> visibleFace() const {
        std::optional<FaceKind> shown;
        for (FaceKind k : {FaceKind::Analogico, FaceKind::Digitale, FaceKind::Mini, FaceKind::Quadrantix})
            if (faces.window(k) && faces.window(k)->isVisible()) {
                EXPECT_FALSE(shown) << "two faces on screen";
                shown = k;
            }
        return shown;
    }

    QTemporaryDir dir;
    SettingsStore store;
    FaceManager faces;
    int created[4] = {};
};

class StartupTest : public ::testing::Test, public Clockwork {};

struct AvvioRow {
    const char* name;
    std::optional<QString> avvio;
    std::optional<FaceKind> face;
};

class AvvioTest : public StartupTest, public ::testing::WithParamInterface<AvvioRow> {};

TEST_P(AvvioTest, ChoosesTheFaceExactly) {
    const AvvioRow& c = GetParam();
    if (c.avvio)
        store.write(keys::Avvio, *c.avvio);
    startUp(faces, store);
    EXPECT_TRUE(faces.window(FaceKind::Analogico)) << "the analog window is always loaded";
    EXPECT_EQ(visibleFace(), c.face);
}

INSTANTIATE_TEST_SUITE_P(StartupTest, AvvioTest,
                         ::testing::Values(AvvioRow{"absent opens the large face", std::nullopt, FaceKind::Quadrantix},
                                           AvvioRow{"empty opens the large face", QString(), FaceKind::Quadrantix},
                                           AvvioRow{"Analogico", QStringLiteral("Analogico"), FaceKind::Analogico},
                                           AvvioRow{"Digitale", QStringLiteral("Digitale"), FaceKind::Digitale},
                                           AvvioRow{"Mini", QStringLiteral("Mini"), FaceKind::Mini},
                                           AvvioRow{"Quadrantix", QStringLiteral("Quadrantix"), FaceKind::Quadrantix},
                                           AvvioRow{"lower case names no face", QStringLiteral("analogico"),
                                                    std::nullopt},
                                           AvvioRow{"unknown names no face", QStringLiteral("Orologio"), std::nullopt}),
                         test::RowName());

TEST_F(StartupTest, AnalogWindowIsHiddenWithItsPlaceOthersAreClosedAndReopenedFresh) {
    store.write(keys::Avvio, QStringLiteral("Analogico"));
    startUp(faces, store);
    FaceWindow* orologio = faces.window(FaceKind::Analogico);
    orologio->move(123, 45);

    faces.showFace(FaceKind::Mini, orologio);
    EXPECT_EQ(visibleFace(), FaceKind::Mini);
    EXPECT_EQ(faces.window(FaceKind::Analogico), orologio) << "hidden, not closed";

    FaceWindow* mini = faces.window(FaceKind::Mini);
    mini->move(300, 300);
    faces.showFace(FaceKind::Digitale, mini);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(faces.window(FaceKind::Mini), nullptr) << "closed, its state discarded";

    faces.showFace(FaceKind::Analogico, faces.window(FaceKind::Digitale));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(visibleFace(), FaceKind::Analogico);
    EXPECT_EQ(orologio->pos(), QPoint(123, 45));

    faces.showFace(FaceKind::Mini, orologio);
    EXPECT_EQ(created[std::size_t(FaceKind::Mini)], 2) << "a closed face opens anew";
}

TEST_F(StartupTest, ExitClosesTheAnalogWindowAndTheCurrentFace) {
    startUp(faces, store);
    faces.exitFrom(faces.window(FaceKind::Quadrantix));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(faces.window(FaceKind::Analogico), nullptr);
    EXPECT_EQ(faces.window(FaceKind::Quadrantix), nullptr);
}

// What a desktop reads from the launcher: GLib's key-file reader, then the Exec quoting GIO undoes (shell-like
// splitting, then %% for %). Prints the program path, a new line and TryExec, or an error.
constexpr char kReadExec[] = R"(
import sys
from gi.repository import GLib
kf = GLib.KeyFile()
kf.load_from_file(sys.argv[1], GLib.KeyFileFlags.NONE)
ok, argv = GLib.shell_parse_argv(kf.get_string("Desktop Entry", "Exec"))
sys.stdout.write(argv[0].replace("%%", "%") if len(argv) == 1 else "argv %r" % argv)
sys.stdout.write("\n" + kf.get_string("Desktop Entry", "TryExec"))
)";

ino_t inode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

TEST_F(StartupTest, LauncherRunsTheProgramWhateverItsPath) {
    const QString paths[] = {
        QStringLiteral("/usr/lib/quadrantix/quadrantix"),
        QStringLiteral("/opt/Qx \"1\"/quadrantix"),
        QStringLiteral("/opt/$HOME/quadrantix"),
        QStringLiteral("/opt/100% sicuro/quadrantix"),
        QStringLiteral("/opt/%f %u %%/quadrantix"),
        QStringLiteral("/opt/back\\slash\\\\/quadrantix"),
        QStringLiteral("/opt/`date`/quadrantix"),
        QStringLiteral("/opt/l'orologio; & | < > ~ * ? # ( )/quadrantix"),
        QStringLiteral("/home/utente/Scrivania/Città/quadrantix"),
    };
    for (const QString& executable : paths) {
        const QString path = registerLauncher(executable, dir.filePath(QStringLiteral("apps/quadrantix.desktop")));
        QProcess validate;
        validate.start(QStringLiteral("desktop-file-validate"), {path});
        ASSERT_TRUE(validate.waitForFinished(20000)) << "desktop-file-validate (package desktop-file-utils)";
        EXPECT_EQ(validate.exitCode(), 0)
            << executable.toStdString() << ": " << validate.readAllStandardOutput().toStdString();
        QProcess glib;
        glib.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QLatin1String(kReadExec), path});
        ASSERT_TRUE(glib.waitForFinished(20000));
        EXPECT_EQ(QString::fromUtf8(glib.readAllStandardOutput()), executable + u'\n' + executable)
            << glib.readAllStandardError().toStdString() << test::readFile(path).toStdString();
        EXPECT_EQ(desktopEntryProgram(test::readFile(path)), executable) << "the clock reads back what it wrote";
    }
}

TEST_F(StartupTest, LauncherIsTheMenuEntryWithTheProgramFilledIn) {
    const QByteArray text = launcherText(QStringLiteral("/usr/lib/quadrantix/quadrantix"));
    for (const char* line :
         {"\nExec=\"/usr/lib/quadrantix/quadrantix\"\n", "\nTryExec=/usr/lib/quadrantix/quadrantix\n",
          "\nIcon=quadrantix\n", "\nStartupWMClass=Quadrantix\n", "\nCategories=Utility;Clock;\n"})
        EXPECT_TRUE(text.contains(line)) << line << " in\n" << text.toStdString();
    EXPECT_FALSE(text.contains('@')) << "every placeholder filled in:\n" << text.toStdString();
}

struct AutostartCopyRow {
    const char* name;
    // The copy there is, given the path of a program that exists; none: there is no copy.
    std::function<std::optional<QByteArray>(const QString& present)> copy;
    bool refreshed;
};

class AutostartCopyTest : public StartupTest, public ::testing::WithParamInterface<AutostartCopyRow> {};

// The autostart copy (made by the options dialog) after a start of the clock from /new/quadrantix.
TEST_P(AutostartCopyTest, IsRefreshedOnlyWhenItsProgramIsGone) {
    const AutostartCopyRow& c = GetParam();
    const QString present = dir.filePath(QStringLiteral("elsewhere/quadrantix"));
    QDir().mkpath(QFileInfo(present).absolutePath());
    test::writeFile(present, "#!/bin/sh\n");
    const std::optional<QByteArray> before = c.copy(present);
    const QString launcher = dir.filePath(QStringLiteral("home/applications/quadrantix.desktop"));
    const QString autostart = dir.filePath(QStringLiteral("home/autostart"));
    const QString copy = autostart + QStringLiteral("/quadrantix.desktop");
    if (before) {
        QDir().mkpath(autostart);
        test::writeFile(copy, *before);
    }
    registerLauncher(QStringLiteral("/new/quadrantix"), launcher, autostart);
    if (!before)
        EXPECT_FALSE(QFileInfo::exists(copy));
    else
        EXPECT_EQ(test::readFile(copy), c.refreshed ? test::readFile(launcher) : *before);
}

INSTANTIATE_TEST_SUITE_P(
    StartupTest, AutostartCopyTest,
    ::testing::Values(
        AutostartCopyRow{"a copy naming a removed build is refreshed",
                         [](const QString&) { return launcherText(QStringLiteral("/gone/build/bin/quadrantix")); },
                         true},
        AutostartCopyRow{"an older copy without TryExec naming a moved program is refreshed",
                         [](const QString&) {
                             return QByteArray(
                                 "[Desktop Entry]\nType=Application\nName=Quadrantix\nExec=\"/gone/quadrantix\"\n");
                         },
                         true},
        AutostartCopyRow{"a copy naming a program still there is the user's choice",
                         [](const QString& present) { return launcherText(present); }, false},
        AutostartCopyRow{
            "a copy naming a program on PATH is left alone",
            [](const QString&) { return QByteArray("[Desktop Entry]\nType=Application\nExec=quadrantix\n"); }, false},
        AutostartCopyRow{"a file naming no program is left alone",
                         [](const QString&) { return QByteArray("[Desktop Entry]\nType=Application\n"); }, false},
        AutostartCopyRow{"no copy: none is made", [](const QString&) { return std::optional<QByteArray>(); }, false}),
    test::RowName());

TEST_F(StartupTest, LauncherIsRewrittenOnlyWhenItChanges) {
    const QString path = dir.filePath(QStringLiteral("apps/quadrantix.desktop"));
    EXPECT_EQ(registerLauncher(QStringLiteral("/opt/qx/quadrantix"), path), path);
    const QByteArray text = test::readFile(path);
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\nType=Application\nName=Quadrantix\n")) << text.toStdString();
    const ino_t first = inode(path);
    ASSERT_NE(first, ino_t(0));
    registerLauncher(QStringLiteral("/opt/qx/quadrantix"), path);
    EXPECT_EQ(inode(path), first) << "the same program: the file is left as it was";
    registerLauncher(QStringLiteral("/opt/qx2/quadrantix"), path);
    EXPECT_NE(inode(path), first) << "another program path: the file is replaced";
    EXPECT_TRUE(test::readFile(path).contains("Exec=\"/opt/qx2/quadrantix\"\n"));
}

// Restores the variables a test takes away.
class ScopedUnset {
public:
    explicit ScopedUnset(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            saved_.emplace_back(name, qgetenv(name), qEnvironmentVariableIsSet(name));
            qunsetenv(name);
        }
    }
    ~ScopedUnset() {
        for (const auto& [name, value, set] : saved_)
            if (set)
                qputenv(name, value);
    }

private:
    std::vector<std::tuple<const char*, QByteArray, bool>> saved_;
};

// The icon's sizes are rendered only once the first picture is on screen, and then reach every window.
TEST(WindowIcon, IsMadeOnceTheFirstWindowHasPaintedAndGivenToEveryWindow) {
    const QIcon before = QApplication::windowIcon();
    int made = 0;
    QPixmap red(16, 16);
    red.fill(Qt::red);
    setWindowIconAfterFirstPaint(*qApp, [&] {
        ++made;
        return QIcon(red);
    });
    QWidget window;
    window.resize(40, 30);
    QCoreApplication::processEvents();
    EXPECT_EQ(made, 0) << "nothing has painted yet";
    window.show();
    for (int i = 0; i < 100 && made == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(window.windowIcon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
    window.repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(made, 1) << "made once";
    QApplication::setWindowIcon(before);
}

TEST_F(StartupTest, WithoutHomeTheFoldersComeFromThePasswordDatabase) {
    const passwd* pw = ::getpwuid(::getuid());
    ASSERT_TRUE(pw && pw->pw_dir && pw->pw_dir[0] == '/');
    const QString home = QDir::cleanPath(QFile::decodeName(pw->pw_dir));
    for (const char* value : {static_cast<const char*>(nullptr), "", "relativo"}) {
        ScopedUnset unset{"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "QUADRANTIX_CONFIG"};
        if (value)
            qputenv("HOME", value);
        EXPECT_EQ(SettingsStore::defaultPath(), home + QStringLiteral("/.config/Quadrantix/Quadrantix.ini"));
        EXPECT_EQ(launcherPath(), home + QStringLiteral("/.local/share/applications/quadrantix.desktop"));
    }
    ScopedUnset unset{"XDG_CONFIG_HOME", "XDG_DATA_HOME", "QUADRANTIX_CONFIG"};
    qputenv("XDG_CONFIG_HOME", "non/assoluto"); // relative base folders are ignored, as the XDG rules say
    EXPECT_TRUE(SettingsStore::defaultPath().startsWith(qEnvironmentVariable("HOME")));
}

} // namespace
