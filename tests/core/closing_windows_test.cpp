// The windows every face reaches: the about window, the closing splash and the screensaver launch.
#include "core/about.h"
#include "core/faces.h"
#include "core/program_info.h"
#include "core/screensaver_launch.h"
#include "core/settings_store.h"
#include "core/splash.h"
#include "tests/support/row_name.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>
#include <tuple>

using namespace qx;

namespace {

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QList<QWidget*> visibleWindows(const QString& name) {
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            found << w;
    return found;
}

// --- the about window ------------------------------------------------------------------------------------------

class AboutTest : public ::testing::Test {
protected:
    ~AboutTest() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmAbout"))
                w->close();
        settle();
    }
    AboutServices services() {
        return {[this](const QUrl& url) { opened << url; },
                [this](const QString& path) {
                    started << path;
                    return startSucceeds;
                },
                [this](const QStringList& names) {
                    searched = names;
                    return found;
                }};
    }
    QList<QUrl> opened;
    QStringList started, searched;
    QString found;
    bool startSucceeds = true;
};

TEST_F(AboutTest, NamesTheProgramItsVersionItsPurposeAndItsMaker) {
    AboutWindows about(services());
    frmAbout* w = about.open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Informazioni su Quadrantix"));
    EXPECT_EQ((w->windowFlags() & Qt::WindowType_Mask), Qt::Tool) << "no task bar button";
    EXPECT_FALSE(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w->size(), QSize(382, 237)) << "5730 x 3555 twips";
    const auto text = [w](const char* name) { return w->findChild<QLabel*>(QLatin1String(name))->text(); };
    EXPECT_EQ(text("lblTitle"), QStringLiteral("Quadrantix"));
    EXPECT_EQ(text("lblVersion"), QStringLiteral("Versione 1.0.0"));
    EXPECT_TRUE(text("lblDescription").startsWith(QStringLiteral("Orologio multifunzione con: visualizzazione in 4")));
    EXPECT_TRUE(text("lblDescription").endsWith(QStringLiteral("all' inizio del terzo millennio.")));
    EXPECT_EQ(text("lblDisclaimer"), QStringLiteral("Per ogni commento o informazione visitate il sito:"));
    EXPECT_EQ(text("Label1"), makerSite().toString());
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("Label1"))->toolTip(),
              QStringLiteral("Click per visitare il sito!"));
    EXPECT_FALSE(w->findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap().isNull());
    EXPECT_EQ(w->findChild<QPushButton*>(QStringLiteral("cmdOK"))->text(), QStringLiteral("OK"));
    EXPECT_EQ(w->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->text(), QStringLiteral("&System Info..."));
    for (QLabel* l : w->findChildren<QLabel*>())
        EXPECT_TRUE(l->objectName() == QLatin1String("picIcon") || l->textFormat() == Qt::PlainText)
            << qPrintable(l->objectName());

    // A click on the address opens the maker's site with the desktop's handler.
    QLabel* address = w->findChild<QLabel*>(QStringLiteral("Label1"));
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, address->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, address->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(address, &press);
    QCoreApplication::sendEvent(address, &release);
    EXPECT_EQ(opened, QList<QUrl>{makerSite()});
    EXPECT_EQ(makerSite().scheme(), QStringLiteral("https"));

    QPointer<frmAbout> guard(w);
    w->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    settle();
    EXPECT_FALSE(guard) << "OK closes the window";
}

TEST_F(AboutTest, ChoosingItAgainBringsTheOneWindowToTheFront) {
    AboutWindows about(services());
    frmAbout* first = about.open();
    frmAbout* second = about.open();
    EXPECT_EQ(first, second);
    EXPECT_EQ(visibleWindows(QStringLiteral("frmAbout")).size(), 1);
    first->close();
    settle();
    EXPECT_EQ(about.window(), nullptr);
    frmAbout* third = about.open();
    ASSERT_NE(third, nullptr) << "a closed window opens anew";
    EXPECT_EQ(visibleWindows(QStringLiteral("frmAbout")).size(), 1);
}

struct SysInfoRow {
    const char* name;
    QString found;
    bool startSucceeds;
    bool startedIt;
    bool explains;
};

