#include "render/text_overlay.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "common/utf8.h"
#include "view/legend_box.h"

namespace {

struct Colour {
    int r, g, b;
};

constexpr Colour black{0, 0, 0};
constexpr Colour white{255, 255, 255};

// The code points of a UTF-8 text: a malformed byte gives U+FFFD and the
// reading resumes at the next byte; a complete sequence gives the value its
// bits spell, even an overlong form, a surrogate or one above U+10FFFF.
std::vector<char32_t> code_points(const std::string& text) {
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char character = decode_utf8(text, i);
        points.push_back(character.point);
        i += character.length;
    }
    return points;
}

// The file of the best scalable sans-serif font fontconfig knows; empty when
// none.
std::string sans_serif_file() {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) {
        return {};
    }
    std::string file;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    if (pattern != nullptr) {
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        FcChar8* path = nullptr;
        if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
            file = reinterpret_cast<const char*>(path);
        }
        if (match != nullptr) {
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    return file;
}

}  // namespace

struct TextOverlay::Font {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int ascender = 0;
    int height = 0;

    struct Glyph {
        int left = 0;
        int top = 0;
        int width = 0;
        int rows = 0;
        int advance = 0;
        std::vector<std::uint8_t> coverage;
    };
    std::map<char32_t, Glyph> glyphs;

    ~Font() {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }

    const Glyph& glyph(char32_t point) {
        const auto found = glyphs.find(point);
        if (found != glyphs.end()) {
            return found->second;
        }
        Glyph glyph;
        if (FT_Load_Char(face, point, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
            const FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            glyph.left = slot->bitmap_left;
            glyph.top = slot->bitmap_top;
            glyph.width = static_cast<int>(bitmap.width);
            glyph.rows = static_cast<int>(bitmap.rows);
            glyph.advance = static_cast<int>(slot->advance.x >> 6);
            glyph.coverage.resize(static_cast<std::size_t>(glyph.width) *
                                  static_cast<std::size_t>(glyph.rows));
            for (int y = 0; y < glyph.rows; ++y) {
                for (int x = 0; x < glyph.width; ++x) {
                    glyph.coverage[static_cast<std::size_t>(y * glyph.width + x)] =
                        bitmap.buffer[y * bitmap.pitch + x];
                }
            }
        }
        return glyphs.emplace(point, std::move(glyph)).first->second;
    }
};

namespace {

void blend(RgbaImage& image, int x, int y, Colour c, int alpha) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height || alpha <= 0) {
        return;
    }
    std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
    const int keep = 255 - alpha;
    p[0] = static_cast<std::uint8_t>((p[0] * keep + c.r * alpha + 127) / 255);
    p[1] = static_cast<std::uint8_t>((p[1] * keep + c.g * alpha + 127) / 255);
    p[2] = static_cast<std::uint8_t>((p[2] * keep + c.b * alpha + 127) / 255);
}

void fill_rect(RgbaImage& image, const PixelRect& rect, Colour c, int alpha) {
    const int x0 = std::max(0, rect.left), y0 = std::max(0, rect.top);
    const int x1 = std::min(image.width, rect.left + rect.width);
    const int y1 = std::min(image.height, rect.top + rect.height);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            blend(image, x, y, c, alpha);
        }
    }
}

Colour to_colour(const Rgb& rgb) {
    const auto channel = [](float v) {
        return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
    };
    return {channel(rgb.r), channel(rgb.g), channel(rgb.b)};
}

}  // namespace

Expected<std::unique_ptr<TextOverlay>> TextOverlay::create() {
    auto font = std::make_unique<Font>();
    if (FT_Init_FreeType(&font->library) != 0) {
        font->library = nullptr;
        return fail("FreeType cannot start");
    }
    const std::string file = sans_serif_file();
    if (file.empty()) {
        return fail("no sans-serif font found (install fonts-dejavu-core)");
    }
    if (FT_New_Face(font->library, file.c_str(), 0, &font->face) != 0) {
        font->face = nullptr;
        return fail("cannot load the font " + file);
    }
    if (FT_Set_Pixel_Sizes(font->face, 0, overlay_text_pixels) != 0) {
        return fail("the font " + file + " cannot be drawn at " +
                    std::to_string(overlay_text_pixels) + " pixels");
    }
    font->ascender = static_cast<int>(font->face->size->metrics.ascender >> 6);
    font->height = static_cast<int>(font->face->size->metrics.height >> 6);
    return std::unique_ptr<TextOverlay>(new TextOverlay(std::move(font)));
}

TextOverlay::TextOverlay(std::unique_ptr<Font> font) : font_(std::move(font)) {}

TextOverlay::~TextOverlay() = default;

int TextOverlay::line_height() const {
    return font_->height;
}

int TextOverlay::text_width(const std::string& text) {
    int width = 0;
    for (char32_t point : code_points(text)) {
        width += font_->glyph(point).advance;
    }
    return width;
}

namespace {

// Draws `text` with its top-left corner at (left, top).
void draw_text(TextOverlay::Font& font, RgbaImage& image, const std::string& text, int left,
               int top, Colour colour);

}  // namespace

void TextOverlay::draw_labels(RgbaImage& image, const std::vector<VertexLabel>& labels) {
    for (const VertexLabel& label : labels) {
        if (!std::isfinite(label.x) || !std::isfinite(label.y) || label.x > image.width ||
            label.y > image.height + font_->height || label.y < -font_->height) {
            continue;
        }
        const int left = static_cast<int>(std::lround(label.x));
        const int top = static_cast<int>(std::lround(label.y)) - font_->height / 2;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (dx != 0 || dy != 0) {
                    draw_text(*font_, image, label.text, left + dx, top + dy, white);
                }
            }
        }
        draw_text(*font_, image, label.text, left, top, black);
    }
}

TextMetrics TextOverlay::metrics() {
    return {font_->height, [this](const std::string& text) { return text_width(text); }};
}

void TextOverlay::draw_legend(RgbaImage& image, const std::vector<LegendLine>& lines) {
    const LegendBox box = layout_legend(lines, metrics());
    if (box.rows.empty()) {
        return;
    }
    fill_rect(image, box.panel, to_colour(box.background), box.background_alpha);
    for (const PixelRect& side : box.border_sides()) {
        fill_rect(image, side, to_colour(box.border), 255);
    }
    for (const LegendRow& row : box.rows) {
        if (row.swatch) {
            fill_rect(image, row.swatch->square, to_colour(row.swatch->colour), 255);
        }
        for (const LegendSwatch& column : row.ramp) {
            fill_rect(image, column.square, to_colour(column.colour), 255);
        }
        draw_text(*font_, image, row.text, row.text_left, row.text_top, to_colour(row.colour));
    }
}

namespace {

void draw_text(TextOverlay::Font& font, RgbaImage& image, const std::string& text, int left,
               int top, Colour colour) {
    const int baseline = top + font.ascender;
    int pen = left;
    for (char32_t point : code_points(text)) {
        const TextOverlay::Font::Glyph& g = font.glyph(point);
        for (int y = 0; y < g.rows; ++y) {
            for (int x = 0; x < g.width; ++x) {
                blend(image, pen + g.left + x, baseline - g.top + y, colour,
                      g.coverage[static_cast<std::size_t>(y * g.width + x)]);
            }
        }
        pen += g.advance;
        if (pen > image.width) {
            break;
        }
    }
}

}  // namespace
