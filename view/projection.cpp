#include "view/projection.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double dot3(const double a[3], const double b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// tan of half the vertical field of view.
double half_view_tangent() {
    return std::tan(field_of_view_degrees / 2.0 * std::numbers::pi / 180.0);
}

}  // namespace

double view_2d_height(const Camera& camera) {
    // The negated test also lifts a NaN height, as the GL set-up does not
    // need to care about.
    return !(camera.position.z >= lowest_2d_height) ? lowest_2d_height : camera.position.z;
}

ProjectionPlanes projection_planes(const ViewSettings& settings, const Camera& camera) {
    if (settings.perspective_3d) {
        return {settings.perspective_far / perspective_depth_ratio, settings.perspective_far};
    }
    return {1.0, std::max(least_ortho_far, view_2d_height(camera) + settings.ortho_depth_below)};
}

std::optional<CameraAxes> camera_axes(const Vector3& view_direction) {
    const double f[3] = {view_direction.x, view_direction.y, view_direction.z};
    const double f_length = std::sqrt(dot3(f, f));
    if (!(f_length > 0.0) || !std::isfinite(f_length)) {
        return std::nullopt;
    }
    CameraAxes axes{};
    for (int k = 0; k < 3; ++k) {
        axes.forward[k] = f[k] / f_length;
    }
    // right = forward × (0, 0, 1), up = right × forward, as gluLookAt.
    const double* fw = axes.forward;
    const double r[3] = {fw[1], -fw[0], 0.0};
    const double r_length = std::hypot(r[0], r[1]);
    if (!(r_length > 0.0)) {
        return std::nullopt;
    }
    for (int k = 0; k < 3; ++k) {
        axes.right[k] = r[k] / r_length;
    }
    const double* s = axes.right;
    axes.up[0] = s[1] * fw[2] - s[2] * fw[1];
    axes.up[1] = s[2] * fw[0] - s[0] * fw[2];
    axes.up[2] = s[0] * fw[1] - s[1] * fw[0];
    return axes;
}

std::optional<ViewportPoint> project_to_viewport(const Vector3& point, const ViewSettings& settings,
                                                 const Camera& camera) {
    const int width = settings.client_width;
    const int height = settings.client_height;
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    const std::optional<CameraAxes> axes = camera_axes(camera.view_direction);
    if (!axes) {
        return std::nullopt;
    }
    Vector3 eye = camera.position;
    if (!settings.perspective_3d) {
        eye.z = static_cast<float>(view_2d_height(camera));
    }
    const double q[3] = {static_cast<double>(point.x) - eye.x, static_cast<double>(point.y) - eye.y,
                         static_cast<double>(point.z) - eye.z};
    const double x_eye = dot3(q, axes->right);
    const double y_eye = dot3(q, axes->up);
    const double depth = dot3(q, axes->forward);
    const ProjectionPlanes planes = projection_planes(settings, camera);
    if (!(depth >= planes.near_plane && depth <= planes.far_plane)) {
        return std::nullopt;
    }
    double ndc_x = 0.0;
    double ndc_y = 0.0;
    if (settings.perspective_3d) {
        const double t = half_view_tangent();
        const double aspect = static_cast<double>(width) / height;
        ndc_x = x_eye / depth / (t * aspect);
        ndc_y = y_eye / depth / t;
    } else {
        const double h = view_2d_height(camera);
        ndc_x = x_eye / h;
        ndc_y = y_eye / h;
    }
    return ViewportPoint{(ndc_x + 1.0) / 2.0 * width, (1.0 - ndc_y) / 2.0 * height, depth};
}

double pixels_per_unit(double depth, const ViewSettings& settings, const Camera& camera) {
    if (settings.client_width <= 0 || settings.client_height <= 0) {
        return 0.0;
    }
    const double half_height = settings.client_height / 2.0;
    if (!settings.perspective_3d) {
        return half_height / view_2d_height(camera);
    }
    if (!(depth > 0.0)) {
        return 0.0;
    }
    return half_height / (half_view_tangent() * depth);
}
