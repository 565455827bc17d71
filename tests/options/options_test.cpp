// The options dialog: loading, the alarm time buttons, the previews, "&OK" and "&Annulla", and the face pictures.
#include "core/faces.h"
#include "core/settings_store.h"
#include "core/settings_watcher.h"
#include "core/startup.h"
#include "faces/orologio.h"
#include "lifetime/horacumul.h"
#include "lifetime/lifetime_ledger.h"
#include "options/face_pictures.h"
#include "options/opzionifrm.h"
#include "options/timer_readouts.h"
#include "platform/boundary_timer.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_sound_service.h"
#include "tests/support/row_name.h"
#include "tests/support/temp_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace qx;

namespace {

// A left click on a widget, as the user makes it (a disabled widget ignores it).
void click(QWidget* w) {
    const QPointF at = QRectF(w->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, {}, {});
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

class OptionsTest : public test::TempDirTest {
protected:
    OptionsTest()
        : store(file(QStringLiteral("config/Quadrantix/Quadrantix.ini"))),
          autostart{file(QStringLiteral("share/applications/quadrantix.desktop")),
                    file(QStringLiteral("config/autostart"))} {
        QDir().mkpath(file(QStringLiteral("config/Quadrantix")));
        QDir().mkpath(file(QStringLiteral("share/applications")));
        test::writeFile(autostart.launcher, "[Desktop Entry]\nType=Application\nName=Quadrantix\nExec=quadrantix\n");
    }
    ~OptionsTest() override {
        for (const QPointer<Opzionifrm>& d : dialogs)
            delete d.data();
    }

    OptionsContext context(SettingsStore& s) {
        return {.clock = clock,
                .store = s,
                .sound = sound,
                .BB_Suono = BB_Suono,
                .Al_Suono = Al_Suono,
                .programFolder = QStringLiteral("/q"),
                .bootId = QStringLiteral("boot-a"),
                .autostart = autostart,
                .pictures = nullptr,
                .beep = [this] { ++beeps; },
                .startSysInfo = {},
                .settingsChanges = &s == &store ? &settingsChanges : nullptr};
    }
    Opzionifrm* open(OptionsContext c) {
        auto* d = new Opzionifrm(std::move(c));
        dialogs.emplace_back(d);
        return d;
    }
    Opzionifrm* open() { return open(context(store)); }
    template <typename T = QWidget> static T* child(const QWidget* d, const char* name) {
        T* w = d->findChild<T*>(QLatin1String(name));
        if (!w)
            ADD_FAILURE() << "no control " << name;
        return w;
    }
    static QString text(const QWidget* d, const char* name) {
        if (auto* l = d->findChild<QLabel*>(QLatin1String(name)))
            return l->text();
        return child<QLineEdit>(d, name)->text();
    }
    static bool checked(const QWidget* d, const char* name) { return child<QAbstractButton>(d, name)->isChecked(); }
    static bool shown(const QWidget* d, const char* name) { return !child(d, name)->isHidden(); }
    static void press(const QWidget* d, const char* name) { child<QAbstractButton>(d, name)->click(); }

    test::FakeClock clock;
    SettingsStore store;
    SettingsWatcher settingsChanges{store};
    FakeSoundService sound;
    std::shared_ptr<SoundObject> BB_Suono = sound.bind(QStringLiteral("/q/BigBen.wav"));
    std::shared_ptr<SoundObject> Al_Suono = sound.bind(QStringLiteral("/q/Allarme.mid"));
    AutostartEntry autostart;
    int beeps = 0;
    std::vector<QPointer<Opzionifrm>> dialogs;
};

TEST_F(OptionsTest, WindowPagesAndTooltips) {
    Opzionifrm* d = open();
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Opzioni"));
    EXPECT_EQ(d->size(), QSize(344, 347));
    EXPECT_FALSE(d->isModal());
    EXPECT_TRUE(d->windowFlags() & Qt::Tool) << "no task bar button";
    EXPECT_FALSE(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    auto* tabs = child<QTabWidget>(d, "TabStrip1");
    ASSERT_EQ(tabs->count(), 4);
    const std::pair<const char*, const char*> expected[] = {
        {"Orologio", "Impostazioni relative al segnale orario - allarme"},
        {"Avvio", "Impostazioni per l'avvio del programma"},
        {"Timer", "Impostazioni dei timer vita del computer"},
        {"Salvaschermo", "Impostazioni del salvaschermo"},
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs->tabText(i), QString::fromUtf8(expected[i].first));
        EXPECT_EQ(tabs->tabToolTip(i), QString::fromUtf8(expected[i].second));
    }
    EXPECT_EQ(tabs->currentIndex(), 0) << "opens on the first page";
    EXPECT_EQ(child<QCheckBox>(d, "Check3")->text(), QStringLiteral("Big Ben ")) << "the caption ends with a blank";
    EXPECT_EQ(child<QAbstractButton>(d, "Command1")->text(), QStringLiteral("&OK"));
    EXPECT_EQ(child<QAbstractButton>(d, "Command2")->text(), QStringLiteral("&Annulla"));
    QWidget* first = d->nextInFocusChain();
    while (first != d && !(first->focusPolicy() & Qt::TabFocus))
        first = first->nextInFocusChain();
    EXPECT_EQ(first, child(d, "Command1")) << "OK is first in the tab order";
}

TEST_F(OptionsTest, FirstRunValuesShowAsTheyAreStored) {
    store.firstRunInit();
    Opzionifrm* d = open();
    EXPECT_EQ(text(d, "ore"), QStringLiteral("0")) << "shown as stored until + or - reformats it";
    EXPECT_EQ(text(d, "minuti"), QStringLiteral("0"));
    EXPECT_FALSE(checked(d, "Check1"));
    EXPECT_FALSE(child(d, "Frame1")->isEnabled()) << "the alarm frame follows Attiva allarme";
    EXPECT_FALSE(child(d, "ore_piu")->isEnabled());
    EXPECT_FALSE(child(d, "campana_pic")->isEnabled());
    EXPECT_TRUE(checked(d, "Check2"));
    EXPECT_TRUE(checked(d, "Check3"));
    EXPECT_FALSE(shown(d, "rintocco_line"));
    EXPECT_FALSE(shown(d, "BigBen_line"));
    EXPECT_TRUE(child(d, "rintocco_pic")->isEnabled());
    EXPECT_TRUE(checked(d, "Avvio_Quadrantix"));
    EXPECT_FALSE(shown(d, "Quadrantix_line"));
    for (const char* line : {"An_line", "Dig_line", "ino_line"})
        EXPECT_TRUE(shown(d, line)) << line;
    EXPECT_FALSE(checked(d, "AutoEsegui"));
    EXPECT_EQ(text(d, "messaggio"), QString()) << "no first-run reminder: an empty field";
    EXPECT_TRUE(d->allarmeSpento());
    EXPECT_EQ(d->prossimoRintocco(), 1);
}

TEST_F(OptionsTest, StoredValuesLoadEveryControl) {
    store.write(keys::Allarme, QStringLiteral("1"));
    store.write(keys::AllarmeOre, QStringLiteral("07"));
    store.write(keys::AllarmeMinuti, QStringLiteral("45"));
    store.write(keys::AllarmeMessaggio, QStringLiteral("<b>Sveglia</b> & caffè"));
    store.write(keys::SegnaleOrario, QStringLiteral("0"));
    store.write(keys::BigBen, QStringLiteral("0"));
    store.write(keys::Avvio, QStringLiteral("Digitale"));
    store.write(u"Opzioni", u"esegui AUTO", QStringLiteral("1")); // any case of the key names the same value
    store.write(keys::Promemoria, QStringLiteral("Chiamare la nonna"));
    Opzionifrm* d = open();
    EXPECT_EQ(text(d, "ore"), QStringLiteral("07"));
    EXPECT_EQ(text(d, "minuti"), QStringLiteral("45"));
    EXPECT_EQ(text(d, "allarme_messaggio"), QStringLiteral("<b>Sveglia</b> & caffè"));
    EXPECT_TRUE(child(d, "Frame1")->isEnabled());
    EXPECT_TRUE(shown(d, "rintocco_line"));
    EXPECT_FALSE(child(d, "rintocco_pic")->isEnabled());
    EXPECT_TRUE(shown(d, "BigBen_line"));
    EXPECT_FALSE(child(d, "BigBen_pic")->isEnabled());
    EXPECT_TRUE(checked(d, "Avvio_Dig"));
    EXPECT_FALSE(checked(d, "Avvio_Quadrantix"));
    EXPECT_FALSE(shown(d, "Dig_line"));
    EXPECT_TRUE(shown(d, "Quadrantix_line"));
    EXPECT_TRUE(checked(d, "AutoEsegui"));
    EXPECT_EQ(text(d, "messaggio"), QStringLiteral("Chiamare la nonna"));
}

struct LimitRow {
    const char* name;
    const char* display;
    const char* stored;
    const char* button;
    int presses;
    const char* shown;
    int beeps;
};

class AlarmTimeButtonsTest : public OptionsTest, public ::testing::WithParamInterface<LimitRow> {};

TEST_P(AlarmTimeButtonsTest, PlusAndMinusStopAtTheLimitsWithABeep) {
    const LimitRow& c = GetParam();
    store.write(keys::Allarme, QStringLiteral("1"));
    const bool hour = std::strcmp(c.display, "ore") == 0;
    store.write(hour ? SettingKey(keys::AllarmeOre) : SettingKey(keys::AllarmeMinuti), QLatin1String(c.stored));
    Opzionifrm* d = open();
    for (int i = 0; i < c.presses; ++i)
        press(d, c.button);
    EXPECT_EQ(text(d, c.display), QLatin1String(c.shown));
    EXPECT_EQ(beeps, c.beeps);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, AlarmTimeButtonsTest,
    ::testing::Values(LimitRow{"hour + from 22 shows 23", "ore", "22", "ore_piu", 1, "23", 0},
                      LimitRow{"hour + at 23 beeps and stays", "ore", "22", "ore_piu", 2, "23", 1},
                      LimitRow{"hour - from 0 beeps and shows 00", "ore", "0", "ore_meno", 1, "00", 1},
                      LimitRow{"hour + reformats a one-digit time", "ore", "7", "ore_piu", 1, "08", 0},
                      LimitRow{"hour - counts down", "ore", "10", "ore_meno", 1, "09", 0},
                      LimitRow{"minute + from 58 stops at 59", "minuti", "58", "minuti_piu", 3, "59", 2},
                      LimitRow{"minute - from 0 beeps and shows 00", "minuti", "0", "minuti_meno", 1, "00", 1},
                      LimitRow{"minute - from 59", "minuti", "59", "minuti_meno", 1, "58", 0},
                      LimitRow{"an hour out of range comes back to 23", "ore", "99", "ore_piu", 1, "23", 1},
                      LimitRow{"no number counts as 0", "minuti", "", "minuti_piu", 1, "01", 0}),
    test::RowName());

TEST_F(OptionsTest, ChimePictureAlternatesTheHourAndHalfHourSounds) {
    store.firstRunInit();
    Opzionifrm* d = open();
    QWidget* chime = child(d, "rintocco_pic");
    for (int i = 0; i < 3; ++i)
        click(chime);
    EXPECT_EQ(sound.events(), (std::vector<QString>{"sync:/q/Ora.wav", "sync:/q/Mezzora.wav", "sync:/q/Ora.wav"}));
    EXPECT_EQ(d->prossimoRintocco(), 0);

    // Unchecking "Segnale orario" crosses the picture out, and its clicks are ignored.
    sound.clear();
    child<QCheckBox>(d, "Check2")->click();
    EXPECT_TRUE(shown(d, "rintocco_line"));
    click(chime);
    EXPECT_TRUE(sound.events().empty());
    child<QCheckBox>(d, "Check2")->click();
    EXPECT_FALSE(shown(d, "rintocco_line"));
    click(chime);
    EXPECT_EQ(sound.events(), (std::vector<QString>{"sync:/q/Mezzora.wav"})) << "the alternation went on";
}

TEST_F(OptionsTest, BellPlaysAndStopsTheAlarmOnlyWhileTheAlarmIsOn) {
    store.firstRunInit();
    Opzionifrm* d = open();
    QWidget* bell = child(d, "campana_pic");
    click(bell);
    EXPECT_TRUE(sound.events().empty()) << "alarm off: the bell does not respond";

    child<QCheckBox>(d, "Check1")->click();
    EXPECT_TRUE(child(d, "Frame1")->isEnabled());
    click(bell);
    click(bell);
    EXPECT_EQ(sound.events(), (std::vector<QString>{"play:/q/Allarme.mid", "stop:/q/Allarme.mid"}));
    EXPECT_TRUE(d->allarmeSpento());

    // A melody that ended by itself is started again by the next click, not stopped.
    sound.clear();
    click(bell);
    sound.setPlaying(QStringLiteral("/q/Allarme.mid"), false);
    click(bell);
    EXPECT_EQ(sound.events(), (std::vector<QString>{"play:/q/Allarme.mid", "play:/q/Allarme.mid"}));
}

TEST_F(OptionsTest, BigBenPicturePlaysBigBenUnlessCrossedOut) {
    store.firstRunInit();
    Opzionifrm* d = open();
    click(child(d, "BigBen_pic"));
    EXPECT_EQ(sound.events(), (std::vector<QString>{"play:/q/BigBen.wav"}));
    sound.clear();
    child<QCheckBox>(d, "Check3")->click();
    EXPECT_TRUE(shown(d, "BigBen_line"));
    click(child(d, "BigBen_pic"));
    EXPECT_TRUE(sound.events().empty());
}

struct PreviewRow {
    const char* name; // the picture
    Qt::Key key;
    const char* played;
};

class PreviewKeysTest : public OptionsTest, public ::testing::WithParamInterface<PreviewRow> {};

TEST_P(PreviewKeysTest, ReachedWithTabStartedFromTheKeyboardAndNamedByItsTooltip) {
    const PreviewRow& c = GetParam();
    store.firstRunInit();
    Opzionifrm* d = open();
    child<QCheckBox>(d, "Check1")->click(); // the bell answers only while the alarm is on
    sound.clear();
    QWidget* picture = child(d, c.name);
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(picture->toolTip().isEmpty());
    EXPECT_EQ(picture->accessibleName(), picture->toolTip());
    QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
    QCoreApplication::sendEvent(picture, &press);
    EXPECT_EQ(sound.events(), std::vector<QString>{QString::fromLatin1(c.played)});
}

INSTANTIATE_TEST_SUITE_P(Previews, PreviewKeysTest,
                         ::testing::Values(PreviewRow{"campana_pic", Qt::Key_Space, "play:/q/Allarme.mid"},
                                           PreviewRow{"BigBen_pic", Qt::Key_Return, "play:/q/BigBen.wav"},
                                           PreviewRow{"rintocco_pic", Qt::Key_Space, "sync:/q/Ora.wav"}),
                         test::RowName());

TEST_F(OptionsTest, StartMarksFollowTheChosenFace) {
    Opzionifrm* d = open();
    const char* lines[] = {"An_line", "Dig_line", "ino_line", "Quadrantix_line"};
    const char* options[] = {"Avvio_An", "Avvio_Dig", "Avvio_ino", "Avvio_Quadrantix"};
    for (int chosen = 0; chosen < 4; ++chosen) {
        child<QRadioButton>(d, options[chosen])->click();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(shown(d, lines[i]), i != chosen) << options[chosen] << " " << lines[i];
    }
}

struct LeaveRow {
    const char* name;
    std::function<void(Opzionifrm*)> leave;
};

class LeaveWithoutOkTest : public OptionsTest, public ::testing::WithParamInterface<LeaveRow> {};

TEST_P(LeaveWithoutOkTest, LeavesTheStoreAndTheAutostartEntryAsTheyWere) {
    store.firstRunInit();
    store.write(keys::Promemoria, QStringLiteral("prima"));
    const QByteArray before = test::readFile(store.path());
    Opzionifrm* d = open();
    child<QCheckBox>(d, "Check1")->click();
    press(d, "ore_piu");
    child<QLineEdit>(d, "messaggio")->setText(QStringLiteral("dopo"));
    child<QRadioButton>(d, "Avvio_An")->click();
    child<QCheckBox>(d, "AutoEsegui")->click();
    GetParam().leave(d);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(test::readFile(store.path()), before);
    EXPECT_FALSE(autostart.isPresent()) << "no entry is made";

    // Nor is an entry that is there taken away, though the box ("Esegui auto" is "0") says "&OK" would.
    ASSERT_TRUE(autostart.apply(true));
    Opzionifrm* again = open();
    EXPECT_FALSE(checked(again, "AutoEsegui"));
    GetParam().leave(again);
    EXPECT_TRUE(autostart.isPresent());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LeaveWithoutOkTest,
    ::testing::Values(
        LeaveRow{"Annulla", [](Opzionifrm* d) { d->findChild<QAbstractButton*>(QStringLiteral("Command2"))->click(); }},
        LeaveRow{"Escape", [](Opzionifrm* d) { d->reject(); }},
        LeaveRow{"the close box", [](Opzionifrm* d) { d->close(); }}),
    test::RowName());

TEST_F(OptionsTest, OkWritesEveryKeyAndCloses) {
    store.firstRunInit();
    Opzionifrm* d = open();
    child<QCheckBox>(d, "Check1")->click();
    for (int i = 0; i < 7; ++i)
        press(d, "ore_piu");
    press(d, "minuti_meno"); // 00, with a beep
    child<QLineEdit>(d, "allarme_messaggio")->setText(QStringLiteral("  Sveglia!\n"));
    child<QCheckBox>(d, "Check2")->click();
    child<QCheckBox>(d, "Check3")->click();
    child<QRadioButton>(d, "Avvio_ino")->click();
    child<QCheckBox>(d, "AutoEsegui")->click();
    const QString reminder = QStringLiteral("Un promemoria di più di cinquanta caratteri, scritto per intero: sì!");
    ASSERT_GT(reminder.size(), 50);
    child<QLineEdit>(d, "messaggio")->setText(reminder);
    press(d, "Command1");

    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(store.read(keys::Allarme), QStringLiteral("1"));
    EXPECT_EQ(store.read(keys::AllarmeOre), QStringLiteral("07"));
    EXPECT_EQ(store.read(keys::AllarmeMinuti), QStringLiteral("00"));
    EXPECT_EQ(store.read(keys::AllarmeMessaggio), QStringLiteral("  Sveglia!\n")) << "kept exactly, blanks included";
    EXPECT_EQ(store.read(keys::SegnaleOrario), QStringLiteral("0"));
    EXPECT_EQ(store.read(keys::BigBen), QStringLiteral("0"));
    EXPECT_EQ(store.read(keys::Avvio), QStringLiteral("Mini"));
    EXPECT_EQ(store.read(keys::EseguiAuto), QStringLiteral("1"));
    EXPECT_EQ(store.read(keys::Promemoria), reminder) << "longer than 50 characters, stored as typed";
    EXPECT_TRUE(autostart.isPresent());
    EXPECT_EQ(store.read(keys::TimerVita), QStringLiteral("0")) << "the lifetime is not the dialog's";
}

TEST_F(OptionsTest, AvvioThatDiffersOnlyInCaseSelectsQuadrantix) {
    store.firstRunInit();
    store.write(keys::Avvio, QStringLiteral("mini"));
    Opzionifrm* d = open();
    EXPECT_TRUE(checked(d, "Avvio_Quadrantix"));
    EXPECT_FALSE(checked(d, "Avvio_ino"));
    press(d, "Command1");
    EXPECT_EQ(store.read(keys::Avvio), QStringLiteral("Quadrantix"));
}

TEST_F(OptionsTest, OkThatCannotWriteSaysSoAndKeepsTheDialog) {
    // A folder where the settings file should be: nothing can be written there.
    SettingsStore blocked(file(QStringLiteral("blocked")));
    QDir().mkpath(blocked.path());
    Opzionifrm* d = open(context(blocked));
    d->show();
    press(d, "Command1");
    EXPECT_TRUE(d->isVisible()) << "the user's settings are still in the dialog";
    auto* box = d->findChild<QMessageBox*>(QStringLiteral("salvataggio_fallito"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains(blocked.path())) << box->text().toStdString();
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
}

// "&OK" when the store cannot take the values: one bounded wait, a message naming the cause, and nothing applied,
// start at log-on included, so that "&Annulla" then leaves the entry and "Esegui auto" agreeing.
TEST_F(OptionsTest, OkThatIsRefusedAppliesNothingAndSaysWhy) {
    struct Case {
        const char* name;
        bool busy; // another program holds the store's lock; else the store is a folder (a full or read-only disk)
        const char* says;
    };
    for (const Case c : {Case{"another program holds the lock", true, "occupato da un altro programma"},
                         Case{"the file cannot be written", false, "non è possibile scrivere"}}) {
        SCOPED_TRACE(c.name);
        SettingsStore blocked(file(QStringLiteral("blocked/") + QLatin1String(c.name) + QStringLiteral("/q.ini")));
        QDir().mkpath(QFileInfo(blocked.path()).absolutePath());
        int lock = -1;
        if (c.busy) {
            ASSERT_TRUE(blocked.firstRunInit());
            lock = ::open(QFile::encodeName(blocked.path() + QStringLiteral(".lock")).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            ASSERT_EQ(::flock(lock, LOCK_EX), 0);
        } else {
            QDir().mkpath(blocked.path());
        }
        Opzionifrm* d = open(context(blocked));
        d->show();
        child<QCheckBox>(d, "AutoEsegui")->click();
        ASSERT_TRUE(checked(d, "AutoEsegui"));
        press(d, "Command1");
        EXPECT_TRUE(d->isVisible()) << "the user's settings are still in the dialog";
        auto* box = d->findChild<QMessageBox*>(QStringLiteral("salvataggio_fallito"));
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->text().contains(QString::fromUtf8(c.says))) << box->text().toStdString();
        EXPECT_FALSE(autostart.isPresent()) << "start at log-on waits for the store";
        EXPECT_NE(blocked.read(keys::EseguiAuto), QStringLiteral("1"));
        if (c.busy) {
            ::close(lock); // the other program lets go: the next "&OK" saves and applies
            delete box;
            press(d, "Command1");
            EXPECT_FALSE(d->isVisible());
            EXPECT_EQ(blocked.read(keys::EseguiAuto), QStringLiteral("1"));
            EXPECT_TRUE(autostart.isPresent());
            ASSERT_TRUE(autostart.apply(false));
        }
        delete d;
    }
}

TEST_F(OptionsTest, OkKeepsMessagesLongerThanATextFieldsDefaultLimit) {
    store.firstRunInit();
    const QString reminder(40000, QLatin1Char('r'));
    const QString alarm = QString(50000, QLatin1Char('a')) + QStringLiteral("!");
    store.write(keys::Promemoria, reminder);
    store.write(keys::AllarmeMessaggio, alarm);
    Opzionifrm* d = open();
    press(d, "Command1");
    EXPECT_EQ(store.read(keys::Promemoria).size(), reminder.size());
    EXPECT_EQ(store.read(keys::AllarmeMessaggio), alarm);
}

TEST_F(OptionsTest, AutostartEntryIsMadeLeftAloneWhilePresentAndDeleted) {
    store.firstRunInit();
    const auto okWith = [&](bool autorun) {
        Opzionifrm* d = open();
        child<QCheckBox>(d, "AutoEsegui")->setChecked(autorun);
        press(d, "Command1");
    };
    okWith(true);
    ASSERT_TRUE(autostart.isPresent());
    EXPECT_EQ(test::readFile(autostart.entryPath()), test::readFile(autostart.launcher)) << "a copy of the launcher";

    // Once there the entry is not rewritten while the program it names is there, even when the launcher has changed.
    test::writeFile(autostart.launcher, "[Desktop Entry]\nType=Application\nName=Quadrantix\nExec=/elsewhere\n");
    const QByteArray made = test::readFile(autostart.entryPath());
    okWith(true);
    EXPECT_EQ(test::readFile(autostart.entryPath()), made);

    // An entry whose program is gone (a removed build) would start nothing at log-on: it is refreshed.
    test::writeFile(autostart.entryPath(), "[Desktop Entry]\nType=Application\nName=Quadrantix\nExec=\"/gone/qx\"\n");
    okWith(true);
    EXPECT_EQ(test::readFile(autostart.entryPath()), test::readFile(autostart.launcher));

    okWith(false);
    EXPECT_FALSE(autostart.isPresent());
    okWith(false); // nothing to delete: no message, the dialog closes
    EXPECT_FALSE(autostart.isPresent());
    EXPECT_EQ(store.read(keys::EseguiAuto), QStringLiteral("0"));

    // Without a launcher to copy nothing is made, and the dialog still saves and closes.
    QFile::remove(autostart.launcher);
    okWith(true);
    EXPECT_FALSE(autostart.isPresent());
    EXPECT_EQ(store.read(keys::EseguiAuto), QStringLiteral("1"));
}

} // namespace

namespace {

TEST(TimerReadouts, DurationTexts) {
    const struct {
        const char* name;
        std::uint64_t uptimeMs;
        const char* total;
        const char* esecwin;
        const char* vita;
    } cases[] = {
        {"one hour, one minute and half a second", 3'660'500, "0", "01 ore 01 minuti 00 secondi",
         "01 ore 01 minuti 00 secondi"},
        {"just under a second shows nothing yet", 999, "0", "00 ore 00 minuti 00 secondi",
         "00 ore 00 minuti 00 secondi"},
        {"a hundred hours keep three hour digits", 360'000'000, "0", "100 ore 00 minuti 00 secondi",
         "100 ore 00 minuti 00 secondi"},
        {"one million seconds stored, uptime 0", 0, "1000000", "00 ore 00 minuti 00 secondi",
         "277 ore 46 minuti 40 secondi"},
        {"beyond 2^31 ms is still positive", 2'147'483'648ull + 1000, "0", "596 ore 31 minuti 24 secondi",
         "596 ore 31 minuti 24 secondi"},
        {"beyond 2^32 ms does not wrap", 4'294'967'296ull + 3'000, "7", "1193 ore 02 minuti 50 secondi",
         "1193 ore 02 minuti 57 secondi"},
        {"a total that is no number counts as 0", 61'000, "12a", "00 ore 01 minuti 01 secondi",
         "00 ore 01 minuti 01 secondi"},
    };
    for (const auto& c : cases) {
        const LifetimeLedger ledger = LifetimeLedger::fromText(QLatin1String(c.total), {}, {});
        const TimerReadouts r = TimerReadouts::at(c.uptimeMs, ledger, QStringLiteral("boot-a"));
        EXPECT_EQ(r.esecwin, QLatin1String(c.esecwin)) << c.name;
        EXPECT_EQ(r.vita, QLatin1String(c.vita)) << c.name;
    }
}

} // namespace

namespace {

template <typename Condition> bool eventually(Condition condition) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

TEST_F(OptionsTest, ReadoutsFollowTheUptimeAndTheStoreOnlyOnTheirPage) {
    store.firstRunInit();
    clock.setUptimeMs(3'660'500);
    Opzionifrm* d = open();
    EXPECT_EQ(text(d, "esecwin"), QStringLiteral("01 ore 01 minuti 00 secondi"));
    EXPECT_EQ(text(d, "vita"), QStringLiteral("01 ore 01 minuti 00 secondi")) << "a total of 0: both equal";

    auto* timer = d->findChild<BoundaryTimer*>(QStringLiteral("Timer2"));
    ASSERT_NE(timer, nullptr);
    auto* tabs = child<QTabWidget>(d, "TabStrip1");
    EXPECT_FALSE(timer->isActive()) << "nothing wakes for a page that is not shown";
    clock.advanceMs(1000);
    tabs->setCurrentIndex(2);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(text(d, "esecwin"), QStringLiteral("01 ore 01 minuti 01 secondi")) << "brought up to date on showing";

    // Another program's write is seen through the store's folder, without waiting for the next second.
    SettingsStore other(store.path());
    other.write(keys::TimerVita, QStringLiteral("1000000"));
    EXPECT_TRUE(eventually([&] { return text(d, "vita") == QStringLiteral("278 ore 47 minuti 41 secondi"); }))
        << text(d, "vita").toStdString();

    // Horacumul writing this boot's seconds into the total does not move the read-out.
    ASSERT_TRUE(Horacumul(clock, other, QStringLiteral("boot-a")).accumulate());
    EXPECT_EQ(other.read(keys::TimerVita), QStringLiteral("1003661"));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    d->refreshReadouts();
    EXPECT_EQ(text(d, "vita"), QStringLiteral("278 ore 47 minuti 41 secondi"));
    clock.advanceMs(1000);
    d->refreshReadouts();
    EXPECT_EQ(text(d, "vita"), QStringLiteral("278 ore 47 minuti 42 secondi"));

    tabs->setCurrentIndex(3);
    EXPECT_FALSE(timer->isActive());
}

TEST_F(OptionsTest, SystemInformationButtonAsksTheAboutWindow) {
    Opzionifrm* d = open();
    EXPECT_FALSE(child(d, "Command3")->isEnabled()) << "without an about window there is nothing to ask";
    int asked = 0;
    OptionsContext withSysInfo = context(store);
    withSysInfo.startSysInfo = [&] { ++asked; };
    Opzionifrm* withAbout = open(std::move(withSysInfo));
    EXPECT_EQ(child<QAbstractButton>(withAbout, "Command3")->text(),
              QStringLiteral("Informazioni sul computer in uso"));
    press(withAbout, "Command3");
    EXPECT_EQ(asked, 1);
}

TEST(FacePicturesTest, TheFacesDrawThemselvesClippedToTheirShape) {
    FacePictures pictures;
    EXPECT_TRUE(pictures.picture(FaceKind::Mini, {80, 80}).isNull()) << "a face without a window has no picture";
    pictures.setFactory(FaceKind::Analogico, [](const Clock& c, SettingsStore&, FaceCommands& f) {
        auto* orologio = new Orologio(c, f);
        orologio->handsTick();
        return orologio;
    });
    const QPixmap analog = pictures.picture(FaceKind::Analogico, {82, 82});
    ASSERT_FALSE(analog.isNull());
    EXPECT_EQ(analog.width(), 82);
    EXPECT_NEAR(analog.height(), 82 * 215 / 218, 1) << "the face's proportions";
    const QImage image = analog.toImage();
    EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0) << "transparent outside the round shape";
    EXPECT_EQ(qAlpha(image.pixel(80, 78)), 0);
    // Towards half past seven no hand lies at ten past ten: the dial's face colour.
    const QColor face = image.pixelColor(41 - 14, 40 + 14);
    EXPECT_NEAR(face.red(), 0, 20);
    EXPECT_NEAR(face.green(), 102, 20);
    EXPECT_NEAR(face.blue(), 102, 20);
    // The minute hand at ten past points towards 2: white over the teal face (thin once scaled down).
    int whiteish = 0;
    for (int r = 6; r < 18; ++r) {
        bool hit = false;
        for (int dy = -1; dy <= 1; ++dy) {
            const QColor c = image.pixelColor(qRound(41 + r * 0.866), qRound(40 - r * 0.5) + dy);
            hit = hit || (c.red() > 100 && c.green() > 150 && c.blue() > 150);
        }
        whiteish += hit;
    }
    EXPECT_GE(whiteish, 6) << "the minute hand at ten past";
    EXPECT_EQ(pictures.picture(FaceKind::Analogico, {82, 82}).cacheKey(), analog.cacheKey()) << "made once";
}

} // namespace

namespace {

// Points one environment variable elsewhere for the life of the object.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const QString& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, QFile::encodeName(value));
    }
    ~EnvironmentVariable() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

TEST(AutostartEntryTest, TheLaunchersCopyIsAnAutostartEntryTheDesktopAccepts) {
    QTemporaryDir dir;
    const EnvironmentVariable data("XDG_DATA_HOME", dir.filePath(QStringLiteral("share")));
    const EnvironmentVariable config("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")));
    // A folder with a blank, a dollar, quotes, a backslash and a percent sign, which the Exec line must escape.
    const QString program = QStringLiteral("/opt/Quadrantix di prova $1 \"x\" \\ 5%/quadrantix");
    registerLauncher(program);
    const AutostartEntry entry = AutostartEntry::forUser();
    EXPECT_EQ(entry.entryPath(), dir.filePath(QStringLiteral("config/autostart/quadrantix.desktop")));
    ASSERT_TRUE(entry.apply(true));
    const QByteArray text = test::readFile(entry.entryPath());
    EXPECT_TRUE(text.contains(R"(Exec="/opt/Quadrantix di prova \\$1 \\"x\\" \\\\ 5%%/quadrantix")"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\nType=Application\n"));

    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(QStringLiteral("desktop-file-validate"), {entry.entryPath()});
    ASSERT_TRUE(validate.waitForFinished(20000)) << "desktop-file-validate (desktop-file-utils) is not installed";
    const QByteArray said = validate.readAll();
    EXPECT_EQ(validate.exitCode(), 0) << said.toStdString();
    EXPECT_FALSE(said.contains("error")) << said.toStdString();
}

} // namespace
