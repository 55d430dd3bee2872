#include "flow/flow_lp.h"

#include <lpsolve/lp_lib.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "common/lookup_table.h"
#include "flow/bridge_split.h"
#include "flow/flow_model.h"
#include "flow/lp_engine.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"

SolveEnd lp_solve_end(int code) {
    static constexpr LookupRow<int, SolveStatus> statuses[] = {
        {OPTIMAL, SolveStatus::optimal},          {SUBOPTIMAL, SolveStatus::suboptimal},
        {INFEASIBLE, SolveStatus::infeasible},    {UNBOUNDED, SolveStatus::unbounded},
        {DEGENERATE, SolveStatus::degenerate},    {NUMFAILURE, SolveStatus::numerical_failure},
        {USERABORT, SolveStatus::user_abort},     {TIMEOUT, SolveStatus::timeout},
        {RUNNING, SolveStatus::running},          {PRESOLVED, SolveStatus::presolved},
        {NOMEMORY, SolveStatus::no_memory},       {NOTRUN, SolveStatus::not_run},
        {PROCFAIL, SolveStatus::process_failed},  {PROCBREAK, SolveStatus::process_break},
        {FEASFOUND, SolveStatus::feasible_found}, {NOFEASFOUND, SolveStatus::no_feasible_found},
        {FATHOMED, SolveStatus::fathomed},        {ACCURACYERROR, SolveStatus::accuracy_error},
    };
    return {look_up(statuses, code, SolveStatus::unknown), code};
}

SolverEngine chosen_engine(SolverChoice choice, int arc_count, const DemandSet& demands) {
    switch (choice) {
        case SolverChoice::lp_solve:
            return SolverEngine::lp_solve;
        case SolverChoice::clp:
            return SolverEngine::clp;
        case SolverChoice::automatic:
            break;
    }
    return demands.is_default() && arc_count <= lp_solve_arc_limit ? SolverEngine::lp_solve
                                                                   : SolverEngine::clp;
}

SolveEnd engine_end(SolverEngine engine, const EngineAnswer& answer) {
    if (answer.outcome == EngineOutcome::cancelled) {
        return SolveEnd::own(SolveStatus::cancelled);
    }
    if (engine == SolverEngine::lp_solve) {
        return lp_solve_end(answer.outcome == EngineOutcome::timeout ? TIMEOUT
                                                                     : answer.engine_status);
    }
    static constexpr LookupRow<EngineOutcome, SolveStatus> statuses[] = {
        {EngineOutcome::optimal, SolveStatus::optimal},
        {EngineOutcome::infeasible, SolveStatus::infeasible},
        {EngineOutcome::unbounded, SolveStatus::unbounded},
        {EngineOutcome::timeout, SolveStatus::timeout},
        {EngineOutcome::numerical_failure, SolveStatus::numerical_failure},
        {EngineOutcome::no_memory, SolveStatus::no_memory},
    };
    return {look_up(statuses, answer.outcome, SolveStatus::unknown), answer.engine_status};
}

std::vector<EngineStep> engine_steps(SolverEngine first, const DemandSet& demands) {
    // The engines keep no state between solves: one of each serves every
    // thread.
    static const std::unique_ptr<LpEngine> lp_solve = make_lp_solve_engine();
    static const std::unique_ptr<LpEngine> clp_primal = make_clp_engine();
    static const std::unique_ptr<LpEngine> clp_dual = make_clp_engine(clp_dual_settings);
    if (first == SolverEngine::lp_solve) {
        return {{lp_solve.get(), SolverEngine::lp_solve}};
    }
    // The primal simplex is the faster on the default set's programs, the
    // always-perturbed dual on those of many commodities (the figures are in
    // clp_engine.cpp; on the 161-vertex backbone of bench/demand_bench, 14 311
    // demands, the primal took 82.8 s and the dual 14.1 s, 15.0 s with
    // presolve; on the 50-vertex one, 662 demands, 0.155 s and 0.143 s).
    const LpEngine* first_simplex = demands.is_default() ? clp_primal.get() : clp_dual.get();
    const LpEngine* other_simplex = demands.is_default() ? clp_dual.get() : clp_primal.get();
    return {{first_simplex, SolverEngine::clp},
            {other_simplex, SolverEngine::clp},
            {lp_solve.get(), SolverEngine::lp_solve}};
}