// Asked from the about window's own button, and from another window (the options dialog) that never shows it.
class SysInfoTest : public AboutTest, public ::testing::WithParamInterface<std::tuple<SysInfoRow, bool>> {};

TEST_P(SysInfoTest, StartsTheFirstProgramFoundOrSaysThereIsNone) {
    const auto& [c, fromAnotherWindow] = GetParam();
    found = c.found;
    startSucceeds = c.startSucceeds;
    AboutWindows about(services());
    QWidget other;
    QWidget* w = &other;
    if (fromAnotherWindow) {
        other.show();
        about.startSysInfo(&other);
        EXPECT_EQ(about.window(), nullptr) << "the about window is not shown";
    } else {
        w = about.open();
        w->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
    }
    EXPECT_EQ(searched, systemInfoPrograms());
    EXPECT_EQ(systemInfoPrograms().first(), QStringLiteral("kinfocenter"));
    EXPECT_EQ(started, c.startedIt ? QStringList{c.found} : QStringList{});
    auto* box = w->findChild<QMessageBox*>(QStringLiteral("sysinfo"));
    ASSERT_EQ(box != nullptr, c.explains);
    if (box) {
        EXPECT_EQ(box->text(), QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili."));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Quadrantix"));
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_TRUE(box->isVisible());
        box->button(QMessageBox::Ok)->click();
    }
    if (!fromAnotherWindow)
        w->close();
    settle();
}

INSTANTIATE_TEST_SUITE_P(
    About, SysInfoTest,
    ::testing::Combine(::testing::Values(SysInfoRow{"a program on PATH is started", QStringLiteral("/usr/bin/hardinfo"),
                                                    true, true, false},
                                         SysInfoRow{"none on PATH: only the message", QString(), true, false, true},
                                         SysInfoRow{"one that fails to start: the same message",
                                                    QStringLiteral("/usr/bin/kinfocenter"), false, true, true}),
                       ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<SysInfoRow, bool>>& info) {
        return test::rowName(std::get<0>(info.param).name) +
               (std::get<1>(info.param) ? "_from_another_window" : "_from_its_own_button");
    });

// --- the closing splash ------------------------------------------------------------------------------------------

TEST(SplashTimeline, BlinksCoversSaysGoodbyeAndCloses) {
    // After tick n: "Chiusura in corso", the logo, "Arrivederci", the black circles, whether the splash goes on.
    const struct {
        bool label1, image, label2, black, goesOn;
    } after[] = {
        {false, true, false, false, true}, // 0.5 s: the text blinks off
        {true, true, false, false, true},  // 1.0 s
        {false, true, false, false, true}, {true, true, false, false, true},  {false, true, false, false, true},
        {true, true, false, false, true},  {false, true, false, false, true}, {true, true, false, false, true},
        {false, false, false, true, true}, // 4.5 s: the last blink off, the black closes in over the logo
        {false, false, true, true, true},  // 5.0 s: "Arrivederci" from the tenth tick
        {false, false, true, true, false}, // 5.5 s: the eleventh closes the splash
    };
    SplashTimeline t;
    EXPECT_TRUE(t.Label1 && t.Image1 && !t.Label2 && !t.black) << "at opening";
    for (std::size_t i = 0; i < std::size(after); ++i) {
        const bool goesOn = t.tick();
        const int n = int(i) + 1;
        EXPECT_EQ(t.count(), n);
        EXPECT_EQ(t.Label1, after[i].label1) << "tick " << n;
        EXPECT_EQ(t.Image1, after[i].image) << "tick " << n;
        EXPECT_EQ(t.Label2, after[i].label2) << "tick " << n;
        EXPECT_EQ(t.black, after[i].black) << "tick " << n;
        EXPECT_EQ(goesOn, after[i].goesOn) << "tick " << n;
    }
}

