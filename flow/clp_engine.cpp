#include <coin/ClpDualRowDantzig.hpp>
#include <coin/ClpDualRowSteepest.hpp>
#include <coin/ClpEventHandler.hpp>
#include <coin/ClpSimplex.hpp>
#include <coin/ClpSolve.hpp>
#include <coin/CoinError.hpp>

#include <exception>
#include <new>
#include <stdexcept>

#include "flow/flow_model.h"
#include "flow/lp_engine.h"

namespace {

// ProgramRow's relations, lp_solve's codes (lp_lib.h is not included here).
constexpr int le_row = 1;
constexpr int ge_row = 2;
constexpr int eq_row = 3;

// CLP's status of a solve that its event handler stopped.
constexpr int stopped_by_event = 5;

// What stopped a solve, shared by the event handler and the copies CLP
// makes of it (a presolved model gets its own).
struct StopRecord {
    bool cancelled = false;
    bool timed_out = false;
};

// CLP calls event() at the end of every iteration of either simplex; a
// return of 0 or more stops the solve with status 5. Only that event is
// answered: others give their return value other meanings.
class BudgetHandler : public ClpEventHandler {
  public:
    BudgetHandler(const SolveBudget& budget, StopRecord& stop) : budget_(budget), stop_(stop) {}

    int event(Event which) override {
        if (which != endOfIteration) {
            return -1;
        }
        if (budget_.cancel_requested()) {
            stop_.cancelled = true;
        } else if (budget_.time_used_up()) {
            stop_.timed_out = true;
        }
        return stop_.cancelled || stop_.timed_out ? 0 : -1;
    }

    ClpEventHandler* clone() const override { return new BudgetHandler(*this); }

