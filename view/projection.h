#pragma once

#include <optional>

#include "common/vector3.h"
#include "view/camera.h"
#include "view/view_settings.h"

// The projection the view draws with, and where it puts a world point on the
// screen: the same arithmetic as the GL set-up (a 60° perspective, or the
// orthographic view from above whose half width is the camera height, both
// behind a look-at transform with +z up), without any GL.

inline constexpr double field_of_view_degrees = 60.0;
// Ratio of the perspective's far plane to its near plane.
inline constexpr double perspective_depth_ratio = 5000.0;
// The 2D view keeps its camera at least this high.
inline constexpr float lowest_2d_height = 1.5f;

struct ProjectionPlanes {
    double near_plane = 1.0;
    double far_plane = 5000.0;
};

// The camera height the 2D view draws with: the camera's, or 1.5 when it is
// lower (the GL set-up lifts the camera there).
double view_2d_height(const Camera& camera);

// Near and far planes: in 3D `perspective_far` / 5000 and `perspective_far`;
// in 2D 1 and the camera height plus `ortho_depth_below`, at least 200, so
// that the far plane stays below z = 0 however high the camera rises (a far
// plane fixed at 200 would leave the scene behind it from a height of 200).
inline constexpr double least_ortho_far = 200.0;
ProjectionPlanes projection_planes(const ViewSettings& settings, const Camera& camera);

// A world point on the screen: x and y in pixels from the top-left corner of
// the drawing area (they may lie outside it), and its depth, the distance in
// front of the eye along the view direction.
struct ViewportPoint {
    double x = 0.0;
    double y = 0.0;
    double depth = 0.0;
};

// Where `point` lands, or none when it lies outside the depth range (behind
// the eye included), when the drawing area is empty, or when the view
// direction is null or straight up or down (no screen orientation).
std::optional<ViewportPoint> project_to_viewport(const Vector3& point, const ViewSettings& settings,
                                                 const Camera& camera);

// Pixels per world unit, vertically, at `depth` in front of the eye (3D) or
// anywhere (2D). 0 for an empty drawing area or a depth that is not positive.
double pixels_per_unit(double depth, const ViewSettings& settings, const Camera& camera);

// The camera's screen axes in the world: `right`, `up` and the unit view
// direction `forward`, as the look-at transform makes them. None for a view
// direction that is null or parallel to +z.
struct CameraAxes {
    double right[3];
    double up[3];
    double forward[3];
};
std::optional<CameraAxes> camera_axes(const Vector3& view_direction);
