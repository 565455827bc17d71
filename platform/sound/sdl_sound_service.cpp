// The sound service on SDL2_mixer: WAV files on mixer channels, MIDI files through FluidSynth on the music stream.
#include "platform/sound/sound_service.h"

#include "platform/trace.h"

#include <QAbstractEventDispatcher>
#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <QtEndian>
#include <SDL.h>
#include <SDL_mixer.h>
#include <algorithm>
#include <condition_variable>
#include <list>
#include <malloc.h>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace qx {
namespace {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kFrequency = 44100;
constexpr int kOutputChannels = 2;
// About 23 ms a buffer: a chime starts promptly, and a busy machine still keeps the device fed.
constexpr int kBufferFrames = 1024;
constexpr int kMinMixChannels = 8;
// Our sound files are a few megabytes; a wrong path to something huge must not stall the program while it is read.
constexpr qint64 kMaxFileBytes = 128 * 1024 * 1024;
// playSync serves a handful of short chimes over and over: keep them decoded, but not every file ever played.
constexpr std::size_t kSyncCacheEntries = 8;

// What a file looked like, so that a file that has changed is read again and one that has not is not.
struct FileStamp {
    qint64 size = -1;
    qint64 modifiedMs = 0;

    bool operator==(const FileStamp&) const = default;
    bool exists() const { return size >= 0; }

