#include "graph/graph_builder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "flow/flow_result.h"
#include "shell/console_log.h"

namespace {

EdgeGroup group(std::vector<int> sources, int direction, std::vector<int> targets,
                OptionMap options = {}) {
    return EdgeGroup{std::move(sources), std::move(targets), direction, std::move(options)};
}

// Builds with a console kept in memory.
struct Built {
    StringSink sink;
    ConsoleLog log{sink};
    std::unique_ptr<Graph> graph;
};

std::unique_ptr<Built> build(GraphDescription description) {
    auto built = std::make_unique<Built>();
    built->graph = build_graph(description, built->log, false);
    return built;
}

GraphDescription directed_description() {
    GraphDescription d;
    d.global_options["directed"] = "1";
    return d;
}

// Every stored cell as (u, v), row by row.
std::vector<std::pair<int, int>> stored_cells(const Graph& g) {
    std::vector<std::pair<int, int>> cells;
    for (int u = 0; u < g.vertex_count(); ++u) {
        for (int v = 0; v < g.vertex_count(); ++v) {
            if (g.matrix()[u][v].present) {
                cells.emplace_back(u, v);
            }
        }
    }
    return cells;
}

EGraphRefused refusal_of(GraphDescription& description) {
    StringSink sink;
    ConsoleLog log(sink);
    try {
        build_graph(description, log, false);
    } catch (const EGraphRefused& refusal) {
        // Refusals come before anything is computed or logged.
        EXPECT_EQ(sink.text(), "");
        return refusal;
    }
    ADD_FAILURE() << "the description was not refused";
    return EGraphRefused(EGraphRefused::Reason::too_many_vertices);
}

}  // namespace

TEST(ExtractFloat, TakesTheLongestNumericPrefix) {
    bool overflow = true;
    EXPECT_EQ(extract_float("2", overflow), 2.0f);
    EXPECT_FALSE(overflow);
    EXPECT_EQ(extract_float(".1", overflow), 0.1f);
    EXPECT_EQ(extract_float("  -1.5e2xyz", overflow), -150.0f);
    EXPECT_EQ(extract_float("3abc", overflow), 3.0f);
    EXPECT_EQ(extract_float("1.", overflow), 1.0f);
    EXPECT_EQ(extract_float("+4", overflow), 4.0f);
    // An exponent without digits is not part of the number.
    EXPECT_EQ(extract_float("2e", overflow), 2.0f);
    EXPECT_EQ(extract_float("2e-x", overflow), 2.0f);
    EXPECT_EQ(extract_float("1e-005", overflow), 1e-5f);
    // Hexadecimal is not read: "0x10" is 0 followed by text.
    EXPECT_EQ(extract_float("0x10", overflow), 0.0f);
    EXPECT_FALSE(overflow);
}

TEST(ExtractFloat, TextsWithoutANumberGiveNothing) {
    bool overflow = false;
    for (const char* text : {"", "abc", "-", ".", "-.e5", "inf", "nan", "infinity", "e5", "_1"}) {
        EXPECT_FALSE(extract_float(text, overflow).has_value()) << text;
        EXPECT_FALSE(overflow) << text;
    }
}

TEST(ExtractFloat, OverflowIsFlaggedAndUnderflowIsNot) {
    bool overflow = false;
    EXPECT_EQ(extract_float("1e39", overflow), std::numeric_limits<float>::max());
    EXPECT_TRUE(overflow);
    EXPECT_EQ(extract_float("-1e39", overflow), -std::numeric_limits<float>::max());
    EXPECT_TRUE(overflow);
    EXPECT_EQ(extract_float("3.4e38", overflow), 3.4e38f);
    EXPECT_FALSE(overflow);
    const std::optional<float> tiny = extract_float("1e-60", overflow);
    ASSERT_TRUE(tiny.has_value());
    EXPECT_EQ(*tiny, 0.0f);
    EXPECT_FALSE(overflow);
}

TEST(ExtractNonzeroInteger, ReadsTheLeadingInteger) {
    EXPECT_EQ(extract_nonzero_integer("0"), false);
    EXPECT_EQ(extract_nonzero_integer("-00"), false);
    EXPECT_EQ(extract_nonzero_integer("0.9"), false);
    EXPECT_EQ(extract_nonzero_integer("1"), true);
    EXPECT_EQ(extract_nonzero_integer("2"), true);
    EXPECT_EQ(extract_nonzero_integer("-1"), true);
    EXPECT_EQ(extract_nonzero_integer("1abc"), true);
    EXPECT_EQ(extract_nonzero_integer("99999999999999999999"), true);
    EXPECT_EQ(extract_nonzero_integer(""), std::nullopt);
    EXPECT_EQ(extract_nonzero_integer("oui"), std::nullopt);
    EXPECT_EQ(extract_nonzero_integer(".5"), std::nullopt);
}

