#include "tests/support/graph_fixtures.h"

#include <cmath>
#include <list>
#include <random>
#include <sstream>

Graph make_placed_graph(const std::vector<Vector3>& positions, const std::vector<TestEdge>& edges,
                        float size, bool directed) {
    std::list<DirectedEdgesGroup> groups;
    for (const TestEdge& e : edges) {
        groups.push_back({{e.from}, {e.to}, e.cap});
    }
    return Graph(static_cast<int>(positions.size()), groups, directed, positions,
                 std::vector<float>(positions.size(), size));
}

Graph make_graph(int n, const std::vector<TestEdge>& edges, bool directed) {
    return make_placed_graph(std::vector<Vector3>(static_cast<std::size_t>(n)), edges, 2.0f,
                             directed);
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

DemandSet random_demands(int n, int k, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> vertex(0, n - 1);
    std::uniform_real_distribution<double> demand(0.5, 100.0);
    std::vector<Commodity> commodities;
    while (static_cast<int>(commodities.size()) < k) {
        const int source = vertex(rng);
        const int sink = vertex(rng);
        if (source != sink) {
            commodities.push_back({source, sink, demand(rng), true});
        }
    }
    return DemandSet(DemandKind::file, "random", n, std::move(commodities));
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

std::string spread_complete_graph_text(int n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> decade(-3.0, 3.0);
    std::ostringstream text;
    // The last vertex declared, so that the count is n; the text ends right
    // after its last statement.
    text << "directed = 1;\n" << n - 1 << " : ;";
    for (int u = 0; u < n; ++u) {
        for (int v = 0; v < n; ++v) {
            if (u != v) {
                text << '\n' << u << " -> " << v << " [cap = " << std::pow(10.0, decade(rng)) << "];";
            }
        }
    }
    return text.str();
}

void set_arc_flow(FlowResult& result, const Graph& graph, int i, int u, int v, double value) {
    const auto m = static_cast<std::size_t>(graph.arcs().arc_count());
    while (result.flow.size() <= static_cast<std::size_t>(i)) {
        result.flow.emplace_back(m, 0.0);
    }
    result.flow[static_cast<std::size_t>(i)].at(static_cast<std::size_t>(graph.arcs().find(u, v))) =
        value;
}

FlowResult zero_flow_result(double maxflow) {
    FlowResult result;
    result.maxflow = maxflow;
    return result;
}
