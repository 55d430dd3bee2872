#include "common/random_source.h"

#include <ctime>
#include <random>

namespace {

std::mt19937& generator() {
    static std::mt19937 engine(5489u);
    return engine;
}

}  // namespace

void seed_random(std::uint32_t seed) {
    generator().seed(seed);
}

void seed_random_from_time() {
    seed_random(static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::time(nullptr))));
}

int random_int() {
    // The top 15 bits of a 32-bit Mersenne Twister output are uniform over 0 … 32767.
    return static_cast<int>(generator()() >> 17);
}
