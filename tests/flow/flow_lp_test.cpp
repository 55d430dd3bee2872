#include "flow/flow_lp.h"

#include <gtest/gtest.h>

#include <lpsolve/lp_lib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "embedding/embedding.h"
#include "flow/cut.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"
#include "tests/support/flow_certificate.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/test_stage.h"

namespace {

struct Solved {
    TestStage stage;
    FlowResult result;
};

FlowResult solve_default(const ArcLists& arcs, const StageContext& context) {
    return solve_flow_lp(arcs, DemandSet::default_set(arcs.vertex_count()), context);
}

// Solves, sweeps, and checks the certificate every result must carry: a
// feasible routing of maxflow (to 1e-9 of the largest capacity), an optimal
// status, and maxflow ≤ mincut when a cut exists.
void solve_and_certify(const Graph& g, Solved& s) {
    const ArcLists& arcs = g.arcs();
    const DemandSet demands = DemandSet::default_set(arcs.vertex_count());
    s.result = solve_flow_lp(arcs, demands, s.stage.context());
    s.result.cut = extract_cut(arcs, demands, compute_embedding(arcs, s.stage.random));
    EXPECT_TRUE(s.result.solve.is_optimum()) << s.result.solve.name();
    EXPECT_TRUE(s.result.reached_optimum);
    double largest = 1.0;
    for (const auto& row : g.matrix()) {
        for (const EdgeCell& c : row) {
            largest = std::max(largest, static_cast<double>(c.capacity));
        }
    }
    EXPECT_TRUE(is_feasible_flow(g, s.result, 1e-9 * largest));
    if (s.result.cut.found) {
        EXPECT_LE(s.result.maxflow, s.result.cut.ratio * (1.0 + 1e-9));
    }
}

// A result without an optimum: maxflow 0 and no flows.
void expect_no_flow(const FlowResult& result) {
    EXPECT_FALSE(result.reached_optimum);
    EXPECT_EQ(result.maxflow, 0.0);
    EXPECT_TRUE(result.flow.empty());
}

// The directed graph where commodity 0 must cross the arc 0 → 6 of capacity
// 50 and the other commodities have plenty of room: λ = 50 / 250.
Graph bottleneck_graph() {
    return make_graph(7, {{0, 6, 50.0f}, {6, 1, 1000.0f}, {2, 3, 1000.0f}, {4, 5, 1000.0f}}, true);
}

}  // namespace

TEST(SolveFlowLp, KnownOptimaAreReachedWithFeasibleFlows) {
    {
        Solved s;
        solve_and_certify(bottleneck_graph(), s);
        EXPECT_NEAR(s.result.maxflow, 0.2, 1e-9);
        EXPECT_NEAR(s.result.arc_flow(0, bottleneck_graph().arcs().find(0, 6)), 50.0, 1e-6);
    }
    {
        // Single commodity (vertices 2 … 5 do not all exist): max flow 0 → 1
        // is 10 ∧ 7 via vertex 2 plus 5 direct, 12 in all.
        const std::vector<TestEdge> edges = {{0, 2, 10.0f}, {2, 1, 7.0f}, {0, 1, 5.0f}};
        for (bool directed : {true, false}) {
            Solved s;
            solve_and_certify(make_graph(3, edges, directed), s);
            EXPECT_NEAR(s.result.maxflow, 12.0 / 250.0, 1e-9) << directed;
        }
    }
    {
        Solved s;
        solve_and_certify(make_graph(2, {{0, 1, 30.0f}}, true), s);
        EXPECT_NEAR(s.result.maxflow, 30.0 / 250.0, 1e-9);
    }
}

TEST(SolveFlowLp, UnroutableCommodityGivesZero) {
    {
        // The only arc at vertex 1 leaves it: sink 1 cannot be reached.
        Solved s;
        solve_and_certify(make_graph(6, {{1, 0, 100.0f}, {2, 3, 100.0f}, {4, 5, 100.0f}}, true), s);
        EXPECT_NEAR(s.result.maxflow, 0.0, 1e-12);
    }
    {
        // No edges: every flow column is fixed at 0.
        Solved s;
        solve_and_certify(make_graph(8, {}, false), s);
        EXPECT_NEAR(s.result.maxflow, 0.0, 1e-12);
    }
}

