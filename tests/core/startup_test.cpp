// Start-up and face switching: which face the "Avvio" setting shows, and what a switch keeps and discards.
#include "core/faces.h"
#include "core/settings_store.h"
#include "core/startup.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QFile>
#include <gtest/gtest.h>

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

TEST_F(StartupTest, AvvioChoosesTheFaceExactly) {
    const struct {
        const char* name;
        std::optional<QString> avvio;
        std::optional<FaceKind> face;
    } cases[] = {
        {"absent opens the large face", std::nullopt, FaceKind::Quadrantix},
        {"empty opens the large face", QString(), FaceKind::Quadrantix},
        {"Analogico", QStringLiteral("Analogico"), FaceKind::Analogico},
        {"Digitale", QStringLiteral("Digitale"), FaceKind::Digitale},
        {"Mini", QStringLiteral("Mini"), FaceKind::Mini},
        {"Quadrantix", QStringLiteral("Quadrantix"), FaceKind::Quadrantix},
        {"lower case names no face", QStringLiteral("analogico"), std::nullopt},
        {"unknown names no face", QStringLiteral("Orologio"), std::nullopt},
    };
    for (const auto& c : cases) {
        Clockwork t;
        if (c.avvio)
            t.store.write(keys::Avvio, *c.avvio);
        startUp(t.faces, t.store);
        EXPECT_TRUE(t.faces.window(FaceKind::Analogico)) << c.name << ": the analog window is always loaded";
        EXPECT_EQ(t.visibleFace(), c.face) << c.name;
    }
}

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

TEST_F(StartupTest, LauncherPointsAtTheProgramAndIsRewrittenOnlyWhenItChanges) {
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    const QString path = registerLauncher(QStringLiteral("/opt/Qx \"1\"/quadrantix"));
    const QByteArray text = test::readFile(path);
    EXPECT_TRUE(text.contains("Exec=\"/opt/Qx \\\\\"1\\\\\"/quadrantix\"\n")) << text.toStdString();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\nType=Application\nName=Quadrantix\n"));
    EXPECT_EQ(registerLauncher(QStringLiteral("/opt/Qx \"1\"/quadrantix")), path);
    qunsetenv("XDG_DATA_HOME");
}

} // namespace
