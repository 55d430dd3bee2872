#include "graph/arc_lists.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/support/graph_fixtures.h"

namespace {

using Pair = std::pair<int, int>;

std::vector<Pair> pairs_of(const ArcLists& arcs) {
    std::vector<Pair> pairs;
    for (const Arc& a : arcs.arcs()) {
        pairs.emplace_back(a.tail, a.head);
    }
    return pairs;
}

}  // namespace

TEST(ArcLists, DirectedEdgesOnceUndirectedBothWaysInMatrixOrder) {
    const std::vector<TestEdge> edges = {{3, 1, 2.5f}, {0, 2, 1.0f}, {1, 0, 4.0f}, {2, 2, 9.0f}};
    const ArcLists directed(make_graph(4, edges, true));
    EXPECT_EQ(pairs_of(directed), (std::vector<Pair>{{0, 2}, {1, 0}, {3, 1}}));
    EXPECT_EQ(directed.arcs()[2].capacity, 2.5);

    // The loop is never stored; every undirected edge gives both arcs.
    const ArcLists undirected(make_graph(4, edges, false));
    EXPECT_EQ(pairs_of(undirected),
              (std::vector<Pair>{{0, 1}, {0, 2}, {1, 0}, {1, 3}, {2, 0}, {3, 1}}));
    EXPECT_EQ(undirected.arcs()[3].capacity, 2.5);
    EXPECT_EQ(undirected.arcs()[4].capacity, 1.0);
}

TEST(ArcLists, EachVertexListsItsArcsOutAndIn) {
    // Given out of order, the arcs are sorted by tail then head.
    const ArcLists arcs(5, {{4, 0, 1.0}, {0, 3, 1.0}, {2, 3, 1.0}, {0, 1, 1.0}, {3, 0, 1.0}});
    EXPECT_EQ(pairs_of(arcs), (std::vector<Pair>{{0, 1}, {0, 3}, {2, 3}, {3, 0}, {4, 0}}));
    ASSERT_EQ(arcs.out_arcs(0).size(), 2u);
    EXPECT_EQ(arcs.out_arcs(0)[1].head, 3);
    EXPECT_EQ(arcs.out_begin(2), 2);
    EXPECT_EQ(arcs.out_end(2), 3);
    EXPECT_TRUE(arcs.out_arcs(1).empty());
    // Incoming arcs by increasing tail.
    const std::vector<int> into3(arcs.in_arcs(3).begin(), arcs.in_arcs(3).end());
    EXPECT_EQ(into3, (std::vector<int>{1, 2}));
    const std::vector<int> into0(arcs.in_arcs(0).begin(), arcs.in_arcs(0).end());
    EXPECT_EQ(into0, (std::vector<int>{3, 4}));
    EXPECT_TRUE(arcs.in_arcs(4).empty());
}
