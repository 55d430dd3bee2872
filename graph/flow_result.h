#pragma once

#include <vector>

#include "common/solver_choice.h"
#include "graph/cut_result.h"
#include "graph/solve_status.h"

// What the concurrent-flow computation found for one graph with its demand
// set. It sits beside its graph wherever the graph is kept; nothing in it
// refers back.
struct FlowResult {
    // The flows, aggregated by source: sources[i] is the i-th distinct
    // source of the demand set's present commodities (DemandSet::sources()),
    // and flow[i][a] the amount of its flow along arc a of the graph's arcs
    // (Graph::arcs()). With the default set, source i carries commodity i
    // alone. Empty when no optimum was reached.
    std::vector<int> sources;
    std::vector<std::vector<double>> flow;
    // The optimal concurrent-flow fraction λ; 0 when no optimum was found.
    double maxflow = 0.0;

    // How the solve ended: the engine's status and code, or not_solved (no
    // program: no present commodity, fewer than two vertices), check_failed
    // (the engine's optimum does not satisfy the program in double
    // precision), cancelled (the load was cancelled before the solve ended),
    // or timeout (the solve used up its processor time).
    SolveEnd solve;
    // The engine whose answer the flows are, or whose end `solve` is (the
    // code is that engine's own); with `fallback`, the answer came from an
    // engine tried after the first one's answers failed their check (CLP's
    // other simplex, or lp_solve).
    SolverEngine solver = SolverEngine::lp_solve;
    bool fallback = false;
    // Whether maxflow and the flows are the program's checked optimum, or
    // there was no program to solve. False for any other status: maxflow is
    // then 0 and there are no flows.
    bool reached_optimum = false;
    // The cut printed after "mincut = ".
    CutResult cut;

    // The flow of source i along arc a; 0 without flows.
    double arc_flow(int i, int a) const {
        return static_cast<std::size_t>(i) < flow.size()
                   ? flow[static_cast<std::size_t>(i)][static_cast<std::size_t>(a)]
                   : 0.0;
    }
};
