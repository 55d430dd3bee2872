#include "flow/flow_lp.h"

#include <lpsolve/lp_lib.h>

#include <sstream>
#include <vector>

#include "flow/commodities.h"
#include "flow/cut.h"
#include "flow/flow_model.h"
#include "graph/graph.h"
#include "shell/console_log.h"

int flow_column(int n, int u, int v, int w) {
    return n * (n * w + u) + v + 1;
}

int lambda_column(int n) {
    return 3 * n * n + 1;
}

std::string flow_column_name(int u, int v, int w) {
    return "x_{" + std::to_string(u) + "," + std::to_string(v) + "}^" + std::to_string(w);
}

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

}  // namespace

void solve_flow_lp(const Graph* graph, FlowResult& result, ConsoleLog& log, bool verbose,
                   long time_limit_seconds) {
    result.graph = graph;
    if (graph == nullptr) {
        return;
    }
    const int n = graph->vertex_count();
    result.vertex_count = n;
    result.maxflow = 0.0;
    result.lp_status = FlowResult::lp_not_solved;
    for (auto& matrix : result.flow) {
        matrix.assign(n, std::vector<double>(n, 0.0));
    }

    if (verbose) {
        for (int i = 0; i < n; ++i) {
            log.append_line(capacity_line(*graph, i));
        }
    }
    log.append_line("");

    if (n < 2) {
        // Commodity 0 needs vertices 0 and 1: with fewer there is nothing to
        // route and no program to solve.
        log.append_line("** Moins de deux sommets : aucune commodité, pas de programme linéaire.");
    } else {
        LpModel lp = load_flow_program(formulate_flow_program(*graph));
        log.log_timer("Problème LP formulé");
        if (lp) {
            configure_solver(lp.get(), time_limit_seconds);
            result.lp_status = solve(lp.get());
        } else {
            result.lp_status = NOMEMORY;
        }
        log.log_timer("Problème LP résolu");

        const bool solved = result.lp_status == OPTIMAL || result.lp_status == PRESOLVED;
        if (solved) {
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
        } else {
            std::ostringstream line;
            line << "** Le programme linéaire n'a pas de solution optimale (statut lp_solve : "
                 << result.lp_status << ", " << lp_status_text(result.lp_status) << ").";
            log.append_line(line.str());
        }

        if (verbose && lp) {
            std::ostringstream listing;
            for (int w = 0; w < commodity_count; ++w) {
                for (int u = 0; u < n; ++u) {
                    for (int v = 0; v < n; ++v) {
                        listing << get_origcol_name(lp.get(), flow_column(n, u, v, w)) << " = "
                                << result.flow[w][u][v] << "\t";
                    }
                    listing << "\n";
                }
                listing << "\n";
            }
            log.append_line(listing.str());
        }
    }

    result.cut = extract_cut(result, log, verbose);
    log.log_timer("MinCut trouvée");
    log.append_line("****************************");
    log.append_line(result_text(result));
}
