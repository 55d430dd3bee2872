#pragma once

#include <string>

#include "common/stage_context.h"
#include "graph/flow_result.h"

class Graph;

// Longest time, in seconds, that lp_solve may spend on one program (presolve
// included). The vertex limit of a load keeps every accepted graph well within
// it; the limit only stops a solve that stalls anyway, so that a load never
// runs much past a minute.
inline constexpr long lp_time_limit_seconds = 45;

// Solves the three-commodity maximum concurrent flow program on `graph`, then
// extracts the cut (extract_cut), and returns the flows, maxflow, lp_solve's
// status and the cut; writes the console lines (and, with `verbose`, the
// capacity and flow listings). A graph of fewer than two vertices has no
// program: its status stays lp_not_solved. A solve that ends without an
// optimum, also one stopped after `time_limit_seconds` (lp_solve then reports
// SUBOPTIMAL or TIMEOUT), leaves maxflow and every flow at 0 and writes a line
// with lp_solve's status. A time limit of 0 sets none.
FlowResult solve_flow_lp(const Graph& graph, const StageContext& context,
                         long time_limit_seconds = lp_time_limit_seconds);

// Short name of an lp_solve status code ("OPTIMAL", "INFEASIBLE", …;
// "NOT_SOLVED" for FlowResult::lp_not_solved).
std::string lp_status_text(int status);
