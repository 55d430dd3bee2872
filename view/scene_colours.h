#pragma once

#include <array>

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
// Commodity w's arch: red, green, blue.
inline constexpr std::array<Rgb, commodity_count> commodity_colour = {
    Rgb{0.7f, 0.0f, 0.0f}, Rgb{0.0f, 0.7f, 0.0f}, Rgb{0.0f, 0.0f, 0.7f}};
// The cut's side S and the edges that cross the cut, when the cut is shown:
// orange, which neither a terminal, nor an arch, nor a flow colour (a mix of
// red, green and blue by the commodities' flows, each at most as bright as
// its own flow) nor the grey of the plain vertices and edges comes near once
// lit. The vertices' light only adds white, so an orange pixel keeps its
// green well between its red and its blue.
inline constexpr Rgb cut_colour{1.0f, 0.5f, 0.0f};
