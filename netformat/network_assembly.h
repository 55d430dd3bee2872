#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "netformat/imported_network.h"

// Gathers a network as a reader meets its parts, with the rules every
// language shares: parallel edges add their capacities, self-loops are
// skipped, demands of the same ordered pair add up and zero demands are
// skipped, and the vertex and arc limits are checked as the parts come, so
// that a huge file is refused before it takes memory.
class NetworkAssembler {
  public:
    NetworkAssembler(NetworkFormat format, bool directed);

    // Each returns a French sentence when the part cannot be taken: one
    // vertex more than import_max_vertices, an edge that takes the graph
    // over import_max_arcs, a sum of capacities or demands beyond the double
    // range. Indices must be those of vertices already added; capacities
    // and values finite and non-negative.
    std::optional<std::string> add_vertex(std::string name,
                                          std::optional<ImportedPosition> position);
    std::optional<std::string> add_edge(int tail, int head, double capacity);
    std::optional<std::string> add_demand(int source, int target, double value);

    int vertex_count() const { return static_cast<int>(network_.vertices.size()); }
    void set_directed(bool directed) { network_.directed = directed; }
    void note(std::string sentence) { network_.notes.push_back(std::move(sentence)); }

    // The network, with notes on the parallel edges, self-loops, repeated
    // and zero demands met.
    ImportedNetwork finish() &&;

  private:
    std::uint64_t pair_key(int a, int b, bool ordered) const;

    ImportedNetwork network_;
    std::unordered_map<std::uint64_t, std::size_t> edge_index_;
    std::unordered_map<std::uint64_t, std::size_t> demand_index_;
    int parallel_edges_ = 0;
    int self_loops_ = 0;
    int repeated_demands_ = 0;
    int zero_demands_ = 0;
};

// "plus de 2000 sommets : le maximum est de 2000 sommets", for a count known
// whole.
std::string too_many_vertices_text(std::int64_t count);
