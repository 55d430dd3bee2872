#include "grformat/gram_graph.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Parses `text` into a fresh grammar; unknown-key errors propagate.
struct Parsed {
    gram_graph grammar;
    ParseResult result;
    explicit Parsed(const std::string& text) { result = parse_graph_text(text, grammar); }
    const GraphDescription& d() const { return grammar.description; }
};

bool accepted(const std::string& text) {
    gram_graph grammar;
    return parse_graph_text(text, grammar).full;
}

using Ints = std::vector<int>;

}  // namespace

TEST(ParserAcceptance, AcceptsTheReferenceExample) {
    const Parsed p(
        "name = Petit exemple;\n"
        "directed = 1;\n"
        "0 : Source [size = 3];\n"
        "1 : ;\n"
        "2 : Puits [x = 1.5, y = -2];\n"
        "0 -> 1, 2 [cap = 10];\n"
        "1 <-> 2 [cap = 2.5, length = 4];\n"
        "2 <- 0;");
    ASSERT_TRUE(p.result.full);
    EXPECT_TRUE(p.result.matched);

    const GraphDescription& d = p.d();
    EXPECT_EQ(d.global_options, (OptionMap{{"name", "Petit exemple"}, {"directed", "1"}}));
    ASSERT_EQ(d.node_options.size(), 3u);
    EXPECT_EQ(d.node_options.at(0), (OptionMap{{"name", "Source"}, {"size", "3"}}));
    EXPECT_EQ(d.node_options.at(1), (OptionMap{{"name", "1"}}));
    EXPECT_EQ(d.node_options.at(2), (OptionMap{{"name", "Puits"}, {"x", "1.5"}, {"y", "-2"}}));

    ASSERT_EQ(d.edge_groups.size(), 3u);
    EXPECT_EQ(d.edge_groups[0].sources, Ints{0});
    EXPECT_EQ(d.edge_groups[0].targets, (Ints{1, 2}));
    EXPECT_EQ(d.edge_groups[0].direction, 1);
    EXPECT_EQ(d.edge_groups[0].options, (OptionMap{{"cap", "10"}}));
    EXPECT_EQ(d.edge_groups[1].sources, Ints{1});
    EXPECT_EQ(d.edge_groups[1].targets, Ints{2});
    EXPECT_EQ(d.edge_groups[1].direction, 2);
    EXPECT_EQ(d.edge_groups[1].options, (OptionMap{{"cap", "2.5"}, {"length", "4"}}));
    EXPECT_EQ(d.edge_groups[2].sources, Ints{2});
    EXPECT_EQ(d.edge_groups[2].targets, Ints{0});
    EXPECT_EQ(d.edge_groups[2].direction, 3);
    EXPECT_TRUE(d.edge_groups[2].options.empty());
}

TEST(ParserAcceptance, EmptyOrWhitespaceOnlyTextIsAnEmptyDescription) {
    for (const std::string text : {"", " ", "\n\t \r\n\v\f"}) {
        const Parsed p(text);
        EXPECT_TRUE(p.result.full) << '"' << text << '"';
        EXPECT_TRUE(p.d().global_options.empty());
        EXPECT_TRUE(p.d().node_options.empty());
        EXPECT_TRUE(p.d().edge_groups.empty());
    }
}

TEST(ParserAcceptance, TextMustEndDirectlyAfterItsLastStatement) {
    EXPECT_TRUE(accepted("0 -> 1;"));
    EXPECT_FALSE(accepted("0 -> 1;\n"));
    EXPECT_FALSE(accepted("0 -> 1; "));
    EXPECT_TRUE(accepted("\n\n  0 -> 1;"));  // leading whitespace is fine
    EXPECT_FALSE(accepted("0 -> 1"));
    EXPECT_FALSE(accepted("directed = 1; "));
}

