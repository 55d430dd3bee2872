#include "embedding/shortest_paths.h"

#include "graph/graph.h"

ShortestPaths all_pairs_shortest_paths(const Graph& graph) {
    const int n = graph.vertex_count();
    ShortestPaths paths;
    paths.distances.assign(n, std::vector<double>(n, unreachable_distance));
    paths.next_hops.assign(n, std::vector<double>(n, -1.0));
    auto& dist = paths.distances;
    auto& next = paths.next_hops;

    // An edge's capacity is its length. cell() folds an undirected pair onto
    // one cell, so the starting matrix is symmetric for an undirected graph.
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const EdgeCell& c = graph.cell(i, j);
            if (c.present) {
                next[i][j] = j;
                dist[i][j] = c.capacity;
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        dist[i][i] = 0.0;
    }

    // Floyd–Warshall. A row whose vertex has no known path to k cannot be
    // improved through k, so it is skipped.
    for (int k = 0; k < n; ++k) {
        for (int i = 0; i < n; ++i) {
            if (next[i][k] < 0) {
                continue;
            }
            for (int j = 0; j < n; ++j) {
                if (j == i) {
                    continue;
                }
                const double through_k = dist[i][k] + dist[k][j];
                if (through_k < dist[i][j]) {
                    next[i][j] = next[i][k];
                    dist[i][j] = through_k;
                }
            }
        }
    }
    return paths;
}

double distance_to_subset(const std::vector<std::vector<double>>& distances, int v,
                          const std::set<int>& subset) {
    auto it = subset.begin();
    double best = distances[v][*it];
    for (++it; it != subset.end(); ++it) {
        if (distances[v][*it] < best) {
            best = distances[v][*it];
        }
    }
    return best;
}
