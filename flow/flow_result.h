#pragma once

#include <array>
#include <string>
#include <vector>

#include "flow/commodities.h"
#include "flow/cut_result.h"

class Graph;

// What the concurrent-flow computation found for one graph; the graph owns it.
struct FlowResult {
    // The graph it was computed for.
    const Graph* graph = nullptr;
    // flow[w][u][v]: amount of commodity w sent along u → v (n × n each).
    std::array<std::vector<std::vector<double>>, commodity_count> flow;
    // The optimal concurrent-flow fraction λ; 0 when no optimum was found.
    double maxflow = 0.0;
    int vertex_count = 0;

    // lp_solve's status code from solve(), or lp_not_solved when no program
    // was solved (fewer than two vertices).
    static constexpr int lp_not_solved = -100;
    int lp_status = lp_not_solved;
    // The cut printed after "mincut = ".
    CutResult cut;
};
