#include "view/scene_colours.h"

#include <algorithm>
#include <cmath>

Rgb load_colour(double load) {
    // Viridis at 1, 0.75, 0.5, 0.25 and 0, evenly spaced over the load.
    static constexpr std::array<Rgb, 5> stops = {
        Rgb{0.993f, 0.906f, 0.144f}, Rgb{0.369f, 0.788f, 0.384f}, Rgb{0.128f, 0.567f, 0.551f},
        Rgb{0.231f, 0.322f, 0.546f}, Rgb{0.267f, 0.005f, 0.329f}};
    const double t = std::isnan(load) ? 0.0 : std::fmin(std::fmax(load, 0.0), 1.0);
    const double at = t * (stops.size() - 1);
    const std::size_t low = std::min(static_cast<std::size_t>(at), stops.size() - 2);
    const float f = static_cast<float>(at - static_cast<double>(low));
    const Rgb& a = stops[low];
    const Rgb& b = stops[low + 1];
    return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f};
}
