#include "render/png_writer.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

std::string system_error() {
    return std::strerror(errno);
}

// Creates a new file beside `path` (same directory, so that a rename can
// replace `path` in one step) and returns it open for writing, with its name
// in `name`; null when none can be made. The file's permissions are those
// of any new file (0666 less the umask).
std::FILE* create_beside(const std::string& path, std::string& name) {
    const std::filesystem::path target(path);
    const std::filesystem::path dir = target.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string base = "." + target.filename().string() + ".tmp-" +
                                 std::to_string(::getpid()) + "-" + std::to_string(attempt);
        name = (dir.empty() ? std::filesystem::path(base) : dir / base).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            std::FILE* file = ::fdopen(fd, "wb");
            if (file == nullptr) {
                ::close(fd);
                ::unlink(name.c_str());
            }
            return file;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

}  // namespace

Expected<void> write_png(const std::string& path, const RgbaImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() !=
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4) {
        return fail("image vide ou incohérente");
    }
    std::vector<png_byte> rgb(static_cast<std::size_t>(image.width) *
                              static_cast<std::size_t>(image.height) * 3);
    for (std::size_t p = 0, n = rgb.size() / 3; p < n; ++p) {
        std::memcpy(&rgb[p * 3], &image.pixels[p * 4], 3);
    }

    std::string temporary;
    std::FILE* file = create_beside(path, temporary);
    if (file == nullptr) {
        return fail(path + " : impossible de créer le fichier (" + system_error() + ")");
    }
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    // Quick compression: a picture of the view is written some four times
    // faster, and one that is mostly background comes out no larger.
    png.flags = PNG_IMAGE_FLAG_FAST;
    const bool encoded = png_image_write_to_stdio(&png, file, 0, rgb.data(), 0, nullptr) != 0;
    // The picture counts as written only once every byte has reached the
    // file; until the rename `path` is untouched.
    std::string failure = encoded ? "" : png.message;
    png_image_free(&png);
    if (failure.empty() && (std::fflush(file) != 0 || std::ferror(file) != 0)) {
        failure = system_error();
    }
    if (std::fclose(file) != 0 && failure.empty()) {
        failure = system_error();
    }
    if (!failure.empty()) {
        ::unlink(temporary.c_str());
        return fail(path + " : échec de l'écriture (" + failure + ")");
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = system_error();
        ::unlink(temporary.c_str());
        return fail(path + " : impossible de remplacer le fichier (" + reason + ")");
    }
    return {};
}
