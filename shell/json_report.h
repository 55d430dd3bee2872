#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "common/console_log.h"
#include "shell/load_graph.h"

// The loaded graph and what was computed on it, as one JSON object:
//   vertices, directed, sizes, positions (the display positions, [x, y, z]),
//   edges ([u, v, capacity] for every stored cell, row by row),
//   maxflow, lp_status (its name), mincut (the cut's ratio, null when no cut
//   was found), cut (its members, ascending),
//   flows (per commodity, [u, v, value] for every non-zero value, row by row),
//   timings ([label, seconds] per timer line, in order).
// Precondition: a graph is current.
nlohmann::json graph_report(const LoadedGraph& state, const ConsoleLog& log);

// The solver's status in words, as the report's "lp_status" gives it
// ("OPTIMAL", "SUBOPTIMAL", "NOT_SOLVED", …).
std::string solver_status_text(const FlowResult& result);
