#pragma once

#include <set>
#include <vector>

#include "common/stage_context.h"

class ArcLists;
class Graph;

// Vertices placed in R^K by their distances to K random vertex subsets.
struct Embedding {
    // The subsets, in the order they were drawn.
    std::vector<std::set<int>> subsets;
    // coordinates[v][k]: distance from vertex v to subsets[k].
    std::vector<std::vector<double>> coordinates;
};

// Sizes of the subsets drawn for a graph of n vertices, in drawing order:
// for each scale i = 1, 2, … below log2 n, ⌈ln n⌉ subsets of ⌊n / 2^i⌋
// vertices. Empty for n ≤ 2.
std::vector<int> embedding_subset_sizes(int n);

// Draws the random subsets from the context's random source, computes the
// coordinates of every vertex (distances_to_subset, the capacities as arc
// lengths), logs the timer line and, with `verbose`, the coordinate table
// (or, when it holds more values than the context's listing limit, one line
// saying so).
Embedding compute_embedding(const ArcLists& arcs, const StageContext& context);
Embedding compute_embedding(const Graph& graph, const StageContext& context);
