#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "graph/graph.h"
#include "grformat/graph_description.h"

class ConsoleLog;

// The largest graph a load accepts. The flow program has 3n² + 1 columns, and
// on a complete graph the simplex prices them all at each of its iterations,
// whose number grows with n as well: the solve takes about n⁴ time. The worst
// graphs measured, complete ones with capacities spread over six decades,
// took up to 21 s on a two-core machine at 120 vertices, 29 s at 130 and 57 s
// at 150; with capacities of 1 to 100, 17 s at 150 and more than 45 s at 200.
// Memory stays small (some 50 MiB at 120). The limit keeps the slowest load
// at about a third of a minute, half the solver's time limit, which stops
// whatever runs longer. A larger graph is refused before anything of its size
// is allocated.
inline constexpr int max_vertex_count = 120;

// A description that cannot become a graph. Thrown by value by build_graph
// before any console output and before the matrix is allocated; caught by
// reference. Like the unknown-option family it is not a standard exception, so
// only the handlers written for it catch it. The user-visible text is made by
// the load command from these fields.
class EGraphRefused {
  public:
    enum class Reason {
        // A node statement's number does not fit a signed 32-bit integer:
        // `written` holds it as written, without its leading zeros.
        node_number_too_large,
        // An edge list holds a negative vertex number: `number`.
        negative_vertex,
        // The text of `option` holds no number; `vertex` is the node of a
        // node option, −1 for a global or an edge option.
        not_a_number,
        // The "directed" text does not begin with an integer.
        not_an_integer,
        // The number in the text of `option` does not fit a float. `vertex`
        // as above; `group` is the 1-based edge statement of a "cap".
        float_overflow,
        // A "cap" text holds a negative number: `option`, `text`, `group` as
        // above. A negative capacity has no meaning for a flow or a cut.
        negative_capacity,
        // `number` vertices, more than `max_vertex_count`.
        too_many_vertices,
    };

    explicit EGraphRefused(Reason r) : reason(r) {}

    Reason reason;
    std::int64_t number = 0;
    std::string written;
    std::string option;
    std::string text;
    int vertex = -1;
    int group = 0;
};

// Reads a float from the start of `text` like a classic-locale stream:
// leading blanks skipped, then the longest prefix of the form
// [sign] digits [. digits] [e [sign] digits] (at least one mantissa digit)
// is taken and the rest ignored. Returns nothing when the text does not begin
// with such a number ("inf", "nan" and hexadecimal forms are not numbers).
// Sets `overflow` when the number is too large for a float; the value is
// then ±max. Tiny numbers round to a denormal or to 0 without error.
std::optional<float> extract_float(std::string_view text, bool& overflow);

// Reads a decimal integer from the start of `text` (leading blanks, optional
// sign, digits; the rest ignored) and tells whether it is non-zero. Returns
// nothing when the text does not begin with an integer. Never overflows: any
// string of digits that is not all zeros is non-zero.
std::optional<bool> extract_nonzero_integer(std::string_view text);

// Turns a parsed description into a new graph, then runs the flow computation
// on it (which logs its own lines to `log`, with listings when `verbose`) and
// stores the result in the graph.
//
// n is node_count(description). Vertex v takes its "size", "x", "y" and "z"
// from get_node_option (adding empty node entries to the description). Edge
// groups are applied so that the first group in file order wins a cell; a
// group's capacity is its "cap" text read as a float (".1" when absent, 0 when
// the text holds no number); pairs (v, v) are skipped, and a number repeated
// in a list is applied once. The graph is directed
// when "directed" reads as a non-zero integer.
//
// Throws EGraphRefused, before the matrix exists and before anything is
// logged, for: a node number that overflowed, a negative vertex number, more
// than max_vertex_count vertices, a "size"/"x"/"y"/"z" text with no number, a
// "directed" text with no integer, a negative "cap", and any number that
// overflows a float.
// Memory exhaustion passes through as std::bad_alloc.
std::unique_ptr<Graph> build_graph(GraphDescription& description, ConsoleLog& log, bool verbose);
