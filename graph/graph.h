#pragma once

#include <list>
#include <vector>

#include "common/vector3.h"
#include "graph/arc_lists.h"
#include "graph/cell_matrix.h"

// The builder's working record for one edge group taken in one direction:
// every (s, t) with s in `sources` and t in `targets` becomes an edge s → t
// of capacity `cap`.
struct DirectedEdgesGroup {
    std::vector<int> sources;
    std::vector<int> targets;
    float cap = 0.0f;
};

// A graph with vertices 0 … n − 1 held as a dense n × n matrix of cells.
//
// In a directed graph cell (u, v) holds the arc u → v. In an undirected graph
// the edge {u, v} lives only in cell (min, max); cells on and below the
// diagonal stay empty.
//
// A graph is immutable once built: the constructor is the only writer.
class Graph {
  public:
    // Builds an n × n matrix and stores every pair of `groups`, front to back,
    // so a later record overwrites an earlier one. Pairs with s == t are
    // skipped. `given` says which vertices their file placed; left empty, a
    // vertex is placed when its position is not (0, 0, 0), the rule of a
    // `.gr` file. Preconditions: n ≥ 0, every s and t in 0 … n − 1,
    // `positions` and `sizes` have n entries each, `given` none or n.
    Graph(int n, const std::list<DirectedEdgesGroup>& groups, bool directed,
          std::vector<Vector3> positions, std::vector<float> sizes,
          std::vector<bool> given = {});

    // Graphs are large: they move, they are never copied.
    Graph(Graph&&) = default;
    Graph& operator=(Graph&&) = default;
    Graph(const Graph&) = delete;
    Graph& operator=(const Graph&) = delete;

    // Number of rows of the matrix.
    int vertex_count() const { return static_cast<int>(matrix_.size()); }

    // Cell of the ordered pair (u, v); for an undirected graph the cell of
    // (min(u, v), max(u, v)), so (u, v) and (v, u) are one cell.
    // Precondition: u and v in 0 … n − 1.
    const EdgeCell& cell(int u, int v) const;

    bool directed() const { return directed_; }
    const std::vector<float>& sizes() const { return sizes_; }
    const std::vector<Vector3>& positions() const { return positions_; }
    // Whether v's position was given by its file (kept as drawn) rather than
    // left to the layout. Precondition: v in 0 … n − 1.
    bool position_given(int v) const { return given_[static_cast<std::size_t>(v)]; }
    const CellMatrix& matrix() const { return matrix_; }
    // The graph's arcs (ArcLists(graph)), built once with the graph: what
    // the flow program, the embedding, the sweep and the certificate walk.
    const ArcLists& arcs() const { return arcs_; }

  private:
    EdgeCell& mutable_cell(int u, int v);
    CellMatrix matrix_;
    std::vector<float> sizes_;
    std::vector<Vector3> positions_;
    std::vector<bool> given_;
    bool directed_ = false;
    ArcLists arcs_;
};

// Walks the stored neighbours of one row of the matrix in increasing column
// order, reading the row directly (no min/max folding): the successors of a
// vertex in a directed graph, only its larger-numbered neighbours in an
// undirected one.
//
//     for (NeighbourIterator it(g, u); !it.finished(); it.next()) use(u, it.current());
class NeighbourIterator {
  public:
    // Positions the iterator on the first neighbour of `vertex`, if any.
    NeighbourIterator(const Graph& graph, int vertex);

    // Moves to the next present cell of the row; at the end, current()
    // becomes −1 and finished() true.
    void next();

    bool finished() const { return finished_; }
    int current() const { return current_; }
    int vertex() const { return vertex_; }

  private:
    const Graph& graph_;
    int current_ = -1;
    int vertex_;
    bool finished_ = false;
};
