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
    }
    options.setPresolveType(settings.presolve ? ClpSolve::presolveOn : ClpSolve::presolveOff);
    // No SIGINT handler of CLP's own: the program runs solves on threads and
    // stops them through the event handler.
    options.setSpecialOption(2, 1);
    return options;
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
    if (model.isIterationLimitReached()) {
        return EngineOutcome::timeout;
    }
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
                ClpSolve options = solve_options(settings_);
                model.initialSolve(options);
            }
            answer.engine_status = model.status();
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
        return answer;
    }

  private:
    static void read_answer(const ClpSimplex& model, EngineAnswer& answer) {
        answer.objective = model.objectiveValue();
        const double* primal = model.getColSolution();
        answer.primal.assign(primal, primal + model.getNumCols());
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
