#include "view/placement.h"

#include <algorithm>
#include <cstddef>

#include "common/random_source.h"
#include "graph/graph.h"

namespace {

// A uniform point of the placement box, from three draws taken in x, y, z order.
Vector3 random_box_point() {
    const float t1 = static_cast<float>(random_int()) / static_cast<float>(random_max);
    const float t2 = static_cast<float>(random_int()) / static_cast<float>(random_max);
    const float t3 = static_cast<float>(random_int()) / static_cast<float>(random_max);
    const Vector3 span = PlacementBox::max - PlacementBox::min;
    return PlacementBox::min + Vector3(span.x * t1, span.y * t2, span.z * t3);
}

}  // namespace

void place_vertices(const Graph& graph, std::vector<Vector3>& display_positions) {
    const int n = graph.vertex_count();
    display_positions.clear();
    display_positions.reserve(static_cast<std::size_t>(std::max(n, 0)));
    if (n < 1) {
        return;
    }
    const std::vector<Vector3>& given = graph.positions();
    for (int i = 0; i < n; ++i) {
        // A graph built without positions reads as all vertices unpositioned.
        const Vector3 g = static_cast<std::size_t>(i) < given.size() ? given[i] : Vector3();
        if (g.x == 0.0f && g.y == 0.0f && g.z == 0.0f) {
            display_positions.push_back(random_box_point() * static_cast<double>(n) / 5.0);
        } else {
            display_positions.push_back(g);
        }
    }
}
