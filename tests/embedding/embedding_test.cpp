#include "embedding/embedding.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "embedding/shortest_paths.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/oracles.h"
#include "tests/support/test_stage.h"
#include "tests/support/text_lines.h"

namespace {

// A directed ring 0 → 1 → … → n−2 → 0 with lengths 1, 2, …, plus an
// isolated last vertex, so some coordinates are "unreachable".
Graph ring_with_isolated_vertex(int n) {
    std::vector<TestEdge> edges;
    for (int v = 0; v < n - 1; ++v) {
        edges.push_back({v, (v + 1) % (n - 1), static_cast<float>(v + 1)});
    }
    return make_graph(n, edges, true);
}

}  // namespace

TEST(EmbeddingSubsetSizes, CountsAndSizesPerScale) {
    EXPECT_EQ(embedding_subset_sizes(6), (std::vector<int>{3, 3, 1, 1}));
    // log2 8 is exactly 3, so scale 3 is left out.
    EXPECT_EQ(embedding_subset_sizes(8), (std::vector<int>{4, 4, 4, 2, 2, 2}));
    EXPECT_EQ(embedding_subset_sizes(10), (std::vector<int>{5, 5, 5, 2, 2, 2, 1, 1, 1}));
    EXPECT_EQ(embedding_subset_sizes(16), (std::vector<int>{8, 8, 8, 4, 4, 4, 2, 2, 2}));
    for (int n : {-1, 0, 1, 2}) {
        EXPECT_TRUE(embedding_subset_sizes(n).empty()) << n;
    }
}

TEST(ComputeEmbedding, SubsetsHaveTheAnnouncedSizesAndDistinctMembers) {
    TestStage stage(7);
    for (int n : {3, 6, 8, 10, 16, 33}) {
        const Embedding e = compute_embedding(make_graph(n, {}, true).arcs(), stage.random);
        const std::vector<int> sizes = embedding_subset_sizes(n);
        ASSERT_EQ(e.subsets.size(), sizes.size()) << n;
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            EXPECT_EQ(static_cast<int>(e.subsets[k].size()), sizes[k]) << n << " " << k;
            EXPECT_GE(*e.subsets[k].begin(), 0);
            EXPECT_LT(*e.subsets[k].rbegin(), n);
        }
    }
}

TEST(ComputeEmbedding, DrawsVerticesAsScaledRandomIntegers) {
    // Replaying the generator with the drawing rule v = ⌊r × n / 32768⌋,
    // duplicates redrawn, must give the first subset.
    const int n = 6;
    TestStage stage(1234);
    const Embedding e = compute_embedding(make_graph(n, {}, true).arcs(), stage.random);

    RandomSource replay(1234);
    std::set<int> expected;
    while (static_cast<int>(expected.size()) < 3) {
        expected.insert(replay.next() * n / 32768);
    }
    EXPECT_EQ(e.subsets.at(0), expected);
}

TEST(ComputeEmbedding, CoordinatesAreDistancesToTheSubsets) {
    const int n = 12;
    const Graph g = ring_with_isolated_vertex(n);
    TestStage stage(99);
    const Embedding e = compute_embedding(g.arcs(), stage.random);
    const auto d = floyd_warshall_distances(g);

    ASSERT_EQ(static_cast<int>(e.coordinates.size()), n);
    for (int v = 0; v < n; ++v) {
        ASSERT_EQ(e.coordinates[v].size(), e.subsets.size());
        for (std::size_t k = 0; k < e.subsets.size(); ++k) {
            const auto& subset = e.subsets[k];
            double nearest = unreachable_distance;
            for (int a : subset) {
                nearest = std::min(nearest, d[v][a]);
            }
            EXPECT_DOUBLE_EQ(e.coordinates[v][k], nearest) << v << " " << k;
            if (subset.count(v) != 0) {
                EXPECT_EQ(e.coordinates[v][k], 0.0);
            }
            // The isolated vertex reaches nothing but itself.
            if (v == n - 1 && subset.count(v) == 0) {
                EXPECT_EQ(e.coordinates[v][k], 100000.0);
            }
        }
    }
}

TEST(CoordinateTable, NamesTheVerticesAndGivesARowPerSubset) {
    const int n = 4;
    TestStage stage;
    const Embedding e = compute_embedding(ring_with_isolated_vertex(n).arcs(), stage.random);
    const auto lines = lines_of(coordinate_table(e));
    ASSERT_EQ(e.subsets.size(), 2u);  // two subsets of one vertex for n = 4
    ASSERT_EQ(lines.size(), 2u + 2u);
    EXPECT_EQ(lines[0], "\t|\tx_0\tx_1\tx_2\tx_3\t");
    EXPECT_EQ(lines[1], "-------\t-------\t-------\t-------\t-------\t-------\t");
    for (int k = 0; k < 2; ++k) {
        std::ostringstream row;
        row << "A_" << k << "\t|\t";
        for (int v = 0; v < n; ++v) {
            row << e.coordinates[v][k] << "\t";
        }
        EXPECT_EQ(lines[2 + k], row.str());
    }
}

TEST(ComputeEmbedding, TinyGraphsHaveNoSubsetsAndOnlyTheTableHeader) {
    for (int n : {0, 1, 2}) {
        TestStage stage;
        const Embedding e = compute_embedding(make_graph(n, {}, false).arcs(), stage.random);
        EXPECT_TRUE(e.subsets.empty());
        EXPECT_EQ(static_cast<int>(e.coordinates.size()), n);
        std::string header = "\t|\t";
        for (int v = 0; v < n; ++v) {
            header += "x_" + std::to_string(v) + "\t";
        }
        header += "\n";
        for (int i = 0; i < n + 2; ++i) {
            header += "-------\t";
        }
        EXPECT_EQ(coordinate_table(e), header + "\n");
    }
}
