#include "common/random_source.h"

#include <ctime>

RandomSource RandomSource::from_clock() {
    return RandomSource(static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::time(nullptr))));
}
