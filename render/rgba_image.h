#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// An 8-bit RGBA picture, rows from top to bottom.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width × height × 4 bytes

    // Colour at column x, row y counted from the top. Precondition: in range.
    std::array<std::uint8_t, 4> at(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                               static_cast<std::size_t>(x)) *
                              4;
        return {pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]};
    }
};
