#include "flow/flow_model.h"

#include <lpsolve/lp_lib.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "graph/arc_lists.h"
#include "embedding/shortest_paths.h"
#include "graph/commodities.h"

std::string flow_column_name(int u, int v, int w) {
    return "x_{" + std::to_string(u) + "," + std::to_string(v) + "}^" + std::to_string(w);
}

void LpDeleter::operator()(lprec* lp) const {
    delete_lp(lp);
}

namespace {

// The commodities of a network of n vertices: those whose sink exists, which
// are the first ones.
int present_commodities(int n) {
    int present = 0;
    while (present < commodity_count && commodity_present(present, n)) {
        ++present;
    }
    return present;
}

// A row holding the net inflow of commodity w into `vertex`: +1 on its flow
// along every arc entering the vertex, −1 along every arc leaving it.
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
        for (int w = 0; w < columns.commodities; ++w) {
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

void add_conservation_rows(FlowProgram& program, const ArcLists& arcs) {
    for (int i = 0; i < program.vertex_count; ++i) {
        if (arcs.in_arcs(i).empty() && arcs.out_arcs(i).empty()) {
            continue;
        }
        for (int w = 0; w < program.columns.commodities; ++w) {
            if (i == commodity_source(w) || i == commodity_sink(w)) {
                continue;
            }
            ProgramRow row = net_inflow_row(arcs, program.columns, i, w);
            row.relation = EQ;
            program.rows.push_back(std::move(row));
        }
    }
}

void add_demand_rows(FlowProgram& program, const ArcLists& arcs) {
    for (int w = 0; w < program.columns.commodities; ++w) {
        ProgramRow row = net_inflow_row(arcs, program.columns, commodity_sink(w), w);
        row.columns.push_back(program.columns.lambda());
        row.coefficients.push_back(-static_cast<double>(commodity_demand[w]));
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

FlowColumns flow_columns(const ArcLists& arcs) {
    return {arcs.arc_count(), present_commodities(arcs.vertex_count())};
}

std::vector<double> program_scales(const ArcLists& arcs) {
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

    double terminal = std::numeric_limits<double>::infinity();
    for (int w = 0; w < flow_columns(arcs).commodities; ++w) {
        double out = 0.0;
        for (const Arc& arc : arcs.out_arcs(commodity_source(w))) {
            out += arc.capacity;
        }
        double in = 0.0;
        for (int a : arcs.in_arcs(commodity_sink(w))) {
            in += arcs.arcs()[a].capacity;
        }
        terminal = std::min({terminal, out, in});
    }
    if (terminal > 0.0 && std::isfinite(terminal)) {
        propose(power_of_two(std::log2(terminal)));
    }
    propose(1.0);
    return scales;
}

FlowProgram formulate_flow_program(const ArcLists& arcs, double scale, bool shared_pairs) {
    FlowProgram program;
    program.shared_pairs = shared_pairs;
    program.vertex_count = arcs.vertex_count();
    program.columns = flow_columns(arcs);
    program.scale = scale;
    add_capacity_rows(program, arcs);
    add_conservation_rows(program, arcs);
    add_demand_rows(program, arcs);
    return program;
}

bool satisfies_flow_program(const ArcLists& arcs, const FlowSolution& solution, double scale,
                            double tolerance, bool shared_pairs) {
    const int n = arcs.vertex_count();
    const FlowColumns columns = flow_columns(arcs);
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
    // Net inflow of each commodity into each vertex, with the magnitudes of
    // its terms.
    std::vector<double> net(static_cast<std::size_t>(columns.commodities) * n, 0.0);
    std::vector<double> size(net.size(), 0.0);
    // With shared pairs, each arc's total and the magnitude of its terms,
    // checked against the pair's capacity once both arcs are summed.
    std::vector<double> totals(shared_pairs ? arcs.arc_count() : 0, 0.0);
    std::vector<double> magnitudes(totals.size(), 0.0);
    for (int a = 0; a < arcs.arc_count(); ++a) {
        const Arc& arc = arcs.arcs()[a];
        double total = 0.0;
        double magnitude = 0.0;
        for (int w = 0; w < columns.commodities; ++w) {
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
    for (int w = 0; w < columns.commodities; ++w) {
        for (int i = 0; i < n; ++i) {
            const double in = net[w * n + i];
            const double terms = size[w * n + i];
            if (i == commodity_sink(w)) {
                const double demand = lambda * static_cast<double>(commodity_demand[w]);
                if (!within(demand - in, terms + demand)) {
                    return false;
                }
            } else if (i != commodity_source(w) && !within(std::fabs(in), terms)) {
                return false;
            }
        }
    }
    return true;
}

double length_bound(const ArcLists& arcs, const std::vector<double>& lengths, bool shared_pairs) {
    double volume = 0.0;
    for (int a = 0; a < arcs.arc_count(); ++a) {
        // A shared pair's capacity row is counted once.
        if (shared_pairs && !arcs.carries_pair_row(a)) {
            continue;
        }
        volume += arcs.arcs()[a].capacity * lengths[a];
    }
    double separation = 0.0;
    const FlowColumns columns = flow_columns(arcs);
    for (int w = 0; w < columns.commodities; ++w) {
        separation += static_cast<double>(commodity_demand[w]) *
                      shortest_paths_from(arcs, lengths, commodity_source(w)).distance[commodity_sink(w)];
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
