// Renders bell strokes as sums of exponentially decaying partials, with doublet beating and a noisy strike transient.
#include "tools/soundgen/bell.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>

namespace qx::soundgen {

namespace {

constexpr double kSixtyDb = 6.907755278982137; // ln(1000)
constexpr double kNoiseLevel = 0.4;            // of the bell's loudness, before the burst's own filter loss
constexpr double kNoiseTime = 0.004;           // seconds for the burst to fall by 1/e
constexpr std::size_t kAttack = 64; // samples (1.5 ms) over which the partials swell, so no stroke starts on a step

struct Mode {
    double frequency;
    double amplitude;
    double ringTime; // seconds to fall by 60 dB
    double phase;
};

// Decaying sines run as rotating phasors, one complex multiply per sample instead of a sin() and an exp(); modes
// rendered together form independent chains the processor overlaps, and share one pass over the buffer.
template <std::size_t N> void addDecayingSines(std::span<double> out, const std::array<Mode, N>& modes) {
    std::array<double, N> re{}, im{}, stepRe{}, stepIm{};
    double longest = 0;
    for (std::size_t k = 0; k < N; ++k) {
        const Mode& m = modes[k];
        if (m.frequency >= 0.45 * kSampleRate)
            continue; // left silent: it would alias
        const double w = 2.0 * std::numbers::pi * m.frequency / kSampleRate;
        const double r = std::exp(-kSixtyDb / (m.ringTime * kSampleRate));
        stepRe[k] = r * std::cos(w);
        stepIm[k] = r * std::sin(w);
        re[k] = m.amplitude * std::cos(m.phase);
        im[k] = m.amplitude * std::sin(m.phase);
        longest = std::max(longest, m.ringTime);
    }
    // Stop once the modes are 90 dB down: the rest is far below the 16-bit floor.
    const std::size_t count = std::min(out.size(), static_cast<std::size_t>(longest * 1.5 * kSampleRate));
    const auto next = [&] {
        double sum = 0;
        for (std::size_t k = 0; k < N; ++k) {
            sum += im[k];
            const double nextRe = re[k] * stepRe[k] - im[k] * stepIm[k];
            im[k] = re[k] * stepIm[k] + im[k] * stepRe[k];
            re[k] = nextRe;
        }
        return sum;
    };
    double* sample = out.data(); // not operator[]: this loop is nearly all of the generator's time
    std::size_t n = 0;
    for (; n < std::min(count, kAttack); ++n)
        sample[n] += next() * (0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(n) / kAttack));
    for (; n < count; ++n)
        sample[n] += next();
}

// A real bell is never perfectly round, so each partial is a pair of close modes that beat slowly against each other.
// The pair is struck together, so it starts in phase; the partials themselves start at unrelated phases, or their
// sum would pile up into one sharp peak at the onset and leave the ringing quiet after normalisation.
void addDoublet(std::span<double> out, double frequency, double amplitude, double ringTime, Rng& rng) {
    const double beat = rng.between(0.3, 1.4);
    const double share = rng.between(0.6, 0.75);
    const double phase = rng.between(0, 2 * std::numbers::pi);
    const Mode lower{frequency - beat / 2, amplitude * share, ringTime, phase};
    const Mode upper{frequency + beat / 2, amplitude * (1 - share), ringTime * rng.between(0.85, 1.0), phase};
    addDecayingSines<2>(out, {lower, upper});
}

// The clapper's hit: a few milliseconds of noise through a resonator placed among the bell's upper partials.
void addStrikeNoise(std::span<double> out, const Bell& bell, Rng& rng) {
    const double centre = std::min(10.0 * bell.prime, 5000.0);
    const double bandwidth = centre * 0.6;
    const double radius = std::exp(-std::numbers::pi * bandwidth / kSampleRate);
    const double a1 = 2 * radius * std::cos(2 * std::numbers::pi * centre / kSampleRate);
    const double a2 = radius * radius;
    const double gain = (1 - a2) * kNoiseLevel * bell.loudness;
    const std::size_t count = std::min(out.size(), static_cast<std::size_t>(8 * kNoiseTime * kSampleRate));
    double y1 = 0;
    double y2 = 0;
    for (std::size_t n = 0; n < count; ++n) {
        const double envelope = std::exp(-static_cast<double>(n) / (kNoiseTime * kSampleRate));
        const double x = (2 * rng.uniform() - 1) * envelope;
        const double y = gain * x + a1 * y1 - a2 * y2;
        y2 = y1;
        y1 = y;
        out[n] += y;
    }
}

} // namespace

double Rng::uniform() {
    // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

void strike(std::vector<double>& out, double at, const Bell& bell) {
    const auto first = static_cast<std::size_t>(std::lround(std::max(at, 0.0) * kSampleRate));
    if (first >= out.size())
        return;
    const auto ring = static_cast<std::size_t>(bell.ringTime * 1.5 * kSampleRate);
    const std::span<double> stroke = std::span(out).subspan(first, std::min(ring, out.size() - first));

    Rng rng(bell.seed);
    for (const Partial& p : kBellPartials)
        addDoublet(stroke, bell.prime * p.ratio, bell.loudness * p.amplitude, bell.ringTime * p.ringTime, rng);
    for (const Partial& p : kClangPartials)
        addDecayingSines<1>(stroke, {{{bell.prime * p.ratio, bell.loudness * p.amplitude, p.ringTime,
                                       rng.between(0, 2 * std::numbers::pi)}}});
    addStrikeNoise(stroke, bell, rng);
}

} // namespace qx::soundgen
