#include "view/camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

const Vector3 world_up{0.0f, 0.0f, 1.0f};

// Unit vector pointing to the camera's right, horizontal.
Vector3 right_of(const Vector3& direction) {
    return normalize(cross(direction, world_up));
}

// Direction after rotating it about `axis` through the camera position: the
// image of position + direction minus the image of position.
Vector3 rotate_direction(const Camera& camera, const Vector3& axis, double angle) {
    const Vector3 tip =
        rotate_about_camera_axis(camera, camera.position + camera.view_direction, axis, angle);
    return tip - rotate_about_camera_axis(camera, camera.position, axis, angle);
}

}  // namespace

void move_camera(char key, Camera& camera, ViewSettings& settings) {
    const Vector3 step = camera.view_direction * 2.0;
    switch (key) {
        case 'Z':
            camera.position += step;
            break;
        case 'A':
            camera.position += step * 8.0;
            break;
        case 'W':
            camera.position -= step * 8.0;
            break;
        case 'Q':
            if (settings.perspective_3d) {
                camera.position -= right_of(camera.view_direction) * 2.0;
            }
            break;
        case 'D':
            if (settings.perspective_3d) {
                camera.position += right_of(camera.view_direction) * 2.0;
            }
            break;
        case 'S':
            camera.position -= step;
            break;
        case 'P':
            settings.position_scale += 0.025;
            break;
        case 'M':
            settings.position_scale -= 0.025;
            break;
        default:
            break;
    }
}

void poll_movement_keys(const std::function<bool(char)>& is_held, Camera& camera,
                        ViewSettings& settings) {
    for (const char* key = movement_keys; *key != '\0'; ++key) {
        if (is_held(*key)) {
            move_camera(*key, camera, settings);
        }
    }
}

void look_with_mouse(int dx, int dy, Camera& camera, const ViewSettings& settings) {
    if (!settings.perspective_3d) {
        camera.position +=
            Vector3(2.0f * static_cast<float>(dx), -2.0f * static_cast<float>(dy), 0.0f) / 10.0;
        return;
    }
    constexpr double pi = std::numbers::pi;
    camera.view_direction = rotate_direction(camera, world_up, -dx * 0.001 * pi);

    // The clamp keeps a component that rounding pushed just past ±1 from
    // turning θ into NaN, which would block the pitch for good.
    const float theta = std::acos(std::clamp(camera.view_direction.z, -1.0f, 1.0f));
    const bool may_tilt_from_up = theta > 0.1f || dy > 0;
    const bool may_tilt_from_down = static_cast<float>(pi) - theta > 0.1f || dy < 0;
    if (may_tilt_from_up && may_tilt_from_down) {
        const Vector3 right = cross(camera.view_direction, world_up);
        camera.view_direction = normalize(rotate_direction(camera, right, -dy * 0.001 * pi));
    }
}

Vector3 rotate_about_camera_axis(const Camera& camera, const Vector3& point, const Vector3& axis,
                                 double angle) {
    const double axis_length = axis.length();
    if (axis_length == 0.0) {
        return point;
    }
    const Vector3& k = camera.position;
    const Vector3 unit_axis = axis / axis_length;
    // Foot of the point on the axis line, then the rotated offset from it.
    const Vector3 foot = k + unit_axis * dot(point - k, unit_axis);
    const Vector3 radial = point - foot;
    const Vector3 side = normalize(cross(axis, radial));
    return foot + radial * std::cos(angle) + side * (radial.length() * std::sin(angle));
}

void reset_view_2d(Camera& camera, ViewSettings& settings) {
    settings.perspective_3d = false;
    settings.mouse_look = false;
    camera.position = Vector3(0.0f, 0.0f, 40.0f);
    camera.view_direction = normalize(Vector3(0.0f, 0.0001f, -1.0f));
}

void reset_view_3d(ViewSettings& settings) {
    settings.perspective_3d = true;
}
