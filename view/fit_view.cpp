#include "view/fit_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

#include "graph/demand_set.h"
#include "graph/flow_result.h"
#include "graph/graph.h"
#include "view/projection.h"
#include "view/scene_geometry.h"

namespace {

// Share of the view's half-width that the fitted graph may take on each
// side, leaving a border.
constexpr double fill = 0.85;
// Room kept free, in pixels, right of the graph for the labels when they are
// shown, and between the graph and the legend's box.
constexpr double label_room = 60.0;
constexpr double legend_gap = 8.0;
constexpr double infinity = std::numeric_limits<double>::infinity();

// Where on the screen the fitted graph may lie, in normalised device
// coordinates (−1 … 1 across the view): from −left to right, from −bottom to
// top.
struct Window {
    double left, right, bottom, top;
};

// The window of the whole view, and, beside the legend's box, the windows
// below it and right of it; none of these when the box leaves too little
// room (less than a tenth of the view across) or there is no box.
struct FitWindows {
    Window whole;
    std::optional<Window> below_legend;
    std::optional<Window> right_of_legend;
};

FitWindows fit_windows(const ViewSettings& settings, const PixelRect& legend) {
    Window whole{fill, fill, fill, fill};
    // Never less than 0.4 on a side, however small the view.
    if (settings.show_labels) {
        whole.right = std::max(0.4, fill - 2.0 * label_room / settings.client_width);
    }
    FitWindows windows{whole, std::nullopt, std::nullopt};
    if (legend.width <= 0 || legend.height <= 0) {
        return windows;
    }
    const double top =
        1.0 - 2.0 * (legend.top + legend.height + legend_gap) / settings.client_height;
    const double left =
        1.0 - 2.0 * (legend.left + legend.width + legend_gap) / settings.client_width;
    if (top + whole.bottom > 0.2) {
        windows.below_legend = whole;
        windows.below_legend->top = std::min(whole.top, top);
    }
    if (left + whole.right > 0.2) {
        windows.right_of_legend = whole;
        windows.right_of_legend->left = std::min(whole.left, left);
    }
    return windows;
}

struct Sphere {
    double x, y, z;
    double radius;
};

// Every vertex's sphere as the scene draws it, in double precision; the
// ones at non-finite places are left out.
std::vector<Sphere> scene_spheres(const SceneInput& input, const ViewSettings& settings) {
    std::vector<Sphere> spheres;
    const int n = input.graph->vertex_count();
    const double cap = flow_radius_cap(input, settings);
    spheres.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const Vector3 p =
            (*input.display_positions)[static_cast<std::size_t>(i)] * settings.position_scale;
        double radius = std::fabs(vertex_radius(input, i, cap));
        if (!std::isfinite(radius)) {
            radius = 0.0;
        }
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) {
            spheres.push_back({p.x, p.y, p.z, radius});
        }
    }
    // The commodities' arches rise above their terminals by half their
    // span: samples every 15° along each half ring, as spheres of the
    // tube's radius, stand for them.
    const DemandSet& demands = *input.demands;
    for (const int featured : demands.featured()) {
        const Commodity& c = demands.commodity(featured);
        if (!c.present) {
            continue;
        }
        const Vector3 a = (*input.display_positions)[static_cast<std::size_t>(c.source)] *
                          settings.position_scale;
        const Vector3 b =
            (*input.display_positions)[static_cast<std::size_t>(c.sink)] * settings.position_scale;
        const std::optional<SegmentOrientation> o = orient_segment(a, b);
        const double tube = std::fabs(commodity_radius(input, featured, cap));
        if (!o || !std::isfinite(tube)) {
            continue;
        }
        // Up in the arch's plane: u × w, perpendicular to the segment.
        const double up[3] = {o->uy * o->wz - o->uz * o->wy, o->uz * o->wx - o->ux * o->wz,
                              o->ux * o->wy - o->uy * o->wx};
        const double middle[3] = {(a.x + b.x) / 2.0, (a.y + b.y) / 2.0, (a.z + b.z) / 2.0};
        const double ring = o->length / 2.0;
        for (int step = 0; step <= 12; ++step) {
            const double phi = step * std::numbers::pi / 12.0;
            const double along = ring * std::cos(phi), above = ring * std::sin(phi);
            const Sphere sample{middle[0] + along * o->ux + above * up[0],
                                middle[1] + along * o->uy + above * up[1],
                                middle[2] + along * o->uz + above * up[2], tube};
            if (std::isfinite(sample.x) && std::isfinite(sample.y) && std::isfinite(sample.z)) {
                spheres.push_back(sample);
            }
        }
    }
    return spheres;
}

bool finite_float(double value) {
    return std::isfinite(value) && std::fabs(value) < std::numeric_limits<float>::max();
}

