// The random numbers of the screensaver's interlude: a generator that its user seeds from the clock.
#pragma once

#include <cstdint>
#include <random>

namespace qx {

// Uniform numbers in [0, 1). Seeded from the same value, it gives the same sequence, so a program seeded from an
// injected clock is repeatable in tests.
class Random {
public:
    virtual ~Random() = default;
    virtual void seed(std::uint64_t value) = 0;
    virtual double uniform() = 0;
};

// 64-bit Mersenne Twister; 53 random bits per number.
class SeededRandom final : public Random {
public:
    void seed(std::uint64_t value) override { engine_.seed(value); }
    double uniform() override { return double(engine_() >> 11) * 0x1.0p-53; }

private:
    std::mt19937_64 engine_;
};

} // namespace qx
