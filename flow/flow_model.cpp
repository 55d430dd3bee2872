#include "flow/flow_model.h"

#include <lpsolve/lp_lib.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "embedding/shortest_paths.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"

std::string flow_column_name(int u, int v, int w) {
    return "x_{" + std::to_string(u) + "," + std::to_string(v) + "}^" + std::to_string(w);
}

void LpDeleter::operator()(lprec* lp) const {
    delete_lp(lp);
}

namespace {

// A row holding the net inflow of source w's flow into `vertex`: +1 on its
// flow along every arc entering the vertex, −1 along every arc leaving it.
ProgramRow net_inflow_row(const ArcLists& arcs, const FlowColumns& columns, int vertex, int w) {
    ProgramRow row;
    for (int a : arcs.in_arcs(vertex)) {
        row.columns.push_back(columns.flow(w, a));
        row.coefficients.push_back(1.0);
    }
    for (int a = arcs.out_begin(vertex); a < arcs.out_end(vertex); ++a) {
        row.columns.push_back(columns.flow(w, a));
        row.coefficients.push_back(-1.0);
    }
    return row;
}

void add_capacity_rows(FlowProgram& program, const ArcLists& arcs) {
    const FlowColumns& columns = program.columns;
    for (int a = 0; a < arcs.arc_count(); ++a) {
        const Arc& arc = arcs.arcs()[a];
        if (program.shared_pairs && !arcs.carries_pair_row(a)) {
            continue;
        }
        const int reverse = program.shared_pairs ? arcs.reverse(a) : -1;
        ProgramRow row;
        for (int w = 0; w < columns.sources; ++w) {
            row.columns.push_back(columns.flow(w, a));
            row.coefficients.push_back(1.0);
            if (reverse >= 0) {
                row.columns.push_back(columns.flow(w, reverse));
                row.coefficients.push_back(1.0);
            }
        }
        row.relation = LE;
        row.rhs = arc.capacity / program.scale;
        program.rows.push_back(std::move(row));
    }
}

// Marks, for one vertex at a time, the sources of which it is the source or
// a sink: their flows need no conservation there.
class TerminalMarks {
  public:
    explicit TerminalMarks(const DemandSet& demands)
        : demands_(demands), marked_(static_cast<std::size_t>(demands.source_count()), 0) {}

    // Marks the sources at vertex v and returns the marks, which stay until
    // the next call.
    const std::vector<char>& at(int v) {
        for (const int w : touched_) {
            marked_[static_cast<std::size_t>(w)] = 0;
        }
        touched_.clear();
        for (const int c : demands_.commodities_at(v)) {
            const int w = demands_.source_index(c);
            if (w >= 0) {
                marked_[static_cast<std::size_t>(w)] = 1;
                touched_.push_back(w);
            }
        }
        return marked_;
    }

  private:
    const DemandSet& demands_;
    std::vector<char> marked_;
    std::vector<int> touched_;
};

void add_conservation_rows(FlowProgram& program, const ArcLists& arcs, const DemandSet& demands) {
    TerminalMarks marks(demands);
    for (int i = 0; i < program.vertex_count; ++i) {
        if (arcs.in_arcs(i).empty() && arcs.out_arcs(i).empty()) {
            continue;
        }
        const std::vector<char>& terminal = marks.at(i);
        for (int w = 0; w < program.columns.sources; ++w) {
            if (terminal[static_cast<std::size_t>(w)]) {
                continue;
            }
            ProgramRow row = net_inflow_row(arcs, program.columns, i, w);
            row.relation = EQ;
            program.rows.push_back(std::move(row));
        }
    }
}

void add_demand_rows(FlowProgram& program, const ArcLists& arcs, const DemandSet& demands) {
    for (int c = 0; c < demands.size(); ++c) {
        const int w = demands.source_index(c);
        if (w < 0) {
            continue;
        }
        ProgramRow row = net_inflow_row(arcs, program.columns, demands.commodity(c).sink, w);
        row.columns.push_back(program.columns.lambda());
        row.coefficients.push_back(-demands.commodity(c).demand);
        row.relation = GE;
        program.rows.push_back(std::move(row));
    }
}

}  // namespace

ArcLists pair_network(const ArcLists& arcs) {
    std::vector<Arc> pairs;
    pairs.reserve(2 * static_cast<std::size_t>(arcs.arc_count()));
    for (int a = 0; a < arcs.arc_count(); ++a) {
        if (!arcs.carries_pair_row(a)) {
            continue;
        }
        const Arc& arc = arcs.arcs()[a];
        const int reverse = arcs.reverse(a);
        // The sum of two floats, in double precision, is exact enough for a
        // bound; a pair whose capacities sum to 0 still joins its ends.
        const double capacity =
            arc.capacity + (reverse >= 0 ? arcs.arcs()[reverse].capacity : 0.0);
        pairs.push_back({arc.tail, arc.head, capacity});
        pairs.push_back({arc.head, arc.tail, capacity});
    }
    return ArcLists(arcs.vertex_count(), std::move(pairs));
}