// The eigenvector of the symmetric 3 × 3 matrix `m` with the smallest
// eigenvalue, by Jacobi rotations.
std::array<double, 3> least_axis(std::array<std::array<double, 3>, 3> m) {
    std::array<std::array<double, 3>, 3> v{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    for (int sweep = 0; sweep < 50; ++sweep) {
        const double off = std::fabs(m[0][1]) + std::fabs(m[0][2]) + std::fabs(m[1][2]);
        if (!(off > 1e-300)) {
            break;
        }
        for (int p = 0; p < 2; ++p) {
            for (int q = p + 1; q < 3; ++q) {
                if (m[p][q] == 0.0) {
                    continue;
                }
                const double theta = (m[q][q] - m[p][p]) / (2.0 * m[p][q]);
                const double t =
                    (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
                for (int k = 0; k < 3; ++k) {
                    const double mkp = m[k][p], mkq = m[k][q];
                    m[k][p] = c * mkp - s * mkq;
                    m[k][q] = s * mkp + c * mkq;
                }
                for (int k = 0; k < 3; ++k) {
                    const double mpk = m[p][k], mqk = m[q][k];
                    m[p][k] = c * mpk - s * mqk;
                    m[q][k] = s * mpk + c * mqk;
                }
                for (int k = 0; k < 3; ++k) {
                    const double vkp = v[k][p], vkq = v[k][q];
                    v[k][p] = c * vkp - s * vkq;
                    v[k][q] = s * vkp + c * vkq;
                }
            }
        }
    }
    int least = 0;
    for (int k = 1; k < 3; ++k) {
        if (m[k][k] < m[least][least]) {
            least = k;
        }
    }
    return {v[0][least], v[1][least], v[2][least]};
}

bool fit_3d(const std::vector<Sphere>& spheres, const Window& window, ViewSettings& settings,
            Camera& camera) {
    Vector3 direction = camera.view_direction;
    std::optional<CameraAxes> axes = camera_axes(direction);
    // Nearly vertical views make a poor picture of a graph and a shaky
    // screen orientation: look along −x as at the start.
    if (!axes || std::fabs(axes->forward[2]) > 0.995) {
        direction = Vector3(-1.0f, 0.0f, 0.0f);
        axes = camera_axes(direction);
    }
    const double* s = axes->right;
    const double* u = axes->up;
    const double* f = axes->forward;

    // Each sphere in the camera's axes, from the world's origin.
    struct Local {
        double x, y, z, radius;
    };
    std::vector<Local> local;
    local.reserve(spheres.size());
    for (const Sphere& p : spheres) {
        local.push_back({p.x * s[0] + p.y * s[1] + p.z * s[2], p.x * u[0] + p.y * u[1] + p.z * u[2],
                         p.x * f[0] + p.y * f[1] + p.z * f[2], p.radius});
    }

    const double tan_half_view = std::tan(field_of_view_degrees / 2.0 * std::numbers::pi / 180.0);
    const double aspect =
        static_cast<double>(settings.client_width) / static_cast<double>(settings.client_height);

    // With the eye at lateral offset c and at e along the view, a sphere at
    // (x, z) of radius r lies inside the side planes whose half-angles have
    // the tangents t1 (towards +x) and t2 (towards −x) when
    //   c − e·t1 ≥ x − z·t1 + r·√(1 + t1²)   and
    //   c + e·t2 ≤ x + z·t2 − r·√(1 + t2²).
    // With L the largest left side and U the smallest right side, the
    // nearest eye is e = (U − L) / (t1 + t2), at c = L + e·t1.
    struct Axis {
        double centre;
        double eye;
    };
    const auto fit_axis = [&local](double t1, double t2, bool vertical) {
        const double sec1 = std::sqrt(1.0 + t1 * t1), sec2 = std::sqrt(1.0 + t2 * t2);
        double low = -infinity, high = infinity;
        for (const Local& l : local) {
            const double x = vertical ? l.y : l.x;
            low = std::max(low, x - l.z * t1 + l.radius * sec1);
            high = std::min(high, x + l.z * t2 - l.radius * sec2);
        }
        const double eye = (high - low) / (t1 + t2);
        return Axis{low + eye * t1, eye};
    };
    const Axis horizontal = fit_axis(window.right * tan_half_view * aspect,
                                     window.left * tan_half_view * aspect, false);
    const Axis vertical = fit_axis(window.top * tan_half_view, window.bottom * tan_half_view, true);
    double eye = std::min(horizontal.eye, vertical.eye);
    // The farther eye of the two axes leaves the other axis room to spare:
    // centre that axis within it.
    const auto centred = [eye](const Axis& axis, double t1, double t2) {
        return axis.centre - (axis.eye - eye) * (t1 - t2) / 2.0;
    };
    const double centre_x = centred(horizontal, window.right * tan_half_view * aspect,
                                    window.left * tan_half_view * aspect);
    const double centre_y =
        centred(vertical, window.top * tan_half_view, window.bottom * tan_half_view);
    double deepest = -infinity;
    for (const Local& l : local) {
        deepest = std::max(deepest, l.z + l.radius);
    }
    // The far plane must reach the deepest sphere; the near plane, far /
    // 5000, must stay in front of the nearest one. Each step back moves the
    // far plane a little, so a few rounds settle both.
    double far_plane = settings.perspective_far;
    for (int round = 0; round < 4; ++round) {
        far_plane = std::max(5000.0, 1.05 * (deepest - eye));
        const double near_plane = far_plane / perspective_depth_ratio;
        for (const Local& l : local) {
            eye = std::min(eye, l.z - l.radius - 1.05 * near_plane);
        }
    }
    far_plane = std::max(5000.0, 1.05 * (deepest - eye));

    double position[3];
    for (int k = 0; k < 3; ++k) {
        position[k] = centre_x * s[k] + centre_y * u[k] + eye * f[k];
    }
    if (!finite_float(position[0]) || !finite_float(position[1]) || !finite_float(position[2]) ||
        !std::isfinite(far_plane)) {
        return false;
    }
    camera.position = Vector3(static_cast<float>(position[0]), static_cast<float>(position[1]),
                              static_cast<float>(position[2]));
    camera.view_direction = normalize(direction);
    settings.perspective_far = far_plane;
    return true;
}

void fit_2d(const std::vector<Sphere>& spheres, const Window& window, ViewSettings& settings,
            Camera& camera) {
    double min_x = infinity, max_x = -infinity, min_y = infinity, max_y = -infinity;
    double top = -infinity, bottom = infinity;
    for (const Sphere& p : spheres) {
        min_x = std::min(min_x, p.x - p.radius);
        max_x = std::max(max_x, p.x + p.radius);
        min_y = std::min(min_y, p.y - p.radius);
        max_y = std::max(max_y, p.y + p.radius);
        top = std::max(top, p.z + p.radius);
        bottom = std::min(bottom, p.z - p.radius);
    }
    // The visible square is 2h wide: x − cx runs over [−left·h, right·h].
    // The camera height is the zoom and the eye's altitude at once: the
    // highest sphere must stay below the near plane, 1 under the eye.
    const double height = std::max({(max_x - min_x) / (window.left + window.right),
                                    (max_y - min_y) / (window.bottom + window.top),
                                    static_cast<double>(lowest_2d_height), 1.05 * (top + 1.0)});
    const double depth_below = std::max(ViewSettings{}.ortho_depth_below, 1.05 * -bottom);
    // Each side's spare room split evenly.
    const double x = (min_x + max_x) / 2.0 + (window.left - window.right) / 2.0 * height;
    const double y = (min_y + max_y) / 2.0 + (window.bottom - window.top) / 2.0 * height;
    if (!finite_float(x) || !finite_float(y) || !finite_float(height) ||
        !finite_float(height + depth_below)) {
        return;
    }
    camera.position =
        Vector3(static_cast<float>(x), static_cast<float>(y), static_cast<float>(height));
    settings.ortho_depth_below = depth_below;
}

}  // namespace

Vector3 facing_direction(const SceneInput& input, const ViewSettings& settings) {
    const Vector3 start_direction(-1.0f, 0.0f, 0.0f);
    if (!input.drawable()) {
        return start_direction;
    }
    // The vertices' spread, about their mean.
    std::vector<std::array<double, 3>> points;
    for (const Vector3& position : *input.display_positions) {
        const Vector3 p = position * settings.position_scale;
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) {
            points.push_back({p.x, p.y, p.z});
        }
    }
    if (points.size() < 2) {
        return start_direction;
    }
    std::array<double, 3> mean{0, 0, 0};
    for (const auto& p : points) {
        for (int k = 0; k < 3; ++k) {
            mean[k] += p[k] / static_cast<double>(points.size());
        }
    }
    std::array<std::array<double, 3>, 3> spread{};
    double largest = 0.0;
    for (const auto& p : points) {
        for (int k = 0; k < 3; ++k) {
            largest = std::max(largest, std::fabs(p[k] - mean[k]));
        }
    }
    if (!(largest > 0.0) || !std::isfinite(largest)) {
        return start_direction;
    }
    // Scaled to the largest offset, so that huge positions cannot overflow.
    for (const auto& p : points) {
        for (int a = 0; a < 3; ++a) {
            for (int b = 0; b < 3; ++b) {
                spread[a][b] += (p[a] - mean[a]) / largest * ((p[b] - mean[b]) / largest);
            }
        }
    }
    std::array<double, 3> d = least_axis(spread);
    // Look down rather than up, along −x rather than +x.
    if (d[2] > 1e-9 || (std::fabs(d[2]) <= 1e-9 && d[0] > 0.0)) {
        d = {-d[0], -d[1], -d[2]};
    }
    // No steeper than 60° down, keeping the heading (−x for a graph that
    // lies flat, whose axis is vertical).
    const double steepest = std::sin(60.0 * std::numbers::pi / 180.0);
    const double horizontal = std::hypot(d[0], d[1]);
    if (horizontal < 1e-9) {
        d = {-0.5, 0.0, -steepest};
    } else if (-d[2] / std::sqrt(horizontal * horizontal + d[2] * d[2]) > steepest) {
        d = {d[0] / horizontal * 0.5, d[1] / horizontal * 0.5, -steepest};
    }
    const Vector3 direction = normalize(
        Vector3(static_cast<float>(d[0]), static_cast<float>(d[1]), static_cast<float>(d[2])));
    return std::isfinite(direction.x) && std::isfinite(direction.y) && std::isfinite(direction.z)
               ? direction
               : start_direction;
}

