#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "graph/graph.h"
#include "grformat/graph_description.h"

// The largest graphs a load accepts, measured on a two-core machine so that a
// load stays well within a minute and 2 GiB.
//
// The vertex count bounds memory: the flows are kept as three n × n
// matrices and the graph as one, about 170 MiB for a load at 2 000 vertices.
//
// The arc count bounds the solve. The program has three columns per arc (a
// directed edge, or either direction of an undirected one), which the
// simplex prices at each of its iterations, whose number grows with them.
// Processor time of the solve, release build, capacities spread over six
// decades (the slowest found): 14 280 arcs, complete directed on 120
// vertices 11.7 s, random on 500, 1 000, 1 500 and 2 000 vertices 17 s,
// 3.3 s, 11 s, 6.5 s and 18 s; 16 000 random arcs on 2 000 vertices 87 s,
// 20 000 arcs 112 s, 22 350 arcs (complete on 150 vertices) 20 s. The solve
// time varies widely between graphs of the same size, so the budget stays at
// the complete graph on 120 vertices, the largest whose slowest measured
// solve stays within some 30 s.
//
// A graph above either limit is refused before its program is built, and one
// with too many vertices before anything of its size is allocated.
inline constexpr int max_vertex_count = 2000;
inline constexpr int max_arc_count = 120 * 119;

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
        // `number` arcs, more than `max_arc_count`; an undirected edge
        // counts as two.
        too_many_arcs,
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

// Why a text gives no float.
enum class NumberError {
    not_a_number,  // it does not begin with a number
    not_decimal,   // it begins with an infinity, a NaN or a hexadecimal number
    overflow,      // its number is too large for a float
};

// Reads a float from the start of `text` like a classic-locale stream:
// leading blanks skipped, then the longest prefix of the form
// [sign] digits [. digits] [e [sign] digits] (at least one mantissa digit)
// is taken and the rest ignored. Fails with overflow when the number is too
// large for a float; with not_decimal when, after its sign, the text begins
// with "inf" or "nan" in any case, or with "0x" or "0X": what other number
// readers take for an infinity, a NaN or a hexadecimal float ("inf",
// "-Infinity", "NaN", "0x1p3"); with not_a_number when it begins with no
// number at all. Tiny numbers round to a denormal or to 0 without error.
Expected<float, NumberError> extract_float(std::string_view text);

// Reads a decimal integer from the start of `text` (leading blanks, optional
// sign, digits; the rest ignored) and tells whether it is non-zero. Returns
// nothing when the text does not begin with an integer. Never overflows: any
// string of digits that is not all zeros is non-zero.
std::optional<bool> extract_nonzero_integer(std::string_view text);

// A graph built from a description, with its vertices' names.
struct BuiltGraph {
    Graph graph;
    // One name per vertex, the text of its node option "name": the name a
    // node statement gave (its number's text when it gave none), empty for a
    // vertex that no node statement names. Read only by the reports and the
    // view; the graph itself does not keep names.
    std::vector<std::string> names;
};

// Turns a parsed description into a new graph; writes nothing.
//
// n is node_count(description). Vertex v takes its "size", "x", "y", "z"
// and "name" from get_node_option (adding empty node entries to the
// description). Edge
// groups are applied so that the first group in file order wins a cell; a
// group's capacity is its "cap" text read as a float (".1" when absent, 0 when
// the text holds no number); pairs (v, v) are skipped, and a number repeated
// in a list is applied once. The graph is directed
// when "directed" reads as a non-zero integer.
//
// Throws EGraphRefused, before the matrix exists, for: a node number that
// overflowed, a negative vertex number, more than max_vertex_count vertices,
// a "size"/"x"/"y"/"z" text with no number, a "directed" text with no
// integer, a negative "cap", a "cap" that reads as an infinity, a NaN or a
// hexadecimal number (not_a_number: a "cap" text that begins with no number
// at all still gives 0), and any number that overflows a float; and, once
// the matrix is filled, for more than max_arc_count arcs.
// Memory exhaustion passes through as std::bad_alloc.
BuiltGraph build_graph(GraphDescription& description);
