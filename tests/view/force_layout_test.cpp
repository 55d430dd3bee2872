#include "view/force_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/random_source.h"
#include "tests/support/graph_fixtures.h"

namespace {

bool finite(const Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// A graph of n vertices whose first positions are given, the rest at the
// origin (to be placed), with random edges.
Graph partly_placed(int n, const std::vector<Vector3>& given, int edges, std::uint32_t seed) {
    const Graph shape = random_graph(n, edges, false, seed);
    std::vector<TestEdge> list;
    for (int u = 0; u < n; ++u) {
        for (NeighbourIterator it(shape, u); !it.finished(); it.next()) {
            list.push_back({u, it.current()});
        }
    }
    std::vector<Vector3> positions(static_cast<std::size_t>(n));
    std::copy(given.begin(), given.end(), positions.begin());
    return make_placed_graph(positions, list, 2.0f);
}

}  // namespace

TEST(ForceLayout, KeepsGivenPositionsAndSpacesNeighboursAFewDiametersApart) {
    const std::vector<Vector3> given = {{40, 0, 0}, {-40, 0, 0}, {0, 30, 5}};
    const Graph graph = partly_placed(200, given, 600, 7);
    RandomSource random(3);
    std::vector<Vector3> placed;
    force_layout(graph, random, placed);
    ASSERT_EQ(placed.size(), 200u);
    for (std::size_t i = 0; i < given.size(); ++i) {
        EXPECT_EQ(placed[i], given[i]) << i;
    }
    std::vector<double> lengths;
    double extent = 0;
    for (int u = 0; u < graph.vertex_count(); ++u) {
        ASSERT_TRUE(finite(placed[static_cast<std::size_t>(u)]));
        extent = std::max(extent, placed[static_cast<std::size_t>(u)].length());
        for (NeighbourIterator it(graph, u); !it.finished(); it.next()) {
            lengths.push_back((placed[static_cast<std::size_t>(u)] -
                               placed[static_cast<std::size_t>(it.current())])
                                  .length());
        }
    }
    std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
    EXPECT_NEAR(lengths[lengths.size() / 2], layout_edge_length, layout_edge_length / 2);
    // The random box of 200 vertices reaches 1400 from the origin.
    EXPECT_LT(extent, 300.0);

    // The same seed gives the same layout.
    RandomSource again(3);
    std::vector<Vector3> replayed;
    force_layout(graph, again, replayed);
    EXPECT_EQ(replayed, placed);
}

TEST(ForceLayout, BadShapesGiveFinitePositionsAndKeepTheGivenOnes) {
    struct Row {
        std::string name;
        int n;
        std::vector<Vector3> given;
        int edges;
    };
    for (const Row& row :
         {Row{"no vertex", 0, {}, 0}, Row{"one vertex", 1, {}, 0}, Row{"no edge", 10, {}, 0},
          Row{"every position given", 3, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, 3},
          Row{"a given vertex far away", 30, {{1e6f, 0, 0}}, 60},
          Row{"a given vertex near the float limit", 30, {{3e38f, -3e38f, 0}}, 60},
          Row{"given vertices at one point", 20, {{5, 5, 5}, {5, 5, 5}}, 40}}) {
        SCOPED_TRACE(row.name);
        const Graph graph = partly_placed(row.n, row.given, row.edges, 11);
        RandomSource random(1);
        std::vector<Vector3> placed;
        force_layout(graph, random, placed);
        ASSERT_EQ(placed.size(), static_cast<std::size_t>(row.n));
        for (std::size_t i = 0; i < placed.size(); ++i) {
            EXPECT_TRUE(finite(placed[i])) << i;
            if (i < row.given.size()) {
                EXPECT_EQ(placed[i], row.given[i]) << i;
            }
        }
    }
}

// The window's Annuler and a new load stop the layout through its flag,
// which igraph's iterations read: a flag already set stops it at the first.
TEST(ForceLayout, StopsOnItsCancelFlagLeavingThePositionsAsTheyWere) {
    const Graph graph = partly_placed(300, {}, 900, 5);
    RandomSource random(3);
    std::vector<Vector3> positions{{1, 2, 3}};
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(force_layout(graph, random, positions, &cancel));
    EXPECT_EQ(positions, (std::vector<Vector3>{{1, 2, 3}}));
}