    static FileStamp of(const QString& path) {
        const QFileInfo info(path);
        if (!info.isFile())
            return {};
        return {info.size(), info.lastModified().toMSecsSinceEpoch()};
    }
};

// The whole file, or nothing when it is missing, unreadable, empty or implausibly large.
QByteArray readSoundFile(const QString& path, const FileStamp& stamp) {
    if (!stamp.exists() || stamp.size == 0 || stamp.size > kMaxFileBytes)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool isMidi(const QByteArray& bytes) {
    return bytes.startsWith("MThd");
}

// The header and at least one track are all there. FluidSynth loads the whole sound font before it looks at the song,
// so a broken file is better turned away here, where it costs nothing.
bool isWholeMidi(const QByteArray& bytes) {
    const auto u32 = [&](qint64 at) { return qint64(qFromBigEndian<quint32>(bytes.constData() + at)); };
    if (!isMidi(bytes) || bytes.size() < 14 || u32(4) < 6)
        return false;
    for (qint64 at = 8 + u32(4); at + 8 <= bytes.size(); at += 8 + u32(at + 4)) {
        if (at + 8 + u32(at + 4) > bytes.size())
            return false;
        if (bytes.mid(at, 4) == "MTrk")
            return true;
    }
    return false;
}

struct FreeChunk {
    void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
struct FreeMusic {
    void operator()(Mix_Music* music) const { Mix_FreeMusic(music); }
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, FreeChunk>;
using MusicPtr = std::unique_ptr<Mix_Music, FreeMusic>;

// Decodes to the opened device's format, once, so that playing costs nothing but mixing.
ChunkPtr decodeChunk(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return nullptr;
    SDL_RWops* source = SDL_RWFromConstMem(bytes.constData(), int(bytes.size()));
    return ChunkPtr(source ? Mix_LoadWAV_RW(source, 1) : nullptr);
}

// SDL_mixer is one per process, and so is this: which channel belongs to whom, and whose song the music stream holds.
struct MixerState {
    int openDevices = 0;
    std::vector<const void*> channelOwners;
    const void* musicOwner = nullptr;
};
// Never destroyed: the audio thread and late destructors may still reach it while the program exits.
MixerState& mixer() {
    static auto* state = new MixerState;
    return *state;
}

bool ownsChannel(int channel, const void* owner) {
    const auto& owners = mixer().channelOwners;
    return channel >= 0 && std::size_t(channel) < owners.size() && owners[std::size_t(channel)] == owner &&
           Mix_Playing(channel) != 0;
}

// A channel nobody is playing on, now belonging to owner; the mixer grows when all are busy. -1 if it cannot.
int claimChannel(const void* owner) {
    int count = Mix_AllocateChannels(-1);
    int channel = 0;
    while (channel < count && Mix_Playing(channel) != 0)
        ++channel;
    if (channel == count)
        count = Mix_AllocateChannels(std::max(kMinMixChannels, count * 2));
    if (channel >= count)
        return -1;
    auto& owners = mixer().channelOwners;
    owners.resize(std::size_t(count), nullptr);
    owners[std::size_t(channel)] = owner;
    return channel;
}

void disownChannels(const void* owner) {
    for (auto& o : mixer().channelOwners)
        if (o == owner)
            o = nullptr;
}

// playSync sleeps until SDL_mixer reports its channel finished. The hook is process-wide and carries no context,
// hence one static meeting point; the service is used from one thread, so there is one waiter at a time.
struct ChannelWait {
    std::mutex mutex;
    std::condition_variable finished;
    int channel = -1;
    bool done = false;
};
ChannelWait& channelWait() {
    static auto* wait = new ChannelWait;
    return *wait;
}

// Runs on the audio thread (or inside Mix_HaltChannel): never call back into SDL_mixer from here.
void SDLCALL onChannelFinished(int channel) {
    auto& wait = channelWait();
    {
        std::lock_guard lock(wait.mutex);
        if (channel != wait.channel)
            return;
        wait.done = true;
    }
    wait.finished.notify_all();
}

// The name and role the sound server shows for a stream.
const char* roleName(SoundRole role) {
    return role == SoundRole::Alarm ? "alarm" : "event";
}

// A MIDI file's stand-in: the WAV file of the same name beside it.
QString wavBeside(const QString& midiPath) {
    const QFileInfo info(midiPath);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1String(".wav");
}

class SdlSoundObject;

// The format SDL_mixer opened with; decoded sounds are in it.
struct MixSpec {
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    bool operator==(const MixSpec&) const = default;
};

// The audio device as one service sees it: opened when there is something to play, closed after a spell of silence
// and with the service.
class Device {
public:
    explicit Device(SdlSoundOptions options) : options_(std::move(options)) {
        if (options_.soundFont.isEmpty())
            options_.soundFont = findSoundFont();
        midiPlayable_ = !options_.soundFont.isEmpty() && QFileInfo(options_.soundFont).isFile();
        idleTimer_.setSingleShot(true);
        QObject::connect(&idleTimer_, &QTimer::timeout, &idleTimer_, [this] { closeIfIdle(); });
    }
    ~Device() { shutDown(); }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // True when sound can be played now. Opens the device when needed; after a failed open it answers false at once
    // until retryAfterFailure has passed. The retry runs only when something is to be played, never on a timer: a
    // failed open costs 2 ms without a sound server, up to about 120 ms on bare ALSA (SDL waits for its device
    // watcher to wake up and quit), and a program that runs all day then finds a sound server started after it.
    // A sound of `role` is to start: a device open for another role and playing nothing is opened again for it,
    // so that the sound server shows what plays; one that is playing keeps its role.
    bool ready(SoundRole role = SoundRole::Event);
    bool isOpen() const { return open_; }
    // Whether MIDI files can be played: there is a General MIDI font.
    bool midiPlayable() const { return midiPlayable_; }
    // Something has started playing: the device stays open until some time after it ends.
    void soundStarted();
    // Silences and frees everything, closes the device and refuses to open it again.
    void shutDown();

    milliseconds duration(const Mix_Chunk& chunk) const {
        return milliseconds((qint64(chunk.alen) * 1000 + bytesPerSecond_ - 1) / bytesPerSecond_);
    }
    milliseconds bufferTime() const { return bufferTime_; }
    const SdlSoundOptions& options() const { return options_; }

    // The decoded file for playSync; nullptr when the file is missing or cannot be decoded (remembered likewise).
    Mix_Chunk* syncChunk(const QString& path);

    void attach(SdlSoundObject* object) { objects_.push_back(object); }
    void detach(SdlSoundObject* object) { std::erase(objects_, object); }

private:
    bool open();
    void closeIfIdle();
    void close();
    static void quitSdlIfUnused();

    struct CachedChunk {
        QString path;
        FileStamp stamp;
        ChunkPtr chunk;
    };

    SdlSoundOptions options_;
    bool midiPlayable_ = false;
    bool open_ = false;
    SoundRole openRole_ = SoundRole::Event;
    bool shutDown_ = false;
    std::optional<SteadyClock::time_point> lastFailure_;
    qint64 bytesPerSecond_ = qint64(kFrequency) * kOutputChannels * 2;
    milliseconds bufferTime_{kBufferFrames * 1000 / kFrequency + 1};
    std::optional<MixSpec> decodedFor_;
    std::list<CachedChunk> syncCache_; // most recently used first
    std::vector<SdlSoundObject*> objects_;
    QTimer idleTimer_;
};

class SdlSoundObject final : public SoundObject {
public:
    SdlSoundObject(std::shared_ptr<Device> device, QString path, SoundRole role)
        : device_(std::move(device)), path_(std::move(path)), role_(role) {
        device_->attach(this);
    }
    ~SdlSoundObject() override {
        device_->detach(this);
        release();
    }
    SdlSoundObject(const SdlSoundObject&) = delete;
    SdlSoundObject& operator=(const SdlSoundObject&) = delete;

    void play() override {
        if (!device_->ready(role_) || !load())
            return;
        if (chunk_) {
            const int channel = ownsChannel(channel_, this) ? channel_ : claimChannel(this);
            if (channel >= 0)
                channel_ = Mix_PlayChannel(channel, chunk_.get(), 0);
            if (channel_ >= 0) {
                device_->soundStarted();
                traceEvent("sound", chunkPath_);
            }
            return;
        }
        // SDL_mixer cannot rewind a FluidSynth song, and one that was interrupted resumes late with a stale tail; a
        // song that ran to its end starts again cleanly, any other is rebuilt from the bytes kept in memory.
        const bool endedByItself = mixer().musicOwner == this && Mix_PlayingMusic() == 0 && !halted_;
        if (!fresh_ && !endedByItself && !buildMusic())
            return;
        if (Mix_PlayMusic(music_.get(), 0) == 0) {
            mixer().musicOwner = this;
            fresh_ = false;
            halted_ = false;
            device_->soundStarted();
            traceEvent("sound", path_);
        }
    }

    void stop() override {
        if (!device_->isOpen())
            return;
        if (ownsChannel(channel_, this))
            Mix_HaltChannel(channel_);
        if (playingMusic()) {
            Mix_HaltMusic();
            halted_ = true;
        }
    }

    bool isPlaying() const override {
        if (!device_->isOpen())
            return false;
        return chunk_ ? ownsChannel(channel_, this) : playingMusic();
    }

    // Frees what was decoded, while SDL_mixer is still open to take it back: before the device closes after a
    // spell of silence (the next play reads and decodes the file again, as quick as opening the device) and with
    // the service.
    void release() {
        if (mixer().musicOwner == this)
            mixer().musicOwner = nullptr;
        disownChannels(this);
        music_.reset();
        chunk_.reset();
        midi_.clear();
        channel_ = -1;
        loadedStamp_.reset();
    }

private:
    bool playingMusic() const { return music_ && mixer().musicOwner == this && Mix_PlayingMusic() != 0; }

    // Reads and decodes the file once. A file that failed is not read again until it changes on disk.
    bool load() {
        if (chunk_ || music_)
            return true;
        if (!midi_.isEmpty())
            return buildMusic();
        const FileStamp stamp = FileStamp::of(path_);
        if (loadedStamp_ == stamp)
            return false;
        loadedStamp_ = stamp;
        QByteArray bytes = readSoundFile(path_, stamp);
        chunkPath_ = path_;
        if (isMidi(bytes)) {
            if (!isWholeMidi(bytes))
                return false;
            if (device_->midiPlayable()) {
                midi_ = std::move(bytes);
                if (buildMusic())
                    return true;
                midi_.clear();
            }
            // No font to play it with, or one FluidSynth cannot read: the tone of the WAV beside it, if any.
            chunkPath_ = wavBeside(path_);
            bytes = readSoundFile(chunkPath_, FileStamp::of(chunkPath_));
            if (isMidi(bytes))
                bytes.clear();
        }
        chunk_ = decodeChunk(bytes);
        return chunk_ != nullptr;
    }

    bool buildMusic() {
        if (mixer().musicOwner == this)
            mixer().musicOwner = nullptr;
        music_.reset();
        // The song keeps reading from midi_, which lives as long as it does.
        if (SDL_RWops* source = SDL_RWFromConstMem(midi_.constData(), int(midi_.size())))
            music_.reset(Mix_LoadMUS_RW(source, 1));
        fresh_ = true;
        halted_ = false;
        return music_ != nullptr;
    }

    std::shared_ptr<Device> device_;
    QString path_;
    SoundRole role_;
    QString chunkPath_; // the file chunk_ was decoded from: path_, or a MIDI file's WAV stand-in
    std::optional<FileStamp> loadedStamp_;
    ChunkPtr chunk_;
    int channel_ = -1;
    QByteArray midi_;
    MusicPtr music_;
    bool fresh_ = true;   // music_ has not been played since it was built
    bool halted_ = false; // stop() cut music_ short
};

bool Device::ready(SoundRole role) {
    if (open_ && role != openRole_ && Mix_Playing(-1) == 0 && Mix_PlayingMusic() == 0) {
        for (SdlSoundObject* object : objects_)
            object->release();
        syncCache_.clear();
        close();
    }
    openRole_ = open_ ? openRole_ : role;
    if (open_)
        return true;
    if (shutDown_)
        return false;
    const auto now = SteadyClock::now();
    if (lastFailure_ && now - *lastFailure_ < options_.retryAfterFailure)
        return false;
    open_ = open();
    if (open_) {
        lastFailure_.reset();
        soundStarted(); // even if what was to be played turns out to be missing
    } else {
        lastFailure_ = now;
    }
    return open_;
}

bool Device::open() {
    // Qt owns the program's signals.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The name the sound server shows for our stream.
    const QByteArray appName = QCoreApplication::applicationName().toUtf8();
    if (!appName.isEmpty()) {
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, appName.constData());
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, appName.constData());
    }
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, roleName(openRole_));
    // SDL 2.26 passes the role hint on to no sound server; PulseAudio (and PipeWire's stand-in for it) take the
    // properties of a connection from the environment when the connection is made, that is at this open.
    qputenv("PULSE_PROP_media.role", roleName(openRole_));

    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        quitSdlIfUnused();
        return false;
    }
    if (Mix_OpenAudio(kFrequency, AUDIO_S16SYS, kOutputChannels, kBufferFrames) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        quitSdlIfUnused();
        return false;
    }
    // The device may have settled on another rate or channel count; chunks are decoded to whatever it chose.
    MixSpec opened;
    if (Mix_QuerySpec(&opened.frequency, &opened.format, &opened.channels) != 0 && opened.frequency > 0 &&
        opened.channels > 0) {
        bytesPerSecond_ = qint64(opened.frequency) * opened.channels * (SDL_AUDIO_BITSIZE(opened.format) / 8);
        bufferTime_ = milliseconds(kBufferFrames * 1000 / opened.frequency + 1);
    }
    // Sounds kept from an earlier opening are only good for the same format.
    if (decodedFor_ && *decodedFor_ != opened) {
        for (SdlSoundObject* object : objects_)
            object->release();
        syncCache_.clear();
    }
    decodedFor_ = opened;
    Mix_SetSoundFonts(QFile::encodeName(options_.soundFont).constData());
    if (mixer().openDevices++ == 0)
        Mix_ChannelFinished(onChannelFinished);
    return true;
}