TEST(BuildGraph, EmptyDescriptionGivesAnEmptyGraphWithAResult) {
    const auto built = build(GraphDescription{});
    EXPECT_EQ(built->graph->vertex_count(), 0);
    EXPECT_TRUE(built->graph->sizes().empty());
    EXPECT_TRUE(built->graph->positions().empty());
    EXPECT_FALSE(built->graph->directed());
    ASSERT_NE(built->graph->result(), nullptr);
    EXPECT_EQ(built->graph->result()->graph, built->graph.get());
}

TEST(BuildGraph, VertexCountAndDefaultsComeFromTheDescription) {
    // Only "0 -> 3": vertices 1 and 2 exist without edges, all take defaults.
    GraphDescription d;
    d.edge_groups.push_back(group({0}, 1, {3}));
    const auto built = build(d);
    const Graph& g = *built->graph;
    ASSERT_EQ(g.vertex_count(), 4);
    EXPECT_FALSE(g.directed());
    EXPECT_EQ(g.sizes(), std::vector<float>(4, 2.0f));
    EXPECT_EQ(g.positions(), std::vector<Vector3>(4));
    EXPECT_EQ(stored_cells(g), (std::vector<std::pair<int, int>>{{0, 3}}));
    EXPECT_EQ(g.cell(0, 3).capacity, 0.1f);
    EXPECT_EQ(g.result()->vertex_count, 4);
}

TEST(BuildGraph, NodeOptionsGiveSizeAndPosition) {
    GraphDescription d;
    d.node_options[3] = {{"name", "Puits"}, {"size", "4.5"}, {"x", "1"}};
    d.node_options[1] = {{"y", "-2.5"}, {"z", "7e1"}};
    const auto built = build(d);
    const Graph& g = *built->graph;
    ASSERT_EQ(g.vertex_count(), 4);
    EXPECT_EQ(g.sizes()[3], 4.5f);
    EXPECT_EQ(g.positions()[3], Vector3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(g.sizes()[1], 2.0f);
    EXPECT_EQ(g.positions()[1], Vector3(0.0f, -2.5f, 70.0f));
}

TEST(BuildGraph, DirectedFlagIsAnyNonZeroInteger) {
    for (const auto& [text, directed] :
         std::vector<std::pair<std::string, bool>>{{"0", false}, {"1", true}, {"2", true}}) {
        GraphDescription d;
        d.global_options["directed"] = text;
        EXPECT_EQ(build(d)->graph->directed(), directed) << text;
    }
}

TEST(BuildGraph, SelfLoopsAreSkippedButTheirVertexCounts) {
    GraphDescription d = directed_description();
    d.edge_groups.push_back(group({2}, 1, {2}));
    const auto built = build(d);
    EXPECT_EQ(built->graph->vertex_count(), 3);
    EXPECT_TRUE(stored_cells(*built->graph).empty());
}

TEST(BuildGraph, EveryPairOfAGroupGetsItsCapacity) {
    GraphDescription d = directed_description();
    d.edge_groups.push_back(group({0, 1}, 1, {1, 2}, {{"cap", "3"}}));
    const auto built = build(d);
    const Graph& g = *built->graph;
    EXPECT_EQ(stored_cells(g), (std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {1, 2}}));
    for (const auto& [u, v] : stored_cells(g)) {
        EXPECT_EQ(g.cell(u, v).capacity, 3.0f);
    }
}

TEST(BuildGraph, ArrowsGiveTheirDirections) {
    GraphDescription back = directed_description();
    back.edge_groups.push_back(group({0}, 3, {1}, {{"cap", "2"}}));
    EXPECT_EQ(stored_cells(*build(back)->graph), (std::vector<std::pair<int, int>>{{1, 0}}));

    GraphDescription both = directed_description();
    both.edge_groups.push_back(group({0}, 2, {1}, {{"cap", "2"}}));
    const auto built = build(both);
    EXPECT_EQ(stored_cells(*built->graph), (std::vector<std::pair<int, int>>{{0, 1}, {1, 0}}));
    EXPECT_EQ(built->graph->cell(1, 0).capacity, 2.0f);

    // Undirected: the edge lives in the cell of its smaller end.
    GraphDescription undirected;
    undirected.edge_groups.push_back(group({1}, 1, {0}, {{"cap", "4"}}));
    const auto u = build(undirected);
    EXPECT_EQ(stored_cells(*u->graph), (std::vector<std::pair<int, int>>{{0, 1}}));
    EXPECT_EQ(u->graph->cell(1, 0).capacity, 4.0f);
}

