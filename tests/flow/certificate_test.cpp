#include "flow/certificate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "embedding/embedding.h"
#include "flow/cut.h"
#include "flow/flow_lp.h"
#include "flow/flow_model.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"
#include "tests/support/flow_certificate.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/test_stage.h"

namespace {

// The smallest ratio over every side S that separates some demand of
// `demands`, found by enumerating the subsets that leave vertex n − 1
// outside (S and its complement have the same ratio); +∞ when none
// separates demand.
double brute_force_optimum(const Graph& graph, const DemandSet& demands) {
    const int n = graph.vertex_count();
    double best = std::numeric_limits<double>::infinity();
    for (unsigned mask = 1; mask < (1u << (n - 1)); ++mask) {
        std::vector<bool> side(n);
        for (int v = 0; v < n; ++v) {
            side[v] = ((mask >> v) & 1u) != 0;
        }
        if (separated_demand(demands, [&](int v) { return side[v]; }) > 0.0) {
            best = std::min(best, recomputed_cut_ratio(graph, demands, side));
        }
    }
    return best;
}

double brute_force_optimum(const Graph& graph) {
    return brute_force_optimum(graph, DemandSet::default_set(graph.vertex_count()));
}

double relative(double a) { return 1e-6 * std::max(1.0, std::fabs(a)); }

}  // namespace

TEST(PairNetwork, EachJoinedPairIsOneEdgeOfBothCapacities) {
    const Graph directed = make_graph(4, {{0, 1, 3.0f}, {1, 0, 5.0f}, {2, 3, 2.0f}}, true);
    const ArcLists pairs = pair_network(ArcLists(directed));
    ASSERT_EQ(pairs.arc_count(), 4);
    const std::vector<std::vector<double>> expected = {{0, 1, 8}, {1, 0, 8}, {2, 3, 2}, {3, 2, 2}};
    for (int a = 0; a < 4; ++a) {
        EXPECT_EQ(pairs.arcs()[a].tail, expected[a][0]);
        EXPECT_EQ(pairs.arcs()[a].head, expected[a][1]);
        EXPECT_EQ(pairs.arcs()[a].capacity, expected[a][2]);
    }
    // An undirected edge of capacity c is one edge of 2c.
    const Graph undirected = make_graph(2, {{0, 1, 3.0f}}, false);
    EXPECT_EQ(pair_network(ArcLists(undirected)).arcs()[0].capacity, 6.0);
}

TEST(PairNetwork, SharedPairsHaveOneCapacityRowForBothDirections) {
    const ArcLists pairs = pair_network(ArcLists(make_graph(2, {{0, 1, 4.0f}}, false)));
    const DemandSet demands = DemandSet::default_set(2);
    const FlowProgram program = formulate_flow_program(pairs, demands, 1.0, true);
    // One capacity row over both arcs, then the demand row of commodity 0.
    ASSERT_EQ(program.rows.size(), 2u);
    EXPECT_EQ(program.rows[0].columns.size(), 2u);
    EXPECT_EQ(program.rows[0].rhs, 8.0);
    // Both directions together may carry 8, not 8 each.
    FlowSolution solution;
    solution.flow = {8.0, 2.0};
    solution.lambda = 6.0 / 250.0;
    EXPECT_FALSE(satisfies_flow_program(pairs, demands, solution, 1.0, 1e-9, true));
    EXPECT_TRUE(satisfies_flow_program(pairs, demands, solution, 1.0, 1e-9, false));
    solution.flow = {7.0, 1.0};
    EXPECT_TRUE(satisfies_flow_program(pairs, demands, solution, 1.0, 1e-9, true));
}

// λ ≤ λ* ≤ the optimum on small random graphs, directed and undirected, and
// the dual lengths that come back prove λ* (the solve's
// own check, without which it does not count as reached), with either engine.
TEST(PairFlowBound, LiesBetweenMaxflowAndTheOptimum) {
    for (int trial = 0; trial < 24; ++trial) {
        SCOPED_TRACE(trial);
        const int n = 6 + trial % 9;
        const Graph graph = random_graph(n, 2 * n, trial % 2 == 1, 1700 + trial);
        TestStage stage;
        const DemandSet demands = DemandSet::default_set(n);
        const FlowResult flow = solve_flow_lp(graph.arcs(), demands, stage.context());
        ASSERT_TRUE(flow.reached_optimum);
        const ArcLists pairs = pair_network(ArcLists(graph));
        const double optimum = brute_force_optimum(graph);
        for (const SolverEngine engine : {SolverEngine::lp_solve, SolverEngine::clp}) {
            const PairFlowBound bound = solve_pair_flow_bound(pairs, demands, stage.context(), engine);
            ASSERT_TRUE(bound.reached_optimum) << bound.solve.name();
            EXPECT_EQ(bound.solver, engine);
            ASSERT_EQ(bound.lengths.size(), static_cast<std::size_t>(pairs.arc_count()));
            EXPECT_NEAR(length_bound(pairs, demands, bound.lengths, true), bound.lambda,
                        relative(bound.lambda));
            EXPECT_LE(flow.maxflow, bound.lambda + relative(bound.lambda));
            EXPECT_LE(bound.lambda, optimum + relative(optimum));
        }
    }
}

