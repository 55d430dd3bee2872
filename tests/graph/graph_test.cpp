#include "graph/graph.h"
#include "graph/demand_set.h"

#include <gtest/gtest.h>

#include <list>
#include <set>
#include <vector>

#include "tests/support/graph_fixtures.h"

namespace {

std::vector<int> neighbours(const Graph& g, int u) {
    std::vector<int> out;
    for (NeighbourIterator it(g, u); !it.finished(); it.next()) {
        out.push_back(it.current());
    }
    return out;
}

}  // namespace

TEST(GraphModel, EmptyGraphHasNoRows) {
    const Graph g = make_graph(0, {}, false);
    EXPECT_EQ(g.vertex_count(), 0);
    EXPECT_TRUE(g.matrix().empty());
    EXPECT_TRUE(g.sizes().empty());
    EXPECT_TRUE(g.positions().empty());
}

TEST(GraphModel, UndirectedCellsFoldOntoTheUpperTriangle) {
    const Graph g = make_graph(4, {{3, 1, 2.5f}}, false);
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
    const Graph g = make_graph(4, {{3, 1, 1.0f}}, true);
    EXPECT_NE(&g.cell(3, 1), &g.cell(1, 3));
    EXPECT_TRUE(g.cell(3, 1).present);
    EXPECT_FALSE(g.cell(1, 3).present);
    EXPECT_EQ(neighbours(g, 3), std::vector<int>{1});
    EXPECT_TRUE(neighbours(g, 1).empty());
}

// Small matrices and large ones (whose block comes from the system).
TEST(GraphModel, MatrixIsSquareAndEmptyCellsReadZeroCapacity) {
    for (const int n : {3, 800}) {
        const Graph g = make_graph(n, {{n - 1, 0, 4.0f}}, true);
        ASSERT_EQ(g.matrix().size(), static_cast<std::size_t>(n));
        for (int u = 0; u < n; ++u) {
            ASSERT_EQ(g.matrix()[u].size(), static_cast<std::size_t>(n));
            for (int v = 0; v < n; ++v) {
                ASSERT_EQ(g.cell(u, v).present, u == n - 1 && v == 0) << n << ": " << u << v;
                ASSERT_EQ(g.cell(u, v).capacity, u == n - 1 && v == 0 ? 4.0f : 0.0f);
            }
        }
    }
}

TEST(GraphModel, ConstructionSkipsSelfLoopsAndLaterRecordsOverwrite) {
    // Records are applied front to back: the last write to a cell stays.
    const std::list<DirectedEdgesGroup> groups = {
        {{0, 1}, {1, 2}, 3.0f},  // (0,1) (0,2) (1,2); (1,1) skipped
        {{0}, {1}, 7.0f}};
    const Graph g(3, groups, true, std::vector<Vector3>(3), std::vector<float>(3, 2.0f));
    EXPECT_FALSE(g.cell(1, 1).present);
    EXPECT_FLOAT_EQ(g.cell(0, 1).capacity, 7.0f);
    EXPECT_FLOAT_EQ(g.cell(0, 2).capacity, 3.0f);
    EXPECT_FLOAT_EQ(g.cell(1, 2).capacity, 3.0f);
    EXPECT_EQ(neighbours(g, 0), (std::vector<int>{1, 2}));
}

TEST(GraphModel, IteratorOfAnIsolatedVertexEndsAtOnce) {
    const Graph g = make_graph(3, {{0, 1, 1.0f}}, true);
    NeighbourIterator it(g, 2);
    EXPECT_TRUE(it.finished());
    EXPECT_EQ(it.current(), -1);
    // Stepping a finished iterator leaves it finished.
    it.next();
    EXPECT_TRUE(it.finished());
    EXPECT_EQ(it.current(), -1);
}

TEST(SeparatedDemand, CountsThePresentCommoditiesWithOneTerminalInside) {
    const struct {
        int n;
        std::set<int> side;
        double separated;
    } cases[] = {
        {6, {0, 2, 4}, 675.0},
        {6, {1, 3, 5}, 675.0},
        {6, {0, 1, 2}, 200.0},  // commodity 0 lies inside S
        {6, {}, 0.0},
        {5, {4}, 0.0},  // commodity 2 has no sink in 5 vertices
        {4, {0, 3}, 450.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(separated_demand(DemandSet::default_set(c.n),
                                   [&](int v) { return c.side.count(v) == 1; }),
                  c.separated);
    }
}
