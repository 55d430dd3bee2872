#pragma once

#include <functional>
#include <vector>

#include "common/stage_context.h"
#include "graph/flow_result.h"

class ArcLists;
class DemandSet;

// Solves the maximum concurrent flow program of the network `arcs` with the
// commodities of `demands` and returns the flows (by source), maxflow and
// how the solve ended (no cut: that is the sweep's); writes nothing, but
// calls `formulated`, when set, once the first program is formulated and
// handed to lp_solve.
//
// The program has one column per source and arc (formulate_flow_program),
// its capacities scaled by capacity_scale; λ and the flows are scaled back.
// An optimum that lp_solve reports is checked against the graph's own
// capacities (satisfies_flow_program) before it counts.
//
// Without a present commodity (the default set below two vertices) there is
// no program: the status stays not_solved and it counts as reached_optimum. Otherwise the result is
// reached_optimum only when lp_solve ends OPTIMAL or PRESOLVED and the check
// passes; any other end leaves maxflow and every flow at 0, with the status
// lp_solve's, or check_failed, or cancelled when the context's `cancel` was
// set (before or during the solve), or timeout when the solve used up the
// context's `cpu_limit_seconds` of processor time, counted on the calling
// thread's clock (CLOCK_THREAD_CPUTIME_ID), so that other work on the
// machine does not shorten it.
FlowResult solve_flow_lp(const ArcLists& arcs, const DemandSet& demands,
                         const StageContext& context, const std::function<void()>& formulated = {});

// How lp_solve's status code `code` ends a solve: its status (unknown for a
// code lp_solve does not document), with the code kept.
SolveEnd lp_solve_end(int code);

// The maximum concurrent flow of the commodities of `demands` in the
// undirected network `pairs` (pair_network's), where the flows of both directions of a
// pair share its capacity: λ*, which bounds from below the ratio of every
// cut (capacity crossing in either direction over separated demand), with
// the dual lengths of the pairs' capacity rows. Solved at the same scales
// and checked as solve_flow_lp's program, cancel and processor-time limit
// included.
//
// Without a present commodity λ* is 0 and counts as reached. Otherwise
// reached_optimum only for a checked optimum; lambda and lengths are then
// set (lengths[a] for arc a of `pairs`, equal on both arcs of a pair), else
// 0 and empty.
struct PairFlowBound {
    SolveEnd solve;
    bool reached_optimum = false;
    double lambda = 0.0;
    std::vector<double> lengths;
};
PairFlowBound solve_pair_flow_bound(const ArcLists& pairs, const DemandSet& demands,
                                    const StageContext& context);
