#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <vector>

#include "graph/flow_result.h"
#include "graph/graph.h"

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

// The graph and the flows that a JSON report of tarvessa-batch describes
// (its vertices, directed, edges, maxflow and flows), to check the flows of a
// whole run with is_feasible_flow.
struct ReportedFlow {
    Graph graph;
    FlowResult result;
};
ReportedFlow reported_flow(const nlohmann::json& report);
