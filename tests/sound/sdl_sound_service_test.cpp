// The SDL sound service against SDL's disk audio driver, which stands in for a sound card and records what it plays.
#include "platform/sound/sound_service.h"
#include "tests/support/temp_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <SDL.h>
#include <SDL_mixer.h>
#include <chrono>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

using namespace qx;
using namespace std::chrono_literals;
using std::chrono::milliseconds;

namespace {

constexpr int kRate = 44100; // what the disk device records: 16-bit stereo
// Room for the scheduler of a loaded two-core machine running the tests in parallel under sanitizers.
constexpr milliseconds kSlack = 100ms;

milliseconds timed(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
}

// For sounds that play in the background: true as soon as done() holds, false if it never does within the time.
bool waitUntil(const std::function<bool()>& done, milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

void appendLe16(QByteArray& out, quint16 v) {
    const quint16 le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&le), 2);
}
void appendLe32(QByteArray& out, quint32 v) {
    const quint32 le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&le), 4);
}
void appendBe16(QByteArray& out, quint16 v) {
    const quint16 be = qToBigEndian(v);
    out.append(reinterpret_cast<const char*>(&be), 2);
}
void appendBe32(QByteArray& out, quint32 v) {
    const quint32 be = qToBigEndian(v);
    out.append(reinterpret_cast<const char*>(&be), 4);
}

QByteArray wavHeader(int rate, int channels, quint32 dataBytes) {
    QByteArray out("RIFF");
    appendLe32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    appendLe32(out, 16);
    appendLe16(out, 1); // PCM
    appendLe16(out, quint16(channels));
    appendLe32(out, quint32(rate));
    appendLe32(out, quint32(rate * channels * 2));
    appendLe16(out, quint16(channels * 2));
    appendLe16(out, 16);
    out += "data";
    appendLe32(out, dataBytes);
    return out;
}

// A 440 Hz tone at about a third of full scale.
QByteArray sineWav(double seconds, int rate = kRate, int channels = 2) {
    const int frames = int(seconds * rate);
    QByteArray out = wavHeader(rate, channels, quint32(frames * channels * 2));
    for (int i = 0; i < frames; ++i) {
        const auto v = qint16(12000 * std::sin(2 * M_PI * 440 * i / rate));
        for (int c = 0; c < channels; ++c)
            appendLe16(out, quint16(v));
    }
    return out;
}

QByteArray midiHeader() {
    QByteArray out("MThd");
    appendBe32(out, 6);
    appendBe16(out, 0);   // one track
    appendBe16(out, 1);   // track count
    appendBe16(out, 480); // ticks per quarter note, at the default 120 beats per minute
    return out;
}

constexpr char kPiano = 0;
constexpr char kChurchOrgan = 19; // holds its level for as long as the key is down

// One middle C held for the given number of quarter notes (half a second each).
QByteArray midiNote(int quarters, char program = kPiano) {
    QByteArray track = QByteArray::fromHex("00c0") + QByteArray(1, program);
    track += QByteArray::fromHex("00903c64"); // note on
    quint32 ticks = quint32(quarters * 480);
    QByteArray delta(1, char(ticks & 0x7f));
    while (ticks >>= 7)
        delta.prepend(char(0x80 | (ticks & 0x7f)));
    track += delta + QByteArray::fromHex("803c40"); // note off
    track += QByteArray::fromHex("00ff2f00");       // end of track
    QByteArray out = midiHeader() + "MTrk";
    appendBe32(out, quint32(track.size()));
    return out + track;
}

// What the disk device recorded, left channel.
struct Recording {
    std::vector<qint16> left;

