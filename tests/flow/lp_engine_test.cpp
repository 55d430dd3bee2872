#include "flow/lp_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "flow/flow_model.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"
#include "tests/support/graph_fixtures.h"

namespace {

// λ of the first scale whose answer passes the check, NaN when none does.
double checked_lambda(const LpEngine& engine, const ArcLists& arcs, const DemandSet& demands,
                      bool shared_pairs) {
    for (const double scale : program_scales(arcs, demands)) {
        const FlowProgram program = formulate_flow_program(arcs, demands, scale, shared_pairs);
        const EngineAnswer answer = engine.solve(program, {});
        FlowSolution solution;
        std::vector<double> lengths;
        if (answer.outcome == EngineOutcome::optimal &&
            check_answer(program, arcs, demands, answer, 1e-7, solution, lengths)) {
            return solution.lambda;
        }
    }
    return std::nan("");
}

}  // namespace

TEST(LpEngine, BothEnginesReachTheSameCheckedOptimum) {
    const struct {
        const char* name;
        Graph graph;
    } cases[] = {
        {"bottleneck", make_graph(7, {{0, 6, 50.0f}, {6, 1, 1000.0f}, {2, 3, 1000.0f}, {4, 5, 1000.0f}}, true)},
        {"unroutable sink", make_graph(6, {{1, 0, 100.0f}, {2, 3, 100.0f}, {4, 5, 100.0f}}, true)},
        {"capacities 1e38 and 50", make_graph(6, {{0, 1, 1e38f}, {2, 3, 50.0f}, {4, 5, 90.0f}}, true)},
        {"one arc 1 -> 0", make_graph(2, {{1, 0, 3.0f}}, true)},
        {"random undirected", random_graph(14, 50, false, 21)},
        {"random directed", random_graph(16, 60, true, 22)},
        {"complete directed", complete_graph(12, true, 0.0f, 23)},
    };
    const auto lp_solve = make_lp_solve_engine();
    const std::unique_ptr<LpEngine> clp[] = {make_clp_engine(), make_clp_engine(clp_dual_settings)};
    for (const auto& c : cases) {
        for (const bool shared : {false, true}) {
            const ArcLists arcs = shared ? pair_network(c.graph.arcs()) : c.graph.arcs();
            const DemandSet demands = DemandSet::default_set(arcs.vertex_count());
            const double reference = checked_lambda(*lp_solve, arcs, demands, shared);
            ASSERT_FALSE(std::isnan(reference)) << c.name << " shared " << shared;
            for (const auto& engine : clp) {
                EXPECT_NEAR(checked_lambda(*engine, arcs, demands, shared), reference,
                            1e-7 * std::max(std::fabs(reference), 1.0))
                    << c.name << " shared " << shared;
            }
        }
    }
}

TEST(LpEngine, ClpStopsOnCancelAndOnItsProcessorTimeAndRefusesAMalformedProgram) {
    const ArcLists arcs(complete_graph(120, true, 0.0f, 8));
    const DemandSet demands = DemandSet::default_set(arcs.vertex_count());
    const FlowProgram program =
        formulate_flow_program(arcs, demands, program_scales(arcs, demands).front());
    const auto clp = make_clp_engine();

    std::atomic<bool> cancel{true};
    SolveBudget cancelled{&cancel};
    EXPECT_EQ(clp->solve(program, cancelled).outcome, EngineOutcome::cancelled);

    // The clock starts once the program is loaded, so that the limit runs
    // out inside the solve, where the event handler must stop it.
    SolveBudget limited{nullptr, 0.02};
    const EngineAnswer timed = clp->solve(program, limited, [&] { limited.started = thread_cpu_seconds(); });
    EXPECT_EQ(timed.outcome, EngineOutcome::timeout);
    EXPECT_LT(thread_cpu_seconds() - limited.started, 0.5);

    FlowProgram malformed = program;
    malformed.rows.front().columns.front() = program.columns.count() + 1;
    const EngineAnswer refused = clp->solve(malformed, {});
    EXPECT_EQ(refused.outcome, EngineOutcome::other);
    EXPECT_FALSE(refused.failure.empty());
}
