#include "flow/flow_lp.h"

#include <lpsolve/lp_lib.h>

#include <sstream>
#include <vector>

#include "common/console_log.h"
#include "flow/cut.h"
#include "flow/flow_model.h"
#include "graph/commodities.h"
#include "graph/graph.h"

std::string lp_status_text(int status) {
    switch (status) {
        case FlowResult::lp_not_solved:
            return "NOT_SOLVED";
        case NOMEMORY:
            return "NOMEMORY";
        case NOTRUN:
            return "NOTRUN";
        case OPTIMAL:
            return "OPTIMAL";
        case SUBOPTIMAL:
            return "SUBOPTIMAL";
        case INFEASIBLE:
            return "INFEASIBLE";
        case UNBOUNDED:
            return "UNBOUNDED";
        case DEGENERATE:
            return "DEGENERATE";
        case NUMFAILURE:
            return "NUMFAILURE";
        case USERABORT:
            return "USERABORT";
        case TIMEOUT:
            return "TIMEOUT";
        case RUNNING:
            return "RUNNING";
        case PRESOLVED:
            return "PRESOLVED";
        case PROCFAIL:
            return "PROCFAIL";
        case PROCBREAK:
            return "PROCBREAK";
        case FEASFOUND:
            return "FEASFOUND";
        case NOFEASFOUND:
            return "NOFEASFOUND";
        case FATHOMED:
            return "FATHOMED";
        case ACCURACYERROR:
            return "ACCURACYERROR";
        default:
            return "UNKNOWN";
    }
}

namespace {

std::string capacity_line(const Graph& graph, int i) {
    std::ostringstream line;
    for (int j = 0; j < graph.vertex_count(); ++j) {
        line << "(" << i << "," << j << ") = " << graph.cell(i, j).capacity << " ; ";
    }
    return line.str();
}

std::string result_text(const FlowResult& result) {
    std::ostringstream text;
    text << "maxflow = " << result.maxflow << "\n";
    if (result.cut.found) {
        text << "mincut = " << result.cut.ratio << "\n";
    } else {
        text << "mincut : aucune coupe ne sépare de demande\n";
    }
    text << "Eléments de la mincut :\n{";
    const char* separator = "";
    for (int v : result.cut.vertices) {
        text << separator << v;
        separator = ", ";
    }
    text << "}\n";
    return text.str();
}

// Solver settings for the concurrent-flow program. The program is highly
// degenerate: the simplex starts from the all-zero flow, and the conservation
// and demand rows have right-hand side 0, so many pivots move nothing. With
// lp_solve's default scaling (geometric with equilibration) the primal simplex
// could stall there for tens of thousands of such pivots, depending on nothing
// more than the capacity values: a complete directed graph of 100 vertices
// with capacities 10 took 53000 iterations where the same graph with
// capacities 0.1 took 1800. Geometric scaling alone gave steady iteration
// counts on every dense case measured, and fewer iterations on most. The
// pricing is lp_solve's default, named here because steepest edge, Dantzig
// and partial pricing all did worse (partial pricing even reported a bounded
// program unbounded).
// Each iteration still prices all 3n² columns and the iterations grow with n,
// so on complete graphs the time grows about as n⁴: the vertex limit of a load
// is set from that, and the time limit stops whatever stalls anyway.
void configure_solver(lprec* lp, long time_limit_seconds) {
    set_verbose(lp, NEUTRAL);
    // Presolve turns the single-entry support rows into column bounds.
    set_presolve(lp, PRESOLVE_ROWS | PRESOLVE_COLS | PRESOLVE_LINDEP, get_presolveloops(lp));
    set_scaling(lp, SCALE_GEOMETRIC);
    set_pivoting(lp, PRICER_DEVEX | PRICE_ADAPTIVE);
    set_timeout(lp, time_limit_seconds);
}

// Solves the loaded program and reads its optimum into `result`: the flow of
// every original column and λ. A program that ends without an optimum leaves
// the flows and maxflow at 0 and says so in the console.
void solve_program(const FlowProgram& program, FlowResult& result, ConsoleLog& log,
                   long time_limit_seconds, LpModel& lp) {
    const int n = program.vertex_count;
    Expected<LpModel> loaded = load_flow_program(program);
    log.log_timer("Problème LP formulé");
    if (loaded) {
        lp = std::move(*loaded);
        configure_solver(lp.get(), time_limit_seconds);
        result.lp_status = solve(lp.get());
    } else {
        result.lp_status = NOMEMORY;
    }
    log.log_timer("Problème LP résolu");

    if (result.lp_status == OPTIMAL || result.lp_status == PRESOLVED) {
        // Presolve may remove columns; the values of the original columns
        // follow the original rows in the primal result.
        const int offset = get_Norig_rows(lp.get());
        for (int w = 0; w < commodity_count; ++w) {
            for (int u = 0; u < n; ++u) {
                for (int v = 0; v < n; ++v) {
                    result.flow[w][u][v] =
                        get_var_primalresult(lp.get(), offset + flow_column(n, u, v, w));
                }
            }
        }
        result.maxflow = get_objective(lp.get());
        result.reached_optimum = true;
    } else {
        std::ostringstream line;
        line << "** Le programme linéaire n'a pas de solution optimale (statut lp_solve : "
             << result.lp_status << ", " << lp_status_text(result.lp_status) << ").";
        log.append_line(line.str());
    }
}

// Every flow column's name as lp_solve holds it, " = " and its value, a line
// per tail vertex and an empty line after each commodity.
std::string flow_listing(const FlowResult& result, int n, lprec* lp) {
    std::ostringstream listing;
    for (int w = 0; w < commodity_count; ++w) {
        for (int u = 0; u < n; ++u) {
            for (int v = 0; v < n; ++v) {
                listing << get_origcol_name(lp, flow_column(n, u, v, w)) << " = "
                        << result.flow[w][u][v] << "\t";
            }
            listing << "\n";
        }
        listing << "\n";
    }
    return listing.str();
}

}  // namespace

FlowResult solve_flow_lp(const Graph& graph, const StageContext& context,
                         long time_limit_seconds) {
    ConsoleLog& log = context.log;
    const int n = graph.vertex_count();
    FlowResult result;
    for (auto& matrix : result.flow) {
        matrix.assign(n, std::vector<double>(n, 0.0));
    }

    if (context.verbose) {
        for (int i = 0; i < n; ++i) {
            log.append_line(capacity_line(graph, i));
        }
    }
    log.append_line("");

    if (n < 2) {
        // Commodity 0 needs vertices 0 and 1: with fewer there is nothing to
        // route and no program to solve.
        log.append_line("** Moins de deux sommets : aucune commodité, pas de programme linéaire.");
        result.reached_optimum = true;
    } else {
        LpModel lp;
        solve_program(formulate_flow_program(graph), result, log, time_limit_seconds, lp);
        if (context.verbose && lp) {
            log.append_line(flow_listing(result, n, lp.get()));
        }
    }

    result.cut = extract_cut(graph, context);
    log.log_timer("MinCut trouvée");
    log.append_line("****************************");
    log.append_line(result_text(result));
    return result;
}
