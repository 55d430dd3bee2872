#include "tests/flow/flow_test_support.h"

#include <cmath>
#include <list>
#include <random>

#include "flow/commodities.h"

Graph make_graph(int n, const std::vector<TestEdge>& edges, bool directed) {
    std::list<DirectedEdgesGroup> groups;
    for (const TestEdge& e : edges) {
        groups.push_back({{e.from}, {e.to}, e.cap});
    }
    return Graph(n, groups, directed, std::vector<Vector3>(n), std::vector<float>(n, 2.0f));
}

Graph random_graph(int n, int edges, bool directed, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> vertex(0, n - 1);
    std::uniform_int_distribution<int> capacity(1, 100);
    std::vector<TestEdge> list;
    for (int e = 0; e < edges; ++e) {
        list.push_back({vertex(rng), vertex(rng), static_cast<float>(capacity(rng))});
    }
    return make_graph(n, list, directed);
}

Graph complete_graph(int n, bool directed, float cap, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> capacity(1, 100);
    std::vector<TestEdge> list;
    for (int u = 0; u < n; ++u) {
        for (int v = directed ? 0 : u + 1; v < n; ++v) {
            if (u != v) {
                list.push_back({u, v, cap != 0.0f ? cap : static_cast<float>(capacity(rng))});
            }
        }
    }
    return make_graph(n, list, directed);
}

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
    const int n = graph.vertex_count();
    double cut = 0.0;
    for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) {
            if (a != b && side[a] != side[b]) {
                cut += graph.cell(a, b).capacity;
            }
        }
    }
    double separated = 0.0;
    for (int w = 0; w < commodity_count; ++w) {
        if (commodity_present(w, n) && side[commodity_source(w)] != side[commodity_sink(w)]) {
            separated += commodity_demand[w];
        }
    }
    return separated == 0.0 ? 0.0 : cut / separated;
}