TEST(BuildGraph, FirstGroupInFileOrderWinsACell) {
    GraphDescription directed = directed_description();
    directed.edge_groups.push_back(group({0}, 1, {1}, {{"cap", "5"}}));
    directed.edge_groups.push_back(group({0}, 1, {1}, {{"cap", "7"}}));
    directed.edge_groups.push_back(group({1}, 3, {0}, {{"cap", "9"}}));
    EXPECT_EQ(build(directed)->graph->cell(0, 1).capacity, 5.0f);

    GraphDescription undirected;
    undirected.edge_groups.push_back(group({0}, 1, {1}, {{"cap", "5"}}));
    undirected.edge_groups.push_back(group({1}, 1, {0}, {{"cap", "7"}}));
    undirected.edge_groups.push_back(group({0}, 2, {1}, {{"cap", "8"}}));
    EXPECT_EQ(build(undirected)->graph->cell(1, 0).capacity, 5.0f);
}

TEST(BuildGraph, CapacityTextsFollowTheExtractionRule) {
    GraphDescription d = directed_description();
    d.edge_groups.push_back(group({0}, 1, {1}, {{"cap", "abc"}}));     // no number: 0
    d.edge_groups.push_back(group({1}, 1, {2}, {{"cap", "12kg"}}));    // number then text
    d.edge_groups.push_back(group({2}, 1, {3}, {{"cap", " 2.5e1"}}));  // leading blank
    const auto built = build(d);
    const Graph& g = *built->graph;
    EXPECT_TRUE(g.cell(0, 1).present);
    EXPECT_EQ(g.cell(0, 1).capacity, 0.0f);
    EXPECT_EQ(g.cell(1, 2).capacity, 12.0f);
    EXPECT_EQ(g.cell(2, 3).capacity, 25.0f);
}

TEST(BuildGraph, OptionsTheBuilderDoesNotReadChangeNothing) {
    GraphDescription plain = directed_description();
    plain.edge_groups.push_back(group({0}, 1, {1}, {{"cap", "3"}}));
    GraphDescription decorated = plain;
    decorated.global_options["force_matrix"] = "1";
    decorated.global_options["force_adj"] = "1";
    decorated.global_options["name"] = "G";
    decorated.edge_groups[0].options = {
        {"cap", "3"}, {"weigth", "9"}, {"length", "4"}, {"style", "x"}, {"name", "e"}};
    const auto a = build(plain);
    const auto b = build(decorated);
    EXPECT_EQ(stored_cells(*a->graph), stored_cells(*b->graph));
    EXPECT_EQ(b->graph->cell(0, 1).capacity, 3.0f);
    EXPECT_EQ(a->graph->sizes(), b->graph->sizes());
}

TEST(BuildGraph, FlowResultIsComputedAndStored) {
    // One arc of capacity 50 carries all of commodity 0: λ = 50 / 250.
    GraphDescription d = directed_description();
    d.edge_groups.push_back(group({0}, 1, {1}, {{"cap", "50"}}));
    d.edge_groups.push_back(group({2}, 1, {3}, {{"cap", "1000"}}));
    d.edge_groups.push_back(group({4}, 1, {5}, {{"cap", "1000"}}));
    const auto built = build(d);
    const FlowResult* result = built->graph->result();
    ASSERT_NE(result, nullptr);
    EXPECT_NEAR(result->maxflow, 0.2, 1e-9);
    EXPECT_NEAR(result->flow[0][0][1], 50.0, 1e-6);
    EXPECT_NE(built->sink.text().find("maxflow = 0.2"), std::string::npos);
}

TEST(BuildGraphRefusals, NegativeVertexNumbers) {
    GraphDescription d;
    d.edge_groups.push_back(group({0}, 3, {-3}));
    const EGraphRefused refusal = refusal_of(d);
    EXPECT_EQ(refusal.reason, EGraphRefused::Reason::negative_vertex);
    EXPECT_EQ(refusal.number, -3);
}