    int peak() const {
        int p = 0;
        for (qint16 s : left)
            p = std::max(p, std::abs(int(s)));
        return p;
    }
    // Frames from the first to the last one louder than threshold; 0 when nothing was.
    qsizetype audibleFrames(int threshold = 1000) const {
        const auto loud = [&](qint16 s) { return std::abs(int(s)) > threshold; };
        const auto first = std::find_if(left.begin(), left.end(), loud);
        if (first == left.end())
            return 0;
        const auto last = std::find_if(left.rbegin(), left.rend(), loud);
        return qsizetype(std::distance(first, last.base()));
    }
    // The longest run of frames no louder than threshold between the first and the last louder one.
    qsizetype longestGap(int threshold = 1000) const {
        qsizetype longest = 0, run = 0;
        bool heard = false;
        for (qint16 s : left) {
            if (std::abs(int(s)) > threshold) {
                if (heard)
                    longest = std::max(longest, run);
                heard = true;
                run = 0;
            } else {
                ++run;
            }
        }
        return longest;
    }
};

class SdlSoundTest : public test::TempDirTest {
protected:
    void SetUp() override { clearAudioEnvironment(); }
    void TearDown() override { clearAudioEnvironment(); }

    // Whether the service has closed the device, once the event loop has run its idle timer.
    static bool deviceClosed() {
        QCoreApplication::processEvents();
        return SDL_WasInit(SDL_INIT_AUDIO) == 0;
    }

    // SDL's disk driver: a device that writes what it plays to a file, in real time, or with delayMs per
    // 1024-frame buffer (23 ms is real time; less runs faster, more stalls).
    void useDiskDevice(std::optional<int> delayMs = {}) {
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(outputPath()));
        if (delayMs)
            qputenv("SDL_DISKAUDIODELAY", QByteArray::number(*delayMs));
        else
            qunsetenv("SDL_DISKAUDIODELAY");
    }
    QString outputPath() const { return file("out.raw"); }

    // Waits until the device has taken in that much more sound (give or take the file's buffer).
    bool waitForAudio(double seconds) const {
        const qint64 from = QFileInfo(outputPath()).size();
        const auto bytes = qint64(seconds * kRate * 4);
        return waitUntil([&] { return QFileInfo(outputPath()).size() >= from + bytes; }, 10s);
    }

    // Read once the service that played has been destroyed: the device writes through a buffered file.
    Recording recording() const {
        const QByteArray raw = test::readFile(outputPath());
        Recording r;
        for (qsizetype i = 0; i + 3 < raw.size(); i += 4)
            r.left.push_back(qFromLittleEndian<qint16>(raw.constData() + i));
        return r;
    }

    QString write(const QString& name, const QByteArray& bytes) {
        test::writeFile(file(name), bytes);
        return file(name);
    }

private:
    static void clearAudioEnvironment() {
        for (const char* name : {"SDL_AUDIODRIVER", "SDL_DISKAUDIOFILE", "SDL_DISKAUDIODELAY", "AUDIODEV"})
            qunsetenv(name);
    }
};

TEST_F(SdlSoundTest, PlaySyncReturnsOnceTheWholeFileHasBeenPlayed) {
    useDiskDevice();
    const QString wav = write("Ora.wav", sineWav(0.3));
    {
        const auto service = makeSdlSoundService();
        const milliseconds elapsed = timed([&] { service->playSync(wav); });
        EXPECT_GE(elapsed, 300ms);
        EXPECT_LE(elapsed, 300ms + 250ms + kSlack);
    }
    const Recording out = recording();
    EXPECT_GT(out.peak(), 10000);
    EXPECT_NEAR(double(out.audibleFrames()) / kRate, 0.3, 0.005) << "the tone was cut or stretched";
}

TEST_F(SdlSoundTest, PlaySyncKeepsItsPromiseWhenTheDeviceStalls) {
    useDiskDevice(1000); // a whole second per 23 ms buffer: the sound would take 13 s to get through
    const QString wav = write("Ora.wav", sineWav(0.3));
    const auto service = makeSdlSoundService();
    const milliseconds elapsed = timed([&] { service->playSync(wav); });
    EXPECT_GE(elapsed, 500ms) << "gave up before the file's length plus the margin";
    EXPECT_LE(elapsed, 300ms + 250ms + kSlack);
}

