#include "embedding/shortest_paths.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/graph_fixtures.h"

namespace {

// Walks the next hops from i to j and adds up the capacities met on the way;
// −1 when the walk breaks off or loops.
double walked_length(const Graph& g, const ShortestPaths& paths, int i, int j) {
    double length = 0.0;
    int at = i;
    for (int steps = 0; at != j; ++steps) {
        const int next = static_cast<int>(paths.next_hops[at][j]);
        if (next < 0 || steps > g.vertex_count() || !g.cell(at, next).present) {
            return -1.0;
        }
        length += g.cell(at, next).capacity;
        at = next;
    }
    return length;
}

}  // namespace

TEST(ShortestPaths, DirectedDistancesFollowArcDirections) {
    // 0 → 1 → 2 costs 1 + 2, cheaper than the direct arc 0 → 2 of length 5;
    // nothing leads back to 0, and vertex 3 is isolated.
    const Graph g = make_graph(4, {{0, 1, 1.0f}, {1, 2, 2.0f}, {0, 2, 5.0f}}, true);
    const ShortestPaths paths = all_pairs_shortest_paths(g);
    EXPECT_DOUBLE_EQ(paths.distances[0][2], 3.0);
    EXPECT_DOUBLE_EQ(paths.next_hops[0][2], 1.0);
    EXPECT_DOUBLE_EQ(paths.distances[2][0], unreachable_distance);
    EXPECT_DOUBLE_EQ(paths.next_hops[2][0], -1.0);
    EXPECT_DOUBLE_EQ(paths.distances[3][0], unreachable_distance);
    for (int v = 0; v < 4; ++v) {
        EXPECT_DOUBLE_EQ(paths.distances[v][v], 0.0);
    }
}

TEST(ShortestPaths, UndirectedDistancesAreSymmetricAndWalkable) {
    const Graph g = make_graph(
        5, {{0, 3, 4.0f}, {3, 1, 1.5f}, {1, 4, 2.0f}, {4, 2, 0.5f}, {0, 2, 9.0f}}, false);
    const ShortestPaths paths = all_pairs_shortest_paths(g);
    EXPECT_DOUBLE_EQ(paths.distances[0][2], 8.0);  // 0-3-1-4-2
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            EXPECT_DOUBLE_EQ(paths.distances[i][j], paths.distances[j][i]) << i << "," << j;
            if (i != j) {
                EXPECT_DOUBLE_EQ(walked_length(g, paths, i, j), paths.distances[i][j])
                    << i << "," << j;
            }
        }
    }
}

TEST(ShortestPaths, DistanceToSubsetIsTheNearestMember) {
    const std::vector<std::vector<double>> d = {{0, 7, 3, 5}, {7, 0, 4, 1}};
    EXPECT_DOUBLE_EQ(distance_to_subset(d, 0, {1, 3}), 5.0);
    EXPECT_DOUBLE_EQ(distance_to_subset(d, 0, {0, 2}), 0.0);
    EXPECT_DOUBLE_EQ(distance_to_subset(d, 1, {0}), 7.0);
}
