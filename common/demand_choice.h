#pragma once

#include <string>

// The demands the user chose for the loads: the default set, one unit
// between every pair of vertices, or a demand file. It stays in force from
// load to load until the user changes it; each load makes its graph's demand
// set from it once the graph is built.
struct DemandChoice {
    enum class Kind { default_set, all_pairs, file };
    Kind kind = Kind::default_set;
    // For a file: its path as the user gave it (for the console and the
    // messages), and its text, read once when it was chosen.
    std::string path;
    std::string text;
};