TEST(SolveFlowLp, UndirectedEdgeBoundsBothDirections) {
    // Commodities 0 and 1 both reach vertex 1 through the edge {1, 5} from
    // its larger end, sharing its capacity 10 in the direction 5 → 1. With
    // only 1 → 5 bounded, λ would be 4.
    const Graph g = make_graph(
        6, {{0, 5, 1000.0f}, {2, 5, 1000.0f}, {1, 5, 10.0f}, {1, 3, 1000.0f}, {4, 5, 1000.0f}},
        false);
    Solved s;
    solve_and_certify(g, s);
    EXPECT_NEAR(s.result.maxflow, 10.0 / 450.0, 1e-9);
}

TEST(SolveFlowLp, HugeCapacitiesStayFiniteBounds) {
    // Regression: lp_solve read any bound of 1e30 or more as infinite, so a
    // graph whose capacities all reach 1e38 was solved as unbounded.
    const Graph g = make_graph(6, {{0, 1, 1e38f}, {2, 3, 1e38f}, {4, 5, 1e38f}}, true);
    Solved s;
    solve_and_certify(g, s);
    EXPECT_NEAR(s.result.maxflow, static_cast<double>(1e38f) / 250.0, 1e30);
    EXPECT_TRUE(s.result.cut.found);
}

TEST(SolveFlowLp, MaxflowNeverExceedsMincutOnRandomGraphs) {
    for (int trial = 0; trial < 16; ++trial) {
        const int n = 6 + trial;
        Solved s;
        solve_and_certify(random_graph(n, 4 * n, trial % 2 == 1, 300 + trial), s);
        EXPECT_GT(s.result.maxflow, -1e-12);
    }
}

TEST(SolveFlowLp, AbsentCommoditiesCarryNoFlowAndNoDemand) {
    // Four vertices: commodities 0 and 1 only. Five: vertex 4 exists but not
    // sink 5, so commodity 2 is still absent and does not pin λ to 0.
    {
        Solved s;
        solve_and_certify(make_graph(4, {{0, 1, 50.0f}, {2, 3, 100.0f}}, true), s);
        EXPECT_NEAR(s.result.maxflow, 0.2, 1e-9);
    }
    {
        Solved s;
        solve_and_certify(
            make_graph(5, {{0, 4, 80.0f}, {4, 1, 80.0f}, {2, 3, 100.0f}, {0, 1, 5.0f}}, false), s);
        EXPECT_NEAR(s.result.maxflow, 85.0 / 250.0, 1e-9);
        EXPECT_EQ(s.result.flow.size(), 2u);
    }
}

TEST(SolveFlowLp, FewerThanTwoVerticesSolvesNothing) {
    for (int n : {0, 1}) {
        TestStage stage;
        const FlowResult result = solve_default(make_graph(n, {}, true).arcs(), stage.context());
        EXPECT_EQ(result.solve.status, SolveStatus::not_solved);
        // Nothing to route counts as routed: no program, no shortfall.
        EXPECT_TRUE(result.reached_optimum);
        EXPECT_EQ(result.maxflow, 0.0);
        EXPECT_TRUE(result.flow.empty());
    }
}

TEST(SolveFlowLp, NonOptimalStatusIsReportedAndGivesZeroFlows) {
    // A negative capacity cannot be met by non-negative flows.
    const Graph g = make_graph(6, {{0, 1, -5.0f}, {2, 3, 10.0f}, {4, 5, 10.0f}}, true);
    TestStage stage;
    const FlowResult result = solve_default(g.arcs(), stage.context());
    EXPECT_EQ(result.solve.status, SolveStatus::infeasible);
    expect_no_flow(result);
}

