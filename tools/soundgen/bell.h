// Church-bell synthesis from the partials of a real bell, the raw material of the clock's strikes and chimes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace qx::soundgen {

inline constexpr int kSampleRate = 44100;

// One mode of vibration of a bell; frequencies are relative to the prime, which names the bell's note.
struct Partial {
    const char* name;
    double ratio;
    double amplitude; // at the moment of the strike
    double ringTime;  // time to fall by 60 dB, relative to the hum's
};

// A true-harmonic church bell: the hum rings longest, the upper partials give the strike its brightness and fade first.
inline constexpr std::array<Partial, 10> kBellPartials{{
    {"hum", 0.5, 0.50, 1.00},
    {"prime", 1.0, 0.42, 0.72},
    {"tierce", 1.2, 0.55, 0.62},
    {"quint", 1.5, 0.14, 0.40},
    {"nominal", 2.0, 1.00, 0.52},
    {"deciem", 2.5, 0.34, 0.33},
    {"undeciem", 2.667, 0.20, 0.28},
    {"octave nominal", 3.0, 0.26, 0.24},
    {"double octave", 4.0, 0.13, 0.17},
    {"upper fourth", 5.333, 0.07, 0.12},
}};

// The inharmonic clang of metal on metal, heard only for the first instants of a strike (ring times in seconds).
inline constexpr std::array<Partial, 3> kClangPartials{{
    {"clang 1", 6.12, 0.11, 0.11},
    {"clang 2", 7.31, 0.08, 0.08},
    {"clang 3", 8.64, 0.05, 0.06},
}};

struct Bell {
    double prime;       // Hz
    double ringTime;    // seconds for the hum to fall by 60 dB
    double loudness;    // linear gain of the whole stroke
    std::uint64_t seed; // fixes the beating of the doublets, so every build makes the same bytes
};

// A small deterministic generator: the standard distributions differ between library versions, this does not.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    double uniform();
    double between(double low, double high) { return low + (high - low) * uniform(); }

private:
    std::uint64_t state_;
};

// Adds one stroke of `bell` into `out` (mono, kSampleRate) starting `at` seconds in; what would ring past the end is
// cut.
void strike(std::vector<double>& out, double at, const Bell& bell);

} // namespace qx::soundgen
