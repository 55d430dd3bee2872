#include "embedding/shortest_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "graph/arc_lists.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/oracles.h"

TEST(DistancesToSubset, RunFromEachVertexToTheNearestMemberAlongTheArcs) {
    // 0 → 1 → 2 costs 1 + 2, cheaper than the direct arc 0 → 2 of length 5;
    // nothing leads from 2 back to 0 or 1, and vertex 3 is isolated.
    const ArcLists arcs(make_graph(4, {{0, 1, 1.0f}, {1, 2, 2.0f}, {0, 2, 5.0f}}, true));
    EXPECT_EQ(distances_to_subset(arcs, {2}),
              (std::vector<double>{3.0, 2.0, 0.0, unreachable_distance}));
    EXPECT_EQ(distances_to_subset(arcs, {0}),
              (std::vector<double>{0.0, unreachable_distance, unreachable_distance,
                                   unreachable_distance}));
    // Several members: each vertex takes the nearest.
    EXPECT_EQ(distances_to_subset(arcs, {1, 2}),
              (std::vector<double>{1.0, 0.0, 0.0, unreachable_distance}));
}

TEST(DistancesToSubset, UndirectedEdgesCountBothWaysAndLongPathsStopAtTheCap) {
    // 0-3-1-4-2 is 8, shorter than the edge {0, 2} of 9. The edge {4, 5} is
    // longer than the cap, and so is every path through it.
    const ArcLists arcs(make_graph(
        6, {{0, 3, 4.0f}, {3, 1, 1.5f}, {1, 4, 2.0f}, {4, 2, 0.5f}, {0, 2, 9.0f}, {4, 5, 2e5f}},
        false));
    EXPECT_EQ(distances_to_subset(arcs, {0}),
              (std::vector<double>{0.0, 5.5, 8.0, 4.0, 7.5, unreachable_distance}));
    EXPECT_EQ(distances_to_subset(arcs, {2})[0], 8.0);
}

TEST(DistancesToSubset, EqualTheFloydWarshallDistancesBelowTheCap) {
    // On integer lengths every sum is exact, so the distances must agree to
    // the bit with the all-pairs computation they replaced.
    std::mt19937 rng(77);
    for (int trial = 0; trial < 60; ++trial) {
        const int n = 2 + trial % 23;
        const Graph g = random_graph(n, (1 + trial % 4) * n, trial % 2 == 0, 600 + trial);
        const ArcLists arcs(g);
        const auto d = floyd_warshall_distances(g);
        std::set<int> subset;
        const int size = 1 + static_cast<int>(rng() % static_cast<unsigned>(n));
        while (static_cast<int>(subset.size()) < size) {
            subset.insert(static_cast<int>(rng() % static_cast<unsigned>(n)));
        }
        const std::vector<double> fast = distances_to_subset(arcs, subset);
        for (int v = 0; v < n; ++v) {
            double nearest = unreachable_distance;
            for (int a : subset) {
                nearest = std::min(nearest, d[v][a]);
            }
            EXPECT_EQ(fast[v], nearest) << "trial " << trial << ", vertex " << v;
        }
    }
}
