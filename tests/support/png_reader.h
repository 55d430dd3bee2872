#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

// A PNG file read back as 8-bit RGB, rows from the top.
struct Picture {
    int width = 0;
    int height = 0;
    // Whether the file itself holds an alpha channel.
    bool has_alpha = false;
    std::vector<std::uint8_t> rgb;

    std::array<int, 3> at(int x, int y) const;
};

// The picture in the PNG file at `path`; none when it cannot be read.
std::optional<Picture> read_png(const std::filesystem::path& path);
