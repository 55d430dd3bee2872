#pragma once

#include <limits>
#include <vector>

#include "common/stage_context.h"
#include "graph/cut_result.h"

class Graph;

// Embeds `graph` (compute_embedding, which logs its own lines), picks the coordinate with the smallest ratio of
// capacity to separated demand and sweeps it for the best prefix cut. When no
// coordinate or no prefix separates any demand, the cut is empty and `found`
// false.
CutResult extract_cut(const Graph& graph, const StageContext& context);

// Best prefix of a vertex order: the prefix length p (−1 when none) whose set
// S of the first p vertices has the smallest ratio of cut capacity (every
// ordered pair with exactly one end in S, so an undirected edge counts in both
// directions) to the demand of the present commodities that S separates. The
// empty prefix never qualifies and ties keep the shortest prefix; any finite
// ratio counts. `order` is a permutation of 0 … n − 1.
struct CutSweep {
    int prefix_length = -1;
    double ratio = std::numeric_limits<double>::infinity();
};
CutSweep sweep_cut(const Graph& graph, const std::vector<int>& order);
