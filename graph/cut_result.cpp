#include "graph/cut_result.h"

#include <vector>

#include "graph/commodities.h"
#include "graph/graph.h"

CutMeasure measure_cut(const Graph& graph, const std::set<int>& vertices) {
    const int n = graph.vertex_count();
    std::vector<char> inside(static_cast<std::size_t>(n), 0);
    for (int v : vertices) {
        if (v >= 0 && v < n) {
            inside[static_cast<std::size_t>(v)] = 1;
        }
    }
    CutMeasure measure;
    for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) {
            if (a != b && inside[a] != inside[b]) {
                measure.crossing_capacity += static_cast<double>(graph.cell(a, b).capacity);
            }
        }
    }
    for (int w = 0; w < commodity_count; ++w) {
        if (commodity_present(w, n) &&
            inside[commodity_source(w)] != inside[commodity_sink(w)]) {
            measure.separated_demand += static_cast<double>(commodity_demand[w]);
        }
    }
    return measure;
}
