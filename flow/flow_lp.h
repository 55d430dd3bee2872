#pragma once

#include <string>

#include "flow/flow_result.h"

class ConsoleLog;
class Graph;

// Longest time, in seconds, that lp_solve may spend on one program (presolve
// included). The vertex limit of a load keeps every accepted graph well within
// it; the limit only stops a solve that stalls anyway, so that a load never
// runs much past a minute.
inline constexpr long lp_time_limit_seconds = 45;

// Solves the three-commodity maximum concurrent flow program on `graph`,
// fills `result` (flows, maxflow, status, cut) and writes the console lines.
// With a null graph only the (empty) graph reference is stored. A solve that
// ends without an optimum, also one stopped after `time_limit_seconds`
// (lp_solve then reports SUBOPTIMAL or TIMEOUT), leaves maxflow and every flow
// at 0 and writes a line with lp_solve's status. A time limit of 0 sets none.
void solve_flow_lp(const Graph* graph, FlowResult& result, ConsoleLog& log, bool verbose,
                   long time_limit_seconds = lp_time_limit_seconds);

// Column of the flow of commodity w along u → v in the program of a graph
// of n vertices (numbered from 1, by commodity, then u, then v), and its name
// "x_{u,v}^w". The last column, 3n² + 1, is λ.
int flow_column(int n, int u, int v, int w);
int lambda_column(int n);
std::string flow_column_name(int u, int v, int w);

// Short name of an lp_solve status code ("OPTIMAL", "INFEASIBLE", …;
// "NOT_SOLVED" for FlowResult::lp_not_solved).
std::string lp_status_text(int status);
