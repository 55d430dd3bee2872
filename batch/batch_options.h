#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The command line of tarvessa-batch: [--verbose] [--seed N] [--json] FILE.gr
struct BatchOptions {
    bool verbose = false;
    bool json = false;
    bool help = false;
    // Seed of the random source; the time when absent.
    std::optional<std::uint32_t> seed;
    std::string path;
};

inline constexpr const char* batch_usage =
    "usage: tarvessa-batch [--verbose] [--seed N] [--json] FILE.gr\n";

// Reads the arguments after the program name. Returns nothing, with the reason
// in `error`, for an unknown option, a missing or malformed seed (N must be a
// decimal number from 0 to 4294967295), no file or more than one. "--help"
// alone is enough and sets `help`.
std::optional<BatchOptions> parse_batch_options(const std::vector<std::string>& args,
                                                std::string& error);
