#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

// One commodity: `demand` units to route from `source` to `sink`.
struct Commodity {
    int source = 0;
    int sink = 0;
    double demand = 0.0;
    // Whether it takes part in the graph: only the default set, whose table
    // is fixed, has absent commodities (their sink is not a vertex).
    bool present = true;
};

// Where a demand set comes from.
enum class DemandKind {
    default_set,  // the three fixed commodities (graph/commodities.h)
    file,         // a demand file the user chose
    all_pairs,    // one unit between every pair of vertices
    network,      // the demands that the network file itself carries
};

// The kind's name in the JSON report's "demand_set": "default", "file",
// "all-pairs", "network".
const char* demand_kind_name(DemandKind kind);

// How many commodities the view picks out (arches, terminal colours, the
// labels of a large graph): the ones of largest demand.
inline constexpr std::size_t featured_commodity_count = 12;

// The commodities of one graph of n vertices, with what every computation
// needs to walk them: the flow program aggregates the flows by source, the
// sweep and the certificate sum the demand a cut separates, the view picks
// out the largest ones. It travels with the graph through the load and is
// immutable once made.
class DemandSet {
  public:
    // No vertices, no commodities.
    DemandSet() : DemandSet(DemandKind::default_set, "", 0, {}) {}

    // The given commodities of a graph of `vertex_count` vertices; commodities
    // of the same ordered pair become one, at the place of the first, with
    // their demands added in order. `origin` says where they come from, for
    // the console and the legend. Preconditions: every present commodity's
    // terminals in 0 … vertex_count − 1 and apart, its demand positive and
    // finite.
    DemandSet(DemandKind kind, std::string origin, int vertex_count,
              std::vector<Commodity> commodities);

    // The three fixed commodities for a graph of n vertices: commodity w from
    // 2w to 2w + 1 with demand 250, 200, 225, present when its sink is a
    // vertex.
    static DemandSet default_set(int n);
    // One unit from every vertex to every other (ordered pairs u ≠ v, by u
    // then v) for a directed graph; for an undirected one, every unordered
    // pair once, from its smaller end.
    static DemandSet all_pairs(int n, bool directed);

    DemandKind kind() const { return kind_; }
    bool is_default() const { return kind_ == DemandKind::default_set; }
    // Where the set comes from, e.g. "toutes les paires" or
    // "fichier /home/x/trafic.dem".
    const std::string& origin() const { return origin_; }
    int vertex_count() const { return vertex_count_; }
    const std::vector<Commodity>& commodities() const { return commodities_; }
    const Commodity& commodity(int c) const { return commodities_[static_cast<std::size_t>(c)]; }
    int size() const { return static_cast<int>(commodities_.size()); }

    // The present commodities' count and total demand (summed in set order).
    int present_count() const { return present_count_; }
    double total_demand() const { return total_demand_; }

    // The distinct sources of the present commodities, in order of first
    // appearance: the flow program has one flow per source.
    const std::vector<int>& sources() const { return sources_; }
    int source_count() const { return static_cast<int>(sources_.size()); }
    // The index into sources() of commodity c's source; −1 when c is absent.
    int source_index(int c) const { return source_index_[static_cast<std::size_t>(c)]; }
    // The present commodities of source i, in set order.
    std::span<const int> commodities_of_source(int i) const {
        return {by_source_.data() + source_start_[static_cast<std::size_t>(i)],
                by_source_.data() + source_start_[static_cast<std::size_t>(i) + 1]};
    }
    // Whether every source serves exactly one commodity, so that a source's
    // flow is its commodity's.
    bool one_commodity_per_source() const { return present_count_ == source_count(); }

    // Every vertex that a commodity names as its source or sink (absent
    // commodities included, for the vertices that exist), ascending.
    const std::vector<int>& terminals() const { return terminals_; }
    // The commodities whose terminal v is (present or not), in set order;
    // precondition: v in 0 … vertex_count − 1.
    std::span<const int> commodities_at(int v) const {
        return {at_vertex_.data() + vertex_start_[static_cast<std::size_t>(v)],
                at_vertex_.data() + vertex_start_[static_cast<std::size_t>(v) + 1]};
    }

    // The featured_commodity_count commodities of largest demand (ties in
    // set order), absent ones included, listed in set order.
    const std::vector<int>& featured() const { return featured_; }

  private:
    DemandKind kind_;
    std::string origin_;
    int vertex_count_ = 0;
    std::vector<Commodity> commodities_;
    int present_count_ = 0;
    double total_demand_ = 0.0;
    std::vector<int> sources_;
    std::vector<int> source_index_;
    std::vector<int> by_source_;
    std::vector<int> source_start_;
    std::vector<int> terminals_;
    std::vector<int> at_vertex_;
    std::vector<int> vertex_start_;
    std::vector<int> featured_;
};

// The demand that a side S separates: the sum, in set order, of the demands
// of the present commodities with exactly one terminal in S. `in_side(v)`
// tells whether vertex v is in S.
template <class InSide>
double separated_demand(const DemandSet& demands, InSide in_side) {
    double demand = 0.0;
    for (const Commodity& c : demands.commodities()) {
        if (c.present &&
            static_cast<bool>(in_side(c.source)) != static_cast<bool>(in_side(c.sink))) {
            demand += c.demand;
        }
    }
    return demand;
}
