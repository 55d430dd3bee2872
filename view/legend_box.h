#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "view/overlay.h"
#include "view/scene_colours.h"

// A rectangle in pixels from the drawing area's top-left corner.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The square before a legend line, in the colour of what the line names.
struct LegendSwatch {
    PixelRect square;
    Rgb colour;
};

// One line of the legend box: its text, drawn in `colour` with the top of
// its line at (text_left, text_top) (the baseline lies the font's ascent
// below), and its square when it has one. The line of the load ramp has,
// instead of a square, the ramp from load 0 (left) to 1 as columns of one
// pixel, and its text after them.
struct LegendRow {
    std::string text;
    Rgb colour;
    int text_left = 0;
    int text_top = 0;
    std::optional<LegendSwatch> swatch;
    std::vector<LegendSwatch> ramp;
};

// Width in pixels of the load ramp in its legend row.
inline constexpr int legend_ramp_width = 48;

// The legend box laid out, ready to draw: a white, nearly opaque panel in the
// top-left corner with a grey border one pixel wide inside it, one row per
// legend line, warnings in dark red. The window (with Qt's font) and the
// pictures of tarvessa-batch (with FreeType's) both draw this one layout.
struct LegendBox {
    PixelRect panel;  // border included
    Rgb background;
    int background_alpha = 0;  // 0 (clear) to 255 (opaque)
    Rgb border;
    std::vector<LegendRow> rows;

    // The border's four sides inside the panel: top, bottom, left, right.
    std::array<PixelRect, 4> border_sides() const;
};

// The box of `lines` measured with `metrics`; no rows (nothing to draw) for
// no lines. The texts share one left edge, after the squares when any line
// has one.
LegendBox layout_legend(const std::vector<LegendLine>& lines, const TextMetrics& metrics);
