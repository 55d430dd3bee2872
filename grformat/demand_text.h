#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"

// The demand file's language: UTF-8 text, one commodity per line,
//
//     SOURCE TARGET DEMAND
//
// fields separated by blanks (spaces and tabs), "#" starting a comment that
// runs to the line's end, empty lines ignored. SOURCE and TARGET are vertex
// numbers (decimal digits only) or vertex names (any other field: the
// "name" node option of the graph); DEMAND is a positive decimal number
// ("12", "0.5", ".5", "1e3"). Which vertex a field names is only known with
// the graph: the fields are kept as written here and resolved after the
// graph is built.

// The longest line, in bytes without its line end, and the most lines a
// demand file may have.
inline constexpr std::size_t max_demand_line_bytes = 4096;
inline constexpr std::size_t max_demand_lines = 100000;

// A place in the demand file: the line and the column (in characters), both
// from 1; 0 for what concerns the whole file.
struct DemandPlace {
    int line = 0;
    int column = 0;
};

// One commodity line as written.
struct DemandLine {
    std::string source;
    DemandPlace source_place;
    std::string target;
    DemandPlace target_place;
    double demand = 0.0;
    DemandPlace demand_place;
};

// Why a demand file is refused: where, and what is wrong there (French, for
// the message that names the file).
struct DemandError {
    DemandPlace place;
    std::string reason;
};

// The commodity lines of a demand file's text, in file order; fails on the
// first bad line: a byte that is not UTF-8, a line longer than
// max_demand_line_bytes, more than max_demand_lines lines, a missing or an
// extra field, a demand that is not a positive decimal number (zero,
// negative, not a number, a NaN, an infinity, a hexadecimal number, or one
// too large for a double). A byte-order mark at the start is skipped; a file
// without any commodity line is refused too.
Expected<std::vector<DemandLine>, DemandError> parse_demand_text(std::string_view text);

// Whether a field is a vertex number (decimal digits only) rather than a
// vertex name.
bool is_vertex_number(std::string_view field);
