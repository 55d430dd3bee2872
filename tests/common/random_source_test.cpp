#include "common/random_source.h"

#include <gtest/gtest.h>

#include <vector>

TEST(RandomSource, StaysInRangeAndReachesBothEnds) {
    seed_random(1);
    int lowest = random_max, highest = 0;
    for (int i = 0; i < 200000; ++i) {
        const int r = random_int();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, random_max);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, random_max);
}

TEST(RandomSource, ASeedReproducesTheSequence) {
    auto draw = [] {
        std::vector<int> values;
        for (int i = 0; i < 20; ++i) {
            values.push_back(random_int());
        }
        return values;
    };
    seed_random(42);
    const auto first = draw();
    seed_random(42);
    EXPECT_EQ(draw(), first);
    seed_random(43);
    EXPECT_NE(draw(), first);
}
