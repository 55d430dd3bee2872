#include "builder/graph_builder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <numeric>
#include <string>
#include <variant>
#include <vector>

namespace {

EdgeGroup group(std::vector<int> sources, int direction, std::vector<int> targets,
                OptionMap options = {}) {
    return EdgeGroup{std::move(sources), std::move(targets), direction, std::move(options)};
}

BuiltGraph build(GraphDescription description) {
    return build_graph(description);
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
    try {
        build_graph(description);
    } catch (const EGraphRefused& refusal) {
        return refusal;
    }
    ADD_FAILURE() << "the description was not refused";
    return EGraphRefused(EGraphRefused::Reason::too_many_vertices);
}

}  // namespace

TEST(ExtractFloat, ReadsTheLongestNumericPrefix) {
    struct Case {
        const char* text;
        std::variant<float, NumberError> expected;
    };
    const NumberError none = NumberError::not_a_number;
    const Case cases[] = {
        {"2", 2.0f},
        {".1", 0.1f},
        {"  -1.5e2xyz", -150.0f},
        {"3abc", 3.0f},
        {"1.", 1.0f},
        {"+4", 4.0f},
        // An exponent without digits is not part of the number.
        {"2e", 2.0f},
        {"2e-x", 2.0f},
        {"1e-005", 1e-5f},

        {"3.4e38", 3.4e38f},
        // Too small for a float: rounds to 0 without an error.
        {"1e-60", 0.0f},
        {"", none},
        {"abc", none},
        {"-", none},
        {".", none},
        {"-.e5", none},
        // What other readers take for an infinity, a NaN or a hexadecimal
        // float is told apart.
        {"inf", NumberError::not_decimal},
        {"-Infinity", NumberError::not_decimal},
        {"NaN", NumberError::not_decimal},
        {" +nan_1", NumberError::not_decimal},
        {"INF", NumberError::not_decimal},
        {"0x10", NumberError::not_decimal},
        {"-0X1.8p1", NumberError::not_decimal},
        {"0x", NumberError::not_decimal},
        {"in", none},
        {"na", none},
        {"0", 0.0f},
        {"e5", none},
        {"_1", none},
        {"1e39", NumberError::overflow},
        {"-1e39", NumberError::overflow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        const Expected<float, NumberError> read = extract_float(c.text);
        if (const float* value = std::get_if<float>(&c.expected)) {
            ASSERT_TRUE(read.has_value());
            EXPECT_EQ(*read, *value);
        } else {
            ASSERT_FALSE(read.has_value());
            EXPECT_EQ(read.error(), std::get<NumberError>(c.expected));
        }
    }
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

TEST(BuildGraph, EmptyDescriptionGivesAnEmptyGraph) {
    const BuiltGraph built = build(GraphDescription{});
    EXPECT_EQ(built.graph.vertex_count(), 0);
    EXPECT_TRUE(built.graph.sizes().empty());
    EXPECT_TRUE(built.graph.positions().empty());
    EXPECT_FALSE(built.graph.directed());
}

TEST(BuildGraph, VertexCountAndDefaultsComeFromTheDescription) {
    // Only "0 -> 3": vertices 1 and 2 exist without edges, all take defaults.
    GraphDescription d;
    d.edge_groups.push_back(group({0}, 1, {3}));
    const BuiltGraph built = build(d);
    const Graph& g = built.graph;
    ASSERT_EQ(g.vertex_count(), 4);
    EXPECT_FALSE(g.directed());
    EXPECT_EQ(g.sizes(), std::vector<float>(4, 2.0f));
    EXPECT_EQ(g.positions(), std::vector<Vector3>(4));
    EXPECT_EQ(stored_cells(g), (std::vector<std::pair<int, int>>{{0, 3}}));
    EXPECT_EQ(g.cell(0, 3).capacity, 0.1f);
}

TEST(BuildGraph, NodeOptionsGiveSizePositionAndName) {
    GraphDescription d;
    d.node_options[3] = {{"name", "Puits"}, {"size", "4.5"}, {"x", "1"}};
    d.node_options[1] = {{"y", "-2.5"}, {"z", "7e1"}};
    const BuiltGraph built = build(d);
    const Graph& g = built.graph;
    ASSERT_EQ(g.vertex_count(), 4);
    EXPECT_EQ(g.sizes()[3], 4.5f);
    EXPECT_EQ(g.positions()[3], Vector3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(g.sizes()[1], 2.0f);
    EXPECT_EQ(g.positions()[1], Vector3(0.0f, -2.5f, 70.0f));
    // A vertex that no node statement names has an empty name.
    EXPECT_EQ(built.names, (std::vector<std::string>{"", "", "", "Puits"}));
}

TEST(BuildGraph, SelfLoopsAreSkippedButTheirVertexCounts) {
    GraphDescription d = directed_description();
    d.edge_groups.push_back(group({2}, 1, {2}));
    const BuiltGraph built = build(d);
    EXPECT_EQ(built.graph.vertex_count(), 3);
    EXPECT_TRUE(stored_cells(built.graph).empty());
}

TEST(BuildGraph, EveryPairOfAGroupGetsItsCapacity) {
    GraphDescription d = directed_description();
    d.edge_groups.push_back(group({0, 1}, 1, {1, 2}, {{"cap", "3"}}));
    const BuiltGraph built = build(d);
    const Graph& g = built.graph;
    EXPECT_EQ(stored_cells(g), (std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {1, 2}}));
    for (const auto& [u, v] : stored_cells(g)) {
        EXPECT_EQ(g.cell(u, v).capacity, 3.0f);
    }
}

TEST(BuildGraph, ArrowsGiveTheirDirections) {
    GraphDescription back = directed_description();
    back.edge_groups.push_back(group({0}, 3, {1}, {{"cap", "2"}}));
    EXPECT_EQ(stored_cells(build(back).graph), (std::vector<std::pair<int, int>>{{1, 0}}));

    GraphDescription both = directed_description();
    both.edge_groups.push_back(group({0}, 2, {1}, {{"cap", "2"}}));
    const BuiltGraph built = build(both);
    EXPECT_EQ(stored_cells(built.graph), (std::vector<std::pair<int, int>>{{0, 1}, {1, 0}}));
    EXPECT_EQ(built.graph.cell(1, 0).capacity, 2.0f);

    // Undirected: the edge lives in the cell of its smaller end.
    GraphDescription undirected;
    undirected.edge_groups.push_back(group({1}, 1, {0}, {{"cap", "4"}}));
    const BuiltGraph u = build(undirected);
    EXPECT_EQ(stored_cells(u.graph), (std::vector<std::pair<int, int>>{{0, 1}}));
    EXPECT_EQ(u.graph.cell(1, 0).capacity, 4.0f);
}

TEST(BuildGraph, FirstGroupInFileOrderWinsACell) {
    GraphDescription directed = directed_description();
    directed.edge_groups.push_back(group({0}, 1, {1}, {{"cap", "5"}}));
    directed.edge_groups.push_back(group({0}, 1, {1}, {{"cap", "7"}}));
    directed.edge_groups.push_back(group({1}, 3, {0}, {{"cap", "9"}}));
    EXPECT_EQ(build(directed).graph.cell(0, 1).capacity, 5.0f);

    GraphDescription undirected;
    undirected.edge_groups.push_back(group({0}, 1, {1}, {{"cap", "5"}}));
    undirected.edge_groups.push_back(group({1}, 1, {0}, {{"cap", "7"}}));
    undirected.edge_groups.push_back(group({0}, 2, {1}, {{"cap", "8"}}));
    EXPECT_EQ(build(undirected).graph.cell(1, 0).capacity, 5.0f);
}

TEST(BuildGraph, CapacityWithoutANumberOrBelowAFloatsRangeIsZero) {
    GraphDescription d = directed_description();
    d.edge_groups.push_back(group({0}, 1, {1}, {{"cap", "abc"}}));
    // Minus zero, and a negative number too small for a float, are zero, not
    // negative capacities.
    d.edge_groups.push_back(group({1}, 1, {2}, {{"cap", "-0"}}));
    d.edge_groups.push_back(group({2}, 1, {3}, {{"cap", "-1e-50"}}));
    const BuiltGraph built = build(d);
    const Graph& g = built.graph;
    EXPECT_EQ(stored_cells(g), (std::vector<std::pair<int, int>>{{0, 1}, {1, 2}, {2, 3}}));
    for (const auto& [u, v] : stored_cells(g)) {
        EXPECT_EQ(g.cell(u, v).capacity, 0.0f);
    }
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
    const BuiltGraph a = build(plain);
    const BuiltGraph b = build(decorated);
    EXPECT_EQ(stored_cells(a.graph), stored_cells(b.graph));
    EXPECT_EQ(b.graph.cell(0, 1).capacity, 3.0f);
    EXPECT_EQ(a.graph.sizes(), b.graph.sizes());
}

TEST(BuildGraph, RepeatedNumbersInLongListsDoNotMakeTheBuildQuadratic) {
    // Regression: 200000 × 200000 pairs that name one cell, 800 KB of text,
    // once kept the builder busy for hours.
    GraphDescription d = directed_description();
    d.edge_groups.push_back(
        group(std::vector<int>(200000, 0), 2, std::vector<int>(200000, 1), {{"cap", "4"}}));
    d.edge_groups.push_back(group({2, 2, 3, 2}, 1, {4, 5, 4, 4, 5}));
    const auto start = std::chrono::steady_clock::now();
    const BuiltGraph built = build(d);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    // Repeats change nothing in what is stored.
    EXPECT_EQ(stored_cells(built.graph),
              (std::vector<std::pair<int, int>>{{0, 1}, {1, 0}, {2, 4}, {2, 5}, {3, 4}, {3, 5}}));
    EXPECT_EQ(built.graph.cell(1, 0).capacity, 4.0f);
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

TEST(BuildGraphRefusals, CapacitiesThatAreNotDecimalNumbers) {
    for (const char* text : {"nan", "inf", "-INFINITY", "0x1p3"}) {
        GraphDescription d = directed_description();
        d.edge_groups.push_back(group({0}, 1, {1}));
        d.edge_groups.push_back(group({1}, 1, {2}, {{"cap", text}}));
        const EGraphRefused refusal = refusal_of(d);
        EXPECT_EQ(refusal.reason, EGraphRefused::Reason::not_a_number) << text;
        EXPECT_EQ(refusal.option, "cap");
        EXPECT_EQ(refusal.text, text);
        EXPECT_EQ(refusal.group, 2);
    }
    // A node option reads them as no number, as it reads "abc".
    GraphDescription node;
    node.node_options[0] = {{"x", "0x10"}};
    EXPECT_EQ(refusal_of(node).reason, EGraphRefused::Reason::not_a_number);
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

TEST(BuildGraphRefusals, NegativeCapacity) {
    // Regression: a negative capacity made the program infeasible and the
    // cut's ratio negative, printed as if it were a result.
    GraphDescription d;
    d.edge_groups.push_back(group({0}, 1, {1}, {{"cap", "3"}}));
    d.edge_groups.push_back(group({2}, 1, {3}, {{"cap", "-5kg"}}));
    const EGraphRefused refusal = refusal_of(d);
    EXPECT_EQ(refusal.reason, EGraphRefused::Reason::negative_capacity);
    EXPECT_EQ(refusal.option, "cap");
    EXPECT_EQ(refusal.text, "-5kg");
    EXPECT_EQ(refusal.group, 2);
}
