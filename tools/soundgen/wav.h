// Turns rendered audio into 16-bit PCM and a canonical 44-byte-header RIFF/WAVE file.
#pragma once

#include <cstdint>
#include <vector>

namespace qx::soundgen {

// Scales the signal so its loudest sample sits at `peakDbfs` (negative), rounding to 16 bits; never clips.
std::vector<std::int16_t> toPcm16(const std::vector<double>& signal, double peakDbfs);

// A mono RIFF/WAVE file image at kSampleRate.
std::vector<std::uint8_t> encodeWav(const std::vector<std::int16_t>& samples);

} // namespace qx::soundgen
