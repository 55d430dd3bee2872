#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/expected.h"

class Graph;
typedef struct _lprec lprec;

// Columns of the concurrent-flow program of a graph of n vertices, numbered
// from 1 as lp_solve numbers them: the flow of commodity w along u → v is
// column n·(n·w + u) + v + 1 (by commodity, then tail, then head), named
// "x_{u,v}^w"; the last column, 3n² + 1, is λ, named "lambda".
int flow_column(int n, int u, int v, int w);
int lambda_column(int n);
std::string flow_column_name(int u, int v, int w);

// One linear constraint: the sum of coefficients[i] × column columns[i]
// compared by `relation` (lp_solve's codes: 1 ≤, 2 ≥, 3 =) with `rhs`.
struct ProgramRow {
    std::vector<int> columns;
    std::vector<double> coefficients;
    int relation = 0;
    double rhs = 0.0;
};

// The concurrent-flow program of a graph of n ≥ 2 vertices: columns
// 1 … 3n² + 1 (the flows by commodity, tail, head, then λ), and its rows in
// order: capacity, conservation, demand, support, then λ ≥ 0. The objective
// maximises λ.
struct FlowProgram {
    int vertex_count = 0;
    int column_count = 0;
    std::vector<ProgramRow> rows;
};

FlowProgram formulate_flow_program(const Graph& graph);

// What lp_solve treats as infinite in our programs: far above any float.
inline constexpr double lp_infinity = 1e300;

struct LpDeleter {
    void operator()(lprec* lp) const;
};
using LpModel = std::unique_ptr<lprec, LpDeleter>;

// Hands the program to lp_solve with its column names and objective; fails
// when lp_solve cannot allocate it. The rows are created first and every
// column is then added with all its entries: appending rows one by one costs
// lp_solve a shift of all its per-variable arrays per row, which made loading
// quadratic in the number of rows. Room for all the columns is reserved
// before the first is added, since lp_solve otherwise grows its per-column
// arrays by one column per added column, reallocating and clearing them each
// time: quadratic in the number of columns, that is n⁴.
Expected<LpModel> load_flow_program(const FlowProgram& program);
