#pragma once

#include <string>
#include <vector>

#include "common/demand_choice.h"
#include "common/expected.h"
#include "graph/demand_set.h"
#include "graph/graph.h"
#include "grformat/demand_text.h"

// The largest graph whose all-pairs demands a load accepts, by its vertex
// count: the program then has one flow per vertex and arc and n(n − 1) (or
// n(n − 1)/2) demand rows. Processor time of the solve with CLP (the
// automatic choice for every all-pairs program: its always-perturbed dual
// simplex), release build, two shared cores (bench/demand_bench --all-pairs):
//   n = 40: complete directed, capacities 1 … 100: 5.6 s (all 10: 0.2 s,
//     spread over six decades: 0.4 s); complete undirected: 0.6 to 3.3 s;
//     random, 4n edges: under 0.2 s;
//   n = 45: complete undirected, 1 … 100: 31.8 s; complete directed,
//     1 … 100: 13.3 s; the others under 3.2 s;
//   n = 50: complete directed and complete undirected spread: over 35 s
//     (stopped); complete undirected 1 … 100: 11.6 s;
//   random, 4n undirected edges: n = 50 0.24 s; n = 100 (400 edges) 3.1 s.
// The limit keeps the slowest measured program (the complete graphs) within
// 30 s. With lp_solve the limit was 28 (19.7 s there, 36.2 s at 29).
inline constexpr int max_all_pairs_vertices = 40;

// The most flow columns (distinct sources × arcs) a demand set's program may
// have. The program takes some 700 bytes per column with lp_solve (the
// 161-vertex backbone of bench/demand_bench: 107 000 columns, 72 MiB), so
// this keeps a load within about 700 MiB; a demand file of 100 000 lines on
// a large graph could otherwise ask for tens of millions of columns and
// tens of gigabytes before the solve even starts.
inline constexpr long long max_flow_columns = 1000000;

// Why the chosen demands cannot be those of a graph.
struct DemandRefusal {
    enum class Reason {
        // A line of the demand file is bad, or names a vertex the graph
        // does not have: `error` says where and why.
        bad_file,
        // All pairs on a graph of `vertex_count` vertices, more than
        // max_all_pairs_vertices.
        too_many_vertices,
        // A program of `columns` flow columns, more than max_flow_columns.
        program_too_large,
    };
    Reason reason = Reason::bad_file;
    DemandError error;
    int vertex_count = 0;
    long long columns = 0;
};

// The demand set of `graph`, whose vertices have the names `names`
// (BuiltGraph's), from the user's `choice` (null for the default set).
//
// A demand file's text is read (parse_demand_text) and each field resolved:
// a vertex number must be below n, a name must be the "name" of exactly one
// vertex, and a line's source and target must be two vertices. Lines of the
// same ordered pair add up (DemandSet); their total must stay finite. A set
// whose program would have more than max_flow_columns flow columns is
// refused.
Expected<DemandSet, DemandRefusal> build_demand_set(const DemandChoice* choice, const Graph& graph,
                                                    const std::vector<std::string>& names);

// `demands`, unless its program would have more than max_flow_columns flow
// columns.
Expected<DemandSet, DemandRefusal> within_flow_columns(DemandSet demands, const Graph& graph);
