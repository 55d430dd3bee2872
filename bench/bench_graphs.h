#pragma once

#include <string>

// The capacities written on the edges of a benchmark graph.
enum class Capacities {
    standard,  // none written: every edge keeps the default
    equal,     // all 10
    random,    // integers 1 … 100
    wide,      // 10^u for u uniform in −3 … 3: spread over six decades
};

// The .gr text of a graph of n vertices (the last one declared, so that the
// count is exactly n) and `edges` edges "u -> v" between distinct vertices
// drawn at random, directed or not; the same seed gives the same text.
std::string random_graph_text(int n, int edges, bool directed, Capacities capacities,
                              unsigned seed);

// The .gr text of a graph of n vertices in which every pair of vertices is
// joined once (each ordered pair when directed), with probability `density`.
std::string complete_graph_text(int n, bool directed, Capacities capacities, unsigned seed,
                                double density = 1.0);