namespace {

// How far, relative to the size of its terms, a row of an engine's optimum
// may miss in double precision. Both engines work to about 1e-9 relative on
// these programs (CLP with the tolerances its settings give it); an answer
// off by more is not one.
constexpr double check_tolerance = 1e-7;

// Whether an end stops the search for an answer: a checked optimum, or a
// solve stopped on purpose, or no memory for the program.
bool final_end(const SolveEnd& end) {
    return end.is_optimum() || end.is_stop();
}

// The whole program, each step's engine at each scale in turn, within
// `budget`.
ProgramSolve solve_whole(std::span<const EngineStep> steps, const ArcLists& arcs,
                         const DemandSet& demands, const SolveBudget& budget, bool shared_pairs,
                         const std::function<void()>& formulated) {
    const std::vector<double> scales = program_scales(arcs, demands);
    ProgramSolve solve;
    std::optional<ProgramSolve> first;
    for (std::size_t step = 0; step < steps.size(); ++step) {
        for (const double scale : scales) {
            const FlowProgram program = formulate_flow_program(arcs, demands, scale, shared_pairs);
            const EngineAnswer answer = steps[step].engine->solve(
                program, budget, first ? std::function<void()>() : formulated);
            solve.end = engine_end(steps[step].name, answer);
            solve.solver = steps[step].name;
            solve.fallback = step > 0;
            if (solve.end.is_optimum() &&
                !check_answer(program, arcs, demands, answer, check_tolerance, solve.solution,
                              solve.lengths)) {
                solve.end = SolveEnd::own(SolveStatus::check_failed);
            }
            if (final_end(solve.end)) {
                return solve;
            }
            if (!first) {
                first = solve;
            }
        }
    }
    return first ? *first : solve;
}

}  // namespace

ProgramSolve solve_program(std::span<const EngineStep> steps, const ArcLists& arcs,
                           const DemandSet& demands, const StageContext& context,
                           bool shared_pairs, const std::function<void()>& formulated) {
    bool told = false;
    const std::function<void()> formulated_once = [&] {
        if (!told && formulated) {
            formulated();
        }
        told = true;
    };
    // One budget for every solve of this program: the processor-time limit
    // spans the pieces of a split and the whole program after it.
    const SolveBudget budget{context.cancel, context.cpu_limit_seconds, thread_cpu_seconds()};
    // Split at the bridges only with CLP first: lp_solve's answers to the
    // default set's programs stay the ones they have always been.
    if (!steps.empty() && steps.front().name == SolverEngine::clp) {
        const PieceSolver piece = [&](const ArcLists& part, const DemandSet& part_demands,
                                      bool first) {
            return solve_whole(steps, part, part_demands, budget, shared_pairs,
                               first ? formulated_once : std::function<void()>());
        };
        if (std::optional<ProgramSolve> split = solve_by_bridges(
                arcs, demands, shared_pairs, check_tolerance, piece, formulated_once)) {
            return *split;
        }
    }
    return solve_whole(steps, arcs, demands, budget, shared_pairs, formulated_once);
}

PairFlowBound solve_pair_flow_bound(const ArcLists& pairs, const DemandSet& demands,
                                    const StageContext& context, SolverEngine first) {
    PairFlowBound bound;
    bound.solver = first;
    if (demands.present_count() == 0) {
        bound.reached_optimum = true;
        bound.lengths.assign(pairs.arc_count(), 0.0);
        return bound;
    }
    ProgramSolve solve =
        solve_program(engine_steps(first, demands), pairs, demands, context, true);
    bound.solve = solve.end;
    bound.solver = solve.solver;
    if (solve.end.is_optimum()) {
        bound.reached_optimum = true;
        bound.lambda = solve.solution.lambda;
        bound.lengths = std::move(solve.lengths);
    }
    return bound;
}

FlowResult solve_flow_lp(const ArcLists& arcs, const DemandSet& demands,
                         const StageContext& context, const std::function<void()>& formulated) {
    FlowResult result;
    result.sources = demands.sources();
    result.solver = chosen_engine(context.solver, arcs.arc_count(), demands);
    if (demands.present_count() == 0) {
        // Nothing to route (the default set needs vertices 0 and 1): no
        // program to solve.
        result.reached_optimum = true;
        return result;
    }
    const ProgramSolve solve =
        solve_program(engine_steps(result.solver, demands), arcs, demands, context, false,
                      formulated);
    const FlowSolution& solution = solve.solution;
    result.solve = solve.end;
    result.solver = solve.solver;
    result.fallback = solve.fallback;
    if (result.solve.is_optimum()) {
        const FlowColumns columns = flow_columns(arcs, demands);
        result.flow.resize(static_cast<std::size_t>(columns.sources));
        for (int w = 0; w < columns.sources; ++w) {
            const auto first = solution.flow.begin() + (columns.flow(w, 0) - 1);
            result.flow[static_cast<std::size_t>(w)].assign(first, first + columns.arc_count);
        }
        result.maxflow = solution.lambda;
        result.reached_optimum = true;
    }
    return result;
}
