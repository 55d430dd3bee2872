#pragma once

#include <string>
#include <vector>

#include "builder/demand_builder.h"
#include "builder/graph_builder.h"
#include "common/expected.h"
#include "netformat/imported_network.h"

// The side of the square that a network's own coordinates are scaled into
// for n vertices: that of the box random places are drawn in (70 × n / 5,
// see view/placement.h), so that a network drawn from its file looks as
// large as one placed at random.
double network_drawing_side(int vertex_count);

// The graph of an imported network, with its vertices' names: one edge (arc)
// per ImportedEdge, directed as the network is, every vertex of the default
// size.
//
// Capacities are narrowed from double to the graph's float, rounding to
// nearest; a capacity above the float range is refused (as a .gr "cap" that
// overflows is), never made infinite, and a tiny one rounds to a denormal or
// to 0, as in .gr.
//
// Positions: a vertex the file does not place gets (0, 0, 0), which the
// placement reads as "no given position" (a random place, as in .gr). An
// SNDlib network's coordinates (longitude, latitude) are centred and scaled
// so that their larger extent spans network_drawing_side; when all of them
// coincide they carry no drawing and no vertex is placed. Other formats'
// coordinates are taken as they are, and one beyond the float range is
// refused. A vertex the file places keeps its place, even at exactly
// (0, 0, 0), where a `.gr` vertex would be drawn at random
// (Graph::position_given).
//
// Fails with a French sentence naming the edge or vertex at fault.
// Preconditions: the network is valid as the readers return it (indices in
// range, counts within the model's limits).
Expected<BuiltGraph, std::string> build_network_graph(const ImportedNetwork& network);

// The demand set of a network's own demands on its built graph, of kind
// DemandKind::network and origin network_demand_origin; refused, as a
// demand file's would be, when the total demand is not finite or the
// program would be too large. Precondition: every demand's terminals are
// vertices of `graph`.
inline constexpr const char* network_demand_origin = "réseau";
Expected<DemandSet, DemandRefusal> build_network_demand_set(
    const std::vector<ImportedDemand>& demands, const Graph& graph);
