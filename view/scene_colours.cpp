#include "view/scene_colours.h"

#include <algorithm>
#include <cmath>

Rgb load_colour(double load) {
    // Five stops at 0, 1/4, 1/2, 3/4 and 1, joined linearly.
    static constexpr std::array<Rgb, 5> stops = {
        Rgb{0.27f, 0.0f, 0.33f}, Rgb{0.23f, 0.32f, 0.55f}, Rgb{0.13f, 0.57f, 0.55f},
        Rgb{0.37f, 0.79f, 0.38f}, Rgb{0.99f, 0.91f, 0.14f}};
    const double at = std::isnan(load) ? 0.0 : std::clamp(load, 0.0, 1.0) * 4.0;
    const std::size_t below = std::min<std::size_t>(static_cast<std::size_t>(at), 3);
    const auto t = static_cast<float>(at - static_cast<double>(below));
    const Rgb& a = stops[below];
    const Rgb& b = stops[below + 1];
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
