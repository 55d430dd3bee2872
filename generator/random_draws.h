#pragma once

#include <cstdint>

// Largest value a draw can take; draws are spread uniformly over 0 … 32767.
inline constexpr int random_draw_max = 32767;

// The generator's own pseudo-random source, a 32-bit linear congruential
// sequence of which each draw keeps bits 16 to 30. The same seed always gives
// the same draws, on every platform.
class RandomDraws {
  public:
    explicit RandomDraws(std::uint32_t seed) : state_(seed) {}

    // Next integer in 0 … random_draw_max.
    int next();

  private:
    std::uint32_t state_;
};

// The current time in seconds (its low 32 bits), so two runs within the same
// second draw the same graph.
std::uint32_t seed_from_clock();
