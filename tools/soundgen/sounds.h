// The clock's sounds: the hour stroke, the half-hour signal, the Westminster chime with its hour, and the alarm (a
// MIDI tune, and the same tune as bells for a machine that cannot play MIDI).
#pragma once

#include "tools/soundgen/bell.h"
#include "tools/soundgen/midi.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace qx::soundgen {

struct Stroke {
    double at; // seconds from the start of the sound
    Bell bell;
};

struct Score {
    std::vector<Stroke> strokes;
    double length;  // seconds
    double fadeOut; // seconds at the end brought smoothly to silence, so no stroke is cut off audibly
};

inline constexpr double kPeakDbfs = -3.0;

// The four quarter bells (G#4, F#4, E4, B3 in the Westminster order 1-4) and the great hour bell (E3).
const std::array<Bell, 4>& quarterBells();
const Bell& hourBell();

Score oraScore();
Score mezzoraScore();
Score bigBenScore(int hours);
MidiSong allarmeSong();
Score allarmeToneScore(); // the tune's melody and bass notes struck as small bells, at their times

std::vector<double> render(const Score& score);

// The files the clock plays, each with the function that makes its bytes.
struct SoundFile {
    const char* name;
    std::vector<std::uint8_t> (*make)();
};
const std::array<SoundFile, 5>& soundFiles();

// Writes Ora.wav, Mezzora.wav, BigBen.wav, Allarme.mid and Allarme.wav into `folder`, creating it if needed.
void writeAll(const std::filesystem::path& folder);

} // namespace qx::soundgen