TEST(ParserAcceptance, ArrowsAndNumbersAreContiguousTokens) {
    EXPECT_TRUE(accepted("0->1;"));
    EXPECT_TRUE(accepted("0 <-> 1;"));
    EXPECT_TRUE(accepted("0<-1;"));
    EXPECT_FALSE(accepted("0 - > 1;"));
    EXPECT_FALSE(accepted("0 < - 1;"));
    EXPECT_FALSE(accepted("1 0 -> 1;"));  // no whitespace inside a number
    EXPECT_FALSE(accepted("0 -> - 3;"));  // the sign sticks to its digits
    EXPECT_TRUE(accepted("0 -> +3;"));
}

TEST(ParserAcceptance, SectionsComeInFixedOrder) {
    EXPECT_TRUE(accepted("directed = 1; 0 : a; 0 -> 1;"));
    EXPECT_FALSE(accepted("0 : a; directed = 1;"));
    EXPECT_FALSE(accepted("0 -> 1; 0 : a;"));
    EXPECT_FALSE(accepted("0 -> 1; name = x;"));
}

TEST(ParserAcceptance, ValuesAreLimitedToTheirCharacterClass) {
    EXPECT_FALSE(accepted("name = For\xc3\xaat;"));
    EXPECT_FALSE(accepted("name = For\xeat;"));  // the same in an 8-bit code page
    EXPECT_TRUE(accepted("0 -> 1 [cap = 1e-005];"));
    EXPECT_FALSE(accepted("0 -> 1 [cap = 1e+006];"));
    EXPECT_FALSE(accepted("name = \"quoted\";"));
    EXPECT_FALSE(accepted("name = ;"));
}

TEST(ParserAcceptance, NodeStatementShapes) {
    EXPECT_TRUE(accepted("3 : [];"));
    EXPECT_FALSE(accepted("0 : A [size = 2,];"));
    EXPECT_FALSE(accepted("-1 : a;"));
    EXPECT_FALSE(accepted("+1 : a;"));
    EXPECT_FALSE(accepted("0 : a [size = 2]"));
    EXPECT_FALSE(accepted("0 : a [size];"));
}

TEST(ParserAcceptance, NumbersThatDoNotFitTheirTypeDoNotMatch) {
    EXPECT_TRUE(accepted("4294967295 : a;"));  // largest unsigned 32-bit node number
    EXPECT_FALSE(accepted("4294967296 : a;"));
    EXPECT_TRUE(accepted("0 -> 2147483647;"));
    EXPECT_TRUE(accepted("0 -> -2147483648;"));
    EXPECT_FALSE(accepted("0 -> 2147483648;"));
    EXPECT_FALSE(accepted("0 -> -2147483649;"));
}

TEST(ParserAcceptance, NulByteRejectsTheText) {
    // Nothing after a NUL may be silently dropped: the text is not fully matched.
    const std::string with_nul("0 -> 1;\0garbage", 15);
    EXPECT_FALSE(accepted(with_nul));
    const std::string trailing_nul("0 -> 1;\0", 8);
    EXPECT_FALSE(accepted(trailing_nul));
}

TEST(ParserRecording, KeysValuesAndNamesKeepInnerWhitespace) {
    EXPECT_EQ(Parsed("name = Mon graphe;").d().global_options.at("name"), "Mon graphe");
    EXPECT_EQ(Parsed("name =   Mon   ;").d().global_options.at("name"), "Mon");
    EXPECT_EQ(Parsed("name = a\n\tb;").d().global_options.at("name"), "a\n\tb");
    EXPECT_EQ(Parsed("1 : Ville A;").d().node_options.at(1).at("name"), "Ville A");
    // Whitespace inside a key makes it a key no scope accepts.
    try {
        Parsed("na me = x;");
        FAIL() << "expected EUnknownOption";
    } catch (const EUnknownOption& e) {
        EXPECT_EQ(e.option, "na me");
    }
}

