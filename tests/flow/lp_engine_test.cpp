#include "flow/lp_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "flow/flow_lp.h"
#include "flow/flow_model.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/test_stage.h"

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

TEST(LpEngine, ChoiceByTheSizeOfTheProgram) {
    const DemandSet by_default = DemandSet::default_set(60);
    const DemandSet pairs = DemandSet::all_pairs(6, false);
    const struct {
        SolverChoice choice;
        int arcs;
        const DemandSet& demands;
        SolverEngine engine;
    } rows[] = {
        {SolverChoice::automatic, lp_solve_arc_limit, by_default, SolverEngine::lp_solve},
        {SolverChoice::automatic, lp_solve_arc_limit + 1, by_default, SolverEngine::clp},
        {SolverChoice::automatic, 10, pairs, SolverEngine::clp},
        {SolverChoice::lp_solve, 100000, pairs, SolverEngine::lp_solve},
        {SolverChoice::clp, 10, by_default, SolverEngine::clp},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(chosen_engine(row.choice, row.arcs, row.demands), row.engine) << row.arcs;
    }
    // An undirected edge counts two.
    EXPECT_EQ(complete_graph(20, false, 1.0f).arcs().arc_count(), 20 * 19);
}

TEST(LpEngine, EveryEngineEndAsACommonStatusWithTheEnginesCode) {
    const struct {
        SolverEngine engine;
        EngineOutcome outcome;
        int code;
        SolveEnd end;
    } rows[] = {
        {SolverEngine::clp, EngineOutcome::optimal, 0, {SolveStatus::optimal, 0}},
        {SolverEngine::clp, EngineOutcome::infeasible, 1, {SolveStatus::infeasible, 1}},
        {SolverEngine::clp, EngineOutcome::unbounded, 2, {SolveStatus::unbounded, 2}},
        {SolverEngine::clp, EngineOutcome::timeout, 5, {SolveStatus::timeout, 5}},
        {SolverEngine::clp, EngineOutcome::cancelled, 5, SolveEnd::own(SolveStatus::cancelled)},
        {SolverEngine::clp, EngineOutcome::numerical_failure, 4, {SolveStatus::numerical_failure, 4}},
        {SolverEngine::clp, EngineOutcome::no_memory, -1, {SolveStatus::no_memory, -1}},
        {SolverEngine::clp, EngineOutcome::other, -1, {SolveStatus::unknown, -1}},
        {SolverEngine::lp_solve, EngineOutcome::optimal, 9, {SolveStatus::presolved, 9}},
        {SolverEngine::lp_solve, EngineOutcome::timeout, 6, {SolveStatus::timeout, 7}},
        {SolverEngine::lp_solve, EngineOutcome::cancelled, 6, SolveEnd::own(SolveStatus::cancelled)},
    };
    for (const auto& row : rows) {
        EngineAnswer answer;
        answer.outcome = row.outcome;
        answer.engine_status = row.code;
        const SolveEnd end = engine_end(row.engine, answer);
        EXPECT_EQ(end.status, row.end.status) << engine_outcome_name(row.outcome);
        EXPECT_EQ(end.code, row.end.code) << engine_outcome_name(row.outcome);
    }
}

// An engine whose optima claim twice the λ their flows carry: every answer
// fails its check.
class DoublingEngine : public LpEngine {
  public:
    const char* name() const override { return "doubling"; }
    EngineAnswer solve(const FlowProgram& program, const SolveBudget& budget,
                       const std::function<void()>& loaded) const override {
        ++solves;
        EngineAnswer answer = inner_->solve(program, budget, loaded);
        if (answer.outcome == EngineOutcome::optimal) {
            answer.primal[program.columns.lambda() - 1] *= 2.0;
        }
        return answer;
    }
    mutable int solves = 0;

  private:
    std::unique_ptr<LpEngine> inner_ = make_lp_solve_engine();
};

TEST(LpEngine, AnAnswerFailingItsCheckFallsBackScaleByScaleThenEngineByEngine) {
    const Graph graph = random_graph(14, 50, false, 21);
    const ArcLists& arcs = graph.arcs();
    const DemandSet demands = DemandSet::default_set(arcs.vertex_count());
    TestStage stage;
    const DoublingEngine failing;
    const auto lp_solve = make_lp_solve_engine();

    const EngineStep alone[] = {{&failing, SolverEngine::clp}};
    const ProgramSolve failed = solve_program(alone, arcs, demands, stage.context(), false);
    EXPECT_EQ(failed.end.status, SolveStatus::check_failed);
    EXPECT_EQ(failed.solver, SolverEngine::clp);
    EXPECT_EQ(failing.solves, static_cast<int>(program_scales(arcs, demands).size()));

    const EngineStep steps[] = {{&failing, SolverEngine::clp}, {lp_solve.get(), SolverEngine::lp_solve}};
    const ProgramSolve solved = solve_program(steps, arcs, demands, stage.context(), false);
    EXPECT_TRUE(solved.end.is_optimum());
    EXPECT_EQ(solved.solver, SolverEngine::lp_solve);
    EXPECT_TRUE(solved.fallback);
    EXPECT_NEAR(solved.solution.lambda, checked_lambda(*lp_solve, arcs, demands, false), 1e-12);

    const std::vector<EngineStep> order = engine_steps(SolverEngine::clp, demands);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_STREQ(order[1].engine->name(), "clp");
    EXPECT_EQ(order[2].name, SolverEngine::lp_solve);
}
