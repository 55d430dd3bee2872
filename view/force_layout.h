#pragma once

#include <atomic>
#include <vector>

#include "common/vector3.h"

class Graph;
class RandomSource;

// Length that the force layout gives the median edge: eight radii of a
// vertex of the default size, so that neighbours sit a few sphere diameters
// apart.
inline constexpr double layout_edge_length = 16.0;

// Replaces `display_positions` with a force-directed 3D layout of `graph`
// (Fruchterman and Reingold's, from igraph): edges pull their ends
// together, all vertices push each other apart, directions are ignored.
//
// Vertices with a given position (any but exactly (0, 0, 0), as for the
// random placement) stay at it exactly; the others are placed around them.
// The layout is scaled so that its median edge length is about
// layout_edge_length (for a graph without edges, the median distance to the
// nearest vertex), and, when no position is given, centred on the origin.
// Its volume thus grows with the vertex count, not with its cube as the
// random box's does.
//
// Draws from `random` (the start positions and igraph's own draws), so the
// same seed gives the same layout. Up to 500 vertices it runs 500
// iterations, above that fewer, so that 2 000 vertices take about as long as
// 500. Should igraph fail, or give a position that is not finite, the free
// vertices are put on a cubic lattice of that spacing instead. Every
// position it gives is finite.
//
// Once `cancel` (if given) is set, from another thread, the layout stops
// within one iteration and returns false, leaving `display_positions` as it
// was; true once it has replaced them.
bool force_layout(const Graph& graph, RandomSource& random, std::vector<Vector3>& display_positions,
                  const std::atomic<bool>* cancel = nullptr);