void fit_view(const SceneInput& input, ViewSettings& settings, Camera& camera,
              bool choose_direction, const PixelRect& legend) {
    if (!input.drawable() || settings.client_width <= 0 || settings.client_height <= 0) {
        return;
    }

    const std::vector<Sphere> spheres = scene_spheres(input, settings);
    if (spheres.empty()) {
        return;
    }
    const FitWindows windows = fit_windows(settings, legend);
    std::vector<Window> candidates;
    for (const std::optional<Window>& window : {windows.below_legend, windows.right_of_legend}) {
        if (window) {
            candidates.push_back(*window);
        }
    }
    if (candidates.empty()) {
        candidates.push_back(windows.whole);
    }
    // Of the places beside the legend, the one that shows the graph larger:
    // the nearer eye in 3D, the lower camera in 2D.
    if (settings.perspective_3d) {
        Camera start = camera;
        if (choose_direction) {
            start.view_direction = facing_direction(input, settings);
        }
        std::optional<std::pair<Camera, ViewSettings>> best;
        double best_eye = -infinity;
        for (const Window& window : candidates) {
            Camera fitted = start;
            ViewSettings fitted_settings = settings;
            if (!fit_3d(spheres, window, fitted_settings, fitted)) {
                continue;
            }
            // How far the eye came along its view direction, towards the graph.
            const Vector3 moved = fitted.position - start.position;
            const Vector3 forward = normalize(fitted.view_direction);
            const double eye = static_cast<double>(moved.x) * forward.x +
                               static_cast<double>(moved.y) * forward.y +
                               static_cast<double>(moved.z) * forward.z;
            if (!best || eye > best_eye) {
                best.emplace(fitted, fitted_settings);
                best_eye = eye;
            }
        }
        // The camera turns only when the fit can place it.
        if (best) {
            camera = best->first;
            settings = best->second;
        }
    } else {
        std::optional<std::pair<Camera, ViewSettings>> best;
        for (const Window& window : candidates) {
            Camera fitted = camera;
            ViewSettings fitted_settings = settings;
            fit_2d(spheres, window, fitted_settings, fitted);
            if (!best || fitted.position.z < best->first.position.z) {
                best.emplace(fitted, fitted_settings);
            }
        }
        camera = best->first;
        settings = best->second;
    }
}

