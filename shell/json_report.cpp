#include "shell/json_report.h"

#include <cmath>
#include <utility>

#include "graph/demand_set.h"
#include "netformat/network_readers.h"

using nlohmann::json;

namespace {

json vector_json(const Vector3& v) {
    return json::array({v.x, v.y, v.z});
}

json edges_json(const Graph& graph) {
    const int n = graph.vertex_count();
    json edges = json::array();
    for (int u = 0; u < n; ++u) {
        for (int v = 0; v < n; ++v) {
            const EdgeCell& cell = graph.matrix()[u][v];
            if (cell.present) {
                edges.push_back(json::array({u, v, cell.capacity}));
            }
        }
    }
    return edges;
}

json commodities_json(const DemandSet& demands) {
    json commodities = json::array();
    for (const Commodity& c : demands.commodities()) {
        commodities.push_back(
            {{"source", c.source}, {"sink", c.sink}, {"demand", c.demand}, {"present", c.present}});
    }
    return commodities;
}

// `[u, v, value]` for each arc whose flow of source i is at least
// flow_report_threshold in magnitude, in arc order (row by row).
json arc_flows_json(const ArcLists& arcs, const FlowResult& result, int i) {
    json entries = json::array();
    for (int a = 0; a < arcs.arc_count(); ++a) {
        const double value = result.arc_flow(i, a);
        if (std::fabs(value) >= flow_report_threshold) {
            entries.push_back(json::array({arcs.arcs()[a].tail, arcs.arcs()[a].head, value}));
        }
    }
    return entries;
}

// The default set's flows by commodity (each of its sources carries one),
// another set's by source.
json flows_json(const ArcLists& arcs, const DemandSet& demands, const FlowResult& result) {
    json flows = json::array();
    if (demands.is_default()) {
        for (int w = 0; w < demands.size(); ++w) {
            flows.push_back(arc_flows_json(arcs, result, demands.source_index(w)));
        }
        return flows;
    }
    for (int i = 0; i < demands.source_count(); ++i) {
        flows.push_back(json::array(
            {demands.sources()[static_cast<std::size_t>(i)], arc_flows_json(arcs, result, i)}));
    }
    return flows;
}

json timings_json(const ConsoleLog& log) {
    json timings = json::object();
    for (const StageTimer& timer : stage_timers) {
        timings[timer.key] = 0.0;
    }
    double total = 0.0;
    for (const auto& [label, seconds] : log.timings()) {
        total += seconds;
        for (const StageTimer& timer : stage_timers) {
            if (label == timer.label) {
                timings[timer.key] = timings[timer.key].get<double>() + seconds;
            }
        }
        // The parse of another format than .gr names its format.
        for (const NetworkFormat format : all_network_formats) {
            if (format != NetworkFormat::gr && label == parse_timer_label(format)) {
                timings[parse_timer.key] = timings[parse_timer.key].get<double>() + seconds;
            }
        }
    }
    timings["total_s"] = total;
    return timings;
}

}  // namespace

json graph_report(const LoadedGraph& state, const ConsoleLog& log) {
    const Graph& graph = state.current->graph;
    const FlowResult& result = state.current->result;
    const CutResult& cut = result.cut;
    const int n = graph.vertex_count();

    json report;
    report["schema_version"] = report_schema_version;
    report["vertices"] = n;
    report["directed"] = graph.directed();
    report["format"] = std::string(format_name(state.current->format));
    report["names"] = state.current->names;
    report["sizes"] = graph.sizes();
    json positions = json::array();
    for (const Vector3& p : state.display_positions) {
        positions.push_back(vector_json(p));
    }
    report["positions"] = std::move(positions);
    report["edges"] = edges_json(graph);
    const DemandSet& demands = state.current->demands;
    report["demand_set"] = demand_kind_name(demands.kind());
    report["commodities"] = commodities_json(demands);

    report["maxflow"] = result.maxflow;
    report["lp_status"] = std::string(result.solve.name());
    report["lp_status_code"] = result.solve.code;
    report["lp_status_text"] = std::string(solve_status_words(result.solve.status));
    report["reached_optimum"] = result.reached_optimum;
    report["solver"] = solver_engine_key(result.solver);

    report["mincut"] = cut.found ? json(cut.ratio) : json(nullptr);
    report["cut"] = cut.vertices;
    report["cut_crossing_capacity"] = cut.found ? json(cut.crossing_capacity) : json(nullptr);
    report["cut_separated_demand"] = cut.found ? json(cut.separated_demand) : json(nullptr);
    report["cut_coordinate"] = cut.coordinate >= 0 ? json(cut.coordinate) : json(nullptr);

    report["flows"] = flows_json(graph.arcs(), demands, result);
    report["timings"] = timings_json(log);
    if (state.current->certificate) {
        report["certificate"] = certificate_report(*state.current->certificate);
        report["timings"]["certificate_s"] = state.current->certificate_seconds;
    }
    return report;
}

namespace {

// A finite number, or null.
nlohmann::json finite_or_null(double value) {
    return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json(nullptr);
}

}  // namespace

nlohmann::json certificate_report(const CutCertificate& certificate) {
    const BestCut& best = certificate.best_cut;
    nlohmann::json report;
    report["lower_bound"] =
        certificate.bound_reached ? nlohmann::json(certificate.lower_bound) : nlohmann::json(nullptr);
    report["best_cut"] = {{"members", best.members},
                          {"ratio", finite_or_null(best.ratio)},
                          {"method", best_cut_method_name(best.method)}};
    report["proved_optimal"] = certificate.proved_optimal;
    report["gap"] = finite_or_null(certificate.gap);
    report["solver"] = solver_engine_key(certificate.solver);
    return report;
}

