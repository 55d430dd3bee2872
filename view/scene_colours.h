#pragma once

#include <array>
#include <cstddef>

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
// The arches' colours, one per featured commodity in set order: red, green
// and blue first (the default set's three commodities), then colours that
// stay apart from them, from the terminals', from the cut's orange and from
// the greys.
inline constexpr std::array<Rgb, 12> commodity_colour = {
    Rgb{0.7f, 0.0f, 0.0f},   Rgb{0.0f, 0.7f, 0.0f},   Rgb{0.0f, 0.0f, 0.7f},
    Rgb{0.7f, 0.0f, 0.7f},   Rgb{0.0f, 0.65f, 0.65f}, Rgb{0.75f, 0.75f, 0.0f},
    Rgb{0.4f, 0.1f, 0.75f},  Rgb{0.0f, 0.35f, 0.2f},  Rgb{0.55f, 0.3f, 0.45f},
    Rgb{0.1f, 0.2f, 0.45f},  Rgb{0.45f, 0.5f, 0.0f},  Rgb{0.95f, 0.55f, 0.75f}};

// The colour of an edge's load (its flow over its capacity, clamped to 0 …
// 1) when the flows do not show by commodity: a sequential ramp from dark
// violet through blue and green to yellow, which passes near neither the
// cut's orange nor the greys.
Rgb load_colour(double load);
// The cut's side S and the edges that cross the cut, when the cut is shown:
// orange, which neither a terminal, nor an arch, nor a flow colour (a mix of
// red, green and blue by the commodities' flows, each at most as bright as
// its own flow) nor the grey of the plain vertices and edges comes near once
// lit. The vertices' light only adds white, so an orange pixel keeps its
// green well between its red and its blue.
inline constexpr Rgb cut_colour{1.0f, 0.5f, 0.0f};
