#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"

// The command line of tarvessa-batch:
//   [--verbose] [--seed N] [--json] [--png FILE [--size WxH] [--flow] [--2d]] FILE.gr
struct BatchOptions {
    bool verbose = false;
    bool json = false;
    bool help = false;
    // Seed of the random source; the time when absent.
    std::optional<std::uint32_t> seed;
    std::string path;

    // --png FILE: also writes the view of the loaded graph, as the window
    // would first show it, to this PNG file; empty when not asked for.
    std::string png_path;
    // --size WxH: the picture's size in pixels.
    int png_width = 700;
    int png_height = 700;
    // --flow: edges thickened and coloured by their flow.
    bool png_flow = false;
    // --2d: the view from above instead of the start camera.
    bool png_2d = false;
};

inline constexpr const char* batch_usage =
    "usage: tarvessa-batch [--verbose] [--seed N] [--json] [--png FILE [--size WxH] [--flow] "
    "[--2d]] FILE.gr\n";

// Reads the arguments after the program name. Fails, with the reason, for an
// unknown option, a missing or malformed seed (N must be a
// decimal number from 0 to 4294967295), no file or more than one, a missing
// picture file, a size other than two decimal numbers from 1 to 16384 joined
// by "x", or --size, --flow or --2d without --png. "--help" alone is enough
// and sets `help`.
Expected<BatchOptions> parse_batch_options(const std::vector<std::string>& args);
