#include "tests/support/oracles.h"

#include <limits>

std::vector<std::vector<double>> floyd_warshall_distances(const Graph& graph) {
    const int n = graph.vertex_count();
    std::vector<std::vector<double>> dist(n, std::vector<double>(n, 100000.0));
    std::vector<std::vector<int>> next(n, std::vector<int>(n, -1));
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
    // A row whose vertex has no known path to k cannot be improved through k.
    for (int k = 0; k < n; ++k) {
        for (int i = 0; i < n; ++i) {
            if (next[i][k] < 0) {
                continue;
            }
            for (int j = 0; j < n; ++j) {
                const double through_k = dist[i][k] + dist[k][j];
                if (j != i && through_k < dist[i][j]) {
                    next[i][j] = next[i][k];
                    dist[i][j] = through_k;
                }
            }
        }
    }
    return dist;
}

OracleSweep from_scratch_sweep(const Graph& graph, const std::vector<int>& order) {
    return from_scratch_sweep(graph, DemandSet::default_set(graph.vertex_count()), order);
}

OracleSweep from_scratch_sweep(const Graph& graph, const DemandSet& demands,
                               const std::vector<int>& order) {
    const int n = graph.vertex_count();
    std::vector<int> position(n);
    for (int index = 0; index < n; ++index) {
        position[order[index]] = index;
    }
    OracleSweep sweep;
    double best = std::numeric_limits<double>::infinity();
    for (int p = 0; p < n; ++p) {
        double cut = 0.0;
        for (int a = 0; a < n; ++a) {
            const bool a_inside = position[a] < p;
            for (int b = 0; b < n; ++b) {
                if (a != b && a_inside != (position[b] < p)) {
                    cut += static_cast<double>(graph.cell(a, b).capacity);
                }
            }
        }
        double separated = 0.0;
        for (const Commodity& c : demands.commodities()) {
            if (c.present && (position[c.source] < p) != (position[c.sink] < p)) {
                separated += c.demand;
            }
        }
        if (separated != 0.0 && cut / separated < best) {
            best = cut / separated;
            sweep.prefix_length = p;
        }
    }
    sweep.ratio = best;
    return sweep;
}

CutMeasure measure_cut(const Graph& graph, const std::vector<bool>& side) {
    return measure_cut(graph, DemandSet::default_set(graph.vertex_count()), side);
}

CutMeasure measure_cut(const Graph& graph, const DemandSet& demands,
                       const std::vector<bool>& side) {
    const int n = graph.vertex_count();
    CutMeasure measure;
    for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) {
            if (a != b && side[a] != side[b]) {
                measure.crossing_capacity += static_cast<double>(graph.cell(a, b).capacity);
            }
        }
    }
    for (const Commodity& c : demands.commodities()) {
        if (c.present && side[c.source] != side[c.sink]) {
            measure.separated_demand += c.demand;
        }
    }
    return measure;
}
