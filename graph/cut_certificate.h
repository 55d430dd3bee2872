#pragma once

#include <vector>

#include "common/solver_choice.h"
#include "graph/solve_status.h"

// The best cut found for a graph and how far from optimal it can be, by the
// measure of the sweep: ratio(S) = capacity of the arcs crossing S in either
// direction / demand of the commodities S separates.
struct BestCut {
    enum class Method { sweep, ball, vertex };
    // The side S, by increasing vertex; empty when no cut separates demand.
    std::vector<int> members;
    // +∞ when no cut separates demand.
    double ratio = 0.0;
    Method method = Method::sweep;
};

struct CutCertificate {
    // Whether λ* is the checked optimum of its program; when false the other
    // fields are those of the sweep's cut, lower_bound is 0 and nothing is
    // proved.
    bool bound_reached = false;
    // How the solve of λ*'s program ended.
    SolveEnd solve;
    // λ*, the maximum concurrent flow in the graph's pair network.
    double lower_bound = 0.0;
    BestCut best_cut;
    // best_cut.ratio ≤ lower_bound × (1 + certificate_tolerance).
    bool proved_optimal = false;
    // best_cut.ratio / lower_bound: how far above the optimum the best cut
    // can be at most; 1 for a cut of ratio 0 under a bound of 0, +∞ for any
    // other cut under a bound of 0 or when the bound was not reached.
    double gap = 0.0;
    // The engine that answered λ*'s program, or whose end `solve` is.
    SolverEngine solver = SolverEngine::lp_solve;
};
