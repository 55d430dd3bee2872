#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "common/console_log.h"
#include "common/stage_context.h"
#include "flow/certificate.h"
#include "shell/load_graph.h"

// The version of the report's layout, its "schema_version". A change that
// removes a key or changes its meaning raises it; new keys do not.
inline constexpr int report_schema_version = 3;

// The loaded graph and what was computed on it, as one JSON object (the
// README gives every key):
//   schema_version;
//   vertices, directed, names (one per vertex, "" for an unnamed one), sizes,
//   positions (the display positions, [x, y, z]), edges ([u, v, capacity]
//   for every stored cell, row by row: an undirected edge once, from its
//   smaller end);
//   demand_set (where the demands come from: "default", "file", "all-pairs"),
//   commodities ({source, sink, demand, present} for each commodity);
//   maxflow, lp_status (the solver status's name), lp_status_code,
//   lp_status_text (the status in French words), reached_optimum;
//   mincut (the cut's ratio, null when no cut was found), cut (its members,
//   ascending), cut_crossing_capacity, cut_separated_demand (null without a
//   cut), cut_coordinate (the embedding coordinate swept, null when none);
//   flows ([u, v, value] for every value of at least flow_report_threshold
//   in magnitude, row by row: one list per commodity for the default set,
//   one [source, list] per source for another);
//   timings (seconds per stage under the keys of stage_timers, and total_s,
//   the sum of every timer line of the load; a stage that did not run reads
//   0); and, once the cut was certified (certify_stage), certificate (see
//   certificate_report) with its time as timings.certificate_s, which
//   total_s leaves out.
// Precondition: a graph is current. `log` is the console of that load, whose
// timer lines give the timings.
nlohmann::json graph_report(const LoadedGraph& state, const ConsoleLog& log);

// Flow values below this, in magnitude, are left out of the report's flows.
inline constexpr double flow_report_threshold = 1e-9;

// The report's "certificate" object: lower_bound (λ*, null when its program
// did not reach a checked optimum), best_cut {members (ascending), ratio
// (null when no cut separates demand), method ("sweep", "ball" or
// "vertex")}, proved_optimal, and gap (best ratio over λ*, null when it is
// not finite).
nlohmann::json certificate_report(const CutCertificate& certificate);