TEST(Splash, ARoundBlackWindowInTheMiddleOfTheScreenThatClosesItself) {
    QPointer<fine> splash = showClosingSplash();
    ASSERT_TRUE(splash);
    auto* timer = splash->findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive()) << "running from the loading";
    EXPECT_EQ(timer->interval(), 500);
    timer->stop(); // the test ticks by hand
    EXPECT_EQ(splash->objectName(), QStringLiteral("fine"));
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ((splash->windowFlags() & Qt::WindowType_Mask), Qt::Tool) << "no task bar button";
    EXPECT_EQ(splash->size(), QSize(226, 230));
    const QPoint offCentre = splash->geometry().center() - QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 1) << "centred on the screen";
    EXPECT_EQ(splash->mask(), QRegion(QRect(1, 0, 226, 228), QRegion::Ellipse));
    EXPECT_FALSE(splash->mask().contains(QPoint(3, 3)));

    auto* label1 = splash->findChild<QLabel*>(QStringLiteral("Label1"));
    auto* label2 = splash->findChild<QLabel*>(QStringLiteral("Label2"));
    ASSERT_TRUE(label1 && label2);
    EXPECT_EQ(label1->text(), QStringLiteral("Chiusura in corso"));
    EXPECT_EQ(label2->text(), QStringLiteral("Arrivederci"));
    EXPECT_TRUE(label1->isVisible());
    EXPECT_FALSE(label2->isVisible());
    for (QLabel* l : {label1, label2}) {
        EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(0, 255, 0));
        EXPECT_FALSE(l->autoFillBackground()) << "transparent over the logo";
        QFontMetrics metrics(l->font());
        for (const QString& word : l->text().split(u' '))
            EXPECT_LE(metrics.horizontalAdvance(word), l->width()) << qPrintable(word) << " fits its box";
    }
    // The logo shows round the blinking text at first; black once the circles have closed in to the middle.
    const QImage opening = splash->grab().toImage();
    EXPECT_NE(opening.pixelColor(113, 20), QColor(Qt::black)) << "the logo's mark at the top";

    for (int tick = 1; tick <= 9; ++tick)
        splash->tick();
    EXPECT_FALSE(label1->isVisible());
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 2000 && splash->grab().toImage().pixelColor(113, 115) != QColor(Qt::black))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const QImage covered = splash->grab().toImage();
    for (const QPoint p : {QPoint(113, 20), QPoint(113, 115), QPoint(30, 115), QPoint(200, 115), QPoint(113, 210)})
        EXPECT_EQ(covered.pixelColor(p), QColor(Qt::black)) << p.x() << "," << p.y();
    splash->tick();
    EXPECT_TRUE(label2->isVisible());
    splash->tick();
    settle();
    EXPECT_FALSE(splash) << "closed and gone after the eleventh tick";
}

// --- exit through the splash -------------------------------------------------------------------------------------

// A face manager with plain analog and tiny face windows, the analog one loaded; `exits` counts its exits.
void loadTwoFaces(FaceManager& faces, int& exits) {
    faces.setFactory(FaceKind::Analogico, [] { return new FaceWindow(FaceKind::Analogico); });
    faces.setFactory(FaceKind::Mini, [] { return new FaceWindow(FaceKind::Mini); });
    QObject::connect(&faces, &FaceManager::exiting, &faces, [&exits] { ++exits; });
    faces.loadOrologio();
}

TEST(ExitThroughTheSplash, ClockWindowsCloseAndTheSplashOpens) {
    FaceManager faces;
    faces.setFactory(FaceKind::Analogico, [] { return new FaceWindow(FaceKind::Analogico); });
    faces.setFactory(FaceKind::Mini, [] { return new FaceWindow(FaceKind::Mini); });
    QPointer<fine> splash;
    QObject::connect(&faces, &FaceManager::exiting, &faces, [&] {
        EXPECT_FALSE(faces.window(FaceKind::Analogico)->isLoaded());
        EXPECT_FALSE(faces.window(FaceKind::Mini)->isLoaded());
        splash = showClosingSplash();
    });
    faces.loadOrologio();
    faces.showFace(FaceKind::Mini);
    faces.run(Command::Exit, faces.window(FaceKind::Mini));
    settle();
    ASSERT_TRUE(splash);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(faces.window(FaceKind::Analogico), nullptr);
    EXPECT_EQ(faces.window(FaceKind::Mini), nullptr);
    delete splash;
}

