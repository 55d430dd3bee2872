#pragma once

#include <array>
#include <vector>

#include "graph/commodities.h"
#include "graph/cut_result.h"
#include "graph/solve_status.h"

// What the concurrent-flow computation found for one graph of n vertices. It
// sits beside its graph wherever the graph is kept; nothing in it refers back.
struct FlowResult {
    // flow[w][u][v]: amount of commodity w sent along u → v (n × n each).
    std::array<std::vector<std::vector<double>>, commodity_count> flow;
    // The optimal concurrent-flow fraction λ; 0 when no optimum was found.
    double maxflow = 0.0;

    // How the solve ended: the engine's status and code, or not_solved (no
    // program: fewer than two vertices), check_failed (the engine's optimum
    // does not satisfy the program in double precision), cancelled (the load
    // was cancelled before the solve ended), or timeout (the solve used up its
    // processor time).
    SolveEnd solve;
    // Whether maxflow and the flows are the program's checked optimum, or
    // there was no program to solve (fewer than two vertices). False for any
    // other status: maxflow and the flows are then 0.
    bool reached_optimum = false;
    // The cut printed after "mincut = ".
    CutResult cut;
};
