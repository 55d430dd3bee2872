#pragma once

#include <vector>

#include "common/vector3.h"

class Graph;
class RandomSource;

// The box in which vertices without a given position are drawn at random,
// before scaling by n / 5: a point is from + (to − from) ⊙ t for t in
// [0, 1]³, so x and y run from −35 to 35 and z from 15 down to −15.
struct PlacementBox {
    static inline const Vector3 from{-35.0f, -35.0f, 15.0f};
    static inline const Vector3 to{35.0f, 35.0f, -15.0f};
};

// Replaces `display_positions` with one position per vertex of `graph`: the
// given position, or, for a vertex at exactly (0, 0, 0), a random point of
// the box scaled by n / 5 (three draws from `random` per such vertex, in
// vertex order).
void place_vertices(const Graph& graph, RandomSource& random,
                    std::vector<Vector3>& display_positions);
