#pragma once

#include <cstdint>

// The process-wide pseudo-random source: integers uniformly spread over
// 0 … random_max. The embedding's subsets and the random vertex placement draw
// from it, in the order their algorithms give, so a fixed seed reproduces a run.
inline constexpr int random_max = 32767;

// Restarts the sequence from `seed`.
void seed_random(std::uint32_t seed);
// Seeds from the current time in seconds (its low 32 bits); done once at start.
void seed_random_from_time();
// Next integer in 0 … random_max.
int random_int();
