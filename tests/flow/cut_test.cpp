#include "flow/cut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <numeric>
#include <random>
#include <set>
#include <vector>

#include "graph/commodities.h"
#include "tests/support/flow_certificate.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/test_stage.h"

namespace {

// The sweep as first written: every prefix measured from scratch with
// membership found by searching the prefix. The fast sweep must agree with it
// bit for bit.
CutSweep reference_sweep(const Graph& g, const std::vector<int>& order) {
    const int n = g.vertex_count();
    CutSweep sweep;
    double best = std::numeric_limits<double>::infinity();
    for (int p = 0; p < n; ++p) {
        auto inside = [&](int v) {
            return std::find(order.begin(), order.begin() + p, v) != order.begin() + p;
        };
        double cut = 0.0;
        for (int a = 0; a < n; ++a) {
            for (int b = 0; b < n; ++b) {
                if (a != b && inside(a) != inside(b)) {
                    cut += g.cell(a, b).capacity;
                }
            }
        }
        double separated = 0.0;
        for (int w = 0; w < commodity_count; ++w) {
            if (commodity_present(w, n) &&
                inside(commodity_source(w)) != inside(commodity_sink(w))) {
                separated += commodity_demand[w];
            }
        }
        if (separated != 0.0 && cut / separated < best) {
            best = cut / separated;
            sweep.prefix_length = p;
        }
    }
    sweep.ratio = best;
    return sweep;
}

// Arcs 0 → 1, 2 → 3, 4 → 5 of capacity 1, plus heavy 0 → 2 and 2 → 4 that
// make the prefixes {0} and {0, 2} expensive.
Graph three_arcs(bool directed) {
    return make_graph(6, {{0, 1, 1.0f}, {2, 3, 1.0f}, {4, 5, 1.0f}, {0, 2, 100.0f}, {2, 4, 100.0f}},
                      directed);
}

}  // namespace

TEST(SweepCut, MeasuresEachCrossingPairAndTheSeparatedDemand) {
    const std::vector<int> order = {0, 2, 4, 1, 3, 5};
    // S = {0, 2, 4} cuts three arcs and separates 250 + 200 + 225. The prefix
    // {0, 2, 4, 1, 3} ties at 1 / 225 and loses to the shorter one.
    const CutSweep directed = sweep_cut(three_arcs(true), order);
    EXPECT_EQ(directed.prefix_length, 3);
    EXPECT_EQ(directed.ratio, 3.0 / 675.0);
    // Undirected, each crossing edge is counted in both directions.
    const CutSweep undirected = sweep_cut(three_arcs(false), order);
    EXPECT_EQ(undirected.prefix_length, 3);
    EXPECT_EQ(undirected.ratio, 6.0 / 675.0);
}

TEST(SweepCut, CommodityInsideTheSetIsNotSeparated) {
    // {0, 1} holds both ends of commodity 0 and no other terminal: it
    // separates nothing, however cheap its cut (3), so {0} wins at 1000 / 250.
    const Graph g =
        make_graph(6, {{0, 1, 1000.0f}, {1, 2, 3.0f}, {2, 3, 1000.0f}, {4, 5, 10000.0f}}, true);
    const CutSweep sweep = sweep_cut(g, {0, 1, 2, 3, 4, 5});
    EXPECT_EQ(sweep.prefix_length, 1);
    EXPECT_EQ(sweep.ratio, 4.0);
}

TEST(SweepCut, NoSeparatingPrefixLeavesNoCut) {
    // A single vertex has only the empty prefix.
    EXPECT_EQ(sweep_cut(make_graph(1, {}, true), {0}).prefix_length, -1);
}

TEST(SweepCut, LargeCapacitiesStillGiveACut) {
    // Regression: the sweep used to start from a ratio ceiling of 1e7, so a
    // cut of ratio 1e10 / 250 was reported as no cut at all.
    const Graph g = make_graph(2, {{1, 0, 1e10f}}, true);
    const CutSweep sweep = sweep_cut(g, {1, 0});
    EXPECT_EQ(sweep.prefix_length, 1);
    EXPECT_DOUBLE_EQ(sweep.ratio, 1e10 / 250.0);
}

TEST(SweepCut, AgreesExactlyWithTheFromScratchSweep) {
    std::mt19937 rng(2024);
    for (int trial = 0; trial < 40; ++trial) {
        const int n = 2 + trial % 19;
        const bool directed = trial % 2 == 0;
        const Graph g = random_graph(n, 3 * n, directed, 500 + trial);
        std::vector<int> order(n);
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), rng);
        const CutSweep fast = sweep_cut(g, order);
        const CutSweep reference = reference_sweep(g, order);
        EXPECT_EQ(fast.prefix_length, reference.prefix_length) << "trial " << trial;
        EXPECT_EQ(fast.ratio, reference.ratio) << "trial " << trial;
    }
}

TEST(ExtractCut, RatioMatchesTheMembersOnRandomGraphs) {
    TestStage stage(31);
    for (int trial = 0; trial < 24; ++trial) {
        const int n = 3 + trial % 15;  // includes graphs with absent commodities
        const Graph g = random_graph(n, 4 * n, trial % 2 == 0, 900 + trial);
        const CutResult cut = extract_cut(g, stage.context());
        if (!cut.found) {
            EXPECT_TRUE(cut.vertices.empty());
            continue;
        }
        ASSERT_FALSE(cut.vertices.empty()) << "trial " << trial;
        std::vector<bool> side(n, false);
        for (int v : cut.vertices) {
            ASSERT_GE(v, 0);
            ASSERT_LT(v, n);
            side[v] = true;
        }
        EXPECT_LT(static_cast<int>(cut.vertices.size()), n);
        EXPECT_DOUBLE_EQ(cut.ratio, recomputed_cut_ratio(g, side)) << "trial " << trial;
    }
}

TEST(ExtractCut, NoCoordinateMeansNoCut) {
    // Two vertices give no random subset at all, hence no coordinate.
    TestStage stage;
    const CutResult cut = extract_cut(make_graph(2, {{0, 1, 5.0f}}, false), stage.context());
    EXPECT_FALSE(cut.found);
    EXPECT_TRUE(cut.vertices.empty());
}
