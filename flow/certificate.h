#pragma once

#include <vector>

#include "common/stage_context.h"
#include "graph/cut_certificate.h"
#include "graph/cut_result.h"

class ArcLists;
class DemandSet;
class Graph;

// Slack of the optimality test, for the rounding of the solve.
inline constexpr double certificate_tolerance = 1e-7;

// The short name of a method: "sweep", "ball" or "vertex".
const char* best_cut_method_name(BestCut::Method method);

// Solves the bound λ* (solve_pair_flow_bound on pair_network(arcs), with the
// same demands and the engine chosen for the graph itself: chosen_engine on
// `arcs`), grows regions in its dual lengths and keeps the best cut
// among the sweep's cut `sweep`, every ball and every single vertex:
//  - a ball is a prefix of the vertices ordered by their distance from one
//    of the terminals (DemandSet::terminals(), in increasing order), in the
//    dual lengths along the pairs (either direction), ties and unreachable
//    vertices in increasing order; every prefix of each order is measured,
//    incrementally (sweep_cut);
//  - a single vertex {v} separates demand only when v is a terminal.
// A candidate replaces the best so far only with a strictly smaller ratio,
// so ties keep the sweep's cut, then the earlier terminal's ball.
// Without a reached bound no region is grown: the best cut is the sweep's.
// Writes nothing to the console; stops as the main solve does on cancel.
CutCertificate certify_cut(const ArcLists& arcs, const DemandSet& demands, const CutResult& sweep,
                           const StageContext& context);
CutCertificate certify_cut(const Graph& graph, const DemandSet& demands, const CutResult& sweep,
                           const StageContext& context);
