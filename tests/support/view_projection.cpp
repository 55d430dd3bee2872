#include "tests/support/view_projection.h"

#include <cmath>
#include <numbers>

Pixel project_start_view(const Vector3& point, int width, int height) {
    const double depth = 25.0 - point.x;
    const double t = std::tan(std::numbers::pi / 6.0);
    const double aspect = static_cast<double>(width) / height;
    const double ndc_x = point.y / depth / (t * aspect);
    const double ndc_y = point.z / depth / t;
    return {static_cast<int>((ndc_x + 1) / 2 * width), static_cast<int>((1 - ndc_y) / 2 * height)};
}

Pixel project_top_view(const Vector3& point, double h, int width, int height) {
    return {static_cast<int>((point.x / h + 1) / 2 * width),
            static_cast<int>((1 - point.y / h) / 2 * height)};
}

bool dominated_by(const std::array<int, 3>& rgb, int channel) {
    for (int k = 0; k < 3; ++k) {
        if (k != channel && rgb[channel] < rgb[k] + 60) {
            return false;
        }
    }
    return true;
}