void Device::soundStarted() {
    if (QAbstractEventDispatcher::instance())
        idleTimer_.start(options_.closeWhenIdleFor);
}

void Device::closeIfIdle() {
    if (!open_)
        return;
    // SDL_mixer is one per process: also wait for sounds another service may be playing through it.
    if (Mix_Playing(-1) != 0 || Mix_PlayingMusic() != 0) {
        idleTimer_.start(std::max(options_.closeWhenIdleFor, milliseconds(100)));
        return;
    }
    // Nothing decoded outlives the device: Big Ben's recording and the synthesiser's sound font are tens of
    // megabytes that an idle clock has no use for until the next chime.
    for (SdlSoundObject* object : objects_)
        object->release();
    syncCache_.clear();
    close();
    ::malloc_trim(0); // the freed blocks go back to the system, not only to the allocator
}

void Device::shutDown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    idleTimer_.stop();
    for (SdlSoundObject* object : objects_)
        object->release();
    syncCache_.clear();
    close();
}

void Device::close() {
    disownChannels(this);
    if (!open_)
        return;
    open_ = false;
    const bool last = --mixer().openDevices == 0;
    if (last) {
        Mix_ChannelFinished(nullptr);
        mixer().channelOwners.clear();
        mixer().musicOwner = nullptr;
    }
    Mix_CloseAudio();
    if (last)
        Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    quitSdlIfUnused();
}

