// Chimes, alarm and greeting as the running clock produces them: the real analog window and time events, driven by
// a fake clock that a played stroke moves on by the stroke's length, as the real one would.
#include "core/faces.h"
#include "core/settings_store.h"
#include "events/clock_session.h"
#include "events/event_windows.h"
#include "events/time_events.h"
#include "faces/orologio.h"
#include "platform/boundary_timer.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_sound_service.h"
#include "tests/support/qt_printers.h"
#include "tests/support/row_name.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qx;

namespace {

const QString kFolder = QStringLiteral("/q");

// Big Ben as our recording has it: longer than the 25 seconds the chime flag is kept at least.
constexpr std::int64_t kBigBenMs = 54'950;

// A sound object that plays for its length on the fake clock's monotonic time, then ends by itself. Length 0: as
// long as the fake object says (it plays until stopped).
class TimedObject final : public SoundObject {
public:
    TimedObject(std::unique_ptr<SoundObject> fake, const test::FakeClock& clock, std::int64_t lengthMs)
        : fake_(std::move(fake)), clock_(clock), lengthNs_(lengthMs * 1'000'000) {}
    void play() override {
        fake_->play();
        endsAtNs_ = clock_.uptimeNs() + lengthNs_;
    }
    void stop() override {
        fake_->stop();
        endsAtNs_ = clock_.uptimeNs();
    }
    bool isPlaying() const override { return fake_->isPlaying() && (lengthNs_ == 0 || clock_.uptimeNs() < endsAtNs_); }

private:
    std::unique_ptr<SoundObject> fake_;
    const test::FakeClock& clock_;
    std::int64_t lengthNs_;
    std::int64_t endsAtNs_ = 0;
};

// Plays nothing, but a synchronous play takes the sound's length on the fake clock, and so does Big Ben.
class TimedSound final : public SoundService {
public:
    explicit TimedSound(test::FakeClock& clock) : clock_(clock) {}
    std::unique_ptr<SoundObject> bind(const QString& path, SoundRole role = SoundRole::Event) override {
        return std::make_unique<TimedObject>(fake.bind(path, role), clock_,
                                             path.endsWith(QLatin1String("BigBen.wav")) ? kBigBenMs : 0);
    }
    void playSync(const QString& path) override {
        fake.playSync(path);
        events.push_back(QStringLiteral("%1 %2").arg(clock_.now().toString(QStringLiteral("hh.mm.ss.zzz")),
                                                     path.section(QLatin1Char('/'), -1)));
        clock_.advanceMs(path.endsWith(QLatin1String("Mezzora.wav")) ? 2200 : 2000);
    }
    FakeSoundService fake;
    QStringList events; // "<time> <file>" of every synchronous play

private:
    test::FakeClock& clock_;
};

class RecordingWindows final : public EventWindows {
public:
    explicit RecordingWindows(test::FakeClock& clock, QStringList& log) : clock_(clock), log_(log) {}
    void openAllarme() override { log_ << clock_.now().toString(QStringLiteral("hh.mm.ss")) + QLatin1String(" alarm"); }
    void openSpeciale() override {
        log_ << clock_.now().toString(QStringLiteral("hh.mm.ss.zzz")) + QLatin1String(" greeting");
    }

private:
    test::FakeClock& clock_;
    QStringList& log_;
};

QDateTime at(int h, int m, int s, int day = 9, int month = 12, int year = 2026) {
    return QDateTime(QDate(year, month, day), QTime(h, m, s), QTimeZone::utc());
}

struct RunningClock {
    // The clock starts before every case, so that moving it to a case's start is a clock set forward: the window's
    // timer then ticks at once, at that moment.
    RunningClock() : clock(at(0, 0, 0, 1, 1, 2000)), store(dir.filePath(QStringLiteral("q.ini"))), sound(clock) {
        faces.setFactory(FaceKind::Analogico, [this] {
            session = std::make_unique<ClockSession>(clock, store, sound, kFolder, [this](std::shared_ptr<SoundObject>) {
                return std::make_unique<RecordingWindows>(clock, windows);
            });
            events = &session->events();
            return new Orologio(clock, faces, events);
        });
        orologio = static_cast<Orologio*>(faces.loadOrologio());
        timer = orologio->findChild<BoundaryTimer*>();
    }
    ~RunningClock() { delete orologio; }

