#include "view/legend_box.h"

#include <algorithm>

namespace {

// From the picture's edges to the panel, from the panel's edges to its
// content, and from a square to its text.
constexpr int margin = 10;
constexpr int padding = 8;
constexpr int gap = 6;
// Between one line of text and the next.
constexpr int row_spacing = 3;

constexpr Rgb white{1.0f, 1.0f, 1.0f};
constexpr Rgb black{0.0f, 0.0f, 0.0f};
constexpr Rgb border_grey{128 / 255.0f, 128 / 255.0f, 128 / 255.0f};
constexpr Rgb warning_red{190 / 255.0f, 0.0f, 0.0f};

}  // namespace

std::array<PixelRect, 4> LegendBox::border_sides() const {
    const PixelRect& p = panel;
    return {
        PixelRect{p.left, p.top, p.width, 1}, PixelRect{p.left, p.top + p.height - 1, p.width, 1},
        PixelRect{p.left, p.top, 1, p.height}, PixelRect{p.left + p.width - 1, p.top, 1, p.height}};
}

LegendBox layout_legend(const std::vector<LegendLine>& lines, const TextMetrics& metrics) {
    LegendBox box{{}, white, 230, border_grey, {}};
    if (lines.empty()) {
        return box;
    }
    const int height = metrics.line_height;
    const int row = height + row_spacing;
    const int swatch = height - 4;  // centred on the text's line
    const bool any_swatch = std::any_of(
        lines.begin(), lines.end(), [](const LegendLine& line) { return line.swatch.has_value(); });
    const int text_indent = any_swatch ? swatch + gap : 0;
    // The ramp's row puts its text after the ramp.
    const auto indent = [&](const LegendLine& line) {
        return line.load_ramp ? legend_ramp_width + gap : text_indent;
    };
    int width = 0;
    for (const LegendLine& line : lines) {
        width = std::max(width, indent(line) + metrics.text_width(line.text));
    }
    box.panel = {margin, margin, width + 2 * padding,
                 static_cast<int>(lines.size()) * row - row_spacing + 2 * padding};

    const int left = margin + padding;
    int top = margin + padding;
    for (const LegendLine& line : lines) {
        LegendRow& r = box.rows.emplace_back(LegendRow{
            line.text, line.warning ? warning_red : black, left + indent(line), top, {}, {}});
        if (line.swatch) {
            r.swatch =
                LegendSwatch{{left, top + (height - swatch) / 2, swatch, swatch}, *line.swatch};
        }
        if (line.load_ramp) {
            for (int x = 0; x < legend_ramp_width; ++x) {
                r.ramp.push_back({{left + x, top + (height - swatch) / 2, 1, swatch},
                                  load_colour((x + 0.5) / legend_ramp_width)});
            }
        }
        top += row;
    }
    return box;
}