// On small random graphs, directed and undirected, with the default
// commodities (the first 30 rows) and with random demand sets of 1 to 40
// commodities (the next 30): the best cut never does worse than the sweep's,
// reaches the optimum on at least 90 % of them, and is proved optimal
// exactly when it meets the bound.
TEST(CertifyCut, BestCutReachesTheOptimumOnSmallRandomGraphs) {
    const int trials = 60;
    int optimal = 0;
    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE(trial);
        const int n = 6 + trial % 9;
        const Graph graph = random_graph(n, 2 * n + trial % 3, trial % 2 == 0, 2900 + trial % 30);
        const DemandSet demands = trial < 30
                                      ? DemandSet::default_set(n)
                                      : random_demands(n, 1 + (trial * 7) % 40, 4400 + trial);
        TestStage stage;
        const ArcLists& arcs = graph.arcs();
        const CutResult sweep = extract_cut(arcs, demands, compute_embedding(arcs, stage.random));
        const CutCertificate certificate = certify_cut(arcs, demands, sweep, stage.context());
        ASSERT_TRUE(certificate.bound_reached);
        const BestCut& best = certificate.best_cut;
        if (sweep.found) {
            // Only a strictly smaller ratio replaces the sweep's cut.
            EXPECT_LE(best.ratio, sweep.ratio);
            EXPECT_EQ(best.method == BestCut::Method::sweep, best.ratio == sweep.ratio);
        }
        std::vector<bool> side(n, false);
        for (int v : best.members) {
            side[v] = true;
        }
        EXPECT_NEAR(recomputed_cut_ratio(graph, demands, side), best.ratio, relative(best.ratio));
        const double optimum = brute_force_optimum(graph, demands);
        EXPECT_GE(best.ratio, optimum - relative(optimum));
        EXPECT_LE(certificate.lower_bound, optimum + relative(optimum));
        if (best.ratio <= optimum + relative(optimum)) {
            ++optimal;
        }
        EXPECT_EQ(certificate.proved_optimal,
                  best.ratio <= certificate.lower_bound * (1.0 + certificate_tolerance));
        if (certificate.lower_bound > 0.0) {
            EXPECT_NEAR(certificate.gap, best.ratio / certificate.lower_bound, 1e-12 * best.ratio);
        } else {
            // Terminals apart: a cut of capacity 0 meets the bound 0.
            EXPECT_EQ(best.ratio, 0.0);
            EXPECT_EQ(certificate.gap, 1.0);
        }
    }
    EXPECT_GE(optimal * 10, trials * 9) << optimal << " of " << trials;
    std::printf("best cut optimal on %d of %d graphs\n", optimal, trials);
}

// Two dense halves joined by three thin edges, each half holding one end of
// every commodity: the best cut is one half, proved optimal.
TEST(CertifyCut, DumbbellIsCutAtItsThinEdges) {
    std::vector<TestEdge> edges;
    const std::vector<int> left = {0, 2, 4, 6, 7, 8};
    const std::vector<int> right = {1, 3, 5, 9, 10, 11};
    for (const auto* half : {&left, &right}) {
        for (std::size_t i = 0; i < half->size(); ++i) {
            for (std::size_t j = i + 1; j < half->size(); ++j) {
                edges.push_back({(*half)[i], (*half)[j], 50.0f});
            }
        }
    }
    edges.push_back({6, 9, 1.0f});
    edges.push_back({7, 10, 1.0f});
    edges.push_back({8, 11, 1.0f});
    const Graph graph = make_graph(12, edges, false);
    TestStage stage;
    const ArcLists& arcs = graph.arcs();
    const DemandSet demands = DemandSet::default_set(12);
    const CutResult sweep = extract_cut(arcs, demands, compute_embedding(arcs, stage.random));
    const CutCertificate certificate = certify_cut(arcs, demands, sweep, stage.context());
    EXPECT_EQ(stage.text(), "");
    ASSERT_TRUE(certificate.bound_reached);
    const std::vector<int> members = certificate.best_cut.members;
    EXPECT_TRUE(members == left || members == right) << ::testing::PrintToString(members);
    EXPECT_DOUBLE_EQ(certificate.best_cut.ratio, 6.0 / 675.0);
    EXPECT_TRUE(certificate.proved_optimal);
}
