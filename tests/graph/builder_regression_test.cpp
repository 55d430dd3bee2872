// Faults found by fuzzing and by the bad-input corpus, pinned at the builder.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "graph/graph_builder.h"
#include "shell/console_log.h"

namespace {

std::unique_ptr<Graph> build(GraphDescription& description) {
    StringSink sink;
    ConsoleLog log(sink);
    return build_graph(description, log, false);
}

}  // namespace

TEST(BuilderRegression, RepeatedNumbersInLongListsDoNotMakeTheBuildQuadratic) {
    // 200000 × 200000 pairs that name one cell: 800 KB of text once kept the
    // builder busy for hours.
    GraphDescription d;
    d.global_options.emplace("directed", "1");
    d.edge_groups.push_back(
        {std::vector<int>(200000, 0), std::vector<int>(200000, 1), 2, OptionMap{{"cap", "4"}}});
    d.edge_groups.push_back({{2, 2, 3, 2}, {4, 5, 4, 4, 5}, 1, OptionMap{}});
    const auto start = std::chrono::steady_clock::now();
    const std::unique_ptr<Graph> g = build(d);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(g->vertex_count(), 6);
    EXPECT_EQ(g->cell(0, 1).capacity, 4.0f);
    EXPECT_EQ(g->cell(1, 0).capacity, 4.0f);
    // Repeats change nothing in what is stored.
    int stored = 0;
    for (const auto& row : g->matrix()) {
        for (const EdgeCell& cell : row) {
            stored += cell.present ? 1 : 0;
        }
    }
    EXPECT_EQ(stored, 2 + 4);
    EXPECT_TRUE(g->cell(2, 4).present && g->cell(2, 5).present && g->cell(3, 4).present &&
                g->cell(3, 5).present);
}

TEST(BuilderRegression, NegativeCapacityIsRefused) {
    // A negative capacity made the program infeasible and the cut's ratio
    // negative, printed as if it were a result.
    GraphDescription d;
    d.edge_groups.push_back({{0}, {1}, 1, OptionMap{{"cap", "3"}}});
    d.edge_groups.push_back({{2}, {3}, 1, OptionMap{{"cap", "-5kg"}}});
    StringSink sink;
    ConsoleLog log(sink);
    try {
        build_graph(d, log, false);
        FAIL() << "a negative capacity was accepted";
    } catch (const EGraphRefused& refusal) {
        EXPECT_EQ(refusal.reason, EGraphRefused::Reason::negative_capacity);
        EXPECT_EQ(refusal.option, "cap");
        EXPECT_EQ(refusal.text, "-5kg");
        EXPECT_EQ(refusal.group, 2);
        EXPECT_EQ(sink.text(), "");
    }

    // Minus zero, and a negative number too small for a float, are zero.
    GraphDescription zero;
    zero.edge_groups.push_back({{0}, {1}, 1, OptionMap{{"cap", "-0"}}});
    zero.edge_groups.push_back({{1}, {2}, 1, OptionMap{{"cap", "-1e-50"}}});
    const std::unique_ptr<Graph> g = build(zero);
    EXPECT_EQ(g->cell(0, 1).capacity, 0.0f);
    EXPECT_EQ(g->cell(1, 2).capacity, 0.0f);
}
