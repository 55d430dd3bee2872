#pragma once

#include <limits>
#include <vector>

#include "graph/cut_result.h"

class ArcLists;
class DemandSet;
struct Embedding;

// Picks the coordinate of `embedding` (compute_embedding's, of the network
// `arcs`) with the smallest ratio of capacity to the demand of `demands` it
// separates and sweeps it for the best prefix cut. When no coordinate or no
// prefix separates any demand, the cut is empty and `found` false.
CutResult extract_cut(const ArcLists& arcs, const DemandSet& demands, const Embedding& embedding);

// The order that extract_cut sweeps: the vertices by increasing coordinate
// k*, the coordinate of the embedding whose ratio of arc stretch to terminal
// separation is smallest (ties keep the lowest index), equal coordinates in
// increasing vertex order. Empty when no coordinate separates the terminals
// of any present commodity.
std::vector<int> sweep_order(const ArcLists& arcs, const DemandSet& demands,
                             const Embedding& embedding);

// Best prefix of a vertex order: the prefix length p (−1 when none) whose set
// S of the first p vertices has the smallest ratio of cut capacity (every
// arc with exactly one end in S, so an undirected edge counts in both
// directions) to the demand of the present commodities that S separates. The
// empty prefix never qualifies and ties keep the shortest prefix; any finite
// ratio counts. `order` is a permutation of 0 … n − 1.
//
// The vertices enter S one at a time and the cut follows by the arcs of the
// vertex that entered, and the separated demand by its commodities, O(m + k)
// for the whole sweep with k commodities (a prefix whose ratio may beat the
// best is measured from scratch, O(k)). The cut is summed exactly
// (the capacities are floats), so equal cuts compare equal whatever the
// order of their terms.
struct CutSweep {
    int prefix_length = -1;
    double ratio = std::numeric_limits<double>::infinity();
};
CutSweep sweep_cut(const ArcLists& arcs, const DemandSet& demands, const std::vector<int>& order);