TEST(SolveFlowLp, EqualCapacitiesOnACompleteGraphDoNotStallTheSolver) {
    // Every capacity 10: with lp_solve's default scaling the simplex stalled
    // here for some 53000 degenerate pivots (85 s). The 99 arcs out of vertex
    // 0 bound commodity 0, and the other commodities have room to spare:
    // λ = 990 / 250.
    const Graph g = complete_graph(100, true, 10.0f);
    Solved s;
    solve_and_certify(g, s);
    EXPECT_NEAR(s.result.maxflow, 3.96, 1e-9);
}

TEST(SolveFlowLp, ASolveStoppedOnPurposeGivesNoResult) {
    // The complete directed graph on 120 vertices takes lp_solve far more
    // than the tenth of a second of processor time allowed here, and CLP
    // far more than a hundredth.
    const int n = 120;
    const Graph g = complete_graph(n, true, 0.0f, 8);
    struct Stop {
        const char* what;
        SolverChoice solver;
        double cpu_limit_seconds;
        int cancel_after_ms;  // −1: never; 0: before the solve
        SolveEnd end;
    };
    const Stop stops[] = {
        {"processor-time limit", SolverChoice::lp_solve, 0.1, -1, {SolveStatus::timeout, TIMEOUT}},
        {"cancelled before the solve", SolverChoice::lp_solve, 0.0, 0,
         SolveEnd::own(SolveStatus::cancelled)},
        {"cancelled during the solve", SolverChoice::lp_solve, 0.0, 100,
         SolveEnd::own(SolveStatus::cancelled)},
        // CLP's status 5: stopped by its event handler.
        {"processor-time limit, CLP", SolverChoice::clp, 0.01, -1, {SolveStatus::timeout, 5}},
    };
    for (const Stop& stop : stops) {
        TestStage stage;
        StageContext context = stage.context();
        context.solver = stop.solver;
        std::atomic<bool> cancel{stop.cancel_after_ms == 0};
        context.cancel = &cancel;
        context.cpu_limit_seconds = stop.cpu_limit_seconds;
        std::thread canceller;
        if (stop.cancel_after_ms > 0) {
            canceller = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(stop.cancel_after_ms));
                cancel = true;
            });
        }
        const FlowResult result = solve_default(g.arcs(), context);
        if (canceller.joinable()) {
            canceller.join();
        }
        EXPECT_EQ(result.solve.status, stop.end.status) << stop.what;
        EXPECT_EQ(result.solve.code, stop.end.code) << stop.what;
        expect_no_flow(result);
    }
}

TEST(SolveFlowLp, StatusTexts) {
    EXPECT_EQ(lp_solve_end(OPTIMAL).name(), "OPTIMAL");
    EXPECT_EQ(lp_solve_end(ACCURACYERROR).name(), "ACCURACYERROR");
    EXPECT_EQ(lp_solve_end(NOMEMORY).name(), "NOMEMORY");
    EXPECT_EQ(SolveEnd{}.name(), "NOT_SOLVED");
    EXPECT_EQ(SolveEnd{}.code, -100);
    EXPECT_EQ(SolveEnd::own(SolveStatus::check_failed).code, -101);
    EXPECT_EQ(SolveEnd::own(SolveStatus::cancelled).name(), "CANCELLED");
    EXPECT_EQ(lp_solve_end(12345).name(), "UNKNOWN");
    EXPECT_EQ(lp_solve_end(12345).code, 12345);
}

TEST(SolveFlowLp, CapacitiesFarApartAreSolvedAtAnotherScale) {
    // The geometric mean of 1e38, 50 and 90 is about 7e13, so that the
    // capacities 50 and 90, and λ, fall below lp_solve's tolerances at that
    // scale and it reports λ = 0 as optimal. The length check refuses that
    // answer, and the terminals' scale finds the right one.
    const Graph g = make_graph(6, {{0, 1, 1e38f}, {2, 3, 50.0f}, {4, 5, 90.0f}}, true);
    Solved s;
    solve_and_certify(g, s);
    EXPECT_NEAR(s.result.maxflow, 0.25, 1e-12);
}
