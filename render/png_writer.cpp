#include "render/png_writer.h"

#include <png.h>

#include <cstring>
#include <vector>

Expected<void> write_png(const std::string& path, const RgbaImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() !=
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4) {
        return fail("empty or inconsistent image");
    }
    std::vector<png_byte> rgb(static_cast<std::size_t>(image.width) *
                              static_cast<std::size_t>(image.height) * 3);
    for (std::size_t p = 0, n = rgb.size() / 3; p < n; ++p) {
        std::memcpy(&rgb[p * 3], &image.pixels[p * 4], 3);
    }

    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    if (png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr) == 0) {
        const std::string why = png.message;
        png_image_free(&png);
        return fail(path + ": " + why);
    }
    return {};
}