TEST(BuildGraphRefusals, NodeNumberAboveTheIntRange) {
    // The grammar reads "3000000000 : a;" unsigned; it arrives as a negative key.
    GraphDescription d;
    d.node_options[static_cast<int>(3000000000u)] = {{"name", "a"}};
    const EGraphRefused refusal = refusal_of(d);
    EXPECT_EQ(refusal.reason, EGraphRefused::Reason::node_number_too_large);
    EXPECT_EQ(refusal.written, "3000000000");
}

TEST(BuildGraphRefusals, TooManyVerticesIsRefusedAtOnce) {
    GraphDescription d;
    d.edge_groups.push_back(group({0}, 1, {99999999}));
    const auto start = std::chrono::steady_clock::now();
    const EGraphRefused refusal = refusal_of(d);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(refusal.reason, EGraphRefused::Reason::too_many_vertices);
    EXPECT_EQ(refusal.number, 100000000);
    // No node entry was made for the vertices either.
    EXPECT_TRUE(d.node_options.empty());

    GraphDescription largest;
    largest.edge_groups.push_back(group({0}, 1, {std::numeric_limits<int>::max()}));
    EXPECT_EQ(refusal_of(largest).number, std::int64_t{1} << 31);

    GraphDescription at_limit;
    at_limit.node_options[max_vertex_count] = {};
    EXPECT_EQ(refusal_of(at_limit).number, max_vertex_count + 1);
}

TEST(BuildGraphRefusals, TooManyArcsBeforeTheProgramIsSolved) {
    // The complete directed graph on 121 vertices has 121 × 120 arcs, over the
    // budget; so has the undirected one, each edge counting both ways.
    std::vector<int> all(121);
    std::iota(all.begin(), all.end(), 0);
    for (const char* directed : {"1", "0"}) {
        GraphDescription d;
        d.global_options["directed"] = directed;
        d.edge_groups.push_back(group(all, 1, all));
        const EGraphRefused refusal = refusal_of(d);
        EXPECT_EQ(refusal.reason, EGraphRefused::Reason::too_many_arcs);
        EXPECT_EQ(refusal.number, 121 * 120);
    }
    static_assert(120 * 119 <= max_arc_count, "complete graphs on 120 vertices load");
}

TEST(BuildGraphRefusals, NodeOptionsWithoutANumber) {
    GraphDescription d;
    d.node_options[2] = {{"size", "grand"}};
    EGraphRefused refusal = refusal_of(d);
    EXPECT_EQ(refusal.reason, EGraphRefused::Reason::not_a_number);
    EXPECT_EQ(refusal.option, "size");
    EXPECT_EQ(refusal.text, "grand");
    EXPECT_EQ(refusal.vertex, 2);

    GraphDescription z;
    z.node_options[0] = {{"z", "-"}};
    refusal = refusal_of(z);
    EXPECT_EQ(refusal.option, "z");
    EXPECT_EQ(refusal.vertex, 0);
}

TEST(BuildGraphRefusals, DirectedWithoutAnInteger) {
    GraphDescription d;
    d.global_options["directed"] = "oui";
    const EGraphRefused refusal = refusal_of(d);
    EXPECT_EQ(refusal.reason, EGraphRefused::Reason::not_an_integer);
    EXPECT_EQ(refusal.option, "directed");
    EXPECT_EQ(refusal.text, "oui");
    EXPECT_EQ(refusal.vertex, -1);
}

TEST(BuildGraphRefusals, NumbersThatOverflowAFloat) {
    GraphDescription node;
    node.node_options[1] = {{"x", "1e39"}};
    EGraphRefused refusal = refusal_of(node);
    EXPECT_EQ(refusal.reason, EGraphRefused::Reason::float_overflow);
    EXPECT_EQ(refusal.option, "x");
    EXPECT_EQ(refusal.vertex, 1);

    GraphDescription edge;
    edge.edge_groups.push_back(group({0}, 1, {1}));
    edge.edge_groups.push_back(group({1}, 1, {2}, {{"cap", "-2e40"}}));
    refusal = refusal_of(edge);
    EXPECT_EQ(refusal.reason, EGraphRefused::Reason::float_overflow);
    EXPECT_EQ(refusal.option, "cap");
    EXPECT_EQ(refusal.text, "-2e40");
    EXPECT_EQ(refusal.group, 2);
    EXPECT_EQ(refusal.vertex, -1);
}
