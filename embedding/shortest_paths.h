#pragma once

#include <set>
#include <vector>

class ArcLists;

// Distance given to a vertex that reaches no member of a subset, and the
// most any distance counts: a path at least this long reads as this long.
inline constexpr double unreachable_distance = 100000.0;

// For every vertex v of `arcs`, the distance from v to `subset` (which must
// not be empty): the length of a shortest path from v to any member, the
// capacities as arc lengths, capped at unreachable_distance; 0 for the
// members themselves. One Dijkstra search from all the members at once,
// along the arcs taken backwards, since the path runs from v to the subset.
// It stops at the cap, so it costs O(m log n) for m arcs at most. The lengths
// must not be negative (each vertex is settled once, so negative lengths give
// some value without looping).
std::vector<double> distances_to_subset(const ArcLists& arcs, const std::set<int>& subset);

// Shortest paths from `source` along the arcs, arc a being lengths[a] long
// (not negative): the distance of every vertex, +∞ for one that cannot be
// reached, and the vertices that can, in the order Dijkstra's search settles
// them: by increasing distance, ties by increasing vertex among those found.
struct PathsFrom {
    std::vector<double> distance;
    std::vector<int> order;
};
PathsFrom shortest_paths_from(const ArcLists& arcs, const std::vector<double>& lengths,
                              int source);
