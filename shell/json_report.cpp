#include "shell/json_report.h"

#include <cmath>
#include <utility>

#include "graph/commodities.h"

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

json commodities_json(int n) {
    json commodities = json::array();
    for (int w = 0; w < commodity_count; ++w) {
        commodities.push_back({{"source", commodity_source(w)},
                               {"sink", commodity_sink(w)},
                               {"demand", commodity_demand[w]},
                               {"present", commodity_present(w, n)}});
    }
    return commodities;
}

json flows_json(const FlowResult& result) {
    json flows = json::array();
    for (const auto& matrix : result.flow) {
        json entries = json::array();
        for (std::size_t u = 0; u < matrix.size(); ++u) {
            for (std::size_t v = 0; v < matrix[u].size(); ++v) {
                if (std::fabs(matrix[u][v]) >= flow_report_threshold) {
                    entries.push_back(json::array({u, v, matrix[u][v]}));
                }
            }
        }
        flows.push_back(std::move(entries));
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
    report["names"] = state.current->names;
    report["sizes"] = graph.sizes();
    json positions = json::array();
    for (const Vector3& p : state.display_positions) {
        positions.push_back(vector_json(p));
    }
    report["positions"] = std::move(positions);
    report["edges"] = edges_json(graph);
    report["commodities"] = commodities_json(n);

    report["maxflow"] = result.maxflow;
    report["lp_status"] = std::string(result.solve.name());
    report["lp_status_code"] = result.solve.code;
    report["lp_status_text"] = std::string(solve_status_words(result.solve.status));
    report["reached_optimum"] = result.reached_optimum;

    report["mincut"] = cut.found ? json(cut.ratio) : json(nullptr);
    report["cut"] = cut.vertices;
    report["cut_crossing_capacity"] = cut.found ? json(cut.crossing_capacity) : json(nullptr);
    report["cut_separated_demand"] = cut.found ? json(cut.separated_demand) : json(nullptr);
    report["cut_coordinate"] = cut.coordinate >= 0 ? json(cut.coordinate) : json(nullptr);

    report["flows"] = flows_json(result);
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
    return report;
}

