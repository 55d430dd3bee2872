#pragma once

#include <set>
#include <vector>

class Graph;

// All-pairs shortest paths of a graph whose edge lengths are the capacities.
struct ShortestPaths {
    // distances[i][j]: length of a shortest path from i to j; 100000 when j
    // cannot be reached, 0 on the diagonal.
    std::vector<std::vector<double>> distances;
    // next_hops[i][j]: first vertex after i on that path, −1 when none.
    std::vector<std::vector<double>> next_hops;
};

// Distance value given to a pair with no path.
inline constexpr double unreachable_distance = 100000.0;

// Floyd–Warshall over the graph's cells (directed distances for a directed
// graph, symmetric ones otherwise).
ShortestPaths all_pairs_shortest_paths(const Graph& graph);

// Smallest distances[v][a] over the members a of `subset`, which must not be
// empty.
double distance_to_subset(const std::vector<std::vector<double>>& distances, int v,
                          const std::set<int>& subset);
