#pragma once

#include <string>
#include <vector>

#include "common/vector3.h"

class DemandSet;
class Graph;
struct CutCertificate;
struct FlowResult;

// What one frame draws: the graph on show with its demand set and its flow
// result, or none, and the display position of each of its vertices. The
// graph, the demands and the result are all set or all null. The vertex names (the node option
// "name", empty for a vertex without one) are optional: without them labels show numbers only. So
// is the certificate of the cut: without it the legend says nothing of the cut's quality and only
// the sweep's cut can be shown.
struct SceneInput {
    const Graph* graph = nullptr;
    const FlowResult* result = nullptr;
    const std::vector<Vector3>* display_positions = nullptr;
    const std::vector<std::string>* vertex_names = nullptr;
    const CutCertificate* certificate = nullptr;
    // The certificate is being computed and will follow.
    bool certificate_pending = false;
    const DemandSet* demands = nullptr;

    // Whether there is something to draw: a graph with its demands and a
    // result, with one display position per vertex (otherwise the positions belong to
    // another graph or are not made yet).
    bool drawable() const;
};