void Device::quitSdlIfUnused() {
    if (SDL_WasInit(0) == 0)
        SDL_Quit();
}

Mix_Chunk* Device::syncChunk(const QString& path) {
    const FileStamp stamp = FileStamp::of(path);
    if (!stamp.exists())
        return nullptr;
    auto it = std::find_if(syncCache_.begin(), syncCache_.end(), [&](const CachedChunk& c) { return c.path == path; });
    if (it != syncCache_.end() && it->stamp == stamp) {
        syncCache_.splice(syncCache_.begin(), syncCache_, it);
        return syncCache_.front().chunk.get();
    }
    if (it != syncCache_.end())
        syncCache_.erase(it);
    // A MIDI file would be rendered whole by FluidSynth before playing, followed by its two seconds of grace: the
    // program's chimes are WAV files, so playSync declines it.
    const QByteArray bytes = readSoundFile(path, stamp);
    syncCache_.push_front({path, stamp, isMidi(bytes) ? nullptr : decodeChunk(bytes)});
    if (syncCache_.size() > kSyncCacheEntries)
        syncCache_.pop_back();
    return syncCache_.front().chunk.get();
}

class SdlSoundService final : public SoundService {
public:
    explicit SdlSoundService(const SdlSoundOptions& options) : device_(std::make_shared<Device>(options)) {}
    ~SdlSoundService() override { device_->shutDown(); }

