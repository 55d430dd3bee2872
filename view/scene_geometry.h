#pragma once

#include <optional>

#include "common/vector3.h"
#include "view/scene_input.h"
#include "view/view_settings.h"

struct FlowResult;

// How a unit-length object along +z is turned to run from a to b.
struct SegmentOrientation {
    double length = 0.0;
    // Unit direction from a to b.
    double ux = 0.0, uy = 0.0, uz = 0.0;
    // Unit horizontal axis perpendicular to the segment: z × u normalised, or
    // (0, 1, 0) when the segment is vertical.
    double wx = 0.0, wy = 0.0, wz = 0.0;
    // Angle between +z and the segment, in degrees (0 … 180).
    double tilt_degrees = 0.0;
};

// Orientation of the segment from a to b; none when a and b coincide (or
// their distance is not finite), since such a segment has no direction.
std::optional<SegmentOrientation> orient_segment(const Vector3& a, const Vector3& b);

// The flow of source i (an index into the result's sources) along the arc
// u → v, and the flow of every source along it together; 0 when there is no
// such arc or no flow. Preconditions: the input is drawable, u and v in
// range.
double edge_flow(const SceneInput& input, int i, int u, int v);
double total_edge_flow(const SceneInput& input, int u, int v);

// Whether the flows show by commodity, a colour channel each (red, green,
// blue): at most three commodities, each the only one of its source (the
// default set's drawing). Otherwise each edge takes the colour of its load
// (edge_load, load_colour).
bool flow_by_commodity(const SceneInput& input);

// Whether show-flow colours the edges by their load (edge_load, load_colour)
// rather than by the commodities' flows: when `settings` ask for it
// (colour_by_load) or the flows cannot show by commodity.
bool colours_by_load(const SceneInput& input, const ViewSettings& settings);

// The flow on the edge drawn from vertex i to vertex j (a stored cell),
// every source's together, both directions of an undirected edge added, and
// its load: the larger direction's flow over the edge's capacity, from 0 to
// 1 (0 for an edge without flow).
struct EdgeLoad {
    double flow = 0.0;
    double load = 0.0;
};
EdgeLoad edge_load(const SceneInput& input, int i, int j);

// What a vertex is to the featured commodities (DemandSet::featured): the
// source of one, else the sink of one, else neither.
enum class TerminalRole { none, source, sink };
TerminalRole terminal_role(const SceneInput& input, int i);

// The largest radius the flow gives a shape: a featured commodity's arch
// and its terminals' spheres (see commodity_radius, vertex_radius), and the
// edges that show-flow thickens. It grows with the drawing, 4 % of its size
// (the diagonal of the box around the display positions times
// `position_scale`), and is never less than the largest sphere of a vertex
// that is no terminal; with neither (a drawing without extent) there is no
// cap: infinity. Without the cap a large flow makes arches and spheres that
// hide the whole graph. Precondition: the input is drawable.
double flow_radius_cap(const SceneInput& input, const ViewSettings& settings);

// Radius of commodity c's arch tube (c an index into the demand set): its
// routed amount (its demand × maxflow) × 0.04, at most `cap`.
double commodity_radius(const SceneInput& input, int c, double cap);

// Radius of vertex i's sphere: for a terminal of the featured commodities
// the amount they route to or from it (their demands × maxflow) × 0.04, at
// most `cap`; for the others their size. Precondition: the input is
// drawable and i in range.
double vertex_radius(const SceneInput& input, int i, double cap);

// Whether the best cut of the certificate is the one shown: asked for in
// `settings` and a certificate whose bound was reached is at hand.
bool best_cut_shown(const SceneInput& input, const ViewSettings& settings);

// Whether vertex i lies on the side S of the cut shown (see best_cut_shown;
// the sweep's cut otherwise). False without a result or a cut.
bool on_cut_side(const SceneInput& input, const ViewSettings& settings, int i);

// Cone at the head of the arc drawn along a segment of `length` whose
// cylinder has radius `tube_radius`, ending on the head's sphere of radius
// `head_radius` (the tail's is `tail_radius`): it starts `base` along the
// segment, is `height` long and `radius` wide at its base: eight times the
// tube's radius and three times that long (a plain edge's cone is 0.48 wide
// and 1.44 long), shrunk to 40 % of the free length between the spheres;
// none when the spheres leave no free length.
struct ArrowCone {
    double base = 0.0;
    double height = 0.0;
    double radius = 0.0;
};
std::optional<ArrowCone> arrow_cone(double length, double tube_radius, double tail_radius,
                                    double head_radius);
