#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <vector>

#include "graph/demand_set.h"
#include "graph/flow_result.h"
#include "graph/graph.h"

// Checks that the flows (by source, along the graph's arcs) are a feasible
// routing of λ = maxflow times every present commodity's demand:
// non-negative, within capacity in each direction, each source's flow
// conserved at every vertex that is neither the source nor one of its sinks,
// and delivering at least λ × demand net into each of its sinks. `demands`
// defaults to the graph's default set.
::testing::AssertionResult is_feasible_flow(const Graph& graph, const DemandSet& demands,
                                            const FlowResult& result, double tolerance = 1e-6);
::testing::AssertionResult is_feasible_flow(const Graph& graph, const FlowResult& result,
                                            double tolerance = 1e-6);

// Cut capacity over ordered pairs with exactly one end in `side`, divided by
// the demand of the present commodities it separates (0 when none), computed
// from scratch; `demands` defaults to the graph's default set.
double recomputed_cut_ratio(const Graph& graph, const std::vector<bool>& side);
double recomputed_cut_ratio(const Graph& graph, const DemandSet& demands,
                            const std::vector<bool>& side);

// The graph, its demands and the flows that a JSON report of tarvessa-batch
// describes (its vertices, directed, edges, commodities, maxflow and
// flows), to check the flows of a whole run with is_feasible_flow.
struct ReportedFlow {
    Graph graph;
    DemandSet demands;
    FlowResult result;
};
ReportedFlow reported_flow(const nlohmann::json& report);