TEST(ParserRecording, NodeNamesFollowTheStatementOrder) {
    // A statement without a name resets the name to the number's text.
    const Parsed reset("1 : A; 1 : [size = 2];");
    ASSERT_TRUE(reset.result.full);
    EXPECT_EQ(reset.d().node_options.at(1), (OptionMap{{"name", "1"}, {"size", "2"}}));
    // A bracketed "name" overrides the name given before the brackets.
    EXPECT_EQ(Parsed("1 : A [name = B];").d().node_options.at(1).at("name"), "B");
    EXPECT_EQ(Parsed("3 : [];").d().node_options.at(3), (OptionMap{{"name", "3"}}));
    EXPECT_EQ(Parsed("007 : ;").d().node_options.at(7).at("name"), "7");
}

TEST(ParserRecording, EdgeListsKeepOrderRepeatsAndSigns) {
    const Parsed p("0, 0 -> 1; 0 <- -3; 5,4 <-> 4,5 [cap = 1, cap = 2];");
    ASSERT_TRUE(p.result.full);
    const auto& g = p.d().edge_groups;
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g[0].sources, (Ints{0, 0}));
    EXPECT_EQ(g[1].targets, Ints{-3});
    EXPECT_EQ(g[1].direction, 3);
    EXPECT_EQ(g[2].sources, (Ints{5, 4}));
    EXPECT_EQ(g[2].targets, (Ints{4, 5}));
    EXPECT_EQ(g[2].direction, 2);
    // A repeated key keeps the later value.
    EXPECT_EQ(g[2].options, (OptionMap{{"cap", "2"}}));
}

TEST(ParserRecording, OptionsOfOneEdgeStatementDoNotLeakIntoTheNext) {
    const Parsed p("0 -> 1 [cap = 3, style = x]; 1 -> 2;");
    ASSERT_EQ(p.d().edge_groups.size(), 2u);
    EXPECT_TRUE(p.d().edge_groups[1].options.empty());
}

TEST(ParserRecording, RejectedTextKeepsWhatWasRecordedBeforeTheFailure) {
    // The node name is recorded as soon as it is read, before the missing ";".
    const Parsed p("0 : Alpha [size = 4]");
    EXPECT_FALSE(p.result.full);
    EXPECT_EQ(p.d().node_options.at(0), (OptionMap{{"name", "Alpha"}, {"size", "4"}}));
    // A global option is recorded only once its ";" has matched.
    const Parsed q("name = x");
    EXPECT_TRUE(q.d().global_options.empty());
    // An edge group is appended only after its ";".
    const Parsed r("0 -> 1 [cap = 2]");
    EXPECT_TRUE(r.d().edge_groups.empty());
}

TEST(ParserErrors, UnknownKeysThrowTheirScopesError) {
    try {
        Parsed("foo = 1;");
        FAIL();
    } catch (const EUnknownOption& e) {
        EXPECT_EQ(e.option, "foo");
        EXPECT_EQ(e.scope_name(), "Global");
    }
    try {
        Parsed("0 : a [SIZE = 2];");
        FAIL();
    } catch (const EUnknownOption& e) {
        EXPECT_EQ(e.option, "SIZE");
        EXPECT_EQ(e.scope_name(), "Node");
        EXPECT_NE(dynamic_cast<const EUnknownNodeOption*>(&e), nullptr);
    }
    try {
        Parsed("0 -> 1 [weight = 2];");
        FAIL();
    } catch (const EUnknownOption& e) {
        EXPECT_EQ(e.option, "weight");
        EXPECT_EQ(e.scope_name(), "Edge");
        EXPECT_NE(dynamic_cast<const EUnknownEdgeOption*>(&e), nullptr);
    }
}

TEST(ParserErrors, UnknownKeysThrowEvenWhenTheStatementFailsLater) {
    // Node and edge options are tested as soon as their value has matched.
    EXPECT_THROW(Parsed("0 : a [colour = red"), EUnknownNodeOption);
    EXPECT_THROW(Parsed("0 -> 1 [colour = red"), EUnknownEdgeOption);
    // A global option is tested after its ";": without it nothing is thrown.
    EXPECT_NO_THROW(Parsed("colour = red"));
    // Coordinates are node options only.
    EXPECT_THROW(Parsed("0 -> 1 [x = 1];"), EUnknownEdgeOption);
    EXPECT_THROW(Parsed("x = 1;"), EUnknownOption);
}
