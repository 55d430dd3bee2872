#include "flow/cut.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "embedding/embedding.h"
#include "graph/commodities.h"
#include "graph/graph.h"

namespace {

// Coordinate k* whose ratio of edge stretch to terminal separation is
// smallest, or −1 when no coordinate separates the terminals of any present
// commodity. Ties keep the lowest index.
int choose_coordinate(const Graph& graph, const Embedding& embedding) {
    const int n = graph.vertex_count();
    const auto& x = embedding.coordinates;
    // Any finite ratio qualifies: a fixed ceiling would discard every
    // coordinate of a graph whose capacities are large.
    double best = std::numeric_limits<double>::infinity();
    int chosen = -1;
    for (std::size_t k = 0; k < embedding.subsets.size(); ++k) {
        double numerator = 0.0;
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const EdgeCell& c = graph.cell(i, j);
                if (c.present) {
                    numerator += std::fabs(x[i][k] - x[j][k]) * static_cast<double>(c.capacity);
                }
            }
        }
        double denominator = 0.0;
        for (int w = 0; w < commodity_count; ++w) {
            if (!commodity_present(w, n)) {
                continue;
            }
            denominator += static_cast<double>(commodity_demand[w]) *
                           std::fabs(x[commodity_source(w)][k] - x[commodity_sink(w)][k]);
        }
        if (denominator != 0.0 && numerator / denominator < best) {
            best = numerator / denominator;
            chosen = static_cast<int>(k);
        }
    }
    return chosen;
}

}  // namespace

CutSweep sweep_cut(const Graph& graph, const std::vector<int>& order) {
    const int n = graph.vertex_count();
    // position[v] < p exactly when v is among the first p vertices of the
    // order, so each membership test is one comparison.
    std::vector<int> position(n);
    for (int index = 0; index < n; ++index) {
        position[order[index]] = index;
    }

    CutSweep sweep;
    // As for the coordinate: with a fixed ceiling a graph of large capacities
    // would be reported as having no cut at all.
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
        for (int w = 0; w < commodity_count; ++w) {
            if (commodity_present(w, n) &&
                (position[commodity_source(w)] < p) != (position[commodity_sink(w)] < p)) {
                separated += static_cast<double>(commodity_demand[w]);
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

CutResult extract_cut(const Graph& graph, const StageContext& context) {
    const Embedding embedding = compute_embedding(graph, context);
    CutResult cut;
    const int k = choose_coordinate(graph, embedding);
    cut.coordinate = k;
    if (k < 0) {
        return cut;
    }

    // Vertices by increasing coordinate; equal coordinates keep increasing
    // vertex order, whatever the number of vertices.
    std::vector<int> order(graph.vertex_count());
    std::iota(order.begin(), order.end(), 0);
    const auto& x = embedding.coordinates;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return x[a][k] < x[b][k]; });

    const CutSweep sweep = sweep_cut(graph, order);
    if (sweep.prefix_length < 0) {
        return cut;
    }
    cut.vertices.insert(order.begin(), order.begin() + sweep.prefix_length);
    cut.ratio = sweep.ratio;
    cut.found = true;
    const CutMeasure measure = measure_cut(graph, cut.vertices);
    cut.crossing_capacity = measure.crossing_capacity;
    cut.separated_demand = measure.separated_demand;
    return cut;
}
