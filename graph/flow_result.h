#pragma once

#include <array>
#include <vector>

#include "graph/commodities.h"
#include "graph/cut_result.h"

// What the concurrent-flow computation found for one graph of n vertices. It
// sits beside its graph wherever the graph is kept; nothing in it refers back.
struct FlowResult {
    // flow[w][u][v]: amount of commodity w sent along u → v (n × n each).
    std::array<std::vector<std::vector<double>>, commodity_count> flow;
    // The optimal concurrent-flow fraction λ; 0 when no optimum was found.
    double maxflow = 0.0;

    // lp_solve's status code from solve(), or one of these:
    //  - lp_not_solved: no program was solved (fewer than two vertices);
    //  - lp_check_failed: lp_solve reported an optimum that does not satisfy
    //    the program in double precision;
    //  - lp_cancelled: the load was cancelled before the solve ended.
    // A solve stopped at its processor-time limit has lp_solve's TIMEOUT.
    static constexpr int lp_not_solved = -100;
    static constexpr int lp_check_failed = -101;
    static constexpr int lp_cancelled = -102;
    int lp_status = lp_not_solved;
    // Whether maxflow and the flows are the program's checked optimum, or
    // there was no program to solve (fewer than two vertices). False for any
    // other status: maxflow and the flows are then 0.
    bool reached_optimum = false;
    // The cut printed after "mincut = ".
    CutResult cut;
};
