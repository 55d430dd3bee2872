#include "flow/lp_engine.h"

#include <time.h>

#include <algorithm>
#include <utility>

#include "common/lookup_table.h"
#include "flow/flow_model.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"

const char* engine_outcome_name(EngineOutcome outcome) {
    static constexpr LookupRow<EngineOutcome, const char*> names[] = {
        {EngineOutcome::optimal, "optimal"},
        {EngineOutcome::infeasible, "infeasible"},
        {EngineOutcome::unbounded, "unbounded"},
        {EngineOutcome::timeout, "timeout"},
        {EngineOutcome::cancelled, "cancelled"},
        {EngineOutcome::numerical_failure, "numerical failure"},
        {EngineOutcome::no_memory, "no memory"},
    };
    return look_up(names, outcome, "other");
}

double thread_cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

bool SolveBudget::cancel_requested() const {
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

bool SolveBudget::time_used_up() const {
    return cpu_limit_seconds > 0.0 && thread_cpu_seconds() - started >= cpu_limit_seconds;
}

EngineAnswer exception_answer(EngineOutcome outcome, std::string what) {
    EngineAnswer answer;
    answer.outcome = outcome;
    answer.failure = std::move(what);
    return answer;
}

bool check_answer(const FlowProgram& program, const ArcLists& arcs, const DemandSet& demands,
                  const EngineAnswer& answer, double tolerance, FlowSolution& solution,
                  std::vector<double>& lengths) {
    const int columns = program.columns.count();
    if (static_cast<int>(answer.primal.size()) != columns ||
        answer.row_duals.size() != program.rows.size()) {
        return false;
    }
    solution.flow.resize(columns - 1);
    for (int c = 1; c < columns; ++c) {
        solution.flow[c - 1] = answer.primal[c - 1] * program.scale;
    }
    solution.lambda = answer.primal[program.columns.lambda() - 1] * program.scale;
    // The capacity rows come first, one per arc or per shared pair (at its
    // arc of lower tail); a pair's length goes to both its arcs. Scaling
    // divides λ and the capacities alike, so the scaled row's dual is also
    // the network's.
    lengths.assign(arcs.arc_count(), 0.0);
    std::size_t row = 0;
    for (int a = 0; a < arcs.arc_count(); ++a) {
        if (program.shared_pairs && !arcs.carries_pair_row(a)) {
            continue;
        }
        lengths[a] = std::max(0.0, answer.row_duals[row++]);
        const int reverse = program.shared_pairs ? arcs.reverse(a) : -1;
        if (reverse >= 0) {
            lengths[reverse] = lengths[a];
        }
    }
    return check_solution(arcs, demands, program.scale, tolerance, program.shared_pairs, solution,
                          lengths);
}

bool check_solution(const ArcLists& arcs, const DemandSet& demands, double scale,
                    double tolerance, bool shared_pairs, FlowSolution& solution,
                    const std::vector<double>& lengths) {
    const double bound = length_bound(arcs, demands, lengths, shared_pairs);
    // A bound of 0 proves λ = 0 (a sink its source cannot reach, or cut off
    // by arcs of capacity 0); a λ above it is then the engine's rounding
    // (CLP answered 4e-12 where lp_solve answered 0).
    if (bound == 0.0) {
        solution.lambda = 0.0;
    }
    // The rows may miss by the tolerance times the program's unit (its
    // scale), which allows the engines' rounding of flows that should be 0,
    // but by no more than the tolerance times the flow the answer routes
    // (λ times the demands): at a scale far above the capacities that bind,
    // an engine's answer is rounding noise, and CLP's then claimed a λ 14
    // times the optimum, its flows exceeding capacities of 50 by hundreds
    // within a slack of 1e-7 × 7e13.
    const double unit = std::min(
        scale, std::max(solution.lambda * demands.total_demand(), tolerance * scale));
    const bool feasible =
        satisfies_flow_program(arcs, demands, solution, unit, tolerance, shared_pairs);
    return feasible && solution.lambda >= bound * (1.0 - tolerance);
}
