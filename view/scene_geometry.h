#pragma once

#include <optional>

#include "common/vector3.h"

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

// Amount of commodity w on the edge u → v; 0 when the result does not cover
// that pair (no result, or matrices of another size).
double edge_flow(const FlowResult* result, int w, int u, int v);
