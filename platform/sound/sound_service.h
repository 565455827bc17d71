// Sound playback for the three programs: WAV and MIDI files, played in the background or to the end.
#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

namespace qx {

// A sound bound to one file (WAV or MIDI), played asynchronously.
class SoundObject {
public:
    virtual ~SoundObject() = default;
    virtual void play() = 0; // from the beginning; returns at once; restarts if already playing
    virtual void stop() = 0; // ends this object's playback, if any
    virtual bool isPlaying() const = 0;
};

// What a sound is for. The sound server shows it beside the program's name, so that a volume mixer can tell the
// alarm from the chimes.
enum class SoundRole { Event, Alarm };

class SoundService {
public:
    virtual ~SoundService() = default;
    // Never null, even for a missing file.
    virtual std::unique_ptr<SoundObject> bind(const QString& path, SoundRole role = SoundRole::Event) = 0;
    // Plays a WAV file and returns when it has ended; never later than the file's length plus a short margin
    // (about 250 ms), whatever the device does. Returns at once when there is no device or the file is missing/broken.
    virtual void playSync(const QString& path) = 0;
};

// The General MIDI sound font MIDI files are played with: the first existing file among the paths of `sdlSoundFonts`
// (the user's SDL_SOUNDFONTS, paths separated by ':' or ';'), Debian's alternatives link
// /usr/share/sounds/sf2/default-GM.sf2, then the fonts' usual places on Debian, Fedora and Arch. Empty when there is
// none. (FluidSynth's built-in default path does not exist on these systems, and SDL_mixer's own search stops at
// the variable.)
QString findSoundFont(const QString& sdlSoundFonts, const std::function<bool(const QString&)>& isFile);
QString findSoundFont(); // SDL_SOUNDFONTS and the file system

struct SdlSoundOptions {
    // Empty: findSoundFont(). A MIDI file that cannot be played (no font, or one FluidSynth cannot read) plays the
    // WAV file of the same name beside it instead, when there is one: the alarm is heard as a tone rather than not
    // at all.
    QString soundFont;
    // A failed device open is not tried again before this long, so a missing device costs nothing per call, yet a
    // sound server started after the program is picked up.
    std::chrono::milliseconds retryAfterFailure{30'000};
    // How far past the file's length playSync waits before it cuts the sound and returns anyway.
    std::chrono::milliseconds syncMargin{250};
    // The device is closed once nothing has played for this long, and opened again when needed: an open device keeps
    // an audio thread mixing silence hundreds of times a second and a stream that stops the sound card from sleeping.
    // What was decoded goes with it, and the memory back to the system; the next play decodes again. Closing takes
    // the thread's event loop; without one the device stays open until the service is destroyed.
    std::chrono::milliseconds closeWhenIdleFor{10'000};
};

// Never fails: without a sound device every call returns at once. The audio device is opened when something is to be
// played and closed when the service is destroyed (objects still bound then fall silent) or, with an event loop
// running, after a spell of silence. Use the service and its objects from one thread.
std::unique_ptr<SoundService> makeSdlSoundService();
std::unique_ptr<SoundService> makeSdlSoundService(const SdlSoundOptions& options);

} // namespace qx
