// Peak normalisation and the RIFF/WAVE container, written byte by byte so the layout does not depend on the host.
#include "tools/soundgen/wav.h"

#include "tools/soundgen/bell.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace qx::soundgen {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void putTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

std::vector<std::int16_t> toPcm16(const std::vector<double>& signal, double peakDbfs) {
    double peak = 0;
    for (double x : signal)
        peak = std::max(peak, std::abs(x));
    const double scale =
        peak > 0 ? std::pow(10.0, peakDbfs / 20.0) * std::numeric_limits<std::int16_t>::max() / peak : 0;
    std::vector<std::int16_t> pcm;
    pcm.reserve(signal.size());
    for (double x : signal)
        pcm.push_back(static_cast<std::int16_t>(std::lround(x * scale)));
    return pcm;
}

std::vector<std::uint8_t> encodeWav(const std::vector<std::int16_t>& samples) {
    constexpr std::uint32_t kChannels = 1;
    constexpr std::uint32_t kBytesPerSample = 2;
    const std::uint64_t dataBytes = samples.size() * kBytesPerSample;
    if (dataBytes > std::numeric_limits<std::uint32_t>::max() - 36)
        throw std::length_error("too much audio for one WAVE file");

    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    putTag(out, "RIFF");
    put32(out, static_cast<std::uint32_t>(36 + dataBytes));
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, kChannels);
    put32(out, kSampleRate);
    put32(out, kSampleRate * kChannels * kBytesPerSample);
    put16(out, kChannels * kBytesPerSample);
    put16(out, 8 * kBytesPerSample);
    putTag(out, "data");
    put32(out, static_cast<std::uint32_t>(dataBytes));
    for (std::int16_t s : samples)
        put16(out, static_cast<std::uint16_t>(s));
    return out;
}

} // namespace qx::soundgen
