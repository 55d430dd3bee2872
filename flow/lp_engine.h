#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ArcLists;
class DemandSet;
struct FlowProgram;
struct FlowSolution;

// The engines that solve a flow program (formulate_flow_program's: maximise
// λ, every column at least 0) behind one interface, and the check of their
// answers that does not depend on which one solved.

// How an engine's solve ended, in words every engine maps onto.
enum class EngineOutcome {
    optimal,            // the engine reports an optimum; it counts once checked
    infeasible,         // the engine proved that no column values satisfy the rows
    unbounded,          // the engine proved λ unbounded
    timeout,            // the processor-time limit ran out
    cancelled,          // the cancel flag was set, before or during the solve
    numerical_failure,  // the engine gave up on its numbers
    no_memory,          // the program could not be allocated
    other,              // anything else, an exception inside the engine included
};

// The outcome's short name: "optimal", "infeasible", …
const char* engine_outcome_name(EngineOutcome outcome);

// Processor time used by the calling thread, in seconds
// (CLOCK_THREAD_CPUTIME_ID): other work on the machine does not count.
double thread_cpu_seconds();

// What may stop a solve: a flag another thread sets, and a limit on the
// processor time of the thread that solves, counted from `started` (a
// thread_cpu_seconds() reading), so that one budget may span several solves.
struct SolveBudget {
    const std::atomic<bool>* cancel = nullptr;
    double cpu_limit_seconds = 0.0;  // 0 for no limit
    double started = 0.0;

    bool limited() const { return cancel != nullptr || cpu_limit_seconds > 0.0; }
    bool cancel_requested() const;
    bool time_used_up() const;
};

// What an engine returns. The values are the program's (scaled) ones and are
// set only for an optimal outcome.
struct EngineAnswer {
    EngineOutcome outcome = EngineOutcome::other;
    // The engine's own codes: lp_solve's solve() result, with 0 beside it;
    // CLP's status() and secondaryStatus().
    int engine_status = 0;
    int engine_detail = 0;
    // What an exception said, when one ended the solve.
    std::string failure;
    double objective = 0.0;
    // primal[c − 1] is the value of column c.
    std::vector<double> primal;
    // row_duals[r] is the dual value of program.rows[r], in lp_solve's signs:
    // the objective's rate of change per unit of the row's right-hand side,
    // so a binding capacity row has a dual of at least 0.
    std::vector<double> row_duals;
};

// The answer of a solve that an exception ended, saying `what`.
EngineAnswer exception_answer(EngineOutcome outcome, std::string what);

class LpEngine {
  public:
    virtual ~LpEngine() = default;
    // "lp_solve" or "clp".
    virtual const char* name() const = 0;
    // Hands `program` to the engine, calls `loaded` (when given) once the
    // engine holds it, then solves within `budget`. Never throws: whatever
    // goes wrong inside the engine is an outcome other than optimal.
    virtual EngineAnswer solve(const FlowProgram& program, const SolveBudget& budget,
                               const std::function<void()>& loaded = {}) const = 0;
};

// lp_solve with the flow programs' settings (their figures are in
// lp_solve_engine.cpp).
std::unique_ptr<LpEngine> make_lp_solve_engine();

// CLP's ways of solving. The default is the one chosen by measurement for
// the default set's programs (the figures are in clp_engine.cpp);
// clp_dual_settings is the first for programs of many commodities, and each
// is the other's fallback for an answer that fails its check (engine_steps
// in flow_lp.h).
struct ClpSettings {
    // automatic: CLP's own choice among its methods (ClpSolve::automatic);
    // sprint: the primal simplex on growing subsets of the columns.
    enum class Algorithm { dual, primal, barrier, automatic, sprint };
    // How the primal simplex starts: CLP's own choice (which may run its
    // "idiot" crash or its "sprint" on some shapes of program), always the
    // idiot crash, or from the slack basis without a crash.
    enum class Start { automatic, idiot, plain };
    Algorithm algorithm = Algorithm::primal;
    Start start = Start::plain;
    bool presolve = false;
    // CLP's scaling mode: 0 off, 1 equilibrium, 2 geometric, 3 automatic.
    int scaling = 3;
    // How far CLP lets a row, and a reduced cost, miss (its own default is
    // 1e-7 for both).
    double tolerance = 1e-9;
    // CLP's perturbation of the costs against degenerate pivots: 50 always,
    // 100 (its default) only once the simplex seems to stall.
    int perturbation = 100;
    // How the dual simplex picks the row that leaves: CLP's steepest edge
    // (its default, switching between full and partial updates), steepest
    // edge always full, always partial, or Dantzig's largest infeasibility.
    enum class DualPricing { steepest, full, partial, dantzig };
    DualPricing dual_pricing = DualPricing::steepest;
};

inline constexpr ClpSettings clp_dual_settings = {
    ClpSettings::Algorithm::dual, ClpSettings::Start::automatic, false, 3, 1e-9, 50};

std::unique_ptr<LpEngine> make_clp_engine(ClpSettings settings = {});

// Writes `program` to `path` as an MPS file (CLP's writer, 15 significant
// digits), as the minimum of −λ, which every reader takes the same way.
// False when it cannot.
bool write_program_mps(const FlowProgram& program, const std::string& path);

// The optimum of `answer` (an optimal one, for the program of `arcs` and
// `demands` at program.scale) in the network's units, and whether it is one: it must
// satisfy the program (satisfies_flow_program, within `tolerance`) and reach
// the upper bound that the capacity rows' duals give (length_bound).
// `lengths` receives those duals, at least 0, one per arc (a shared pair's
// on both its arcs).
bool check_answer(const FlowProgram& program, const ArcLists& arcs, const DemandSet& demands,
                  const EngineAnswer& answer, double tolerance, FlowSolution& solution,
                  std::vector<double>& lengths);

// Whether `solution` (in the network's units) is an optimum of the program of
// `arcs` and `demands` at `scale`, the check of check_answer: it satisfies
// the program within `tolerance` and λ reaches the bound of `lengths`
// (length_bound). A bound of 0 sets λ to 0.
bool check_solution(const ArcLists& arcs, const DemandSet& demands, double scale,
                    double tolerance, bool shared_pairs, FlowSolution& solution,
                    const std::vector<double>& lengths);
