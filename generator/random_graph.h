#pragma once

#include <functional>
#include <iosfwd>
#include <string>

// What the user asked for: the number of vertices, of edges, and the largest
// capacity an edge may get.
struct GraphRequest {
    int vertex_total = 0;
    int edge_total = 0;
    double max_capacity = 0.0;
};

// Largest counts accepted, so that every file written loads in the viewer:
// it refuses graphs of more than 2 000 vertices or more than 14 280 arcs, and
// each edge written here ("<->" in a directed graph) makes up to two arcs.
// The generator shares no code with the viewer, so the limits are repeated
// here and must follow it.
inline constexpr int max_vertex_total = 2000;
inline constexpr int max_edge_total = 14280 / 2;

// At least one vertex (endpoints are drawn among them) and at most
// max_vertex_total.
bool valid_vertex_total(int vertex_total);
// Zero to max_edge_total; zero gives a file with the header only.
bool valid_edge_total(int edge_total);
// Finite, not negative, and finite once rounded to single precision, since
// the viewer keeps capacities as floats.
bool valid_max_capacity(double max_capacity);

// "random_" + vertex count + "n_" + edge count + "a.gr".
std::string output_file_name(int vertex_total, int edge_total);

// Endpoint for a draw in 0 … 32767 among `vertex_total` vertices, converted
// to single precision beforehand: the draw's share of 32768 times the count,
// truncated. Dividing by 32768 rather than 32767 keeps even the highest draw
// below the count, so every endpoint is a vertex of the graph; this holds
// also when the count rounds upwards in single precision.
int draw_endpoint(int draw, float vertex_total);

// Capacity for a draw in 0 … 32767: the draw's share of 32767 times the
// largest capacity (in single precision), computed in double precision and
// rounded to single precision. Lies in 0 … max_capacity, both included.
float draw_capacity(int draw, float max_capacity);

// A capacity as the .gr language accepts it: the stream's general format with
// six significant digits ("0.1", "12.3457", "1e-05"), except that a value
// written with a positive exponent is spelt out in plain decimal ("1e+06"
// becomes "1000000"), since "+" is not allowed in a value.
std::string capacity_text(float capacity);

// Writes the .gr text of a random graph to `file` and echoes every edge to
// `echo`. Each edge takes three draws from `draw`, in the order source,
// target, capacity. Loops and repeated pairs are kept as drawn. The edges use
// the two-way arrow under the header "directed = 1;"; the text ends directly
// after its last ";", as the viewer requires. Preconditions: the request
// passes the three checks above. Stops drawing as soon as `file` fails and
// returns false then; returns true when everything reached the stream.
bool write_random_graph(std::ostream& file, std::ostream& echo, const GraphRequest& request,
                        const std::function<int()>& draw);
