#include "generator/random_draws.h"

#include <ctime>

int RandomDraws::next() {
    // Unsigned arithmetic wraps modulo 2^32 by definition. The low bits of such
    // a sequence have short periods, so only the upper bits are used.
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 16) & 0x7fffu);
}

std::uint32_t seed_from_clock() {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::time(nullptr)));
}
