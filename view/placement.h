#pragma once

#include <vector>

#include "common/vector3.h"

class Graph;

// The box in which vertices without a given position are drawn at random,
// before scaling by n / 5: x and y in [−35, 35], z from 15 down to −15.
struct PlacementBox {
    static inline const Vector3 max{35.0f, 35.0f, -15.0f};
    static inline const Vector3 min{-35.0f, -35.0f, 15.0f};
};

// Replaces `display_positions` with one position per vertex of `graph`: the
// given position, or, for a vertex at exactly (0, 0, 0), a random point of
// the box scaled by n / 5 (three draws per such vertex, in vertex order).
void place_vertices(const Graph& graph, std::vector<Vector3>& display_positions);
