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
