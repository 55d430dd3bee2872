#include "view/placement.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/random_source.h"
#include "tests/support/graph_fixtures.h"

namespace {

Graph graph_at(const std::vector<Vector3>& positions) {
    return make_placed_graph(positions, {}, 2.0f);
}

// The point that the next three draws of `random` give for a graph of n
// vertices.
Vector3 expected_random_point(RandomSource& random, int n) {
    const float t1 = static_cast<float>(random.next()) / 32767.0f;
    const float t2 = static_cast<float>(random.next()) / 32767.0f;
    const float t3 = static_cast<float>(random.next()) / 32767.0f;
    const float f = static_cast<float>(n);
    return {(-35.0f + 70.0f * t1) * f / 5.0f, (-35.0f + 70.0f * t2) * f / 5.0f,
            (15.0f - 30.0f * t3) * f / 5.0f};
}

}  // namespace

TEST(Placement, KeepsGivenPositionsAndDrawsOnlyForTheOrigin) {
    const Graph g = graph_at({{0, 0, 5}, {0, 0, 0}, {1.5f, -2, 0}, {0, 0, 0}});
    std::vector<Vector3> placed = {{9, 9, 9}};  // stale content is replaced

    RandomSource replay(42);
    const Vector3 first = expected_random_point(replay, 4);
    const Vector3 second = expected_random_point(replay, 4);
    const int next_draw = replay.next();

    RandomSource random(42);
    place_vertices(g, random, placed);
    ASSERT_EQ(placed.size(), 4u);
    EXPECT_EQ(placed[0], Vector3(0, 0, 5));
    EXPECT_EQ(placed[2], Vector3(1.5f, -2, 0));
    // Draws are taken x, y, z for vertex 1, then for vertex 3, and no more.
    EXPECT_NEAR(placed[1].x, first.x, 1e-4f);
    EXPECT_NEAR(placed[1].y, first.y, 1e-4f);
    EXPECT_NEAR(placed[1].z, first.z, 1e-4f);
    EXPECT_NEAR(placed[3].x, second.x, 1e-4f);
    EXPECT_NEAR(placed[3].y, second.y, 1e-4f);
    EXPECT_NEAR(placed[3].z, second.z, 1e-4f);
    EXPECT_EQ(random.next(), next_draw);
}

TEST(Placement, BoxGrowsWithTheVertexCount) {
    for (int n : {1, 10, 40}) {
        SCOPED_TRACE(n);
        const Graph g = graph_at(std::vector<Vector3>(static_cast<std::size_t>(n)));
        RandomSource random(static_cast<std::uint32_t>(n));
        std::vector<Vector3> placed;
        Vector3 low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
        for (int round = 0; round < 200; ++round) {
            place_vertices(g, random, placed);
            ASSERT_EQ(placed.size(), static_cast<std::size_t>(n));
            for (const Vector3& p : placed) {
                low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
                high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
            }
        }
        const float xy = 7.0f * n, z = 3.0f * n;
        EXPECT_GE(low.x, -xy);
        EXPECT_LE(high.x, xy);
        EXPECT_GE(low.y, -xy);
        EXPECT_LE(high.y, xy);
        EXPECT_GE(low.z, -z);
        EXPECT_LE(high.z, z);
        // The draws fill most of the box.
        EXPECT_LT(low.x, -0.8f * xy);
        EXPECT_GT(high.x, 0.8f * xy);
        EXPECT_LT(low.z, -0.8f * z);
        EXPECT_GT(high.z, 0.8f * z);
    }
}

TEST(Placement, RedistributingMovesOnlyTheUnpositionedVertices) {
    const Graph g = graph_at({{0, 0, 0}, {3, 4, 5}, {0, 0, 0}});
    RandomSource random(3);
    std::vector<Vector3> first, second;
    place_vertices(g, random, first);
    place_vertices(g, random, second);
    ASSERT_EQ(first.size(), 3u);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_FALSE(first[0] == second[0]);
    EXPECT_FALSE(first[2] == second[2]);
    EXPECT_EQ(first[1], second[1]);
    EXPECT_EQ(second[1], Vector3(3, 4, 5));
}

TEST(Placement, EmptyGraphLeavesNoPositions) {
    const Graph g = graph_at({});
    std::vector<Vector3> placed = {{1, 2, 3}};
    RandomSource random(4);
    place_vertices(g, random, placed);
    EXPECT_TRUE(placed.empty());
}
