// Scores and renders the clock's sounds and writes them as files beside the programs.
#include "tools/soundgen/sounds.h"

#include "tools/soundgen/wav.h"

#include <cmath>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <string>

namespace qx::soundgen {

namespace {

double noteFrequency(int midiKey) {
    return 440.0 * std::pow(2.0, (midiKey - 69) / 12.0);
}

// Westminster quarters: the four bells counted from the highest, and the four changes rung before the hour.
constexpr int kChanges[4][4] = {{3, 1, 2, 4}, {3, 2, 1, 3}, {1, 3, 2, 4}, {4, 2, 1, 3}};
constexpr double kChimeBeat = 0.7;       // seconds between the notes of a change
constexpr int kBeatsPerChange = 6;       // three notes and a long fourth that rings for three beats
constexpr double kPauseBeforeHour = 3.5; // from the last quarter note to the first hour stroke
constexpr double kHourInterval = 2.75;   // each stroke still rings when the next falls
constexpr double kHourTail = 6.5;        // after the last stroke, before the file ends

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    // Written aside and renamed, so an interrupted build never leaves a truncated sound for the clock to play.
    auto partial = path;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            throw std::runtime_error("cannot write " + partial.string());
    }
    std::filesystem::rename(partial, path);
}

std::vector<std::uint8_t> wavOf(const Score& score) {
    return encodeWav(toPcm16(render(score), kPeakDbfs));
}

} // namespace

const std::array<Bell, 4>& quarterBells() {
    static const std::array<Bell, 4> bells{{
        {noteFrequency(68), 4.5, 0.50, 11}, // G#4
        {noteFrequency(66), 4.8, 0.52, 12}, // F#4
        {noteFrequency(64), 5.2, 0.55, 13}, // E4
        {noteFrequency(59), 5.8, 0.60, 14}, // B3
    }};
    return bells;
}

const Bell& hourBell() {
    static const Bell bell{noteFrequency(52), 8.0, 1.0, 20}; // E3
    return bell;
}

Score oraScore() {
    // The great bell, damped so that one stroke dies within two seconds: the clock rings up to twelve in a row.
    Bell bell = hourBell();
    bell.ringTime = 2.6;
    return {{{0.0, bell}}, 2.0, 0.6};
}

Score mezzoraScore() {
    // Two small, high bells a fourth apart: unmistakably not the hour.
    const Bell high{noteFrequency(76), 2.0, 0.8, 31}; // E5
    const Bell low{noteFrequency(71), 2.2, 0.9, 32};  // B4
    return {{{0.0, high}, {0.5, low}}, 2.2, 0.5};
}

Score bigBenScore(int hours) {
    Score score;
    double at = 0;
    for (const auto& change : kChanges) {
        for (int i = 0; i < 4; ++i)
            score.strokes.push_back({at + i * kChimeBeat, quarterBells()[change[i] - 1]});
        at += kBeatsPerChange * kChimeBeat;
    }
    at += (3 - kBeatsPerChange) * kChimeBeat + kPauseBeforeHour;
    for (int i = 0; i < hours; ++i) {
        // Each stroke is a little different, as a real clapper never strikes twice alike.
        Bell bell = hourBell();
        bell.seed += static_cast<std::uint64_t>(i);
        bell.loudness *= 1.0 - 0.03 * (i % 3);
        score.strokes.push_back({at, bell});
        at += kHourInterval;
    }
    score.length = at - kHourInterval + kHourTail;
    score.fadeOut = 2.0;
    return score;
}

