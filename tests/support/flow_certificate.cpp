#include "tests/support/flow_certificate.h"

#include <cmath>
#include <list>

#include "tests/support/oracles.h"

::testing::AssertionResult is_feasible_flow(const Graph& graph, const DemandSet& demands,
                                            const FlowResult& result, double tolerance) {
    const int n = graph.vertex_count();
    const double lambda = result.maxflow;
    if (lambda < -tolerance) {
        return ::testing::AssertionFailure() << "negative maxflow " << lambda;
    }
    const std::vector<Arc>& arcs = graph.arcs().arcs();
    if (result.sources != demands.sources() ||
        (result.reached_optimum && demands.present_count() > 0 &&
         result.flow.size() != result.sources.size())) {
        return ::testing::AssertionFailure() << "the flows are not those of the set's sources";
    }
    std::vector<double> total(arcs.size(), 0.0);
    for (std::size_t i = 0; i < result.flow.size(); ++i) {
        if (result.flow[i].size() != arcs.size()) {
            return ::testing::AssertionFailure()
                   << "source " << i << " has " << result.flow[i].size() << " arc flows";
        }
        // Net inflow of this source's flow into each vertex.
        std::vector<double> net(static_cast<std::size_t>(n), 0.0);
        for (std::size_t a = 0; a < arcs.size(); ++a) {
            const double x = result.flow[i][a];
            if (x < -tolerance) {
                return ::testing::AssertionFailure()
                       << "x(" << arcs[a].tail << "," << arcs[a].head << ")^" << i << " = " << x;
            }
            total[a] += x;
            net[arcs[a].head] += x;
            net[arcs[a].tail] -= x;
        }
        std::vector<bool> terminal(static_cast<std::size_t>(n), false);
        terminal[result.sources[i]] = true;
        for (const int c : demands.commodities_of_source(static_cast<int>(i))) {
            const Commodity& commodity = demands.commodity(c);
            terminal[commodity.sink] = true;
            const double needed = lambda * commodity.demand;
            if (net[commodity.sink] < needed - tolerance * (1.0 + needed)) {
                return ::testing::AssertionFailure() << "commodity " << c << " delivers "
                                                     << net[commodity.sink] << " < " << needed;
            }
        }
        for (int v = 0; v < n; ++v) {
            if (!terminal[v] && std::abs(net[v]) > tolerance) {
                return ::testing::AssertionFailure() << "source " << result.sources[i]
                                                     << " not conserved at " << v << ": " << net[v];
            }
        }
    }
    // Each arc is bounded by its cell's capacity: an undirected edge bounds
    // both directions.
    for (std::size_t a = 0; a < arcs.size(); ++a) {
        const double capacity = graph.cell(arcs[a].tail, arcs[a].head).capacity;
        if (total[a] > capacity + tolerance) {
            return ::testing::AssertionFailure()
                   << "capacity of (" << arcs[a].tail << "," << arcs[a].head
                   << ") exceeded: " << total[a] << " > " << capacity;
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult is_feasible_flow(const Graph& graph, const FlowResult& result,
                                            double tolerance) {
    return is_feasible_flow(graph, DemandSet::default_set(graph.vertex_count()), result, tolerance);
}

double recomputed_cut_ratio(const Graph& graph, const DemandSet& demands,
                            const std::vector<bool>& side) {
    const CutMeasure measure = measure_cut(graph, demands, side);
    return measure.separated_demand == 0.0 ? 0.0
                                           : measure.crossing_capacity / measure.separated_demand;
}

double recomputed_cut_ratio(const Graph& graph, const std::vector<bool>& side) {
    return recomputed_cut_ratio(graph, DemandSet::default_set(graph.vertex_count()), side);
}

ReportedFlow reported_flow(const nlohmann::json& report) {
    const int n = report.at("vertices");
    std::list<DirectedEdgesGroup> groups;
    for (const auto& e : report.at("edges")) {
        groups.push_back({{e.at(0).get<int>()}, {e.at(1).get<int>()}, e.at(2).get<float>()});
    }
    const auto count = static_cast<std::size_t>(n);
    Graph graph(n, groups, report.at("directed"), std::vector<Vector3>(count),
                std::vector<float>(count, 2.0f));
    std::vector<Commodity> commodities;
    for (const auto& c : report.at("commodities")) {
        commodities.push_back({c.at("source"), c.at("sink"), c.at("demand"), c.at("present")});
    }
    const bool is_default = report.at("demand_set") == "default";
    DemandSet demands(is_default ? DemandKind::default_set : DemandKind::file, "", n,
                      std::move(commodities));
    FlowResult result;
    result.maxflow = report.at("maxflow");
    result.reached_optimum = report.at("reached_optimum");
    result.sources = demands.sources();
    result.flow.assign(result.sources.size(), std::vector<double>(graph.arcs().arcs().size(), 0.0));
    for (std::size_t i = 0; i < result.sources.size(); ++i) {
        // The default set lists its flows by commodity, each the only one of
        // its source; another set by source.
        const nlohmann::json& listed =
            is_default
                ? report.at("flows").at(demands.commodities_of_source(static_cast<int>(i))[0])
                : report.at("flows").at(i).at(1);
        for (const auto& f : listed) {
            const int a = graph.arcs().find(f.at(0).get<int>(), f.at(1).get<int>());
            result.flow[i].at(static_cast<std::size_t>(a)) = f.at(2).get<double>();
        }
    }
    return {std::move(graph), std::move(demands), std::move(result)};
}
