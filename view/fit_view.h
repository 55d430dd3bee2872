#pragma once

#include "view/camera.h"
#include "view/legend_box.h"
#include "view/scene_input.h"
#include "view/view_settings.h"

// Moves the camera so that the whole graph is in view: every vertex's sphere
// (at its display position times `position_scale`) and the commodities'
// arches lie inside the view, with a margin, room for the labels on the
// right when they are shown, and out of the legend's box `legend` (the
// panel that layout_legend lays out, in the drawing area's pixels; an empty
// one for no legend): the graph goes below the box or right of it, whichever
// shows it larger.
//
// In 3D the camera keeps its view direction (a null or nearly vertical one
// is replaced by the start direction, along −x) and moves along it, and
// sideways, to the nearest place that has every sphere in the frustum; the
// far plane is pushed out when the graph is too deep for it (the near plane
// with it, keeping their ratio), and comes back to 5000 for a smaller graph.
// In 2D the camera moves above the middle of the graph at a height at which
// the visible square holds it, and above its highest sphere; the view
// reaches down below its lowest one.
//
// With `choose_direction` (a new graph, a new layout) the 3D view first turns
// to face the graph: along the axis in which its vertices spread least
// (so that a flat graph is seen face on), looking down rather than up and
// along −x rather than +x, and no steeper than 60° below the horizon.
//
// Vertices at non-finite positions are left out. Does nothing without a
// drawable graph, for a graph without vertices, for an empty drawing area,
// or when the fitted camera would not be finite in single precision.
void fit_view(const SceneInput& input, ViewSettings& settings, Camera& camera,
              bool choose_direction = false, const PixelRect& legend = {});

// The direction that fit_view turns to with `choose_direction`; (−1, 0, 0)
// for fewer than two finite positions.
Vector3 facing_direction(const SceneInput& input, const ViewSettings& settings);

// The mouse wheel: `notches` clicks away from the user (negative towards).
// In 3D the camera moves forward along its view direction, by 15 % of its
// distance to the middle of the graph per notch (at least 8 units; 8 with no
// graph). In 2D the height drops by a factor 0.85 per notch (rises when
// negative), never below 1.5. A result that is not finite leaves the camera
// as it was.
void wheel_camera(double notches, const SceneInput& input, const ViewSettings& settings,
                  Camera& camera);