TEST_F(SdlSoundTest, BackgroundSoundsReturnAtOnceAndStopOneAtATime) {
    useDiskDevice();
    // Long enough that none of them ends by itself during the test.
    const QString bigBen = write("BigBen.wav", sineWav(10, 22050, 1));
    const QString chime = write("Chime.wav", sineWav(10, 22050, 1));
    const QString alarm = write("Allarme.mid", midiNote(20));
    const auto service = makeSdlSoundService();
    const auto a = service->bind(bigBen);
    const auto b = service->bind(chime);
    const auto m = service->bind(alarm);

    for (SoundObject* object : {a.get(), b.get(), m.get()}) {
        EXPECT_LT(timed([&] { object->play(); }), 1000ms);
        EXPECT_TRUE(object->isPlaying());
    }
    a->play(); // restarts on its own channel rather than starting a second copy
    EXPECT_EQ(Mix_Playing(-1), 2);

    a->stop();
    EXPECT_FALSE(a->isPlaying());
    EXPECT_TRUE(b->isPlaying());
    EXPECT_TRUE(m->isPlaying());
    EXPECT_EQ(Mix_Playing(-1), 1);

    m->stop();
    EXPECT_FALSE(m->isPlaying());
    EXPECT_TRUE(b->isPlaying());

    b->stop();
    EXPECT_FALSE(b->isPlaying());
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(SdlSoundTest, BackgroundSoundsAreHeardToTheirEnd) {
    useDiskDevice(1); // some twenty times faster than real time
    const QString wav = write("Chime.wav", sineWav(0.3));
    const QString midi = write("Allarme.mid", midiNote(1));
    {
        const auto service = makeSdlSoundService();
        const auto object = service->bind(wav);
        object->play();
        ASSERT_TRUE(waitUntil([&] { return !object->isPlaying(); }, 5s));
    }
    EXPECT_NEAR(double(recording().audibleFrames()) / kRate, 0.3, 0.005);
    {
        const auto service = makeSdlSoundService();
        const auto object = service->bind(midi);
        object->play();
        ASSERT_TRUE(waitUntil([&] { return !object->isPlaying(); }, 10s));
    }
    EXPECT_GT(recording().peak(), 2000) << "no MIDI heard: is the sound font found?";
}

struct Restart {
    const char* name;
    bool stopFirst;
};
void PrintTo(const Restart& c, std::ostream* os) {
    *os << c.name;
}

class SdlSoundMidiRestartTest : public SdlSoundTest, public ::testing::WithParamInterface<Restart> {};

// FluidSynth resumes an interrupted song late, after a stale tail: the second start must be heard at once instead.
TEST_P(SdlSoundMidiRestartTest, StartsAgainFromTheBeginningAtOnce) {
    useDiskDevice(); // in real time, so that a delay in starting over shows as a gap in the recording
    const QString midi = write("Allarme.mid", midiNote(8, kChurchOrgan));
    milliseconds restart{};
    {
        const auto service = makeSdlSoundService();
        const auto object = service->bind(midi);
        object->play();
        ASSERT_TRUE(waitForAudio(0.3));
        restart = timed([&] {
            if (GetParam().stopFirst)
                object->stop();
            object->play();
        });
        ASSERT_TRUE(waitForAudio(0.5));
        EXPECT_TRUE(object->isPlaying());
    }
    // Building the song anew takes a moment (much longer under sanitizers); FluidSynth's own delay came on top of it.
    const Recording out = recording();
    EXPECT_GT(double(out.audibleFrames()) / kRate, 0.7);
    EXPECT_LT(double(out.longestGap()) / kRate, std::chrono::duration<double>(restart + 150ms).count());
}

INSTANTIATE_TEST_SUITE_P(Midi, SdlSoundMidiRestartTest,
                         ::testing::Values(Restart{"after_stop", true}, Restart{"while_playing", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SdlSoundTest, MidiWithoutItsSoundFontIsSilentAndHarmless) {
    useDiskDevice();
    const QString midi = write("Allarme.mid", midiNote(4));
    SdlSoundOptions options;
    options.soundFont = file("missing.sf2");
    {
        const auto service = makeSdlSoundService(options);
        const auto object = service->bind(midi, SoundRole::Alarm);
        EXPECT_LT(timed([&] { object->play(); }), 200ms);
        EXPECT_FALSE(object->isPlaying());
        object->stop();
    }
    EXPECT_EQ(recording().peak(), 0);
}

TEST_F(SdlSoundTest, MidiWithoutItsSoundFontPlaysTheWavBesideIt) {
    useDiskDevice();
    const QString midi = write("Allarme.mid", midiNote(4));
    write("Allarme.wav", sineWav(0.5));
    SdlSoundOptions options;
    options.soundFont = file("missing.sf2");
    {
        const auto service = makeSdlSoundService(options);
        const auto object = service->bind(midi, SoundRole::Alarm);
        object->play();
        EXPECT_TRUE(object->isPlaying());
        ASSERT_TRUE(waitUntil([&] { return !object->isPlaying(); }, 3s));
    }
    EXPECT_GT(double(recording().audibleFrames()) / kRate, 0.4) << "the tone, whole";
}

TEST(SoundFont, TheFirstThatExistsOfTheUsersTheDebianLinkAndTheUsualPlaces) {
    const struct {
        const char* name;
        QString sdlSoundFonts;
        QStringList existing;
        QString found;
    } cases[] = {
        {"the user's own font comes first",
         "/home/u/my.sf2",
         {"/home/u/my.sf2", "/usr/share/sounds/sf2/default-GM.sf2"},
         "/home/u/my.sf2"},
        {"each of the user's paths in turn, ':' or ';' apart", "/a.sf2:/b.sf2;/c.sf2", {"/c.sf2"}, "/c.sf2"},
        {"a user's font that is missing is passed over",
         "/gone.sf2",
         {"/usr/share/sounds/sf2/default-GM.sf2"},
         "/usr/share/sounds/sf2/default-GM.sf2"},
        {"Debian's alternatives link before any font by name",
         "",
         {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"},
         "/usr/share/sounds/sf2/default-GM.sf2"},
        {"Debian with another font than TimGM6mb",
         "",
         {"/usr/share/sounds/sf2/FluidR3_GM.sf2"},
         "/usr/share/sounds/sf2/FluidR3_GM.sf2"},
        {"Fedora", "", {"/usr/share/soundfonts/default.sf2"}, "/usr/share/soundfonts/default.sf2"},
        {"Arch", "", {"/usr/share/soundfonts/FluidR3_GM.sf2"}, "/usr/share/soundfonts/FluidR3_GM.sf2"},
        {"none at all", "", {}, ""},
    };
    for (const auto& c : cases) {
        const QString found =
            findSoundFont(c.sdlSoundFonts, [&](const QString& path) { return c.existing.contains(path); });
        EXPECT_EQ(found.toStdString(), c.found.toStdString()) << c.name;
    }
}

TEST_F(SdlSoundTest, ClosesTheDeviceWhenAllIsQuietAndOpensItAgainToPlay) {
    useDiskDevice();
    SdlSoundOptions options;
    options.closeWhenIdleFor = 0ms;
    const auto service = makeSdlSoundService(options);
    const QString chime = write("Chime.wav", sineWav(0.3));
    const auto bigBen = service->bind(write("BigBen.wav", sineWav(10, 22050, 1)));
    const auto alarm = service->bind(write("Allarme.mid", midiNote(4)));
    const auto deviceOpen = [] { return SDL_WasInit(SDL_INIT_AUDIO) != 0; };
    const auto closed = [] { return deviceClosed(); };

    service->bind(file("missing.wav"))->play(); // opens the device, then finds nothing to play
    ASSERT_TRUE(waitUntil(closed, 2s));

    bigBen->play();
    alarm->play();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(deviceOpen()) << "closed while a sound was playing";
    EXPECT_TRUE(bigBen->isPlaying());

    bigBen->stop();
    alarm->stop();
    ASSERT_TRUE(waitUntil(closed, 2s));
    EXPECT_GE(timed([&] { service->playSync(chime); }), 250ms);
    ASSERT_TRUE(waitUntil(closed, 2s));
    // The disk device starts its file afresh at each opening: this is the chime alone.
    EXPECT_NEAR(double(recording().audibleFrames()) / kRate, 0.3, 0.005);

    bigBen->play();
    alarm->play();
    EXPECT_TRUE(bigBen->isPlaying());
    EXPECT_TRUE(alarm->isPlaying());
    bigBen->stop();
    alarm->stop();
    EXPECT_TRUE(waitUntil(closed, 2s));
}

TEST_F(SdlSoundTest, WhatWasDecodedGoesWithTheDeviceAndTheNextPlayReadsTheFileAgain) {
    useDiskDevice();
    SdlSoundOptions options;
    options.closeWhenIdleFor = 0ms;
    const auto service = makeSdlSoundService(options);
    const QString path = write("Ora.wav", sineWav(0.3));
    const auto chime = service->bind(path);
    const auto closed = [] { return deviceClosed(); };

    chime->play();
    ASSERT_TRUE(chime->isPlaying());
    ASSERT_TRUE(waitUntil([&] { return !chime->isPlaying() && closed(); }, 3s));
    // Replaced while the clock was quiet: a decoded copy kept from before would play the old sound.
    write("Ora.wav", sineWav(0.6));
    chime->play();
    ASSERT_TRUE(waitUntil([&] { return !chime->isPlaying() && closed(); }, 3s));
    EXPECT_NEAR(double(recording().audibleFrames()) / kRate, 0.6, 0.005) << "the file as it is now";
}

TEST_F(SdlSoundTest, ObjectsThatOutliveTheServiceFallSilent) {
    useDiskDevice();
    auto service = makeSdlSoundService();
    const auto wav = service->bind(write("BigBen.wav", sineWav(5, 22050, 1)));
    const auto midi = service->bind(write("Allarme.mid", midiNote(10)));
    wav->play();
    midi->play();
    service.reset();
    for (SoundObject* object : {wav.get(), midi.get()}) {
        EXPECT_FALSE(object->isPlaying());
        object->play();
        EXPECT_FALSE(object->isPlaying());
        object->stop();
    }
}

struct BadFile {
    const char* name;
    QByteArray bytes; // written to the file, unless it is a directory or missing
    enum { File, Missing, Directory } kind = File;
};
void PrintTo(const BadFile& c, std::ostream* os) {
    *os << c.name;
}

class SdlSoundBadFileTest : public SdlSoundTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(SdlSoundBadFileTest, ReturnsAtOnceAndPlaysNothing) {
    useDiskDevice();
    const BadFile& c = GetParam();
    const QString path = file("sound");
    if (c.kind == BadFile::File)
        test::writeFile(path, c.bytes);
    else if (c.kind == BadFile::Directory)
        QDir().mkpath(path);
    const auto service = makeSdlSoundService();
    const auto object = service->bind(path);
    const milliseconds elapsed = timed([&] {
        object->play();
        object->stop();
        service->playSync(path);
        object->play();
        object->stop();
    });
    EXPECT_LT(elapsed, 200ms);
    EXPECT_FALSE(object->isPlaying());
}

QByteArray garbage() {
    QByteArray out;
    for (int i = 0; i < 4096; ++i)
        out.append(char((i * 7919) >> 3));
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Files, SdlSoundBadFileTest,
    ::testing::Values(BadFile{"missing", {}, BadFile::Missing}, BadFile{"directory", {}, BadFile::Directory},
                      BadFile{"empty", {}}, BadFile{"garbage", garbage()},
                      BadFile{"wav_cut_short", wavHeader(kRate, 2, 1'000'000) + QByteArray(100, 'x')},
                      BadFile{"wav_without_samples", wavHeader(kRate, 2, 0)},
                      BadFile{"wav_with_nonsense_format", wavHeader(0, 0, 16) + QByteArray(16, '\0')},
                      BadFile{"midi_header_only", midiHeader()},
                      BadFile{"midi_track_cut_short",
                              midiHeader() + "MTrk" + QByteArray::fromHex("000003e8") + QByteArray::fromHex("00903c")}),
    [](const auto& info) { return std::string(info.param.name); });

struct MissingDevice {
    const char* name;
    const char* driver;
    const char* device; // AUDIODEV, or nullptr
};
void PrintTo(const MissingDevice& c, std::ostream* os) {
    *os << c.name;
}

class SdlSoundNoDeviceTest : public SdlSoundTest, public ::testing::WithParamInterface<MissingDevice> {};

TEST_P(SdlSoundNoDeviceTest, EveryCallReturnsAtOnce) {
    const MissingDevice& c = GetParam();
    qputenv("SDL_AUDIODRIVER", c.driver);
    if (c.device)
        qputenv("AUDIODEV", c.device);
    const QString wav = write("Ora.wav", sineWav(2, 22050, 1));
    const QString midi = write("Allarme.mid", midiNote(4));
    const auto service = makeSdlSoundService();
    const auto a = service->bind(wav);
    const auto m = service->bind(midi);
    const auto everything = [&] {
        a->play();
        m->play();
        EXPECT_FALSE(a->isPlaying());
        EXPECT_FALSE(m->isPlaying());
        a->stop();
        m->stop();
        service->playSync(wav);
    };
    // The first call tries the device (ALSA reads its configuration, slowly under sanitizers), and must not play.
    EXPECT_LT(timed(everything), 1000ms);
    // Later calls know there is no device.
    EXPECT_LT(timed([&] {
                  for (int round = 0; round < 10; ++round)
                      everything();
              }),
              20ms);
}

INSTANTIATE_TEST_SUITE_P(Devices, SdlSoundNoDeviceTest,
                         ::testing::Values(MissingDevice{"unknown_driver", "nosuchdriver", nullptr},
                                           MissingDevice{"alsa_without_a_card", "alsa", "hw:99,0"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Retry {
    const char* name;
    milliseconds retryAfterFailure;
    bool picksUpTheDevice;
};
void PrintTo(const Retry& c, std::ostream* os) {
    *os << c.name;
}

class SdlSoundRetryTest : public SdlSoundTest, public ::testing::WithParamInterface<Retry> {};

TEST_P(SdlSoundRetryTest, AFailedOpenIsTriedAgainOnlyAfterTheRetryTime) {
    const Retry& c = GetParam();
    const QString wav = write("Ora.wav", sineWav(0.3));
    qputenv("SDL_AUDIODRIVER", "nosuchdriver");
    SdlSoundOptions options;
    options.retryAfterFailure = c.retryAfterFailure;
    const auto service = makeSdlSoundService(options);
    service->playSync(wav);

    useDiskDevice(); // a device turns up
    const milliseconds elapsed = timed([&] { service->playSync(wav); });
    if (c.picksUpTheDevice) {
        EXPECT_GE(elapsed, 250ms);
    } else {
        EXPECT_LT(elapsed, 100ms);
        EXPECT_FALSE(QFile::exists(outputPath()));
    }
}

INSTANTIATE_TEST_SUITE_P(Intervals, SdlSoundRetryTest,
                         ::testing::Values(Retry{"within_the_interval", 1h, false}, Retry{"after_it", 0ms, true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
