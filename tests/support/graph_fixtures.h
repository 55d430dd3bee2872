#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/vector3.h"
#include "graph/demand_set.h"
#include "graph/flow_result.h"
#include "graph/graph.h"

// One edge of a test graph: from → to, or {from, to} in an undirected graph.
struct TestEdge {
    int from;
    int to;
    float cap = 1.0f;
};

// A graph of n vertices with `edges`, every vertex at the origin with size 2
// (what the builder gives a vertex without options).
Graph make_graph(int n, const std::vector<TestEdge>& edges, bool directed);

// A graph whose vertices stand at `positions`, all of size `size`.
Graph make_placed_graph(const std::vector<Vector3>& positions, const std::vector<TestEdge>& edges,
                        float size, bool directed = false);

// n vertices and `edges` edges drawn by a generator seeded with `seed`
// (repeats and self-loops are left to the graph), capacities 1 … 100.
Graph random_graph(int n, int edges, bool directed, std::uint32_t seed);

// k commodities on n ≥ 2 vertices drawn from `seed`: ends drawn apart, so
// that sources repeat, demands from 0.5 to 100 (repeated pairs add up).
DemandSet random_demands(int n, int k, std::uint32_t seed);

// Every pair of distinct vertices joined once (each ordered pair when
// directed), with capacity `cap`, or with capacities 1 … 100 drawn from
// `seed` when `cap` is 0.
Graph complete_graph(int n, bool directed, float cap, std::uint32_t seed = 0);

// The .gr text of a directed graph on n vertices with every ordered pair of
// distinct vertices as an arc, capacities spread over six decades (10^u, u
// drawn uniformly in −3 … 3 from `seed`): the kind of flow program that
// takes lp_solve longest, some seconds at n = 120.
std::string spread_complete_graph_text(int n, std::uint32_t seed);

// A flow result without flows: the given maxflow, no cut.
FlowResult zero_flow_result(double maxflow = 0.0);

// Puts `value` on the flow of source i along the arc u → v of `graph`,
// making room for the flows of sources 0 … i first.
void set_arc_flow(FlowResult& result, const Graph& graph, int i, int u, int v, double value);