    // Runs the clock from `from` for `seconds` as the program does: the window's own timer decides every wake-up (the
    // boundary it waits for, the period the window asks for, a stroke that held the program past a boundary); this
    // only moves the fake clock to the moment the timer is armed for and wakes it there. Setting the clock to
    // another time is a clock change: the timer's wake-up comes when it was due in real time and finds the new time.
    void run(const QDateTime& from, int seconds) {
        if (from.toMSecsSinceEpoch() != clock.now().toMSecsSinceEpoch()) {
            clock.set(from);
            timer->wake();
        }
        const std::int64_t end = clock.epochNs() + std::int64_t(seconds) * 1'000'000'000;
        while (timer->isActive() && timer->nextExpiryNs() < end) {
            if (clock.epochNs() < timer->nextExpiryNs())
                clock.advanceNs(timer->nextExpiryNs() - clock.epochNs());
            timer->wake();
        }
        if (clock.epochNs() < end)
            clock.advanceNs(end - clock.epochNs());
    }
    QStringList soundsPlayed() const {
        QStringList all;
        for (const QString& e : sound.fake.events())
            all << e.section(QLatin1Char('/'), -1).prepend(e.section(QLatin1Char(':'), 0, 0) + QLatin1Char(':'));
        return all;
    }

    QTemporaryDir dir;
    test::FakeClock clock;
    SettingsStore store;
    TimedSound sound;
    FaceManager faces;
    QStringList windows;
    std::unique_ptr<ClockSession> session;
    TimeEvents* events = nullptr;
    Orologio* orologio = nullptr;
    BoundaryTimer* timer = nullptr;
};

} // namespace

// The clock's loading, as it has always gone: the missing first-run values, then Big Ben and the melody, the one an
// alarm to be heard over other streams; the time events are the session's, whatever window shows the time.
TEST(ClockSession, FillsTheFirstRunValuesThenBindsTheTwoSounds) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("q.ini")));
    ASSERT_TRUE(store.write(keys::TimerVita, QStringLiteral("12345")));
    test::FakeClock clock;
    FakeSoundService sound;
    QStringList opened;
    ClockSession session(clock, store, sound, kFolder, [&](std::shared_ptr<SoundObject> Al_Suono) {
        opened << (Al_Suono ? QStringLiteral("windows with the melody") : QStringLiteral("windows, no melody"));
        return std::make_unique<RecordingWindows>(clock, opened);
    });
    EXPECT_EQ(store.read(keys::BigBen), QStringLiteral("1"));
    EXPECT_EQ(store.read(keys::TimerVita), QStringLiteral("12345")) << "a present value is left alone";
    EXPECT_EQ(sound.boundPaths(), (std::vector<QString>{"/q/BigBen.wav", "/q/Allarme.mid"}));
    EXPECT_EQ(sound.boundRoles(), (std::vector<SoundRole>{SoundRole::Event, SoundRole::Alarm}));
    EXPECT_EQ(opened, QStringList{QStringLiteral("windows with the melody")});
    EXPECT_FALSE(session.events().wantsHalfSecondTicks());
}

