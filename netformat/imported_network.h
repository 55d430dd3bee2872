#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The network languages a load may read. `gr` is the workbench's own (read
// by grformat/); the others are read by this folder into an ImportedNetwork.
enum class NetworkFormat { gr, sndlib, graphml, gml, dimacs };

// The largest network a reader returns: the graph model's limits
// (max_vertex_count and max_arc_count in builder/graph_builder.h, which this
// layer cannot see; a test holds them equal). Arcs are counted as the model
// counts them: an undirected edge is two.
inline constexpr int import_max_vertices = 2000;
inline constexpr int import_max_arcs = 120 * 119;

// Where the file places a vertex, in its own units (an SNDlib file gives
// longitude and latitude): no scaling is applied here.
struct ImportedPosition {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct ImportedVertex {
    // Valid UTF-8: the file's identifier or label (see each reader).
    std::string name;
    // None when the file gives the vertex no place.
    std::optional<ImportedPosition> position;
};

// One edge (an arc when the network is directed) between two distinct
// vertices, by their index in `vertices`. Every pair appears once: the
// readers add up the capacities of parallel edges (separate cables between
// the same two places) and skip self-loops, so a builder takes the list as
// it is. For an undirected network the pair is unordered, kept in the
// orientation the reader met first (igraph's, for GraphML).
struct ImportedEdge {
    int tail = 0;
    int head = 0;
    // Finite and non-negative. Kept as the file's double: the graph model
    // stores capacities as float, so whoever builds one narrows it (and must
    // refuse a value above the float range rather than make it infinite).
    double capacity = 0.0;
};

// A commodity the file asks to route, always directed from source to
// target (distinct vertices); every ordered pair appears once (repeated
// pairs are added up) and every value is finite and positive.
struct ImportedDemand {
    int source = 0;
    int target = 0;
    double value = 0.0;
};

// What a reader of a network language returns: nothing partial, every
// index valid, within import_max_vertices and import_max_arcs.
struct ImportedNetwork {
    NetworkFormat format = NetworkFormat::gr;
    bool directed = false;
    // In file order.
    std::vector<ImportedVertex> vertices;
    // In the order of each pair's first appearance.
    std::vector<ImportedEdge> edges;
    // Empty when the language carries no demands (GraphML, GML) or the file
    // gives none.
    std::vector<ImportedDemand> demands;
    // What a console should tell about the reading, one French sentence
    // each: the capacity convention or attribute used, parallel edges added,
    // self-loops and zero demands skipped, and so on.
    std::vector<std::string> notes;

    // The arcs of the graph this network makes: each edge once when
    // directed, twice when not.
    std::int64_t arc_count() const {
        return static_cast<std::int64_t>(edges.size()) * (directed ? 1 : 2);
    }
};

// Why a file was refused: a French sentence and where it applies.
struct ImportError {
    // 1-based; 0 when the problem belongs to no single line (a count over a
    // limit, an error igraph reports without a place).
    int line = 0;
    // 1-based and counted in characters, like the .gr messages; 0 when
    // only the line is meaningful.
    int column = 0;
    std::string what;

    // "ligne 3, colonne 7 : <what>", "ligne 3 : <what>" or "<what>".
    std::string text() const;
};
