#include "view/scene_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "graph/flow_result.h"

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

double edge_flow(const FlowResult* result, int w, int u, int v) {
    if (result == nullptr || w < 0 || w >= commodity_count || u < 0 || v < 0) {
        return 0.0;
    }
    const auto& matrix = result->flow[static_cast<std::size_t>(w)];
    const auto row = static_cast<std::size_t>(u);
    const auto column = static_cast<std::size_t>(v);
    if (row >= matrix.size() || column >= matrix[row].size()) {
        return 0.0;
    }
    return matrix[row][column];
}
