#pragma once

#include <set>
#include <vector>

class ConsoleLog;
struct FlowResult;

// Vertices placed in R^K by their distances to K random vertex subsets.
struct Embedding {
    // The subsets, in the order they were drawn.
    std::vector<std::set<int>> subsets;
    // coordinates[v][k]: distance from vertex v to subsets[k].
    std::vector<std::vector<double>> coordinates;
};

// Draws the random subsets, computes the coordinates of every vertex of the
// result's graph, logs the timer line and, with `verbose`, the coordinate table.
Embedding compute_embedding(const FlowResult& result, ConsoleLog& log, bool verbose);
