#pragma once

#include <string>

#include "flow/flow_result.h"

class ConsoleLog;
class Graph;

// Solves the three-commodity maximum concurrent flow program on `graph`,
// fills `result` (flows, maxflow, status, cut) and writes the console lines.
// With a null graph only the (empty) graph reference is stored.
void solve_flow_lp(const Graph* graph, FlowResult& result, ConsoleLog& log, bool verbose);

// Short name of an lp_solve status code ("OPTIMAL", "INFEASIBLE", …;
// "NOT_SOLVED" for FlowResult::lp_not_solved).
std::string lp_status_text(int status);
