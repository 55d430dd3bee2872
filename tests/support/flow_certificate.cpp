#include "tests/support/flow_certificate.h"

#include <cmath>
#include <list>

#include "graph/commodities.h"
#include "tests/support/oracles.h"

::testing::AssertionResult is_feasible_flow(const Graph& graph, const FlowResult& result,
                                            double tolerance) {
    const int n = graph.vertex_count();
    const double lambda = result.maxflow;
    if (lambda < -tolerance) {
        return ::testing::AssertionFailure() << "negative maxflow " << lambda;
    }
    for (int w = 0; w < commodity_count; ++w) {
        const auto& f = result.flow[w];
        if (static_cast<int>(f.size()) != n) {
            return ::testing::AssertionFailure() << "flow " << w << " has " << f.size() << " rows";
        }
        for (int u = 0; u < n; ++u) {
            if (static_cast<int>(f[u].size()) != n) {
                return ::testing::AssertionFailure() << "flow " << w << " row " << u << " size";
            }
            for (int v = 0; v < n; ++v) {
                const bool allowed = commodity_present(w, n) && u != v && graph.cell(u, v).present;
                if (f[u][v] < -tolerance || (!allowed && std::abs(f[u][v]) > tolerance)) {
                    return ::testing::AssertionFailure()
                           << "x(" << u << "," << v << "," << w << ") = " << f[u][v];
                }
            }
        }
    }
    // Each ordered pair is bounded by its cell's capacity: an undirected edge
    // bounds both directions.
    for (int u = 0; u < n; ++u) {
        for (int v = 0; v < n; ++v) {
            double total = 0.0;
            for (int w = 0; w < commodity_count; ++w) {
                total += result.flow[w][u][v];
            }
            if (total > graph.cell(u, v).capacity + tolerance) {
                return ::testing::AssertionFailure()
                       << "capacity of (" << u << "," << v << ") exceeded: " << total << " > "
                       << graph.cell(u, v).capacity;
            }
        }
    }
    for (int w = 0; w < commodity_count; ++w) {
        if (!commodity_present(w, n)) {
            continue;
        }
        const auto& f = result.flow[w];
        for (int i = 0; i < n; ++i) {
            double net_in = 0.0;
            for (int l = 0; l < n; ++l) {
                net_in += f[l][i] - f[i][l];
            }
            if (i == commodity_sink(w)) {
                const double needed = lambda * commodity_demand[w];
                if (net_in < needed - tolerance * (1.0 + needed)) {
                    return ::testing::AssertionFailure()
                           << "commodity " << w << " delivers " << net_in << " < " << needed;
                }
            } else if (i != commodity_source(w) && std::abs(net_in) > tolerance) {
                return ::testing::AssertionFailure()
                       << "commodity " << w << " not conserved at " << i << ": " << net_in;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

double recomputed_cut_ratio(const Graph& graph, const std::vector<bool>& side) {
    const CutMeasure measure = measure_cut(graph, side);
    return measure.separated_demand == 0.0 ? 0.0
                                           : measure.crossing_capacity / measure.separated_demand;
}

ReportedFlow reported_flow(const nlohmann::json& report) {
    const int n = report.at("vertices");
    std::list<DirectedEdgesGroup> groups;
    for (const auto& e : report.at("edges")) {
        groups.push_back({{e.at(0).get<int>()}, {e.at(1).get<int>()}, e.at(2).get<float>()});
    }
    const auto count = static_cast<std::size_t>(n);
    ReportedFlow reported{Graph(n, groups, report.at("directed"), std::vector<Vector3>(count),
                                std::vector<float>(count, 2.0f)),
                          {}};
    FlowResult& result = reported.result;
    result.maxflow = report.at("maxflow");
    for (int w = 0; w < commodity_count; ++w) {
        result.flow[w].assign(count, std::vector<double>(count, 0.0));
        for (const auto& f : report.at("flows").at(w)) {
            result.flow[w].at(f.at(0).get<std::size_t>()).at(f.at(1).get<std::size_t>()) =
                f.at(2).get<double>();
        }
    }
    return reported;
}
