#include "shell/json_report.h"

#include "flow/flow_lp.h"

using nlohmann::json;

namespace {

json vector_json(const Vector3& v) {
    return json::array({v.x, v.y, v.z});
}

}  // namespace

json graph_report(const LoadedGraph& state, const ConsoleLog& log) {
    const Graph& graph = state.current->graph;
    const int n = graph.vertex_count();
    json report;
    report["vertices"] = n;
    report["directed"] = graph.directed();

    json edges = json::array();
    for (int u = 0; u < n; ++u) {
        for (int v = 0; v < n; ++v) {
            const EdgeCell& cell = graph.matrix()[u][v];
            if (cell.present) {
                edges.push_back(json::array({u, v, cell.capacity}));
            }
        }
    }
    report["edges"] = std::move(edges);
    report["sizes"] = graph.sizes();
    json positions = json::array();
    for (const Vector3& p : state.display_positions) {
        positions.push_back(vector_json(p));
    }
    report["positions"] = std::move(positions);

    const FlowResult& result = state.current->result;
    report["maxflow"] = result.maxflow;
    report["lp_status"] = lp_status_text(result.lp_status);
    report["mincut"] = result.cut.found ? json(result.cut.ratio) : json(nullptr);
    report["cut"] = result.cut.vertices;
    json flows = json::array();
    for (const auto& matrix : result.flow) {
        json entries = json::array();
        for (std::size_t u = 0; u < matrix.size(); ++u) {
            for (std::size_t v = 0; v < matrix[u].size(); ++v) {
                if (matrix[u][v] != 0.0) {
                    entries.push_back(json::array({u, v, matrix[u][v]}));
                }
            }
        }
        flows.push_back(std::move(entries));
    }
    report["flows"] = std::move(flows);

    json timings = json::array();
    for (const auto& [label, seconds] : log.timings()) {
        timings.push_back(json::array({label, seconds}));
    }
    report["timings"] = std::move(timings);
    return report;
}

std::string solver_status_text(const FlowResult& result) {
    return lp_status_text(result.lp_status);
}
