#pragma once

#include <set>

// A cut found by the sweep: the side S of the cut and its ratio of cut
// capacity to separated demand. `found` is false when no prefix separated any
// demand; `vertices` is then empty and `ratio` meaningless.
struct CutResult {
    std::set<int> vertices;
    double ratio = 0.0;
    bool found = false;
    // The coordinate of the embedding that was swept; −1 when no coordinate
    // separates the terminals of any commodity.
    int coordinate = -1;
    // What the ratio divides, for a found cut (0 otherwise): the capacity
    // crossing S, summed over every ordered pair of vertices with exactly one
    // in S (so an undirected edge counts in both directions), and the demand
    // of the commodities that S separates.
    double crossing_capacity = 0.0;
    double separated_demand = 0.0;
};
