#include "flow/cut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <set>
#include <vector>

#include "embedding/embedding.h"
#include "flow/exact_sum.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"
#include "tests/support/flow_certificate.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/oracles.h"
#include "tests/support/test_stage.h"

namespace {

// The sweep, its order and the cut with the default commodities.
CutSweep default_sweep(const ArcLists& arcs, const std::vector<int>& order) {
    return sweep_cut(arcs, DemandSet::default_set(arcs.vertex_count()), order);
}
std::vector<int> default_order(const ArcLists& arcs, const Embedding& embedding) {
    return sweep_order(arcs, DemandSet::default_set(arcs.vertex_count()), embedding);
}
CutResult default_cut(const ArcLists& arcs, const Embedding& embedding) {
    return extract_cut(arcs, DemandSet::default_set(arcs.vertex_count()), embedding);
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
    const CutSweep directed = default_sweep(ArcLists(three_arcs(true)), order);
    EXPECT_EQ(directed.prefix_length, 3);
    EXPECT_EQ(directed.ratio, 3.0 / 675.0);
    // Undirected, each crossing edge is counted in both directions.
    const CutSweep undirected = default_sweep(ArcLists(three_arcs(false)), order);
    EXPECT_EQ(undirected.prefix_length, 3);
    EXPECT_EQ(undirected.ratio, 6.0 / 675.0);
}

TEST(SweepCut, CommodityInsideTheSetIsNotSeparated) {
    // {0, 1} holds both ends of commodity 0 and no other terminal: it
    // separates nothing, however cheap its cut (3), so {0} wins at 1000 / 250.
    const Graph g =
        make_graph(6, {{0, 1, 1000.0f}, {1, 2, 3.0f}, {2, 3, 1000.0f}, {4, 5, 10000.0f}}, true);
    const CutSweep sweep = default_sweep(ArcLists(g), {0, 1, 2, 3, 4, 5});
    EXPECT_EQ(sweep.prefix_length, 1);
    EXPECT_EQ(sweep.ratio, 4.0);
}

TEST(SweepCut, NoSeparatingPrefixLeavesNoCut) {
    // A single vertex has only the empty prefix.
    EXPECT_EQ(default_sweep(ArcLists(make_graph(1, {}, true)), {0}).prefix_length, -1);
}

TEST(SweepCut, LargeCapacitiesStillGiveACut) {
    // Regression: the sweep used to start from a ratio ceiling of 1e7, so a
    // cut of ratio 1e10 / 250 was reported as no cut at all.
    const Graph g = make_graph(2, {{1, 0, 1e10f}}, true);
    const CutSweep sweep = default_sweep(ArcLists(g), {1, 0});
    EXPECT_EQ(sweep.prefix_length, 1);
    EXPECT_DOUBLE_EQ(sweep.ratio, 1e10 / 250.0);
}

TEST(SweepCut, AgreesExactlyWithTheFromScratchSweep) {
    // 200 random orders of random graphs, with integer capacities and with
    // decimal ones of six significant digits as Varnock writes them: the
    // from-scratch sums are exact on both, so prefix and ratio must agree to
    // the bit. Every other graph has a random demand set of 1 to 60
    // commodities, whose separated demand both sum in set order.
    std::mt19937 rng(2024);
    for (int trial = 0; trial < 200; ++trial) {
        const int n = 2 + trial % 37;
        const bool directed = trial % 2 == 0;
        Graph g = random_graph(n, (2 + trial % 3) * n, directed, 500 + trial);
        if (trial % 4 >= 2) {
            std::uniform_real_distribution<double> decimal(0.0, trial % 8 >= 4 ? 5.0 : 1000.0);
            std::vector<TestEdge> edges;
            const ArcLists integer_arcs(g);
            for (const Arc& arc : integer_arcs.arcs()) {
                if (directed || arc.tail < arc.head) {
                    edges.push_back({arc.tail, arc.head, std::stof(std::to_string(decimal(rng)))});
                }
            }
            g = make_graph(n, edges, directed);
        }
        std::vector<int> order(n);
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), rng);
        const DemandSet demands = trial % 2 == 1 ? random_demands(n, 1 + trial % 60, 900 + trial)
                                                 : DemandSet::default_set(n);
        const CutSweep fast = sweep_cut(ArcLists(g), demands, order);
        const OracleSweep reference = from_scratch_sweep(g, demands, order);
        EXPECT_EQ(fast.prefix_length, reference.prefix_length) << "trial " << trial;
        EXPECT_EQ(fast.ratio, reference.ratio) << "trial " << trial;
    }
}