MidiSong allarmeSong() {
    constexpr std::uint32_t kTicks = 480;
    constexpr std::uint32_t kEighth = kTicks / 2;
    constexpr int kBars = 10;
    constexpr int C5 = 72, D5 = 74, E5 = 76, F5 = 77, G5 = 79, A5 = 81, B5 = 83, C6 = 84, D6 = 86, E6 = 88;
    struct Step {
        int key;
        int eighths;
    };
    // A bright tune in C major, four beats to the bar at 120 beats per minute: ten bars, twenty seconds.
    const std::vector<std::vector<Step>> tune{
        {{C5, 1}, {E5, 1}, {G5, 1}, {C6, 1}, {G5, 2}, {E5, 2}},
        {{D5, 1}, {G5, 1}, {B5, 1}, {D6, 1}, {B5, 2}, {G5, 2}},
        {{A5, 1}, {G5, 1}, {F5, 1}, {A5, 1}, {C6, 2}, {A5, 2}},
        {{G5, 1}, {F5, 1}, {E5, 1}, {D5, 1}, {G5, 4}},
        {{E5, 2}, {G5, 1}, {E5, 1}, {C6, 2}, {G5, 2}},
        {{F5, 1}, {A5, 1}, {C6, 1}, {A5, 1}, {F5, 2}, {A5, 2}},
        {{G5, 1}, {E5, 1}, {C5, 1}, {E5, 1}, {G5, 1}, {C6, 1}, {E6, 2}},
        {{D6, 1}, {C6, 1}, {B5, 1}, {A5, 1}, {G5, 1}, {F5, 1}, {D5, 2}},
        {{C5, 1}, {E5, 1}, {G5, 1}, {C6, 1}, {E6, 2}, {C6, 2}},
        {{D6, 1}, {B5, 1}, {G5, 1}, {B5, 1}, {C6, 4}},
    };
    struct Chord {
        int bass1;
        int bass2;
        std::array<int, 3> notes;
    };
    const Chord cMajor{48, 43, {60, 64, 67}};
    const Chord gMajor{43, 50, {59, 62, 67}};
    const Chord fMajor{41, 48, {57, 60, 65}};
    const Chord gSeventh{43, 50, {59, 62, 65}};
    const std::array<Chord, kBars> harmony{cMajor, gMajor, fMajor,   gSeventh, cMajor,
                                           fMajor, cMajor, gSeventh, cMajor,   gSeventh};

    MidiSong song{static_cast<std::uint16_t>(kTicks),
                  500000,
                  {{"Melodia", 0, 9, 112, 72}, {"Accompagnamento", 1, 12, 92, 56}},
                  {},
                  0};
    std::uint32_t bar = 0;
    for (int b = 0; b < kBars; ++b, bar += 8 * kEighth) {
        std::uint32_t at = bar;
        for (const Step& s : tune[static_cast<std::size_t>(b)]) {
            const std::uint32_t slot = static_cast<std::uint32_t>(s.eighths) * kEighth;
            const int velocity = at == bar ? 112 : 96;
            song.notes.push_back({0, s.key, velocity, at, slot * 9 / 10});
            at += slot;
        }
        if (at != bar + 8 * kEighth)
            throw std::logic_error("bar " + std::to_string(b + 1) + " of the alarm tune does not fill four beats");

        // Oom-pah: bass on the strong beats, the chord on the weak ones; the last bar resolves onto a held C major.
        const Chord& chord = harmony[static_cast<std::size_t>(b)];
        const bool last = b == kBars - 1;
        song.notes.push_back({1, chord.bass1, 84, bar, kTicks - 40});
        for (int key : chord.notes)
            song.notes.push_back({1, key, 64, bar + kTicks, kEighth});
        song.notes.push_back(
            {1, last ? cMajor.bass1 : chord.bass2, 84, bar + 2 * kTicks, last ? 2 * kTicks : kTicks - 40});
        for (int key : (last ? cMajor : chord).notes)
            song.notes.push_back({1, key, 64, bar + 3 * kTicks, last ? kTicks : kEighth});
    }
    song.length = bar;
    return song;
}

Score allarmeToneScore() {
    // The tune's melody and bass as small bells, for a machine without a General MIDI font: the alarm is heard, as
    // a plainer sound.
    const MidiSong song = allarmeSong();
    const double secondsPerTick = song.microsPerQuarter / 1e6 / song.ticksPerQuarter;
    Score score;
    std::uint64_t seed = 40;
    for (const MidiNote& note : song.notes) {
        const bool melody = note.channel == 0;
        if (!melody && note.key >= 55)
            continue; // the accompaniment's chords would blur the bells
        const Bell bell{noteFrequency(melody ? note.key : note.key + 12), melody ? 1.4 : 1.8,
                        (melody ? 0.55 : 0.35) * note.velocity / 127.0, seed++};
        score.strokes.push_back({note.start * secondsPerTick, bell});
    }
    score.length = song.length * secondsPerTick + 1.0;
    score.fadeOut = 1.0;
    return score;
}

std::vector<double> render(const Score& score) {
    std::vector<double> out(static_cast<std::size_t>(std::lround(score.length * kSampleRate)), 0.0);
    for (const Stroke& s : score.strokes)
        strike(out, s.at, s.bell);
    const auto fade = std::min(out.size(), static_cast<std::size_t>(score.fadeOut * kSampleRate));
    const std::size_t fadeStart = out.size() - fade;
    for (std::size_t n = 0; n < fade; ++n)
        out[fadeStart + n] *=
            0.5 + 0.5 * std::cos(std::numbers::pi * static_cast<double>(n + 1) / static_cast<double>(fade));
    return out;
}

const std::array<SoundFile, 5>& soundFiles() {
    static const std::array<SoundFile, 5> files{{
        {"Ora.wav", [] { return wavOf(oraScore()); }},
        {"Mezzora.wav", [] { return wavOf(mezzoraScore()); }},
        {"BigBen.wav", [] { return wavOf(bigBenScore(12)); }},
        {"Allarme.mid", [] { return encodeMidi(allarmeSong()); }},
        {"Allarme.wav", [] { return wavOf(allarmeToneScore()); }},
    }};
    return files;
}

void writeAll(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    for (const SoundFile& file : soundFiles())
        writeFile(folder / file.name, file.make());
}

} // namespace qx::soundgen