    std::unique_ptr<SoundObject> bind(const QString& path, SoundRole role = SoundRole::Event) override {
        return std::make_unique<SdlSoundObject>(device_, path, role);
    }

    void playSync(const QString& path) override {
        const auto start = SteadyClock::now();
        if (!device_->ready(SoundRole::Event))
            return;
        Mix_Chunk* chunk = device_->syncChunk(path);
        if (!chunk)
            return;
        // The promise is to the caller, so the clock started when we were called, not when the sound did.
        const auto deadline = start + device_->duration(*chunk) + device_->options().syncMargin;
        const int channel = claimChannel(device_.get());
        if (channel < 0)
            return;

        auto& wait = channelWait();
        {
            std::lock_guard lock(wait.mutex);
            wait.channel = channel;
            wait.done = false;
        }
        bool finished = false;
        const auto playedAt = SteadyClock::now();
        if (Mix_PlayChannel(channel, chunk, 0) == channel) {
            device_->soundStarted();
            std::unique_lock lock(wait.mutex);
            finished = wait.finished.wait_until(lock, deadline, [&] { return wait.done; });
        }
        {
            std::lock_guard lock(wait.mutex);
            wait.channel = -1;
        }
        if (finished) {
            // The mixer lets go of a sound as it hands the last of it to the device, a buffer or so before it is heard;
            // a freshly opened stream even takes in several buffers at once, hence the floor of the sound's own length.
            const auto heard =
                std::max(SteadyClock::now(), playedAt + device_->duration(*chunk)) + device_->bufferTime();
            std::this_thread::sleep_until(std::min(deadline, heard));
        } else if (ownsChannel(channel, device_.get())) {
            Mix_HaltChannel(channel); // the device is stalled or slow: keep the promise and cut the sound
        }
        disownChannels(device_.get());
    }

private:
    std::shared_ptr<Device> device_;
};

} // namespace

QString findSoundFont(const QString& sdlSoundFonts, const std::function<bool(const QString&)>& isFile) {
    QStringList candidates = sdlSoundFonts.split(QRegularExpression(QStringLiteral("[:;]")), Qt::SkipEmptyParts);
    candidates += {
        // Debian and Ubuntu: the alternatives link to whichever General MIDI font is installed, then the fonts.
        QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2"),
        QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2"),
        QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2"),
        // Fedora (fluid-soundfont-gm, with its default link) and Arch (soundfont-fluid, freepats-general-midi).
        QStringLiteral("/usr/share/soundfonts/default.sf2"),
        QStringLiteral("/usr/share/soundfonts/FluidR3_GM.sf2"),
        QStringLiteral("/usr/share/soundfonts/freepats-general-midi.sf2"),
    };
    for (const QString& candidate : std::as_const(candidates))
        if (isFile(candidate))
            return candidate;
    return {};
}

QString findSoundFont() {
    return findSoundFont(qEnvironmentVariable("SDL_SOUNDFONTS"),
                         [](const QString& path) { return QFileInfo(path).isFile(); });
}

std::unique_ptr<SoundService> makeSdlSoundService() {
    return makeSdlSoundService(SdlSoundOptions{});
}

std::unique_ptr<SoundService> makeSdlSoundService(const SdlSoundOptions& options) {
    return std::make_unique<SdlSoundService>(options);
}

} // namespace qx