void wheel_camera(double notches, const SceneInput& input, const ViewSettings& settings,
                  Camera& camera) {
    if (!std::isfinite(notches) || notches == 0.0) {
        return;
    }
    if (!settings.perspective_3d) {
        const double height = std::max(static_cast<double>(lowest_2d_height),
                                       view_2d_height(camera) * std::pow(0.85, notches));
        if (finite_float(height)) {
            camera.position.z = static_cast<float>(height);
        }
        return;
    }
    double distance = 0.0;
    if (input.drawable()) {
        const std::vector<Sphere> spheres = scene_spheres(input, settings);
        if (!spheres.empty()) {
            double low[3] = {infinity, infinity, infinity};
            double high[3] = {-infinity, -infinity, -infinity};
            for (const Sphere& p : spheres) {
                const double c[3] = {p.x, p.y, p.z};
                for (int k = 0; k < 3; ++k) {
                    low[k] = std::min(low[k], c[k]);
                    high[k] = std::max(high[k], c[k]);
                }
            }
            distance = std::hypot((low[0] + high[0]) / 2.0 - camera.position.x,
                                  (low[1] + high[1]) / 2.0 - camera.position.y,
                                  (low[2] + high[2]) / 2.0 - camera.position.z);
        }
    }
    const double step = std::max(8.0, std::isfinite(distance) ? 0.15 * distance : 8.0);
    const Vector3 moved = camera.position + normalize(camera.view_direction) * (step * notches);
    if (std::isfinite(moved.x) && std::isfinite(moved.y) && std::isfinite(moved.z)) {
        camera.position = moved;
    }
}
