#include "flow/certificate.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <utility>

#include "embedding/shortest_paths.h"
#include "flow/cut.h"
#include "flow/exact_sum.h"
#include "flow/flow_lp.h"
#include "flow/flow_model.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"
#include "graph/graph.h"

const char* best_cut_method_name(BestCut::Method method) {
    switch (method) {
        case BestCut::Method::ball:
            return "ball";
        case BestCut::Method::vertex:
            return "vertex";
        case BestCut::Method::sweep:
        default:
            return "sweep";
    }
}

namespace {

// The vertices of `pairs` by increasing distance from `source` in `lengths`
// (as shortest_paths_from settles them), the unreachable ones last in
// increasing order.
std::vector<int> ball_order(const ArcLists& pairs, const std::vector<double>& lengths,
                            int source) {
    PathsFrom paths = shortest_paths_from(pairs, lengths, source);
    for (int v = 0; v < pairs.vertex_count(); ++v) {
        if (paths.distance[v] == std::numeric_limits<double>::infinity()) {
            paths.order.push_back(v);
        }
    }
    return paths.order;
}

// The ratio of the single vertex {v}: the capacity of its arcs over the
// demand of the present commodities it is a terminal of; +∞ when it is none's.
double vertex_ratio(const ArcLists& arcs, const DemandSet& demands, int v) {
    // Every present commodity at v, and only those, has one end in {v}:
    // separated_demand's sum, in set order.
    double demand = 0.0;
    for (const int c : demands.commodities_at(v)) {
        if (demands.commodity(c).present) {
            demand += demands.commodity(c).demand;
        }
    }
    if (demand == 0.0) {
        return std::numeric_limits<double>::infinity();
    }
    // Summed exactly, as the sweep sums its cuts, so that equal cuts tie.
    ExactSum cut;
    for (const Arc& arc : arcs.out_arcs(v)) {
        cut.add(static_cast<float>(arc.capacity));
    }
    for (int a : arcs.in_arcs(v)) {
        cut.add(static_cast<float>(arcs.arcs()[a].capacity));
    }
    return cut.value() / demand;
}

}  // namespace

CutCertificate certify_cut(const ArcLists& arcs, const DemandSet& demands, const CutResult& sweep,
                           const StageContext& context) {
    const double infinity = std::numeric_limits<double>::infinity();
    CutCertificate certificate;
    BestCut& best = certificate.best_cut;
    best.method = BestCut::Method::sweep;
    if (sweep.found) {
        best.members.assign(sweep.vertices.begin(), sweep.vertices.end());
        best.ratio = sweep.ratio;
    } else {
        best.ratio = infinity;
    }

    const ArcLists pairs = pair_network(arcs);
    // The pair network has as many arcs as the graph or fewer when it is
    // undirected, up to twice as many when it is directed: its engine is
    // chosen by the graph's.
    const PairFlowBound bound = solve_pair_flow_bound(
        pairs, demands, context, chosen_engine(context.solver, arcs.arc_count(), demands));
    certificate.solve = bound.solve;
    certificate.solver = bound.solver;
    certificate.bound_reached = bound.reached_optimum;
    certificate.gap = infinity;
    if (!bound.reached_optimum) {
        return certificate;
    }
    certificate.lower_bound = bound.lambda;

    const std::vector<int>& terminals = demands.terminals();
    if (!bound.lengths.empty()) {
        for (const int t : terminals) {
            const std::vector<int> order = ball_order(pairs, bound.lengths, t);
            const CutSweep ball = sweep_cut(arcs, demands, order);
            if (ball.prefix_length >= 0 && ball.ratio < best.ratio) {
                best.members.assign(order.begin(), order.begin() + ball.prefix_length);
                std::sort(best.members.begin(), best.members.end());
                best.ratio = ball.ratio;
                best.method = BestCut::Method::ball;
            }
        }
    }
    for (const int v : terminals) {
        const double ratio = vertex_ratio(arcs, demands, v);
        if (ratio < best.ratio) {
            best.members = {v};
            best.ratio = ratio;
            best.method = BestCut::Method::vertex;
        }
    }

    certificate.proved_optimal =
        best.ratio <= certificate.lower_bound * (1.0 + certificate_tolerance);
    if (certificate.lower_bound > 0.0) {
        certificate.gap = best.ratio / certificate.lower_bound;
    } else if (certificate.proved_optimal) {
        // A cut of capacity 0 meets a bound of 0.
        certificate.gap = 1.0;
    }
    return certificate;
}

CutCertificate certify_cut(const Graph& graph, const DemandSet& demands, const CutResult& sweep,
                           const StageContext& context) {
    return certify_cut(graph.arcs(), demands, sweep, context);
}