  private:
    const SolveBudget& budget_;
    StopRecord& stop_;
};

// The program column by column, as ClpSimplex::loadProblem takes it.
// Throws std::invalid_argument for a row that names no column of the
// program or has no relation: CLP's own checks of its input are assertions,
// which would end the process.
void load(ClpSimplex& model, const FlowProgram& program) {
    const int columns = program.columns.count();
    const int rows = static_cast<int>(program.rows.size());
    std::vector<CoinBigIndex> start(columns + 1, 0);
    for (const ProgramRow& row : program.rows) {
        if (row.relation < le_row || row.relation > eq_row ||
            row.columns.size() != row.coefficients.size()) {
            throw std::invalid_argument("a row of the program is malformed");
        }
        for (int column : row.columns) {
            if (column < 1 || column > columns) {
                throw std::invalid_argument("a row names a column outside the program");
            }
            ++start[column];
        }
    }
    // start[c] counted column c + 1's entries; make them offsets.
    CoinBigIndex offset = 0;
    for (int c = 0; c <= columns; ++c) {
        const CoinBigIndex count = c < columns ? start[c + 1] : 0;
        start[c] = offset;
        offset += count;
    }
    std::vector<int> index(offset);
    std::vector<double> value(offset);
    std::vector<CoinBigIndex> fill(start.begin(), start.end() - 1);
    std::vector<double> row_lower(rows, -COIN_DBL_MAX);
    std::vector<double> row_upper(rows, COIN_DBL_MAX);
    for (int r = 0; r < rows; ++r) {
        const ProgramRow& row = program.rows[r];
        if (row.relation != ge_row) {
            row_upper[r] = row.rhs;
        }
        if (row.relation != le_row) {
            row_lower[r] = row.rhs;
        }
        for (std::size_t e = 0; e < row.columns.size(); ++e) {
            const CoinBigIndex slot = fill[row.columns[e] - 1]++;
            index[slot] = r;
            value[slot] = row.coefficients[e];
        }
    }
    const std::vector<double> column_lower(columns, 0.0);
    const std::vector<double> column_upper(columns, COIN_DBL_MAX);
    std::vector<double> objective(columns, 0.0);
    objective[program.columns.lambda() - 1] = 1.0;
    model.loadProblem(columns, rows, start.data(), index.data(), value.data(),
                      column_lower.data(), column_upper.data(), objective.data(),
                      row_lower.data(), row_upper.data());
    model.setOptimizationDirection(-1.0);
}

// CLP's settings for the flow programs (ClpSettings' default), chosen with
// bench/lp_engine_bench: processor seconds of the solving thread (loading
// into CLP included), median of 3, interleaved, release build, two cores
// shared with other work (load average 3 to 4). The programs are the main
// and the pair-network (/p) programs of random undirected graphs of 1 000
// vertices and 4 000 edges and of 2 000 and 7 000, a random directed one of
// 2 000 and 8 000 arcs, the complete directed graph on 120 vertices with
// capacities over six decades; and two of many commodities, demands over
// four decades: a 15 × 15 grid with 100 and a random graph of 100 vertices
// and 300 edges with 300. T: stopped at 60 s; C: the answer failed its check.
//
//                     u1000 u1000/p d2000 d2000/p u2000 u2000/p  K120 K120/p   grid   r100
//   lp_solve           2.33   2.28   3.26   8.58   4.52   4.25  13.13   5.36    60T    60T
//   primal (chosen)    0.08   0.08   0.12   0.27   0.24   0.19   0.18   0.16   1.81   3.73
//   primal, 1e-7       0.08   0.08   0.12   0.24   0.26   0.19   0.17   0.16   1.91C  4.75C
//   + presolve         0.10   0.10   0.16   0.28   0.29   0.22   0.20   0.19   1.93C  4.85C
//   CLP's own start    0.08   0.08   0.12   0.26   0.21   0.19   0.18   0.16   1.82C  3.96C
//   idiot crash        0.12   0.10   0.17   0.30   0.33   0.19   0.28   0.21   2.00   4.99
//   geometric scaling  0.08   0.08   0.12   0.29   0.24   0.19   0.17   0.17   1.68C  3.83C
//   no scaling         0.08   0.08   0.15   0.27   0.27   0.18   0.13   0.11   1.32   2.58C
//   perturbation 50    0.10   0.09   0.13   0.27   0.30   0.20   0.19   0.17   1.52   3.27
//   dual               0.88   0.73   1.29   4.98   0.79   1.47   1.91   1.36    60T    60T
//   dual + presolve    1.06   0.86   1.21   4.56   1.21   0.78   1.64   1.42    60T    60T
//   dual, 1e-9, p. 50  0.57   0.59   1.14   4.51   1.12   0.93   0.22   0.21   0.96   2.65
//   barrier (+pre)      4.0    4.9   25.1   29.2   18.6   20.3    9.2    0.7   19.9     --
//   glpsol, process    0.38   0.35   0.34   0.95   0.62   0.61   0.93   0.62  12.29   >60
//   clp primal, proc.  0.20   0.20   0.29   0.49   0.43   0.39   0.36   0.32   1.92   4.63
//   clp dual, proc.    0.50   0.69   1.00   5.05   1.97   1.50   0.50   0.48   1.16   6.86
// (rows without "1e-7" use tolerances of 1e-9; barrier from an earlier run
// of the same bench; the processes read the program as MPS.)
//
// The primal simplex from the slack basis, without presolve, with CLP's
// automatic scaling and tolerances of 1e-9 is the fastest or within a few
// hundredths of a second of it on every program, 20 to 70 times faster than
// lp_solve, and its λ is lp_solve's within 6e-12 relative. At CLP's own
// tolerances of 1e-7 its answers to the programs of many commodities left
// flows below −1e-7 and failed the check; 1e-9 costs nothing measurable.
// Presolve and the idiot crash only add time, and the idiot crash does not
// answer the event handler: a stop asked for after 0.1 s came up to 0.18 s
// late with it, within 3 ms without it. The dual simplex is 3 to 20 times
// slower on the three-commodity programs and, with CLP's default
// perturbation (only once it seems to stall), did not finish the programs
// of many commodities in 60 s; always perturbed it is the fastest there, so
// it is the other simplex (clp_dual_settings). Barrier's answers pass the
// check after its crossover but it is slowest almost everywhere.
//
// The programs of many commodities on networks shaped by bench/network_bench
// (lp_engine_bench --network, same measure; main / certificate's program):
// 161 vertices, 166 links, 14 311 demands (53 453 columns, 26 092 and
// 25 926 rows), 161 and 332 links, 65 and 108 links with 1 869 demands, 50
// and 88 with 662; the grid and r100 above. All with tolerances of 1e-9.
//
//                          161/166       161/332       65/108        50/88     grid   r100
//   dual, p. 50 (chosen)  10.0 / 10.4   11.7 / 13.0   0.24 / 0.30  0.10 / 0.17  0.82   2.85
//   + presolve             7.9 /  9.2   14.6 / 20.6   0.29 / 0.42  0.09 / 0.09  0.82   1.82
//   Dantzig's pricing     10.1 / 13.6
//   Dantzig + presolve     8.9 /  9.4
//   partial steepest      12.2 / 10.4
//   Dantzig + pre., p.100  60T / 11.2
//
// and, as single runs of the clp process on the same MPS (161/166, main
// program, user seconds, machine shared): barrier with Debian's native
// Cholesky and crossover, presolved, over 28 s (stopped), unpresolved over
// 67 s; CLP's automatic choice over 33 s; sprint over 92 s; the idiot crash
// alone 24.4 s; the dual without scaling 56.6 s; geometric scaling the same
// 45 004 iterations as automatic scaling. No setting is faster on both
// 161-vertex networks: presolve saves a fifth on one and costs a quarter to
// a half on the other, so the dual stays as it is (the whole load of
// 161/166 with its certificate: 20.6 s of processor time, peak 57 MiB;
// split at its bridges, flow/bridge_split.h, 0.43 s, as these programs no
// longer reach CLP whole).
ClpSolve solve_options(const ClpSettings& settings) {
    ClpSolve options;
    switch (settings.algorithm) {
        case ClpSettings::Algorithm::dual:
            options.setSolveType(ClpSolve::useDual);
            break;
        case ClpSettings::Algorithm::primal:
            options.setSolveType(ClpSolve::usePrimal);
            // Startup of the primal simplex: 0 CLP's own choice, 2 the idiot
            // crash, 7 CLP's choice without any crash.
            options.setSpecialOption(1, settings.start == ClpSettings::Start::automatic ? 0
                                        : settings.start == ClpSettings::Start::idiot  ? 2
                                                                                       : 7);
            break;
        case ClpSettings::Algorithm::barrier:
            options.setSolveType(ClpSolve::useBarrier);
            break;
        case ClpSettings::Algorithm::automatic:
            options.setSolveType(ClpSolve::automatic);
            break;
        case ClpSettings::Algorithm::sprint:
            options.setSolveType(ClpSolve::usePrimalorSprint);
            options.setSpecialOption(1, 3);
            break;
    }
    options.setPresolveType(settings.presolve ? ClpSolve::presolveOn : ClpSolve::presolveOff);
    // No SIGINT handler of CLP's own: the program runs solves on threads and
    // stops them through the event handler.
    options.setSpecialOption(2, 1);
    return options;
}

void set_dual_pricing(ClpSimplex& model, ClpSettings::DualPricing pricing) {
    switch (pricing) {
        case ClpSettings::DualPricing::steepest:
            break;
        case ClpSettings::DualPricing::full: {
            ClpDualRowSteepest steepest(1);
            model.setDualRowPivotAlgorithm(steepest);
            break;
        }
        case ClpSettings::DualPricing::partial: {
            ClpDualRowSteepest steepest(2);
            model.setDualRowPivotAlgorithm(steepest);
            break;
        }
        case ClpSettings::DualPricing::dantzig: {
            ClpDualRowDantzig dantzig;
            model.setDualRowPivotAlgorithm(dantzig);
            break;
        }
    }
}

EngineOutcome outcome_of(const ClpSimplex& model, const StopRecord& stop) {
    if (stop.cancelled) {
        return EngineOutcome::cancelled;
    }
    if (stop.timed_out) {
        return EngineOutcome::timeout;
    }
    if (model.isProvenOptimal()) {
        return EngineOutcome::optimal;
    }
    if (model.isProvenPrimalInfeasible()) {
        return EngineOutcome::infeasible;
    }
    if (model.isProvenDualInfeasible()) {
        return EngineOutcome::unbounded;
    }
    if (model.isAbandoned()) {
        return EngineOutcome::numerical_failure;
    }
    // Status 3, a limit of CLP's own on iterations or time, is left as
    // other: none is set, the budget's stops arrive as status 5.
    return EngineOutcome::other;
}

class ClpEngine : public LpEngine {
  public:
    explicit ClpEngine(ClpSettings settings) : settings_(settings) {}

