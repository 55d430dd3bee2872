#include "tests/support/png_reader.h"

#include <png.h>

#include <cstring>

std::array<int, 3> Picture::at(int x, int y) const {
    const std::size_t i =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
        3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

std::optional<Picture> read_png(const std::filesystem::path& path) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
        return std::nullopt;
    }
    Picture picture;
    picture.width = static_cast<int>(png.width);
    picture.height = static_cast<int>(png.height);
    picture.has_alpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, picture.rgb.data(), 0, nullptr) == 0) {
        png_image_free(&png);
        return std::nullopt;
    }
    return picture;
}
