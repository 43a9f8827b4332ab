// Deterministic random numbers. The standard distributions are implementation
// defined (libstdc++ and other libraries give different sequences), so the
// generator and the normal deviates are our own.
#pragma once

#include <cstdint>

namespace demodata {

// SplitMix64 (Steele, Lea, Flood): small state, good statistical quality.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1) with 53 random bits.
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

    double uniform(double low, double high) { return low + (high - low) * uniform(); }

    // Approximately standard normal: sum of twelve uniforms minus six (Irwin-Hall).
    // Needs no log or cos, so it is exact on every platform; tails end at +-6.
    double normal()
    {
        double sum = 0.0;
        for (int i = 0; i < 12; ++i)
            sum += uniform();
        return sum - 6.0;
    }

private:
    std::uint64_t state;
};

// Stateless uniform [0, 1) from a few integers, for decisions that must not
// depend on the order in which they are asked (which cell is observed when).
inline double hashUniform(std::uint64_t a, std::uint64_t b, std::uint64_t salt)
{
    SplitMix64 mix(a * 0xD1B54A32D192ED03ull ^ (b + 0x632BE59BD9B4E019ull) * 0x9E3779B97F4A7C15ull ^ salt);
    mix.next();
    return mix.uniform();
}

} // namespace demodata
