#include "grformat/graph_description.h"

#include <gtest/gtest.h>

#include <climits>

TEST(OptionVocabulary, ScopesAcceptExactlyTheirKeys) {
    for (const char* key : {"name", "directed", "force_matrix", "force_adj"}) {
        EXPECT_TRUE(is_global_option_key(key)) << key;
    }
    for (const char* key : {"name", "size", "x", "y", "z"}) {
        EXPECT_TRUE(is_node_option_key(key)) << key;
    }
    for (const char* key : {"name", "weigth", "cap", "length", "style"}) {
        EXPECT_TRUE(is_edge_option_key(key)) << key;
    }
    for (const char* key : {"x", "y", "z"}) {
        EXPECT_FALSE(is_global_option_key(key));
        EXPECT_FALSE(is_edge_option_key(key));
    }
    EXPECT_FALSE(is_node_option_key("SIZE"));
    EXPECT_FALSE(is_edge_option_key("weight"));
    EXPECT_FALSE(is_global_option_key("name "));
    EXPECT_FALSE(is_global_option_key(""));
}

TEST(OptionVocabulary, Defaults) {
    EXPECT_EQ(option_default("name"), "");
    EXPECT_EQ(option_default("directed"), "0");
    EXPECT_EQ(option_default("force_adj"), "0");
    EXPECT_EQ(option_default("size"), "2");
    EXPECT_EQ(option_default("weigth"), "1");
    EXPECT_EQ(option_default("cap"), ".1");
    EXPECT_EQ(option_default("z"), "0");
    EXPECT_EQ(option_default("anything"), "");
}

TEST(DescriptionQueries, GlobalOptionFallsBackToItsDefault) {
    GraphDescription d;
    add_option_impl()(d.global_options, "directed", "1");
    add_option_impl()(d.global_options, "directed", "0");  // the later value stays
    EXPECT_EQ(get_global_option(d, "directed"), "0");
    EXPECT_EQ(get_global_option(d, "force_matrix"), "0");
    try {
        get_global_option(d, "size");
        FAIL();
    } catch (const EUnknownOption& e) {
        EXPECT_EQ(e.option, "size");
        EXPECT_EQ(e.scope_name(), "Global");
    }
}

TEST(DescriptionQueries, NodeOptionCreatesAnEmptyEntry) {
    GraphDescription d;
    add_node_option_impl()(d.node_options, 2, "size", "5");
    EXPECT_EQ(get_node_option(d, "size", 2), "5");
    EXPECT_EQ(get_node_option(d, "size", 1), "2");
    ASSERT_EQ(d.node_options.count(1), 1u);
    EXPECT_TRUE(d.node_options.at(1).empty());
    // The created entry does not raise the count beyond the largest number.
    EXPECT_EQ(node_count(d), 3);
    get_node_option(d, "x", 9);
    EXPECT_EQ(node_count(d), 10);
    EXPECT_THROW(get_node_option(d, "cap", 0), EUnknownNodeOption);
}

TEST(DescriptionQueries, NodeCountTakesTheLargestNumberAnywhere) {
    GraphDescription d;
    EXPECT_EQ(node_count(d), 0);
    d.edge_groups.push_back({{0}, {5}, 1, {}});
    EXPECT_EQ(node_count(d), 6);
    EXPECT_TRUE(d.node_options.empty());
    d.edge_groups.push_back({{-7, 2}, {-1}, 3, {}});
    EXPECT_EQ(node_count(d), 6);  // negatives never raise it

    GraphDescription only_negative;
    only_negative.edge_groups.push_back({{-3}, {-4}, 1, {}});
    EXPECT_EQ(node_count(only_negative), 0);

    // The largest int does not overflow the count.
    GraphDescription huge;
    huge.edge_groups.push_back({{0}, {INT_MAX}, 1, {}});
    EXPECT_EQ(node_count(huge), static_cast<std::int64_t>(INT_MAX) + 1);
}

TEST(RecordingOperations, ValidateKeysAndBuildValues) {
    OptionMap m;
    m = add_map_value_impl()(m, "cap", "3");
    m = add_map_value_impl()(m, "cap", "4");
    EXPECT_EQ(m, (OptionMap{{"cap", "4"}}));
    EXPECT_THROW(add_map_value_impl()(m, "size", "1"), EUnknownEdgeOption);
    EXPECT_THROW(add_option_impl()(m, "cap", "1"), EUnknownOption);

    std::vector<int> list;
    append_liste_impl()(list, 3);
    append_liste_impl()(list, 3);
    append_liste_impl()(list, -1);
    EXPECT_EQ(list, (std::vector<int>{3, 3, -1}));

    EXPECT_EQ(string_of_int_impl()(0), "0");
    EXPECT_EQ(string_of_int_impl()(-42), "-42");
    EXPECT_EQ(string_of_int_impl()(INT_MIN), "-2147483648");
}

TEST(UnknownOptionErrors, AreNotStandardExceptions) {
    static_assert(!std::is_base_of_v<std::exception, EUnknownOption>);
    // Caught by reference to the base, they keep their scope.
    try {
        throw EUnknownEdgeOption("k");
    } catch (const EUnknownOption& e) {
        EXPECT_EQ(e.scope_name(), "Edge");
        EXPECT_EQ(e.option, "k");
    }
}
