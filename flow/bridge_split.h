#pragma once

#include <functional>
#include <optional>

#include "flow/flow_lp.h"

class ArcLists;
class DemandSet;

// Solves one piece of a split program: the program of `arcs` with `demands`
// (the caller's shared_pairs), calling the load's `formulated` when `first`.
using PieceSolver =
    std::function<ProgramSolve(const ArcLists& arcs, const DemandSet& demands, bool first)>;

// The concurrent-flow program of `arcs` and `demands` solved through the
// bridges of the network (the edges of its undirected underlying graph
// whose removal disconnects it), when it has some and splitting pays.
//
// Every commodity crosses the same bridges whichever way it is routed (a
// simple path crosses a bridge at most once), so the flow along a bridge is
// forced: λ times the demand that must cross it in that direction, which
// bounds λ by the bridge's capacity over that demand. Between the bridges
// lie the blocks (the 2-edge-connected pieces); a commodity enters each
// block on its way at one vertex (its source, or the end of the bridge it
// came by) and leaves it at one (its sink, or the bridge it goes on by). So
// λ is the least of the bridges' bounds and of each block's own optimum for
// the demands that enter and leave it, and each block is solved on its own
// by `solve_piece`: a network of a few hubs with hundreds of single-link
// sites becomes a program of a few hubs instead of one flow per site and arc.
//
// The answer is reassembled for the whole program: each block's flows scaled
// to λ and handed back to the sources they serve (split along their paths
// in proportion to the demands when several sources enter a block at the
// same vertex), the bridges' forced flows, and as lengths the duals of the
// block that binds (or 1 on the binding bridge). It must then pass the same
// check as a whole answer (check_solution at `tolerance`).
//
// Returns nothing when the network has no bridge, when its terminals are not
// all in one connected piece, when the blocks' programs would not be at most
// half the whole one, when a block's solve ends without an optimum other
// than by a stop, or when the reassembled answer fails its check: the whole
// program is then to be solved. A block's solve stopped by a cancel, the
// processor-time limit or lack of memory ends the solve with that end.
std::optional<ProgramSolve> solve_by_bridges(const ArcLists& arcs, const DemandSet& demands,
                                             bool shared_pairs, double tolerance,
                                             const PieceSolver& solve_piece,
                                             const std::function<void()>& formulated);
