#include "flow/flow_lp.h"

#include <lpsolve/lp_lib.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "flow/flow_model.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"

SolveEnd lp_solve_end(int code) {
    static constexpr std::pair<int, SolveStatus> statuses[] = {
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
    for (const auto& [lp_solve_code, status] : statuses) {
        if (code == lp_solve_code) {
            return {status, code};
        }
    }
    return {SolveStatus::unknown, code};
}

namespace {

// How far, relative to the size of its terms, a row of lp_solve's optimum
// may miss in double precision. lp_solve works to about 1e-9 relative on
// these programs; an answer off by more is not one.
constexpr double check_tolerance = 1e-7;

// Processor time used by the calling thread, in seconds.
double thread_cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// What may stop a solve, as lp_solve's abort routine sees it; it records
// which of the two did.
struct SolveWatch {
    const std::atomic<bool>* cancel = nullptr;
    double cpu_limit_seconds = 0.0;
    double started = 0.0;
    bool cancelled = false;
    bool timed_out = false;
};

// lp_solve calls this regularly during the solve and stops when it returns
// TRUE.
int __WINAPI watch_solve(lprec*, void* handle) {
    auto& watch = *static_cast<SolveWatch*>(handle);
    if (watch.cancel != nullptr && watch.cancel->load(std::memory_order_relaxed)) {
        watch.cancelled = true;
    } else if (watch.cpu_limit_seconds > 0.0 &&
               thread_cpu_seconds() - watch.started >= watch.cpu_limit_seconds) {
        watch.timed_out = true;
    }
    return watch.cancelled || watch.timed_out ? TRUE : FALSE;
}

// Solver settings for the concurrent-flow program. The program is highly
// degenerate: the simplex starts from the all-zero flow, and the conservation
// and demand rows have right-hand side 0, so many pivots move nothing. With
// lp_solve's default scaling (geometric with equilibration) the primal simplex
// could stall there for tens of thousands of such pivots, depending on nothing
// more than the capacity values: a complete directed graph of 100 vertices
// with capacities 10 took 53000 iterations where the same graph with
// capacities 0.1 took 1800. Geometric scaling alone gave steady iteration
// counts on every dense case measured, and fewer iterations on most.
//
// The pricing is lp_solve's default, Devex with adaptive pricing. Processor
// time of the solve, Devex against Dantzig with partial pricing, release
// build, bench/pipeline_bench:
//   random, 4n undirected edges, n = 1000: 1.96 s / 0.70 s; n = 2000:
//   5.37 s / 2.08 s; n = 500: 0.44 s / 0.15 s;
//   complete directed, spread capacities, n = 120: 11.7 s / 7.4 s;
//   complete directed, equal capacities, n = 120: 1.47 s / 2.59 s;
//   n = 80: 0.28 s / 0.67 s.
// Dantzig with partial pricing is faster on sparse graphs but crashed inside
// lp_solve (a segmentation fault) on several small sparse graphs of the
// tests, and once reported a bounded program unbounded; Devex with partial
// pricing stalled on complete graphs. Only the default is safe everywhere.
//
// The bound's program (shared pairs) is solved the same way. Presolve's row
// and column reductions, with PRESOLVE_SENSDUALS to get the dual values of
// the original rows back, were tried for it and left out: on one random
// directed graph of 10 vertices in 24 those duals' length bound exceeded λ*
// by 0.2 % (they were not the original rows' duals), and on random graphs
// of 500 vertices and 2 000 edges the certificate took 1.7 to 2.4 times as
// long with them as without.
void configure_solver(lprec* lp) {
    set_verbose(lp, NEUTRAL);
    // The dual values check the optimum (read_solution).
    set_presolve(lp, PRESOLVE_DUALS, get_presolveloops(lp));
    set_scaling(lp, SCALE_GEOMETRIC);
    set_pivoting(lp, PRICER_DEVEX | PRICE_ADAPTIVE);
}

// The optimum of a solved program in the network's units, or nothing when
// it does not satisfy the program.
//
// `lengths` receives the dual values of the capacity rows, one per arc (a
// shared pair's on both its arcs), in λ per unit of capacity.
bool read_solution(lprec* lp, const FlowProgram& program, const ArcLists& arcs,
                   const DemandSet& demands, FlowSolution& solution, std::vector<double>& lengths) {
    // Presolve may remove columns; the values of the original columns
    // follow the original rows in the primal result.
    const int offset = get_Norig_rows(lp);
    const int columns = program.columns.count();
    solution.flow.resize(columns - 1);
    for (int c = 1; c < columns; ++c) {
        solution.flow[c - 1] = get_var_primalresult(lp, offset + c) * program.scale;
    }
    solution.lambda = get_var_primalresult(lp, offset + program.columns.lambda()) * program.scale;
    const bool feasible = satisfies_flow_program(arcs, demands, solution, program.scale,
                                                 check_tolerance, program.shared_pairs);
    // The capacity rows come first, one per arc or per shared pair (at its
    // arc of lower tail); a pair's length goes to both its arcs.
    lengths.assign(arcs.arc_count(), 0.0);
    int row = 0;
    for (int a = 0; a < arcs.arc_count(); ++a) {
        if (program.shared_pairs && !arcs.carries_pair_row(a)) {
            continue;
        }
        const int reverse = program.shared_pairs ? arcs.reverse(a) : -1;
        ++row;
        // Scaling divides λ and the capacities alike, so the scaled row's
        // dual is also the network's.
        lengths[a] = std::max(0.0, get_var_dualresult(lp, row));
        if (reverse >= 0) {
            lengths[reverse] = lengths[a];
        }
    }
    const double bound = length_bound(arcs, demands, lengths, program.shared_pairs);
    return feasible && solution.lambda >= bound * (1.0 - check_tolerance);
}

// Whether an end stops the search for an answer: a checked optimum, or a
// solve stopped on purpose, or no memory for the program.
bool final_end(const SolveEnd& end) {
    return end.is_optimum() || end.status == SolveStatus::cancelled ||
           end.status == SolveStatus::timeout || end.status == SolveStatus::no_memory;
}

// Loads and solves `program` under `watch`; returns how it ended, which is
// check_failed for an optimum that fails its check, and fills `solution`
// with a checked optimum.
// `formulated`, when set, is called once the program is handed to lp_solve.
SolveEnd solve_at_scale(const FlowProgram& program, const ArcLists& arcs, const DemandSet& demands,
                        SolveWatch& watch, FlowSolution& solution, std::vector<double>& lengths,
                        const std::function<void()>& formulated) {
    Expected<LpModel> loaded = load_flow_program(program);
    if (formulated) {
        formulated();
    }
    if (!loaded) {
        return lp_solve_end(NOMEMORY);
    }
    lprec* lp = loaded->get();
    configure_solver(lp);
    if (watch.cancel != nullptr || watch.cpu_limit_seconds > 0.0) {
        put_abortfunc(lp, watch_solve, &watch);
    }
    const SolveEnd end = lp_solve_end(watch_solve(lp, &watch) ? USERABORT : solve(lp));
    if (watch.cancelled) {
        return SolveEnd::own(SolveStatus::cancelled);
    }
    if (watch.timed_out) {
        return lp_solve_end(TIMEOUT);
    }
    if (end.is_optimum() && !read_solution(lp, program, arcs, demands, solution, lengths)) {
        return SolveEnd::own(SolveStatus::check_failed);
    }
    return end;
}

// Formulates and solves the program of `arcs` at each of its scales in turn
// until one gives a checked optimum (filling `solution`) or the solve is
// stopped; returns that end, or the first scale's when none succeeds.
// With `shared_pairs` the program is the bound's (see formulate_flow_program).
// `formulated` is called once the first scale's program is handed to lp_solve.
SolveEnd solve_program(const ArcLists& arcs, const DemandSet& demands, const StageContext& context,
                       FlowSolution& solution, std::vector<double>& lengths, bool shared_pairs,
                       const std::function<void()>& formulated) {
    SolveWatch watch{context.cancel, context.cpu_limit_seconds, thread_cpu_seconds()};
    std::optional<SolveEnd> first;
    SolveEnd end;
    for (const double scale : program_scales(arcs, demands)) {
        end = solve_at_scale(formulate_flow_program(arcs, demands, scale, shared_pairs), arcs,
                             demands, watch, solution, lengths,
                             first ? std::function<void()>() : formulated);
        if (!first) {
            first = end;
        }
        if (final_end(end)) {
            break;
        }
    }
    return final_end(end) || !first ? end : *first;
}

}  // namespace

PairFlowBound solve_pair_flow_bound(const ArcLists& pairs, const DemandSet& demands,
                                    const StageContext& context) {
    PairFlowBound bound;
    if (demands.present_count() == 0) {
        bound.reached_optimum = true;
        bound.lengths.assign(pairs.arc_count(), 0.0);
        return bound;
    }
    FlowSolution solution;
    std::vector<double> lengths;
    bound.solve = solve_program(pairs, demands, context, solution, lengths, true, {});
    if (bound.solve.is_optimum()) {
        bound.reached_optimum = true;
        bound.lambda = solution.lambda;
        bound.lengths = std::move(lengths);
    }
    return bound;
}

FlowResult solve_flow_lp(const ArcLists& arcs, const DemandSet& demands,
                         const StageContext& context, const std::function<void()>& formulated) {
    FlowResult result;
    result.sources = demands.sources();
    if (demands.present_count() == 0) {
        // Nothing to route (the default set needs vertices 0 and 1): no
        // program to solve.
        result.reached_optimum = true;
        return result;
    }
    FlowSolution solution;
    std::vector<double> lengths;
    result.solve = solve_program(arcs, demands, context, solution, lengths, false, formulated);
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