    const char* name() const override { return "clp"; }

    EngineAnswer solve(const FlowProgram& program, const SolveBudget& budget,
                       const std::function<void()>& loaded) const override {
        EngineAnswer answer;
        try {
            ClpSimplex model;
            model.setLogLevel(0);
            load(model, program);
            if (loaded) {
                loaded();
            }
            StopRecord stop;
            stop.cancelled = budget.cancel_requested();
            stop.timed_out = !stop.cancelled && budget.time_used_up();
            if (!stop.cancelled && !stop.timed_out) {
                const BudgetHandler handler(budget, stop);
                model.passInEventHandler(&handler);
                model.scaling(settings_.scaling);
                model.setPrimalTolerance(settings_.tolerance);
                model.setDualTolerance(settings_.tolerance);
                model.setPerturbation(settings_.perturbation);
                set_dual_pricing(model, settings_.dual_pricing);
                ClpSolve options = solve_options(settings_);
                model.initialSolve(options);
            }
            // A solve stopped before it began has CLP's status 5, as if its
            // event handler had stopped it.
            answer.engine_status = stop.cancelled || stop.timed_out ? stopped_by_event
                                                                     : model.status();
            answer.engine_detail = model.secondaryStatus();
            answer.outcome = outcome_of(model, stop);
            if (answer.outcome == EngineOutcome::optimal) {
                read_answer(model, answer);
            }
        } catch (const std::bad_alloc&) {
            answer = exception_answer(EngineOutcome::no_memory, "out of memory");
        } catch (const CoinError& error) {
            answer = exception_answer(EngineOutcome::other, error.className() + "::" +
                                                                error.methodName() + ": " +
                                                                error.message());
        } catch (const std::exception& error) {
            answer = exception_answer(EngineOutcome::other, error.what());
        } catch (...) {
            answer = exception_answer(EngineOutcome::other, "unknown exception");
        }
        if (!answer.failure.empty()) {
            // CLP's status for "unknown": no solve of its own ended.
            answer.engine_status = -1;
        }
        return answer;
    }

  private:
    static void read_answer(const ClpSimplex& model, EngineAnswer& answer) {
        answer.objective = model.objectiveValue();
        const double* primal = model.getColSolution();
        answer.primal.assign(primal, primal + model.getNumCols());
        // For a maximum CLP's row prices are already the objective's rate
        // per unit of right-hand side, lp_solve's signs (checked by the
        // bound of the capacity rows' duals on every answer).
        const double* duals = model.getRowPrice();
        answer.row_duals.assign(duals, duals + model.getNumRows());
    }

    ClpSettings settings_;
};

}  // namespace

std::unique_ptr<LpEngine> make_clp_engine(ClpSettings settings) {
    return std::make_unique<ClpEngine>(settings);
}

bool write_program_mps(const FlowProgram& program, const std::string& path) {
    try {
        ClpSimplex model;
        model.setLogLevel(0);
        load(model, program);
        model.setObjectiveCoefficient(program.columns.lambda() - 1, -1.0);
        model.setOptimizationDirection(1.0);
        return model.writeMps(path.c_str(), 1) == 0;
    } catch (...) {
        return false;
    }
}
