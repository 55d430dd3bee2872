#include "flow/flow_model.h"

#include <lpsolve/lp_lib.h>

#include <string>

#include "graph/commodities.h"
#include "graph/graph.h"

int flow_column(int n, int u, int v, int w) {
    return n * (n * w + u) + v + 1;
}

int lambda_column(int n) {
    return 3 * n * n + 1;
}

std::string flow_column_name(int u, int v, int w) {
    return "x_{" + std::to_string(u) + "," + std::to_string(v) + "}^" + std::to_string(w);
}

void LpDeleter::operator()(lprec* lp) const {
    delete_lp(lp);
}

namespace {

// A row holding the net inflow of commodity w into `vertex`: +1 on the flow
// from every other vertex into it, −1 on the flow back out.
ProgramRow net_inflow_row(int n, int vertex, int w) {
    ProgramRow row;
    for (int l = 0; l < n; ++l) {
        if (l != vertex) {
            row.columns.push_back(flow_column(n, l, vertex, w));
            row.coefficients.push_back(1.0);
            row.columns.push_back(flow_column(n, vertex, l, w));
            row.coefficients.push_back(-1.0);
        }
    }
    return row;
}

void add_capacity_row(FlowProgram& program, int u, int v, double capacity) {
    ProgramRow row;
    for (int w = 0; w < commodity_count; ++w) {
        row.columns.push_back(flow_column(program.vertex_count, u, v, w));
        row.coefficients.push_back(1.0);
    }
    row.relation = LE;
    row.rhs = capacity;
    program.rows.push_back(std::move(row));
}

// The commodities together stay within each edge's capacity. An undirected
// edge bounds each direction separately.
void add_capacity_rows(FlowProgram& program, const Graph& graph) {
    for (int u = 0; u < graph.vertex_count(); ++u) {
        for (NeighbourIterator it(graph, u); !it.finished(); it.next()) {
            const int v = it.current();
            const double capacity = graph.cell(u, v).capacity;
            add_capacity_row(program, u, v, capacity);
            if (!graph.directed()) {
                add_capacity_row(program, v, u, capacity);
            }
        }
    }
}

// Inflow equals outflow at every vertex that is not a terminal of the
// commodity.
void add_conservation_rows(FlowProgram& program) {
    const int n = program.vertex_count;
    for (int i = 0; i < n; ++i) {
        for (int w = 0; w < commodity_count; ++w) {
            if (!commodity_present(w, n) || i == commodity_source(w) || i == commodity_sink(w)) {
                continue;
            }
            ProgramRow row = net_inflow_row(n, i, w);
            row.relation = EQ;
            program.rows.push_back(std::move(row));
        }
    }
}

// The net inflow into each sink is at least λ times its demand.
void add_demand_rows(FlowProgram& program) {
    const int n = program.vertex_count;
    for (int w = 0; w < commodity_count; ++w) {
        if (!commodity_present(w, n)) {
            continue;
        }
        ProgramRow row = net_inflow_row(n, commodity_sink(w), w);
        row.columns.push_back(lambda_column(n));
        row.coefficients.push_back(-static_cast<double>(commodity_demand[w]));
        row.relation = GE;
        program.rows.push_back(std::move(row));
    }
}

// Flow only along edges, never on the diagonal, and none at all for a
// commodity whose sink is not a vertex.
void add_support_rows(FlowProgram& program, const Graph& graph) {
    const int n = program.vertex_count;
    for (int w = 0; w < commodity_count; ++w) {
        const bool present = commodity_present(w, n);
        for (int u = 0; u < n; ++u) {
            for (int v = 0; v < n; ++v) {
                const bool open = present && u != v && graph.cell(u, v).present;
                program.rows.push_back({{flow_column(n, u, v, w)}, {1.0}, open ? GE : EQ, 0.0});
            }
        }
    }
}

// Names the columns of the program on n vertices in `lp`, which must have its
// 3n² + 1 columns.
void name_flow_columns(lprec* lp, int n) {
    for (int w = 0; w < commodity_count; ++w) {
        for (int u = 0; u < n; ++u) {
            for (int v = 0; v < n; ++v) {
                std::string name = flow_column_name(u, v, w);
                set_col_name(lp, flow_column(n, u, v, w), name.data());
            }
        }
    }
    char lambda_name[] = "lambda";
    set_col_name(lp, lambda_column(n), lambda_name);
}

}  // namespace

FlowProgram formulate_flow_program(const Graph& graph) {
    FlowProgram program;
    program.vertex_count = graph.vertex_count();
    program.column_count = lambda_column(program.vertex_count);
    add_capacity_rows(program, graph);
    add_conservation_rows(program);
    add_demand_rows(program);
    add_support_rows(program, graph);
    program.rows.push_back({{program.column_count}, {1.0}, GE, 0.0});
    return program;
}

Expected<LpModel> load_flow_program(const FlowProgram& program) {
    const int row_count = static_cast<int>(program.rows.size());
    LpModel lp(make_lp(row_count, 0));
    if (!lp || !resize_lp(lp.get(), row_count, program.column_count)) {
        return fail("lp_solve cannot allocate the program");
    }
    // lp_solve reads any value of 1e30 or more as infinite by default, which
    // would turn a capacity of 1e30 (a float reaches 3.4e38) into no bound
    // at all. Capacities are floats, so every finite one stays below this.
    set_infinite(lp.get(), lp_infinity);

    // Gather each column's entries, in increasing row order.
    std::vector<int> entry_count(program.column_count + 1, 0);
    for (const ProgramRow& row : program.rows) {
        for (int column : row.columns) {
            ++entry_count[column];
        }
    }
    std::vector<int> start(program.column_count + 2, 0);
    for (int column = 1; column <= program.column_count; ++column) {
        start[column + 1] = start[column] + entry_count[column];
    }
    std::vector<int> row_numbers(start[program.column_count + 1]);
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

    for (int column = 1; column <= program.column_count; ++column) {
        if (!add_columnex(lp.get(), entry_count[column], values.data() + start[column],
                          row_numbers.data() + start[column])) {
            return fail("lp_solve cannot allocate the program");
        }
    }
    name_flow_columns(lp.get(), program.vertex_count);

    REAL objective = 1.0;
    int objective_column = program.column_count;
    set_obj_fnex(lp.get(), 1, &objective, &objective_column);
    set_maxim(lp.get());
    return lp;
}
