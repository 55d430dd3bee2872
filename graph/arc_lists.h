#pragma once

#include <span>
#include <vector>

class Graph;

// One arc tail → head and its capacity.
struct Arc {
    int tail = 0;
    int head = 0;
    double capacity = 0.0;
};

// The arcs of a network on the vertices 0 … n − 1, in increasing order of
// tail and then of head (the order of the ordered pairs of an n × n matrix
// read row by row), with the arcs entering each vertex indexed beside those
// leaving it. What the shortest paths, the sweep and the flow program walk:
// their work then grows with the arcs, not with the n² pairs.
class ArcLists {
  public:
    // No vertices, no arcs.
    ArcLists() : ArcLists(0, {}) {}

    // The arcs of `graph`: every ordered pair (u, v), u ≠ v, whose cell is
    // present, so a directed edge once and an undirected edge in both
    // directions, each with its cell's capacity (a float, widened exactly).
    explicit ArcLists(const Graph& graph);

    // The given arcs on n ≥ 0 vertices, in any order. Preconditions: every
    // end in 0 … n − 1, tail ≠ head, no ordered pair twice.
    ArcLists(int n, std::vector<Arc> arcs);

    int vertex_count() const { return vertex_count_; }
    int arc_count() const { return static_cast<int>(arcs_.size()); }
    const std::vector<Arc>& arcs() const { return arcs_; }

    // The arcs leaving v, by increasing head; precondition: v in 0 … n − 1.
    std::span<const Arc> out_arcs(int v) const {
        return {arcs_.data() + out_start_[v], arcs_.data() + out_start_[v + 1]};
    }
    // The indices into arcs() of the same arcs: out_begin(v) … out_end(v) − 1.
    int out_begin(int v) const { return out_start_[v]; }
    int out_end(int v) const { return out_start_[v + 1]; }
    // Indices into arcs() of the arcs entering v, by increasing tail.
    std::span<const int> in_arcs(int v) const {
        return {in_index_.data() + in_start_[v], in_index_.data() + in_start_[v + 1]};
    }

    // The index of the arc tail → head, or −1 when there is none;
    // precondition: tail in 0 … n − 1.
    int find(int tail, int head) const;

    // The index of the arc head → tail of arc `a`, or −1 when there is none.
    int reverse(int a) const { return reverse_[a]; }

    // Whether arc `a` carries its pair's row where both directions of a
    // pair share one capacity (the pair network of the flow bound): the arc
    // u → v with u < v of a pair joined both ways, and every arc without its
    // reverse, which keeps a row of its own.
    bool carries_pair_row(int a) const {
        return reverse_[a] < 0 || arcs_[a].tail < arcs_[a].head;
    }

  private:
    void index();

    int vertex_count_ = 0;
    std::vector<Arc> arcs_;
    std::vector<int> out_start_;
    std::vector<int> in_start_;
    std::vector<int> in_index_;
    std::vector<int> reverse_;
};
