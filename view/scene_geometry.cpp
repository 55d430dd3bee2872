#include "view/scene_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "graph/cut_certificate.h"
#include "graph/demand_set.h"
#include "graph/flow_result.h"
#include "graph/graph.h"

bool SceneInput::drawable() const {
    return graph != nullptr && result != nullptr && demands != nullptr &&
           display_positions != nullptr &&
           display_positions->size() == static_cast<std::size_t>(graph->vertex_count());
}

std::optional<SegmentOrientation> orient_segment(const Vector3& a, const Vector3& b) {
    const Vector3 d = b - a;
    const double length = d.length();
    if (!(length > 0.0) || !std::isfinite(length)) {
        return std::nullopt;
    }
    SegmentOrientation o;
    o.length = length;
    o.ux = d.x / length;
    o.uy = d.y / length;
    o.uz = std::clamp(d.z / length, -1.0, 1.0);
    // z × u, normalised here rather than by GL: GL ignores axes shorter than
    // about 1e-4, which would leave a nearly vertical segment unturned.
    const double horizontal = std::hypot(o.ux, o.uy);
    if (horizontal > 0.0) {
        o.wx = -o.uy / horizontal;
        o.wy = o.ux / horizontal;
    } else {
        o.wy = 1.0;
    }
    o.tilt_degrees = std::acos(o.uz) * (180.0 / std::numbers::pi);
    return o;
}

double edge_flow(const SceneInput& input, int i, int u, int v) {
    const int a = input.graph->arcs().find(u, v);
    return a < 0 ? 0.0 : input.result->arc_flow(i, a);
}

double total_edge_flow(const SceneInput& input, int u, int v) {
    const int a = input.graph->arcs().find(u, v);
    double total = 0.0;
    for (std::size_t i = 0; a >= 0 && i < input.result->flow.size(); ++i) {
        total += input.result->flow[i][static_cast<std::size_t>(a)];
    }
    return total;
}

EdgeLoad edge_load(const SceneInput& input, int i, int j) {
    const double forward = total_edge_flow(input, i, j);
    const double backward = input.graph->directed() ? 0.0 : total_edge_flow(input, j, i);
    const double capacity = input.graph->cell(i, j).capacity;
    const double larger = std::max(forward, backward);
    EdgeLoad load{forward + backward, 0.0};
    if (larger > 0.0) {
        load.load = capacity > 0.0 ? std::min(1.0, larger / capacity) : 1.0;
    }
    return load;
}

bool flow_by_commodity(const SceneInput& input) {
    const DemandSet& demands = *input.demands;
    return demands.is_default() || (demands.size() <= 3 && demands.one_commodity_per_source());
}

bool colours_by_load(const SceneInput& input, const ViewSettings& settings) {
    return settings.colour_by_load || !flow_by_commodity(input);
}

TerminalRole terminal_role(const SceneInput& input, int i) {
    TerminalRole role = TerminalRole::none;
    const DemandSet& demands = *input.demands;
    for (const int c : demands.featured()) {
        if (demands.commodity(c).source == i) {
            return TerminalRole::source;
        }
        if (demands.commodity(c).sink == i) {
            role = TerminalRole::sink;
        }
    }
    return role;
}

double flow_radius_cap(const SceneInput& input, const ViewSettings& settings) {
    double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const Vector3& position : *input.display_positions) {
        const Vector3 p = position * settings.position_scale;
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            continue;
        }
        const double c[3] = {p.x, p.y, p.z};
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], c[k]);
            high[k] = std::max(high[k], c[k]);
        }
    }
    double cap = 0.0;
    if (low[0] <= high[0]) {
        cap = 0.04 * std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
    }
    const std::vector<float>& sizes = input.graph->sizes();
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (std::isfinite(sizes[i]) &&
            terminal_role(input, static_cast<int>(i)) == TerminalRole::none) {
            cap = std::max(cap, std::fabs(static_cast<double>(sizes[i])));
        }
    }
    return cap > 0.0 && std::isfinite(cap) ? cap : HUGE_VAL;
}

double commodity_radius(const SceneInput& input, int c, double cap) {
    const double routed = input.demands->commodity(c).demand * (input.result->maxflow * 0.04);
    return std::min(routed, cap);
}

double vertex_radius(const SceneInput& input, int i, double cap) {
    const DemandSet& demands = *input.demands;
    double demand = 0.0;
    bool terminal = false;
    for (const int c : demands.featured()) {
        const Commodity& commodity = demands.commodity(c);
        if (commodity.source == i || commodity.sink == i) {
            demand += commodity.demand;
            terminal = true;
        }
    }
    if (terminal) {
        return std::min(demand * (input.result->maxflow * 0.04), cap);
    }
    return input.graph->sizes()[static_cast<std::size_t>(i)];
}

bool best_cut_shown(const SceneInput& input, const ViewSettings& settings) {
    return settings.show_best_cut && input.certificate != nullptr &&
           input.certificate->bound_reached;
}

bool on_cut_side(const SceneInput& input, const ViewSettings& settings, int i) {
    if (best_cut_shown(input, settings)) {
        const std::vector<int>& members = input.certificate->best_cut.members;
        return std::binary_search(members.begin(), members.end(), i);
    }
    const FlowResult* result = input.result;
    return result != nullptr && result->cut.found && result->cut.vertices.count(i) > 0;
}

std::optional<ArrowCone> arrow_cone(double length, double tube_radius, double tail_radius,
                                    double head_radius) {
    const double head = std::max(0.0, head_radius);
    const double free_length = length - std::max(0.0, tail_radius) - head;
    if (!(free_length > 0.0) || !(tube_radius > 0.0)) {
        return std::nullopt;
    }
    ArrowCone cone;
    cone.radius = 8.0 * tube_radius;
    cone.height = 3.0 * cone.radius;
    const double longest = 0.4 * free_length;
    if (cone.height > longest) {
        cone.radius *= longest / cone.height;
        cone.height = longest;
    }
    cone.base = length - head - cone.height;
    return cone;
}
