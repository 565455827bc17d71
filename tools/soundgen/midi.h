// Writes a song as a Standard MIDI File (format 1: a tempo track, then one track per channel).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qx::soundgen {

struct MidiNote {
    int channel;
    int key;
    int velocity;
    std::uint32_t start;  // ticks
    std::uint32_t length; // ticks
};

struct MidiPart {
    std::string name;
    int channel;
    int program; // General MIDI, counted from 0
    int volume;  // controller 7
    int pan;     // controller 10, 64 is the centre
};

struct MidiSong {
    std::uint16_t ticksPerQuarter;
    std::uint32_t microsPerQuarter;
    std::vector<MidiPart> parts;
    std::vector<MidiNote> notes;
    std::uint32_t length; // ticks; the tracks end here even if the last notes are shorter
};

std::vector<std::uint8_t> encodeMidi(const MidiSong& song);

} // namespace qx::soundgen
