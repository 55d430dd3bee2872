#pragma once

#include <array>
#include <cstddef>

#include "graph/commodities.h"

// A colour with channels from 0 to 1.
struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

// The emission colours of the scene's objects, shared by the drawing and by
// the legend that explains them. Plain vertices are light grey, and edges
// dark grey when they show no flow (a flow colours its edge by the
// commodities' flows: red, green, blue).
inline constexpr Rgb vertex_colour{0.7f, 0.7f, 0.7f};
inline constexpr Rgb idle_edge_colour{0.1f, 0.1f, 0.1f};
inline constexpr Rgb source_colour{0.7f, 0.0f, 0.0f};
inline constexpr Rgb sink_colour{0.0f, 0.7f, 0.0f};
// The arches' palette, one colour per commodity, taken in turn beyond twelve:
// red, green and blue first, then hues that keep away from each other and
// from the cut's orange.
inline constexpr std::array<Rgb, 12> arch_palette = {
    Rgb{0.7f, 0.0f, 0.0f},  Rgb{0.0f, 0.7f, 0.0f},  Rgb{0.0f, 0.0f, 0.7f},  Rgb{0.7f, 0.0f, 0.7f},
    Rgb{0.0f, 0.6f, 0.7f},  Rgb{0.6f, 0.6f, 0.0f},  Rgb{0.35f, 0.0f, 0.7f}, Rgb{0.0f, 0.7f, 0.35f},
    Rgb{0.0f, 0.35f, 0.7f}, Rgb{0.7f, 0.0f, 0.35f}, Rgb{0.35f, 0.7f, 0.0f}, Rgb{0.4f, 0.4f, 0.7f}};
constexpr Rgb arch_colour(int w) {
    return arch_palette[static_cast<std::size_t>(w < 0 ? 0 : w) % arch_palette.size()];
}
// Commodity w's arch: red, green, blue.
inline constexpr std::array<Rgb, commodity_count> commodity_colour = {
    arch_colour(0), arch_colour(1), arch_colour(2)};

// An edge's colour by its load (flow / capacity) on a sequential ramp, pale
// yellow through green and blue to dark violet (the viridis scale run
// backwards): the busier, the darker. Loads outside [0, 1] take the nearer
// end; a load that is no number takes the pale end.
Rgb load_colour(double load);
// The cut's side S and the edges that cross the cut, when the cut is shown:
// orange, which neither a terminal, nor an arch, nor a flow colour (a mix of
// red, green and blue by the commodities' flows, each at most as bright as
// its own flow) nor the grey of the plain vertices and edges comes near once
// lit. The vertices' light only adds white, so an orange pixel keeps its
// green well between its red and its blue.
inline constexpr Rgb cut_colour{1.0f, 0.5f, 0.0f};
