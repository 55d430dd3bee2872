#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/expected.h"

class ArcLists;
class DemandSet;
typedef struct _lprec lprec;

// Columns of the concurrent-flow program of a network of m arcs, numbered
// from 1 as lp_solve numbers them. The flows are aggregated by source: one
// flow per distinct source of the present commodities (DemandSet::sources(),
// in order of first appearance), which carries every commodity of that
// source. The flow of source i along arc a (an index into ArcLists::arcs())
// is column i·m + a + 1, by source and then by arc, which lists the arcs by
// tail and then head; the last column is λ. A pair without an arc has no
// column: its flow is 0. With the default set each source is one commodity,
// so source i is commodity i.
struct FlowColumns {
    int arc_count = 0;
    int sources = 0;

    int flow(int i, int arc) const { return i * arc_count + arc + 1; }
    int lambda() const { return sources * arc_count + 1; }
    int count() const { return lambda(); }
};

// The columns of the program of `arcs` with `demands`.
FlowColumns flow_columns(const ArcLists& arcs, const DemandSet& demands);

// The name of the flow of commodity (or source) w along u → v, "x_{u,v}^w".
std::string flow_column_name(int u, int v, int w);

// One linear constraint: the sum of coefficients[i] × column columns[i]
// compared by `relation` (lp_solve's codes: 1 ≤, 2 ≥, 3 =) with `rhs`.
struct ProgramRow {
    std::vector<int> columns;
    std::vector<double> coefficients;
    int relation = 0;
    double rhs = 0.0;
};

// The concurrent-flow program of a network with its demands (at least one
// present commodity), maximising λ, with its rows in order:
//  - capacity: for each arc, the sources' flows along it together at most
//    its capacity (an undirected edge is two arcs: each direction is bounded
//    by the edge's capacity);
//  - conservation: for each vertex, for each source of which it is neither
//    the source itself nor a sink, inflow equals outflow (no row at a vertex
//    without arcs);
//  - demand: for each present commodity, in set order, the net inflow of
//    its source's flow into its sink at least λ times its demand.
// With the default set (three distinct sources, one sink each) these are
// the rows of one flow per commodity.
// Every column is at least 0, lp_solve's default bound.
//
// With `shared_pairs`, the network is undirected: a pair {u, v} joined in
// both directions has one capacity row, at its arc u → v with u < v, which
// bounds the flows of both directions together by that arc's capacity (the
// reverse arc's capacity is not read; both arcs should carry the same).
// An arc without its reverse keeps a row of its own.
//
// The capacities are divided by `scale`, so that the program's flows and λ
// are the network's divided by it; a power of two keeps this exact.
struct FlowProgram {
    int vertex_count = 0;
    FlowColumns columns;
    double scale = 1.0;
    bool shared_pairs = false;
    std::vector<ProgramRow> rows;
};

// The scales to try on the program of `arcs`, in order, each a power of two
// and none twice. lp_solve's tolerances are absolute, so its answer is only
// sound when the program's numbers are near 1: capacities of 1e10 made it
// end inaccurate, and capacities far below the scale vanish in its rounding.
//  1. The geometric mean of the positive capacities, which brings the
//     capacities near 1 whatever their unit.
//  2. The capacity at the terminals: the least, over the present
//     commodities, of the capacity out of the source and into the sink,
//     which bounds λ times the demand; it keeps the flows near 1 when a few
//     huge capacities pull the mean far above what the flows can use.
//  3. 1: the program as it is.
std::vector<double> program_scales(const ArcLists& arcs, const DemandSet& demands);

FlowProgram formulate_flow_program(const ArcLists& arcs, const DemandSet& demands,
                                   double scale = 1.0, bool shared_pairs = false);

// A solution of the program in the network's units: flow[c − 1] is the
// value of flow column c, and λ.
struct FlowSolution {
    std::vector<double> flow;
    double lambda = 0.0;
};

// The undirected network G* of `arcs`: each pair {u, v} joined by an arc in
// either direction becomes the two arcs u → v and v → u, each carrying
// c(u, v) + c(v, u), for the program with shared pairs.
ArcLists pair_network(const ArcLists& arcs);

// Whether `solution` satisfies the program of `arcs` and `demands`
// (unscaled) in double precision: no flow below 0, every capacity row,
// conservation and each commodity's demand at λ, each to within `tolerance` relative to the size of
// its terms (the sum of their magnitudes and of the right-hand side, plus `scale`, the program's
// typical magnitude, so that rows of zeros allow rounding noise). `shared_pairs` as for
// formulate_flow_program.
bool satisfies_flow_program(const ArcLists& arcs, const DemandSet& demands,
                            const FlowSolution& solution, double scale, double tolerance,
                            bool shared_pairs = false);

// The upper bound on λ that arc lengths give: for any lengths y ≥ 0 (one
// per arc), every feasible flow has λ ≤ Σ c_a·y_a / Σ_w d_w·dist_y(s_w, t_w)
// over the present commodities w (summed in set order), dist_y being the
// shortest path from the commodity's source to its sink under y (+∞ when
// there is none: the bound is then 0), one shortest-path tree per source. The program's dual
// values of the capacity rows make it equal to the optimum, so an optimum
// that reaches the bound its own duals give is certainly one. +∞ or NaN when
// the lengths bound nothing. With `shared_pairs` (see formulate_flow_program)
// both arcs of a pair carry the pair's length and its capacity counts once.
double length_bound(const ArcLists& arcs, const DemandSet& demands,
                    const std::vector<double>& lengths, bool shared_pairs = false);

// What lp_solve treats as infinite in our programs: far above any float.
inline constexpr double lp_infinity = 1e300;

struct LpDeleter {
    void operator()(lprec* lp) const;
};
using LpModel = std::unique_ptr<lprec, LpDeleter>;

// Hands the program to lp_solve with its objective; fails when lp_solve
// cannot allocate it. The rows are created first and every column is then
// added with all its entries, room for them all reserved beforehand: lp_solve
// otherwise shifts its per-variable arrays for every row appended and grows
// its per-column arrays by one for every column appended, which made loading
// quadratic.
Expected<LpModel> load_flow_program(const FlowProgram& program);
