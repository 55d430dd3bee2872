#pragma once

#include <vector>

#include "common/vector3.h"

class Graph;
struct FlowResult;

// What one frame draws: the graph on show with its flow result, or none, and
// the display position of each of its vertices. The graph and the result
// are both set or both null.
struct SceneInput {
    const Graph* graph = nullptr;
    const FlowResult* result = nullptr;
    const std::vector<Vector3>* display_positions = nullptr;
};
