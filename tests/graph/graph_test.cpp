#include "graph/graph.h"

#include <gtest/gtest.h>

#include <list>
#include <utility>
#include <vector>

namespace {

std::vector<int> neighbours(const Graph& g, int u) {
    std::vector<int> out;
    for (NeighbourIterator it(g, u); !it.finished(); it.next()) {
        out.push_back(it.current());
    }
    return out;
}

Graph make_graph(int n, std::list<DirectedEdgesGroup> groups, bool directed) {
    return Graph(n, groups, directed, std::vector<Vector3>(n), std::vector<float>(n, 2.0f));
}

}  // namespace

TEST(GraphModel, EmptyGraphHasNoRows) {
    const Graph g = make_graph(0, {}, false);
    EXPECT_EQ(g.vertex_count(), 0);
    EXPECT_TRUE(g.sizes().empty());
    EXPECT_TRUE(g.positions().empty());
    EXPECT_EQ(g.result(), nullptr);
}

TEST(GraphModel, UndirectedCellsFoldOntoTheUpperTriangle) {
    Graph g = make_graph(4, {{{3}, {1}, 2.5f}}, false);
    EXPECT_EQ(&g.cell(3, 1), &g.cell(1, 3));
    EXPECT_EQ(&g.cell(3, 1), &g.matrix()[1][3]);
    EXPECT_TRUE(g.cell(1, 3).present);
    EXPECT_FLOAT_EQ(g.cell(3, 1).capacity, 2.5f);
    // Nothing is stored below the diagonal.
    EXPECT_FALSE(g.matrix()[3][1].present);
    EXPECT_EQ(neighbours(g, 1), std::vector<int>{3});
    EXPECT_TRUE(neighbours(g, 3).empty());
}

TEST(GraphModel, DirectedCellsKeepTheirOrientation) {
    Graph g = make_graph(4, {{{3}, {1}, 1.0f}}, true);
    EXPECT_NE(&g.cell(3, 1), &g.cell(1, 3));
    EXPECT_TRUE(g.cell(3, 1).present);
    EXPECT_FALSE(g.cell(1, 3).present);
    EXPECT_EQ(neighbours(g, 3), std::vector<int>{1});
    EXPECT_TRUE(neighbours(g, 1).empty());
}

TEST(GraphModel, EmptyCellsReadZeroCapacity) {
    const Graph g = make_graph(3, {}, true);
    for (int u = 0; u < 3; ++u) {
        for (int v = 0; v < 3; ++v) {
            EXPECT_FALSE(g.cell(u, v).present);
            EXPECT_EQ(g.cell(u, v).capacity, 0.0f);
        }
    }
}

TEST(GraphModel, ConstructionSkipsSelfLoopsAndLaterRecordsOverwrite) {
    // Records are applied front to back: the last write to a cell stays.
    Graph g = make_graph(3,
                         {{{0, 1}, {1, 2}, 3.0f},  // (0,1) (0,2) (1,2); (1,1) skipped
                          {{0}, {1}, 7.0f}},
                         true);
    EXPECT_FALSE(g.cell(1, 1).present);
    EXPECT_FLOAT_EQ(g.cell(0, 1).capacity, 7.0f);
    EXPECT_FLOAT_EQ(g.cell(0, 2).capacity, 3.0f);
    EXPECT_FLOAT_EQ(g.cell(1, 2).capacity, 3.0f);
    EXPECT_EQ(neighbours(g, 0), (std::vector<int>{1, 2}));
}

TEST(GraphModel, IteratorOfAnIsolatedVertexEndsAtOnce) {
    const Graph g = make_graph(3, {{{0}, {1}, 1.0f}}, true);
    NeighbourIterator it(g, 2);
    EXPECT_TRUE(it.finished());
    EXPECT_EQ(it.current(), -1);
    // Stepping a finished iterator leaves it finished.
    it.next();
    EXPECT_TRUE(it.finished());
    EXPECT_EQ(it.current(), -1);
}

TEST(GraphModel, AddVerticesKeepsTheMatrixSquareAndOldCellsIntact) {
    Graph g = make_graph(2, {{{0}, {1}, 4.0f}}, true);
    g.add_vertices(0);
    EXPECT_EQ(g.vertex_count(), 2);
    g.add_vertices(1);
    ASSERT_EQ(g.vertex_count(), 3);
    for (const auto& row : g.matrix()) {
        EXPECT_EQ(row.size(), 3u);
    }
    EXPECT_TRUE(g.cell(0, 1).present);
    EXPECT_FLOAT_EQ(g.cell(0, 1).capacity, 4.0f);
    for (auto [u, v] : std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 0}, {2, 1}, {2, 2}}) {
        EXPECT_FALSE(g.cell(u, v).present) << u << "," << v;
        EXPECT_EQ(g.cell(u, v).capacity, 0.0f);
    }
    g.add_vertices(5);
    EXPECT_EQ(g.vertex_count(), 8);
    for (const auto& row : g.matrix()) {
        EXPECT_EQ(row.size(), 8u);
    }
}
