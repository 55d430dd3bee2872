#pragma once

#include <cstdint>
#include <random>

// A pseudo-random source of integers spread uniformly over 0 … random_max.
// The embedding's subsets and the random vertex placement draw from one, in
// the order their algorithms give, so the same seed reproduces a run. The
// shell and the runner each own one and pass it to what draws.
inline constexpr int random_max = 32767;

class RandomSource {
  public:
    // Starts the sequence from `seed`.
    explicit RandomSource(std::uint32_t seed) : engine_(seed) {}

    // A source seeded from the current time in seconds (its low 32 bits).
    static RandomSource from_clock();

    // Restarts the sequence from `seed`.
    void seed(std::uint32_t seed) { engine_.seed(seed); }

    // Next integer in 0 … random_max.
    int next() {
        // The top 15 bits of a 32-bit Mersenne Twister output are uniform
        // over 0 … 32767.
        return static_cast<int>(engine_() >> 17);
    }

  private:
    std::mt19937 engine_;
};