FlowColumns flow_columns(const ArcLists& arcs, const DemandSet& demands) {
    return {arcs.arc_count(), demands.source_count()};
}

std::vector<double> program_scales(const ArcLists& arcs, const DemandSet& demands) {
    const auto power_of_two = [](double log2_value) {
        return std::ldexp(1.0, static_cast<int>(std::lround(log2_value)));
    };
    std::vector<double> scales;
    const auto propose = [&](double scale) {
        if (std::find(scales.begin(), scales.end(), scale) == scales.end()) {
            scales.push_back(scale);
        }
    };

    double log_sum = 0.0;
    int positive = 0;
    for (const Arc& arc : arcs.arcs()) {
        if (arc.capacity > 0.0) {
            log_sum += std::log2(arc.capacity);
            ++positive;
        }
    }
    if (positive > 0) {
        propose(power_of_two(log_sum / positive));
    }

    // The capacity out of and into each vertex, summed in arc order.
    const int n = arcs.vertex_count();
    std::vector<double> out(static_cast<std::size_t>(n), 0.0);
    std::vector<double> in(static_cast<std::size_t>(n), 0.0);
    for (int v = 0; v < n; ++v) {
        for (const Arc& arc : arcs.out_arcs(v)) {
            out[static_cast<std::size_t>(v)] += arc.capacity;
        }
        for (int a : arcs.in_arcs(v)) {
            in[static_cast<std::size_t>(v)] += arcs.arcs()[a].capacity;
        }
    }
    double terminal = std::numeric_limits<double>::infinity();
    for (const Commodity& c : demands.commodities()) {
        if (c.present) {
            terminal = std::min({terminal, out[static_cast<std::size_t>(c.source)],
                                 in[static_cast<std::size_t>(c.sink)]});
        }
    }
    if (terminal > 0.0 && std::isfinite(terminal)) {
        propose(power_of_two(std::log2(terminal)));
    }
    propose(1.0);
    return scales;
}

FlowProgram formulate_flow_program(const ArcLists& arcs, const DemandSet& demands, double scale,
                                   bool shared_pairs) {
    FlowProgram program;
    program.shared_pairs = shared_pairs;
    program.vertex_count = arcs.vertex_count();
    program.columns = flow_columns(arcs, demands);
    program.scale = scale;
    add_capacity_rows(program, arcs);
    add_conservation_rows(program, arcs, demands);
    add_demand_rows(program, arcs, demands);
    return program;
}

bool satisfies_flow_program(const ArcLists& arcs, const DemandSet& demands,
                            const FlowSolution& solution, double scale, double tolerance,
                            bool shared_pairs) {
    const int n = arcs.vertex_count();
    const FlowColumns columns = flow_columns(arcs, demands);
    if (static_cast<int>(solution.flow.size()) != columns.count() - 1) {
        return false;
    }
    auto within = [&](double excess, double size) {
        return excess <= tolerance * (size + scale);
    };
    const double lambda = solution.lambda;
    if (!std::isfinite(lambda) || !within(-lambda, 0.0)) {
        return false;
    }
    // Net inflow of each source's flow into each vertex, with the magnitudes
    // of its terms.
    std::vector<double> net(static_cast<std::size_t>(columns.sources) * n, 0.0);
    std::vector<double> size(net.size(), 0.0);
    // With shared pairs, each arc's total and the magnitude of its terms,
    // checked against the pair's capacity once both arcs are summed.
    std::vector<double> totals(shared_pairs ? arcs.arc_count() : 0, 0.0);
    std::vector<double> magnitudes(totals.size(), 0.0);
    for (int a = 0; a < arcs.arc_count(); ++a) {
        const Arc& arc = arcs.arcs()[a];
        double total = 0.0;
        double magnitude = 0.0;
        for (int w = 0; w < columns.sources; ++w) {
            const double x = solution.flow[columns.flow(w, a) - 1];
            if (!std::isfinite(x) || !within(-x, arc.capacity)) {
                return false;
            }
            total += x;
            magnitude += std::fabs(x);
            net[w * n + arc.head] += x;
            net[w * n + arc.tail] -= x;
            size[w * n + arc.head] += std::fabs(x);
            size[w * n + arc.tail] += std::fabs(x);
        }
        if (shared_pairs) {
            totals[a] = total;
            magnitudes[a] = magnitude;
        } else if (!within(total - arc.capacity, magnitude + std::fabs(arc.capacity))) {
            return false;
        }
    }
    for (std::size_t a = 0; a < totals.size(); ++a) {
        if (!arcs.carries_pair_row(static_cast<int>(a))) {
            continue;
        }
        const Arc& arc = arcs.arcs()[a];
        const int reverse = arcs.reverse(static_cast<int>(a));
        const double total = totals[a] + (reverse >= 0 ? totals[reverse] : 0.0);
        const double magnitude = magnitudes[a] + (reverse >= 0 ? magnitudes[reverse] : 0.0);
        if (!within(total - arc.capacity, magnitude + std::fabs(arc.capacity))) {
            return false;
        }
    }
    // Each commodity's demand at its sink; the sinks and the source of each
    // flow are then left out of its conservation.
    std::vector<char> terminal(net.size(), 0);
    for (int c = 0; c < demands.size(); ++c) {
        const int w = demands.source_index(c);
        if (w < 0) {
            continue;
        }
        const Commodity& commodity = demands.commodity(c);
        const std::size_t at = static_cast<std::size_t>(w) * n + commodity.sink;
        const double demand = lambda * commodity.demand;
        if (!within(demand - net[at], size[at] + demand)) {
            return false;
        }
        terminal[at] = 1;
        terminal[static_cast<std::size_t>(w) * n + commodity.source] = 1;
    }
    for (std::size_t at = 0; at < net.size(); ++at) {
        if (!terminal[at] && !within(std::fabs(net[at]), size[at])) {
            return false;
        }
    }
    return true;
}

