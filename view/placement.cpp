#include "view/placement.h"

#include <cstddef>

#include "common/random_source.h"
#include "graph/graph.h"

namespace {

// A uniform point of the placement box, from three draws taken in x, y, z order.
Vector3 random_box_point(RandomSource& random) {
    const float t1 = static_cast<float>(random.next()) / static_cast<float>(random_max);
    const float t2 = static_cast<float>(random.next()) / static_cast<float>(random_max);
    const float t3 = static_cast<float>(random.next()) / static_cast<float>(random_max);
    const Vector3 span = PlacementBox::to - PlacementBox::from;
    return PlacementBox::from + Vector3(span.x * t1, span.y * t2, span.z * t3);
}

}  // namespace

void place_vertices(const Graph& graph, RandomSource& random,
                    std::vector<Vector3>& display_positions) {
    const int n = graph.vertex_count();
    display_positions.clear();
    display_positions.reserve(static_cast<std::size_t>(n));
    for (int v = 0; v < n; ++v) {
        if (graph.position_given(v)) {
            display_positions.push_back(graph.positions()[static_cast<std::size_t>(v)]);
        } else {
            display_positions.push_back(random_box_point(random) * static_cast<double>(n) / 5.0);
        }
    }
}
