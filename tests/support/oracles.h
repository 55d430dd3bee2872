#pragma once

#include <vector>

#include "graph/demand_set.h"
#include "graph/graph.h"

// The computations that the fast ones replaced, kept as references for them:
// they work on the n × n matrix of the graph, so they cost n² per step.

// Floyd–Warshall over the graph's cells: distances[i][j] is the length of a
// shortest path from i to j (the capacities as lengths), 100000 for a pair
// that no path joins, 0 on the diagonal. A pair joined by an arc longer than
// 100000 with no shorter path keeps a distance above 100000 here.
std::vector<std::vector<double>> floyd_warshall_distances(const Graph& graph);

// The best prefix of `order` as the cut sweep defines it (see sweep_cut),
// every prefix's cut summed from scratch over all ordered pairs, row by row,
// in double precision: O(n³). The prefix length (−1 when none) and its ratio.
struct OracleSweep {
    int prefix_length = -1;
    double ratio = 0.0;
};
// `demands` defaults to the graph's default set.
OracleSweep from_scratch_sweep(const Graph& graph, const std::vector<int>& order);
OracleSweep from_scratch_sweep(const Graph& graph, const DemandSet& demands,
                               const std::vector<int>& order);

// What a cut's ratio divides for the side S (side[v] for v in S), from the
// matrix: the capacity of every ordered pair with exactly one end in S (an
// undirected edge counts in both directions), and the demand of the present
// commodities that S separates.
struct CutMeasure {
    double crossing_capacity = 0.0;
    double separated_demand = 0.0;
};
CutMeasure measure_cut(const Graph& graph, const std::vector<bool>& side);
CutMeasure measure_cut(const Graph& graph, const DemandSet& demands, const std::vector<bool>& side);