double length_bound(const ArcLists& arcs, const DemandSet& demands,
                    const std::vector<double>& lengths, bool shared_pairs) {
    double volume = 0.0;
    for (int a = 0; a < arcs.arc_count(); ++a) {
        // A shared pair's capacity row is counted once.
        if (shared_pairs && !arcs.carries_pair_row(a)) {
            continue;
        }
        volume += arcs.arcs()[a].capacity * lengths[a];
    }
    // Each commodity's term, from the shortest paths of its source, then
    // their sum in set order.
    std::vector<double> terms(static_cast<std::size_t>(demands.size()), 0.0);
    for (int w = 0; w < demands.source_count(); ++w) {
        const PathsFrom paths = shortest_paths_from(arcs, lengths, demands.sources()[w]);
        for (const int c : demands.commodities_of_source(w)) {
            const Commodity& commodity = demands.commodity(c);
            terms[static_cast<std::size_t>(c)] = commodity.demand * paths.distance[commodity.sink];
        }
    }
    double separation = 0.0;
    for (const double term : terms) {
        separation += term;
    }
    if (std::isinf(separation)) {
        return 0.0;
    }
    return volume / separation;
}

Expected<LpModel> load_flow_program(const FlowProgram& program) {
    const int row_count = static_cast<int>(program.rows.size());
    const int column_count = program.columns.count();
    LpModel lp(make_lp(row_count, 0));
    if (!lp || !resize_lp(lp.get(), row_count, column_count)) {
        return fail("lp_solve cannot allocate the program");
    }
    // lp_solve reads any value of 1e30 or more as infinite by default, which
    // would turn a capacity of 1e30 (a float reaches 3.4e38) into no bound
    // at all. Capacities are floats, so every finite one stays below this.
    set_infinite(lp.get(), lp_infinity);

    // Gather each column's entries, in increasing row order.
    std::vector<int> entry_count(column_count + 1, 0);
    for (const ProgramRow& row : program.rows) {
        for (int column : row.columns) {
            ++entry_count[column];
        }
    }
    std::vector<int> start(column_count + 2, 0);
    for (int column = 1; column <= column_count; ++column) {
        start[column + 1] = start[column] + entry_count[column];
    }
    std::vector<int> row_numbers(start[column_count + 1]);
    std::vector<REAL> values(row_numbers.size());
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (int r = 0; r < row_count; ++r) {
        const ProgramRow& row = program.rows[r];
        set_constr_type(lp.get(), r + 1, row.relation);
        set_rh(lp.get(), r + 1, row.rhs);
        for (std::size_t e = 0; e < row.columns.size(); ++e) {
            const int slot = fill[row.columns[e]]++;
            row_numbers[slot] = r + 1;
            values[slot] = row.coefficients[e];
        }
    }

    for (int column = 1; column <= column_count; ++column) {
        if (!add_columnex(lp.get(), entry_count[column], values.data() + start[column],
                          row_numbers.data() + start[column])) {
            return fail("lp_solve cannot allocate the program");
        }
    }

    REAL objective = 1.0;
    int objective_column = program.columns.lambda();
    set_obj_fnex(lp.get(), 1, &objective, &objective_column);
    set_maxim(lp.get());
    return lp;
}
