#pragma once

#include <functional>

#include "common/vector3.h"
#include "view/view_settings.h"

// The eye of the view. The world's up axis is +z.
struct Camera {
    Vector3 position{25.0f, 0.0f, 0.0f};
    // Looks at the origin from the start position. Kept at unit length by
    // mouse look; the movement keys use it as it is.
    Vector3 view_direction{-1.0f, 0.0f, 0.0f};
};

// The movement keys in the order they are polled every frame.
inline constexpr char movement_keys[] = "ZAWQDSPM";

// Applies one frame's worth of the movement key `key` (AZERTY layout):
//   Z / S   forward / back by 2 × view_direction,
//   A / W   forward / back by 16 × view_direction,
//   Q / D   step left / right by 2 units (3D only; no effect in 2D),
//   P / M   position_scale up / down by 0.025, unbounded.
// Any other character changes nothing.
void move_camera(char key, Camera& camera, ViewSettings& settings);

// Applies every movement key that `is_held` reports as held, in the order of
// `movement_keys`; several held keys all act.
void poll_movement_keys(const std::function<bool(char)>& is_held, Camera& camera,
                        ViewSettings& settings);

// Turns (3D) or pans (2D) the camera for a cursor motion of (dx, dy) pixels,
// screen y growing downwards.
//
// In 3D: yaw about the world z axis by −dx × 0.001 × π rad, then pitch about
// the camera's right axis by −dy × 0.001 × π rad unless the view is within
// 0.1 rad of straight up (only downward motion then acts) or straight down
// (only upward motion acts); the direction is then renormalised.
// In 2D: the camera moves 0.2 world units per pixel, y inverted.
// Recentring the cursor is the caller's.
void look_with_mouse(int dx, int dy, Camera& camera, const ViewSettings& settings);

// Rotates `point` by `angle` radians (right-hand rule) about the line through
// the camera position with direction `axis`. A null axis leaves the point
// where it is.
Vector3 rotate_about_camera_axis(const Camera& camera, const Vector3& point, const Vector3& axis,
                                 double angle);

// Switches to the view from above: orthographic, mouse look off (the caller
// releases the cursor), camera at height 40 looking straight down, with a
// 0.0001 y tilt that keeps the direction off the up axis.
void reset_view_2d(Camera& camera, ViewSettings& settings);

// Switches back to the perspective view; the camera stays where it is.
void reset_view_3d(ViewSettings& settings);