// A close from the window manager (Alt+F4, the close box) reaches the face's native window as a close event of
// its own, which Qt hands on as a spontaneous close.
void closeFromOutside(QWidget* w) {
    QCloseEvent event;
    QCoreApplication::sendEvent(w->windowHandle(), &event);
}

struct OutsideCloseRow {
    const char* name;
    FaceKind face;
};

class OutsideCloseTest : public ::testing::TestWithParam<OutsideCloseRow> {};

TEST_P(OutsideCloseTest, ACloseFromTheWindowManagerIsTheFacesExitCommand) {
    const OutsideCloseRow& c = GetParam();
    FaceManager faces;
    int exits = 0;
    loadTwoFaces(faces, exits);
    faces.showFace(c.face);
    closeFromOutside(faces.window(c.face));
    settle();
    EXPECT_EQ(exits, 1) << "through the closing splash";
    EXPECT_EQ(faces.window(FaceKind::Analogico), nullptr);
    EXPECT_EQ(faces.window(c.face), nullptr);
}

INSTANTIATE_TEST_SUITE_P(ExitThroughTheSplash, OutsideCloseTest,
                         ::testing::Values(OutsideCloseRow{"the analog face", FaceKind::Analogico},
                                           OutsideCloseRow{
                                               "the tiny face, which used to leave the hidden analog window running",
                                               FaceKind::Mini}),
                         test::RowName());

TEST(ExitThroughTheSplash, TheProgramsOwnCloseOfAFaceIsNoExit) {
    FaceManager faces;
    int exits = 0;
    loadTwoFaces(faces, exits);
    faces.showFace(FaceKind::Mini);
    faces.showFace(FaceKind::Analogico, faces.window(FaceKind::Mini));
    settle();
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(faces.window(FaceKind::Mini), nullptr);
    ASSERT_NE(faces.window(FaceKind::Analogico), nullptr);
    EXPECT_TRUE(faces.window(FaceKind::Analogico)->isVisible());
    delete faces.window(FaceKind::Analogico);
}

// --- the screensaver launch ----------------------------------------------------------------------------------------

class LaunchTest : public test::TempDirTest {
protected:
    LaunchTest() : store(file(QStringLiteral("q.ini"))) {}
    SettingsStore store;
};

struct LaunchRow {
    const char* name; // the face launched from, and the name stored for it
    FaceKind face;
};

class LaunchFromTest : public LaunchTest, public ::testing::WithParamInterface<LaunchRow> {};

TEST_P(LaunchFromTest, WritesTheFaceThenStartsTheProgramBesideTheClock) {
    const LaunchRow& c = GetParam();
    QStringList started;
    QString storedAtStart;
    ScreensaverLaunch launch(store, QStringLiteral("/opt/qx"), [&](const QString& path) {
        started << path;
        storedAtStart = store.read(keys::Salvaschermo); // what the screensaver reads at its start
        return true;
    });
    launch.launch(c.face);
    EXPECT_EQ(started, QStringList{QStringLiteral("/opt/qx/quadrasogno")});
    EXPECT_EQ(storedAtStart, QLatin1String(c.name)) << "written before the program starts";
    EXPECT_EQ(store.read(keys::Salvaschermo), QLatin1String(c.name));
}

INSTANTIATE_TEST_SUITE_P(Faces, LaunchFromTest,
                         ::testing::Values(LaunchRow{"Analogico", FaceKind::Analogico},
                                           LaunchRow{"Digitale", FaceKind::Digitale}, LaunchRow{"Mini", FaceKind::Mini},
                                           LaunchRow{"Quadrantix", FaceKind::Quadrantix}),
                         test::RowName());

TEST_F(LaunchTest, WithoutTheProgramOnlyTheSettingChanges) {
    test::writeFile(store.path(), "[Opzioni]\nAvvio=Mini\nSalvaschermo=Analogico\n");
    const QString own = file(QStringLiteral("home"));
    ScreensaverLaunch launch(
        store, dirPath(), [](const QString&) { return false; }, INITool(own));
    launch.launch(FaceKind::Mini);
    EXPECT_EQ(test::readFile(store.path()), QByteArray("[Opzioni]\nAvvio=Mini\nSalvaschermo=Mini\n"));
}

} // namespace
