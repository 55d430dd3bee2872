#include "common/random_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<int> draws(RandomSource& random, int count) {
    std::vector<int> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(random.next());
    }
    return values;
}

}  // namespace

TEST(RandomSource, StaysInRangeAndReachesBothEnds) {
    RandomSource random(1);
    const std::vector<int> values = draws(random, 200000);
    EXPECT_EQ(*std::min_element(values.begin(), values.end()), 0);
    EXPECT_EQ(*std::max_element(values.begin(), values.end()), random_max);
}

TEST(RandomSource, ASeedReproducesTheSequence) {
    RandomSource first(42), second(42), other(43);
    const std::vector<int> sequence = draws(first, 20);
    EXPECT_EQ(draws(second, 20), sequence);
    EXPECT_NE(draws(other, 20), sequence);
    // Reseeding starts the sequence again; sources do not share a state.
    first.seed(42);
    EXPECT_EQ(draws(first, 20), sequence);
}