TEST(SweepCut, AgreesWithTheFromScratchSweepOnTheEmbeddingsOrder) {
    // The graphs of the load benchmark that the from-scratch sweep can afford,
    // swept in the order the cut extraction takes.
    struct Case {
        Graph graph;
        const char* name;
    };
    std::vector<Case> cases;
    for (int n : {100, 300}) {
        cases.push_back({random_graph(n, 4 * n, true, 12345 + n), "random directed"});
        cases.push_back({random_graph(n, 4 * n, false, 12345 + n), "random undirected"});
    }
    for (int n : {40, 80, 120}) {
        cases.push_back({complete_graph(n, true, 10.0f), "complete equal"});
        cases.push_back({complete_graph(n, true, 0.0f, 12345 + n), "complete 1 … 100"});
    }
    for (const Case& c : cases) {
        TestStage stage;
        const ArcLists arcs(c.graph);
        const std::vector<int> order = default_order(arcs, compute_embedding(arcs, stage.random));
        ASSERT_EQ(static_cast<int>(order.size()), c.graph.vertex_count()) << c.name;
        const CutSweep fast = default_sweep(arcs, order);
        const OracleSweep reference = from_scratch_sweep(c.graph, order);
        EXPECT_EQ(fast.prefix_length, reference.prefix_length) << c.name;
        EXPECT_EQ(fast.ratio, reference.ratio) << c.name;
    }
}

TEST(SweepCut, HugeAndTinyCapacitiesDoNotCancelEachOther) {
    // {0} cuts 3e38 + 1; {0, 2} no longer cuts the arc of 3e38 but cuts
    // 1 + 0.5 and is the best prefix. Summed in doubles as the vertices move
    // in, the 1 would be lost in 3e38 and the cut of {0, 2} read 0.5.
    const Graph g = make_graph(
        6, {{0, 2, 3e38f}, {0, 1, 1.0f}, {2, 3, 0.5f}, {1, 4, 1000.0f}, {4, 5, 1000.0f}}, true);
    const std::vector<int> order = {0, 2, 1, 3, 4, 5};
    const CutSweep fast = default_sweep(ArcLists(g), order);
    const OracleSweep reference = from_scratch_sweep(g, order);
    EXPECT_EQ(fast.prefix_length, 2);
    EXPECT_EQ(fast.ratio, 1.5 / 450.0);
    EXPECT_EQ(reference.prefix_length, 2);
    EXPECT_EQ(reference.ratio, fast.ratio);
}

TEST(ExactSum, ValueDependsOnlyOnTheTerms) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> exponent(-149.0f, 127.0f);
    std::vector<float> terms;
    for (int i = 0; i < 500; ++i) {
        terms.push_back((i % 3 == 0 ? -1.0f : 1.0f) * std::ldexp(1.0f + (i % 7) / 8.0f,
                                                                 static_cast<int>(exponent(rng))));
    }
    ExactSum forward;
    for (float t : terms) {
        forward.add(t);
    }
    std::shuffle(terms.begin(), terms.end(), rng);
    ExactSum shuffled;
    for (float t : terms) {
        shuffled.add(t);
    }
    EXPECT_EQ(forward.value(), shuffled.value());

    // Taking every term away again leaves exactly nothing.
    for (float t : terms) {
        forward.subtract(t);
    }
    EXPECT_EQ(forward.value(), 0.0);
}

TEST(ExactSum, KeepsWhatDoublesWouldLose) {
    ExactSum sum;
    sum.add(3e38f);
    sum.add(1e-45f);  // the smallest denormal float
    sum.add(-3e38f);
    EXPECT_EQ(sum.value(), static_cast<double>(1e-45f));
    sum.subtract(std::ldexp(1.0f, -148));  // two of the smallest
    EXPECT_EQ(sum.value(), -static_cast<double>(1e-45f));
    sum.add(0.1f);
    sum.add(0.2f);
    EXPECT_EQ(sum.value(), static_cast<double>(0.1f) + static_cast<double>(0.2f) -
                               static_cast<double>(1e-45f));
}

TEST(ExtractCut, RatioMatchesTheMembersOnRandomGraphs) {
    TestStage stage(31);
    for (int trial = 0; trial < 24; ++trial) {
        const int n = 3 + trial % 15;  // includes graphs with absent commodities
        const Graph g = random_graph(n, 4 * n, trial % 2 == 0, 900 + trial);
        const ArcLists& arcs = g.arcs();
        const CutResult cut = default_cut(arcs, compute_embedding(arcs, stage.random));
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
        const CutMeasure measure = measure_cut(g, side);
        EXPECT_EQ(cut.crossing_capacity, measure.crossing_capacity) << "trial " << trial;
        EXPECT_EQ(cut.separated_demand, measure.separated_demand) << "trial " << trial;
    }
}

TEST(ExtractCut, NoCoordinateMeansNoCut) {
    // Two vertices give no random subset at all, hence no coordinate.
    TestStage stage;
    const Graph g = make_graph(2, {{0, 1, 5.0f}}, false);
    const ArcLists& arcs = g.arcs();
    const CutResult cut = default_cut(arcs, compute_embedding(arcs, stage.random));
    EXPECT_FALSE(cut.found);
    EXPECT_TRUE(cut.vertices.empty());
}
