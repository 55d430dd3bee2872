#include "flow/cut.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "embedding/embedding.h"
#include "flow/exact_sum.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"

namespace {

// Coordinate k* whose ratio of arc stretch to terminal separation is
// smallest, or −1 when no coordinate separates the terminals of any present
// commodity. Ties keep the lowest index. The stretch is summed over the arcs
// in (tail, head) order, the order of the ordered pairs of the matrix, the
// separation over the commodities in set order.
int choose_coordinate(const ArcLists& arcs, const DemandSet& demands, const Embedding& embedding) {
    const auto& x = embedding.coordinates;
    // Any finite ratio qualifies: a fixed ceiling would discard every
    // coordinate of a graph whose capacities are large.
    double best = std::numeric_limits<double>::infinity();
    int chosen = -1;
    for (std::size_t k = 0; k < embedding.subsets.size(); ++k) {
        double numerator = 0.0;
        for (const Arc& arc : arcs.arcs()) {
            numerator += std::fabs(x[arc.tail][k] - x[arc.head][k]) * arc.capacity;
        }
        double denominator = 0.0;
        for (const Commodity& c : demands.commodities()) {
            if (c.present) {
                denominator += c.demand * std::fabs(x[c.source][k] - x[c.sink][k]);
            }
        }
        if (denominator != 0.0 && numerator / denominator < best) {
            best = numerator / denominator;
            chosen = static_cast<int>(k);
        }
    }
    return chosen;
}

}  // namespace

CutSweep sweep_cut(const ArcLists& arcs, const DemandSet& demands, const std::vector<int>& order) {
    const int n = arcs.vertex_count();
    std::vector<char> inside(n, 0);
    // An arc with one end in S crosses the cut; the vertex entering S makes
    // its arcs to the outside cross and those to S stop crossing. The graph's
    // capacities are floats, widened exactly into the arcs.
    ExactSum cut;
    auto cross = [&](int other, double capacity) {
        if (inside[other]) {
            cut.subtract(static_cast<float>(capacity));
        } else {
            cut.add(static_cast<float>(capacity));
        }
    };

    // The separated demand follows the vertices entering S through the
    // commodities at each (one is separated while exactly one of its ends is
    // inside), as a count and a running sum whose rounding stays below
    // `toggles` × ε × the total demand. A prefix is measured exactly
    // (separated_demand, in set order, which defines the ratio) only when
    // that bound leaves it a chance to beat the best ratio: the sweep finds
    // the very prefix that exact sums alone would, in O(m + k) for k
    // commodities unless many prefixes come close to the best.
    int separated = 0;
    double running = 0.0;
    double toggles = 0.0;
    const double rounding = std::numeric_limits<double>::epsilon() * demands.total_demand();

    CutSweep sweep;
    double best = std::numeric_limits<double>::infinity();
    for (int p = 0; p < n; ++p) {
        if (p > 0) {
            const int entering = order[p - 1];
            for (const Arc& arc : arcs.out_arcs(entering)) {
                cross(arc.head, arc.capacity);
            }
            for (int i : arcs.in_arcs(entering)) {
                const Arc& arc = arcs.arcs()[i];
                cross(arc.tail, arc.capacity);
            }
            for (const int c : demands.commodities_at(entering)) {
                const Commodity& commodity = demands.commodity(c);
                if (!commodity.present) {
                    continue;
                }
                const int other = commodity.source == entering ? commodity.sink : commodity.source;
                separated += inside[other] ? -1 : 1;
                running += inside[other] ? -commodity.demand : commodity.demand;
                toggles += 1.0;
            }
            inside[entering] = 1;
        }
        // As for the coordinate: with a fixed ceiling a graph of large
        // capacities would be reported as having no cut at all.
        if (separated == 0 || !(cut.value() / (running + toggles * rounding) < best)) {
            continue;
        }
        const double ratio =
            cut.value() / separated_demand(demands, [&](int v) { return inside[v]; });
        if (ratio < best) {
            best = ratio;
            sweep.prefix_length = p;
        }
    }
    sweep.ratio = best;
    return sweep;
}

namespace {

// The vertices by increasing coordinate k, equal ones in vertex order.
std::vector<int> order_by_coordinate(const Embedding& embedding, int n, int k) {
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    const auto& x = embedding.coordinates;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return x[a][k] < x[b][k]; });
    return order;
}

// Fills the crossing capacity and the separated demand of the cut's side,
// the crossing capacity summed over the arcs in (tail, head) order, the
// order of the ordered pairs of the matrix read row by row.
void measure_cut(const ArcLists& arcs, const DemandSet& demands, CutResult& cut) {
    const int n = arcs.vertex_count();
    std::vector<char> inside(static_cast<std::size_t>(n), 0);
    for (int v : cut.vertices) {
        inside[static_cast<std::size_t>(v)] = 1;
    }
    cut.crossing_capacity = 0.0;
    for (const Arc& arc : arcs.arcs()) {
        if (inside[arc.tail] != inside[arc.head]) {
            cut.crossing_capacity += arc.capacity;
        }
    }
    cut.separated_demand = separated_demand(demands, [&](int v) { return inside[v]; });
}

}  // namespace

std::vector<int> sweep_order(const ArcLists& arcs, const DemandSet& demands,
                             const Embedding& embedding) {
    const int k = choose_coordinate(arcs, demands, embedding);
    if (k < 0) {
        return {};
    }
    return order_by_coordinate(embedding, arcs.vertex_count(), k);
}

CutResult extract_cut(const ArcLists& arcs, const DemandSet& demands, const Embedding& embedding) {
    CutResult cut;
    cut.coordinate = choose_coordinate(arcs, demands, embedding);
    if (cut.coordinate < 0) {
        return cut;
    }
    const std::vector<int> order = order_by_coordinate(embedding, arcs.vertex_count(), cut.coordinate);
    const CutSweep sweep = sweep_cut(arcs, demands, order);
    if (sweep.prefix_length < 0) {
        return cut;
    }
    cut.vertices.insert(order.begin(), order.begin() + sweep.prefix_length);
    cut.ratio = sweep.ratio;
    cut.found = true;
    measure_cut(arcs, demands, cut);
    return cut;
}
