#pragma once

#include <memory>
#include <vector>

#include "common/expected.h"
#include "render/rgba_image.h"
#include "view/overlay.h"

// Writes the overlay texts into a rendered picture, in software: the vertex
// labels (black, with a white halo so that they read over the scene) and the
// legend box in the top-left corner. The text is drawn with FreeType in the
// system's sans-serif font, which fontconfig finds (DejaVu Sans on Debian),
// antialiased.
//
// Glyphs are rendered once and kept. Use it from one thread.
class TextOverlay {
  public:
    // Finds and loads the font. Fails, saying why, when FreeType cannot start
    // or no scalable sans-serif font is installed.
    static Expected<std::unique_ptr<TextOverlay>> create();
    ~TextOverlay();

    TextOverlay(const TextOverlay&) = delete;
    TextOverlay& operator=(const TextOverlay&) = delete;

    // Each label's text with its left edge at the label's x and its middle at
    // its y; whatever falls outside the picture is cut off.
    void draw_labels(RgbaImage& image, const std::vector<VertexLabel>& labels);
    // The legend box of `lines` as layout_legend lays it out with this font.
    // Nothing for no lines.
    void draw_legend(RgbaImage& image, const std::vector<LegendLine>& lines);

    // Width in pixels of `text` (UTF-8) as drawn.
    int text_width(const std::string& text);
    // Height of one line of text in pixels.
    int line_height() const;
    // Both, as the layouts take them.
    TextMetrics metrics();

    // The loaded font with its rendered glyphs (defined with the drawing).
    struct Font;

  private:
    explicit TextOverlay(std::unique_ptr<Font> font);

    std::unique_ptr<Font> font_;
};