namespace {

const QString kOra = QStringLiteral("sync:Ora.wav"), kMezz = QStringLiteral("sync:Mezzora.wav"),
              kBigBen = QStringLiteral("play:BigBen.wav");

struct ChimeRow {
    const char* name;
    QDateTime from;
    const char* segnale;
    const char* bigBen;
    QStringList sounds;
};

class ChimeSequenceTest : public ::testing::TestWithParam<ChimeRow> {};

TEST_P(ChimeSequenceTest, PlaysTheSequenceOfItsTime) {
    const ChimeRow& c = GetParam();
    RunningClock rc;
    rc.store.write(keys::SegnaleOrario, QLatin1String(c.segnale));
    rc.store.write(keys::BigBen, QLatin1String(c.bigBen));
    bool sequenceFlagSeen = false;
    rc.clock.set(c.from);
    for (int i = 0; i < 70; ++i) {
        rc.run(rc.clock.now(), 1);
        sequenceFlagSeen |= rc.events->chimes().ore_in_corso || rc.events->chimes().mezz_in_corso;
    }
    EXPECT_EQ(rc.soundsPlayed(), c.sounds);
    if (QLatin1String(c.segnale) == QLatin1String("0")) {
        EXPECT_FALSE(sequenceFlagSeen) << "no stroke sequence under way";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Chimes, ChimeSequenceTest,
    ::testing::Values(
        ChimeRow{"15:00 strikes three", at(14, 59, 58), "1", "1", {kOra, kOra, kOra}},
        ChimeRow{"15:30 strikes three then the half-hour sound", at(15, 29, 58), "1", "1", {kOra, kOra, kOra, kMezz}},
        ChimeRow{"12:00 plays Big Ben and no strokes", at(11, 59, 58), "1", "1", {kBigBen}},
        ChimeRow{"12:00 with Big Ben off plays nothing", at(11, 59, 58), "1", "0", {}},
        ChimeRow{"12:30 strikes twelve then the half-hour sound", at(12, 29, 58), "1", "1",
                 QStringList(12, kOra) << kMezz},
        ChimeRow{"midnight plays nothing", at(23, 59, 58), "1", "1", {}},
        ChimeRow{"00:30 plays only the half-hour sound", at(0, 29, 58), "1", "1", {kMezz}},
        ChimeRow{"Segnale orario 0 silences the strokes and half hours", at(15, 29, 58), "0", "1", {}},
        ChimeRow{"Segnale orario 0 leaves Big Ben", at(11, 59, 58), "0", "1", {kBigBen}}),
    test::RowName());

} // namespace

TEST(Chimes, StrokesFollowOneAnotherAndBigBenHoldsTheAlarmUntilItHasEnded) {
    RunningClock rc;
    rc.run(at(14, 59, 59), 20);
    EXPECT_EQ(rc.sound.events, (QStringList{"15.00.00.000 Ora.wav", "15.00.02.000 Ora.wav", "15.00.04.000 Ora.wav"}))
        << "the first stroke at the minute boundary, each next one as soon as the last has ended";

    RunningClock noon;
    noon.run(at(11, 59, 59), 2);
    EXPECT_TRUE(noon.events->chimes().bigben_in_corso);
    noon.run(noon.clock.now(), 27);
    EXPECT_TRUE(noon.events->chimes().bigben_in_corso) << "12:00:28, Big Ben still sounding";
    noon.run(noon.clock.now(), 26);
    EXPECT_TRUE(noon.events->chimes().bigben_in_corso) << "12:00:54, its last stroke dying away";
    noon.run(noon.clock.now(), 2);
    EXPECT_FALSE(noon.events->chimes().bigben_in_corso) << "12:00:56, after its end";

    // Where nothing can play (no sound device), the flag ends after second 25 as before.
    RunningClock silent;
    silent.run(at(11, 59, 59), 2);
    silent.sound.fake.setPlayingAnswer(kFolder + QStringLiteral("/BigBen.wav"), false);
    silent.run(silent.clock.now(), 25);
    EXPECT_TRUE(silent.events->chimes().bigben_in_corso) << "until 12:00:25";
    silent.run(silent.clock.now(), 2);
    EXPECT_FALSE(silent.events->chimes().bigben_in_corso) << "cleared at 12:00:26";
}

namespace {

struct AlarmRow {
    const char* name;
    QDateTime from;
    const char *ore, *minuti, *segnale;
    QStringList opened;
};

class AlarmMinuteTest : public ::testing::TestWithParam<AlarmRow> {};

TEST_P(AlarmMinuteTest, OpensOnceAtTheMatchingMinuteAfterAnyChime) {
    const AlarmRow& c = GetParam();
    RunningClock rc;
    rc.store.write(keys::Allarme, QStringLiteral("1"));
    rc.store.write(keys::AllarmeOre, QLatin1String(c.ore));
    rc.store.write(keys::AllarmeMinuti, QLatin1String(c.minuti));
    rc.store.write(keys::SegnaleOrario, QLatin1String(c.segnale));
    rc.run(c.from, 90);
    EXPECT_EQ(rc.windows, c.opened);
}

INSTANTIATE_TEST_SUITE_P(
    Alarm, AlarmMinuteTest,
    ::testing::Values(
        AlarmRow{"07:45 opens in its first seconds", at(7, 44, 50), "07", "45", "1", {"07.45.02 alarm"}},
        AlarmRow{"07:45 without chimes the same", at(7, 44, 50), "07", "45", "0", {"07.45.02 alarm"}},
        AlarmRow{"12:00 waits until Big Ben has ended", at(11, 59, 50), "12", "00", "1", {"12.00.56 alarm"}},
        AlarmRow{"15:00 waits for the third stroke", at(14, 59, 50), "15", "00", "1", {"15.00.06 alarm"}},
        AlarmRow{"15:00 without chimes opens at once", at(14, 59, 50), "15", "00", "0", {"15.00.02 alarm"}},
        AlarmRow{"hour 7 never matches 07", at(7, 44, 50), "7", "45", "1", {}},
        AlarmRow{"first-run 0 and 0 never ring at midnight", at(23, 59, 50), "0", "0", "1", {}}),
    test::RowName());

} // namespace

// A chime heard earlier in the day must not make the alarm re-open in its minute after the user closed it.
TEST(Alarm, AnEarlierChimeDoesNotReopenTheWindowInItsMinute) {
    RunningClock rc;
    rc.store.write(keys::Allarme, QStringLiteral("1"));
    rc.store.write(keys::AllarmeOre, QStringLiteral("16"));
    rc.store.write(keys::AllarmeMinuti, QStringLiteral("01"));
    rc.run(at(15, 59, 55), 150);
    EXPECT_EQ(rc.windows, QStringList{"16.01.02 alarm"});

    RunningClock off;
    off.store.write(keys::Allarme, QStringLiteral("0"));
    off.store.write(keys::AllarmeOre, QStringLiteral("16"));
    off.store.write(keys::AllarmeMinuti, QStringLiteral("01"));
    off.run(at(16, 0, 55), 90);
    EXPECT_EQ(off.windows, QStringList{}) << "switched off";
}

// A clock set back (by hand, or by a time server after a wrong start) must not hold the alarm checks until it has
// caught up with the last one.
TEST(Alarm, StillOpensInItsMinuteAfterTheClockWasSetBack) {
    RunningClock rc;
    rc.store.write(keys::Allarme, QStringLiteral("1"));
    rc.store.write(keys::AllarmeOre, QStringLiteral("07"));
    rc.store.write(keys::AllarmeMinuti, QStringLiteral("45"));
    rc.store.write(keys::SegnaleOrario, QStringLiteral("0"));
    rc.run(at(8, 30, 0), 5);
    rc.run(at(7, 44, 50), 90);
    EXPECT_EQ(rc.windows, QStringList{"07.45.01 alarm"}) << "the first tick after the change is at 07:44:51";
}

TEST(Greeting, OnlyInTheFirstMinuteOf2001AndEveryHalfSecondThen) {
    RunningClock rc;
    rc.run(at(23, 59, 58, 31, 12, 2000), 2);
    EXPECT_TRUE(rc.windows.isEmpty()) << "31/12/2000 23:59:59";
    rc.run(rc.clock.now(), 2);
    ASSERT_FALSE(rc.windows.isEmpty());
    EXPECT_EQ(rc.windows.first(), QStringLiteral("00.00.00.000 greeting"));
    EXPECT_EQ(rc.windows.value(1), QStringLiteral("00.00.00.500 greeting")) << "re-opened within half a second";
    rc.windows.clear();
    rc.run(at(0, 1, 0, 1, 1, 2001), 5);
    EXPECT_TRUE(rc.windows.isEmpty()) << "from 00:01:00 the checks stop";
    EXPECT_FALSE(rc.events->wantsHalfSecondTicks());
}

// A letter under half a million accents took the window 7 s to lay out, the clock's ticks waiting meanwhile.
TEST(AlarmWindow, LaysOutOnlyWhatItHasRoomFor) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("q.ini")));
    const QString accents(500000, QChar(0x0301));
    store.write(keys::AllarmeMessaggio, QStringLiteral("a") + accents);
    FakeSoundService sound;
    RealEventWindows windows(store, sound.bind(QStringLiteral("/q/Allarme.mid")), [](const QUrl&) {});
    windows.openAllarme();
    QWidget* w = nullptr;
    for (QWidget* t : QApplication::topLevelWidgets())
        if (t->objectName() == QLatin1String("Allarme") && t->isVisible())
            w = t;
    ASSERT_NE(w, nullptr);
    const QString shown = w->findChild<QLabel*>(QStringLiteral("Label1"))->text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("a") + QChar(0x0301)));
    EXPECT_LE(shown.size(), 31) << "the letter and thirty of its accents";
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(AlarmWindow, ShowsTheMessagePlaysAndOkStopsTheMelody) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("q.ini")));
    store.write(keys::AllarmeMessaggio, QStringLiteral("Riunione\nalle 8"));
    FakeSoundService sound;
    std::shared_ptr<SoundObject> melody = sound.bind(QStringLiteral("/q/Allarme.mid"));
    RealEventWindows windows(store, melody, [](const QUrl&) {});
    windows.openAllarme();
    windows.openAllarme();
    auto all = QApplication::topLevelWidgets();
    auto* w = [&]() -> QWidget* {
        for (QWidget* t : all)
            if (t->objectName() == QLatin1String("Allarme") && t->isVisible())
                return t;
        return nullptr;
    }();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quadrantix - Allarme!"));
    EXPECT_EQ(w->size(), QSize(329, 144));
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint) << "an alarm behind another window is missed";
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Riunione\nalle 8"));
    EXPECT_EQ(sound.events(), std::vector<QString>{"play:/q/Allarme.mid"}) << "played once, only brought forward";
    w->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    EXPECT_EQ(sound.events().back(), QStringLiteral("stop:/q/Allarme.mid"));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(GreetingWindow, MailButtonWritesToTheMakerAndXStopsTheMelody) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("q.ini")));
    FakeSoundService sound;
    QList<QUrl> opened;
    RealEventWindows windows(store, sound.bind(QStringLiteral("/q/Allarme.mid")),
                             [&](const QUrl& url) { opened << url; });
    windows.openSpeciale();
    QWidget* w = nullptr;
    for (QWidget* t : QApplication::topLevelWidgets())
        if (t->objectName() == QLatin1String("speciale") && t->isVisible())
            w = t;
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Buon terzo millennio da Quadrantix!"))
        << "no leading spaces for the window manager to cut the greeting short with";

    // "Invia una mail all'indirizzo", the address, "indicando il codice:": one line in one size, on one baseline,
    // each part inside its box and clear of the next.
    const QLabel* parts[] = {w->findChild<QLabel*>(QStringLiteral("Label3")),
                             w->findChild<QLabel*>(QStringLiteral("Label7")),
                             w->findChild<QLabel*>(QStringLiteral("Label6"))};
    for (const QLabel* part : parts)
        ASSERT_NE(part, nullptr);
    const auto baseline = [](const QLabel* l) { return l->y() + l->contentsRect().top() + l->fontMetrics().ascent(); };
    for (const QLabel* part : parts) {
        const std::string name = part->objectName().toStdString();
        EXPECT_EQ(part->font().pixelSize(), parts[0]->font().pixelSize()) << name << ": one size";
        EXPECT_EQ(part->fontInfo().family(), parts[0]->fontInfo().family()) << name;
        EXPECT_EQ(baseline(part), baseline(parts[0])) << name << ": one baseline";
        EXPECT_GE(part->width(), part->fontMetrics().horizontalAdvance(part->text())) << name << ": fits its box";
        EXPECT_EQ(part->alignment() & Qt::AlignVertical_Mask, Qt::AlignTop) << name;
    }
    EXPECT_TRUE(parts[1]->font().bold()) << "the address stands out";
    EXPECT_LT(parts[0]->geometry().right(), parts[1]->x());
    EXPECT_LT(parts[1]->geometry().right(), parts[2]->x());
    EXPECT_LE(parts[2]->geometry().right(), w->width() - 1);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    w->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].scheme(), QStringLiteral("mailto"));
    EXPECT_TRUE(opened[0].query(QUrl::FullyDecoded).contains(QStringLiteral("QX-2001")));
    w->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    EXPECT_EQ(sound.events(), (std::vector<QString>{"play:/q/Allarme.mid", "stop:/q/Allarme.mid"}));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(AlarmWindow, StoredMarkupIsShownAsTypedNeverRendered) {
    QTemporaryDir dir;
    // A picture on disk that a rich-text label would load and show.
    const QString picture = dir.filePath(QStringLiteral("x.png"));
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(picture));
    const QString message = QStringLiteral("<img src=\"%1\"><b>GRASSETTO</b>").arg(picture);
    SettingsStore store(dir.filePath(QStringLiteral("q.ini")));
    store.write(keys::AllarmeMessaggio, message);
    FakeSoundService sound;
    RealEventWindows windows(store, sound.bind(QStringLiteral("/q/Allarme.mid")), [](const QUrl&) {});
    windows.openAllarme();
    windows.openSpeciale();
    QLabel* shown = nullptr;
    for (QWidget* t : QApplication::topLevelWidgets()) {
        if (!t->isVisible() || (t->objectName() != QLatin1String("Allarme") && t->objectName() != u"speciale"))
            continue;
        for (QLabel* l : t->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            EXPECT_EQ(l->textFormat(), Qt::PlainText)
                << t->objectName().toStdString() << " " << l->objectName().toStdString();
        if (t->objectName() == QLatin1String("Allarme"))
            shown = t->findChild<QLabel*>(QStringLiteral("Label1"));
    }
    ASSERT_NE(shown, nullptr);
    const QImage image = shown->grab().toImage();
    bool anyRed = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            anyRed = anyRed || image.pixelColor(x, y) == QColor(Qt::red);
    EXPECT_FALSE(anyRed) << "the picture named in the message was shown";
    shown->setTextFormat(Qt::PlainText);
    shown->setText(message);
    EXPECT_TRUE(image == shown->grab().toImage()) << "the message looks like the characters typed";
    for (QWidget* t : QApplication::topLevelWidgets())
        if (t->objectName() == QLatin1String("Allarme") || t->objectName() == u"speciale")
            t->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
