#pragma once

#include <string>
#include <vector>

#include "common/vector3.h"

class Graph;
struct CutCertificate;
struct FlowResult;

// What one frame draws: the graph on show with its flow result, or none, and
// the display position of each of its vertices. The graph and the result
// are both set or both null. The vertex names (the node option "name", empty
// for a vertex without one) are optional: without them labels show numbers
// only. So is the certificate of the cut: without it the legend says nothing
// of the cut's quality and only the sweep's cut can be shown.
struct SceneInput {
    const Graph* graph = nullptr;
    const FlowResult* result = nullptr;
    const std::vector<Vector3>* display_positions = nullptr;
    const std::vector<std::string>* vertex_names = nullptr;
    const CutCertificate* certificate = nullptr;
    // The certificate is being computed and will follow.
    bool certificate_pending = false;

    // Whether there is something to draw: a graph with a result, with one
    // display position per vertex (otherwise the positions belong to
    // another graph or are not made yet).
    bool drawable() const;
};
