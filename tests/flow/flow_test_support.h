#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "flow/flow_result.h"
#include "graph/graph.h"
#include "shell/console_log.h"
#include "tests/support/text_lines.h"

struct TestEdge {
    int from;
    int to;
    float cap;
};

Graph make_graph(int n, const std::vector<TestEdge>& edges, bool directed);

// n vertices and `edges` edges drawn by a seeded generator (repeats and
// self-loops are dropped by the graph), capacities 1 … 100.
Graph random_graph(int n, int edges, bool directed, std::uint32_t seed);

// Every pair of distinct vertices joined once (each ordered pair when
// directed), with capacity `cap`, or with capacities 1 … 100 drawn from
// `seed` when `cap` is 0.
Graph complete_graph(int n, bool directed, float cap, std::uint32_t seed = 0);

// Checks that the flows are a feasible routing of λ = maxflow times every
// present commodity's demand: non-negative, only along edges (never on the
// diagonal, none for absent commodities), within capacity in each direction,
// conserved at every vertex that is not a terminal of the commodity, and
// delivering at least λ × demand net into each sink.
::testing::AssertionResult is_feasible_flow(const Graph& graph, const FlowResult& result,
                                            double tolerance = 1e-6);

// Cut capacity over ordered pairs with exactly one end in `side`, divided by
// the demand of the present commodities it separates (0 when none), computed
// from scratch.
double recomputed_cut_ratio(const Graph& graph, const std::vector<bool>& side);

// A console whose clock never moves, so every timer line reads "0 s.".
struct FrozenConsole {
    StringSink sink;
    ConsoleLog log{sink, [] { return std::int64_t{0}; }};
};
