#include <lpsolve/lp_lib.h>

#include <new>

#include "common/lookup_table.h"
#include "flow/flow_model.h"
#include "flow/lp_engine.h"

namespace {

// The budget as lp_solve's abort routine sees it, with what stopped it.
struct AbortWatch {
    const SolveBudget& budget;
    bool cancelled = false;
    bool timed_out = false;
};

// lp_solve calls this regularly during the solve and stops when it returns
// TRUE.
int __WINAPI abort_when_spent(lprec*, void* handle) {
    auto& watch = *static_cast<AbortWatch*>(handle);
    watch.cancelled = watch.budget.cancel_requested();
    watch.timed_out = !watch.cancelled && watch.budget.time_used_up();
    return watch.cancelled || watch.timed_out ? TRUE : FALSE;
}

EngineOutcome outcome_of(int status) {
    static constexpr LookupRow<int, EngineOutcome> outcomes[] = {
        {OPTIMAL, EngineOutcome::optimal},
        {PRESOLVED, EngineOutcome::optimal},
        {INFEASIBLE, EngineOutcome::infeasible},
        {UNBOUNDED, EngineOutcome::unbounded},
        {TIMEOUT, EngineOutcome::timeout},
        {USERABORT, EngineOutcome::cancelled},
        {NUMFAILURE, EngineOutcome::numerical_failure},
        {NOMEMORY, EngineOutcome::no_memory},
    };
    return look_up(outcomes, status, EngineOutcome::other);
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
class LpSolveEngine : public LpEngine {
  public:
    const char* name() const override { return "lp_solve"; }

    EngineAnswer solve(const FlowProgram& program, const SolveBudget& budget,
                       const std::function<void()>& loaded) const override {
        EngineAnswer answer;
        try {
            Expected<LpModel> model = load_flow_program(program);
            if (loaded) {
                loaded();
            }
            if (!model) {
                answer.engine_status = NOMEMORY;
                answer.outcome = EngineOutcome::no_memory;
                return answer;
            }
            lprec* lp = model->get();
            set_verbose(lp, NEUTRAL);
            // The dual values check the optimum (check_answer).
            set_presolve(lp, PRESOLVE_DUALS, get_presolveloops(lp));
            set_scaling(lp, SCALE_GEOMETRIC);
            set_pivoting(lp, PRICER_DEVEX | PRICE_ADAPTIVE);
            AbortWatch watch{budget};
            if (budget.limited()) {
                put_abortfunc(lp, abort_when_spent, &watch);
            }
            answer.engine_status = abort_when_spent(lp, &watch) ? USERABORT : ::solve(lp);
            answer.outcome = watch.cancelled    ? EngineOutcome::cancelled
                             : watch.timed_out ? EngineOutcome::timeout
                                               : outcome_of(answer.engine_status);
            if (answer.outcome == EngineOutcome::optimal) {
                read_answer(lp, program, answer);
            }
        } catch (const std::bad_alloc&) {
            answer = exception_answer(EngineOutcome::no_memory, "out of memory");
            answer.engine_status = NOMEMORY;
        }
        return answer;
    }

  private:
    static void read_answer(lprec* lp, const FlowProgram& program, EngineAnswer& answer) {
        answer.objective = get_objective(lp);
        // Presolve may remove columns; the values of the original columns
        // follow the original rows in the primal result.
        const int offset = get_Norig_rows(lp);
        const int columns = program.columns.count();
        answer.primal.resize(columns);
        for (int c = 1; c <= columns; ++c) {
            answer.primal[c - 1] = get_var_primalresult(lp, offset + c);
        }
        answer.row_duals.resize(program.rows.size());
        for (std::size_t r = 0; r < program.rows.size(); ++r) {
            answer.row_duals[r] = get_var_dualresult(lp, static_cast<int>(r) + 1);
        }
    }
};

}  // namespace

std::unique_ptr<LpEngine> make_lp_solve_engine() {
    return std::make_unique<LpSolveEngine>();
}
