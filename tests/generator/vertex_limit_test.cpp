// Varnock shares no code with the viewer and repeats its vertex limit; this
// test is the one place that sees both, so that every graph Varnock writes
// can be loaded and Varnock refuses no graph the viewer would take.
#include <gtest/gtest.h>

#include "generator/random_graph.h"
#include "builder/graph_builder.h"

TEST(VertexLimit, GeneratorFollowsTheViewer) {
    EXPECT_EQ(max_vertex_total, max_vertex_count);
    EXPECT_TRUE(valid_vertex_total(max_vertex_count));
    EXPECT_FALSE(valid_vertex_total(max_vertex_count + 1));
    // Each "<->" edge of a directed graph makes up to two arcs.
    EXPECT_EQ(2 * max_edge_total, max_arc_count);
    EXPECT_TRUE(valid_edge_total(max_edge_total));
    EXPECT_FALSE(valid_edge_total(max_edge_total + 1));
}
