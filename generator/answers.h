#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How reading one answer of the dialogue ended.
enum class Answer {
    ok,
    invalid,  // not a number of the kind asked for
    missing,  // the input ended before the answer
};

// Reads a count (of vertices or of edges) with stream extraction, as the
// dialogue always has; a count directly followed by "." or "," (a decimal
// number) is invalid. The rest of the line stays in the stream.
Answer read_count(std::istream& in, int& count);

// Reads the maximum capacity: blanks, then the characters that a stream
// would take for a decimal floating-point number (sign, digits, point,
// exponent), which must form one whole number of double range. Invalid:
// no number, one out of the double range (too large, or so small that it
// would read as 0), a positive one that is 0 in single precision, or one
// directly followed by "," (a decimal comma: "1,5" is not 1). The rest of the
// line stays in the stream.
Answer read_max_capacity(std::istream& in, double& max_capacity);

// The same readings of a whole command-line argument: nothing may follow
// the number.
std::optional<int> parse_count(std::string_view text);
std::optional<double> parse_max_capacity(std::string_view text);

// varnock's command line without its program name:
//   N M MAX [--seed S] [--output FILE]   (options anywhere, "--opt=value" too)
//   --help | --version
struct VarnockArguments {
    bool help = false;
    bool version = false;
    // The three answers, still as written: their refusals are the dialogue's.
    std::string vertices;
    std::string edges;
    std::string max_capacity;
    std::optional<std::uint32_t> seed;
    // Where the file goes; empty for the dialogue's name in the current
    // directory, "-" for standard output.
    std::string output;
};

// Reads `args`; fails, with a French message, for an unknown option, a
// missing or malformed seed, a missing or empty file name, or a number of
// values other than three.
struct VarnockArgumentsOrError {
    std::optional<VarnockArguments> arguments;
    std::string error;
};
VarnockArgumentsOrError parse_varnock_arguments(const std::vector<std::string>& args);
