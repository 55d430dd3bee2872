#include "shell/pipeline.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <sstream>
#include <string>

#include "graph/commodities.h"
#include "graph/demand_set.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/test_stage.h"
#include "tests/support/text_lines.h"

namespace {

// The stages from read to place on `text`, given through a pipe.
Expected<LoadProduct, LoadFailure> run_on(const std::string& text, const StageContext& context) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    EXPECT_EQ(write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fds[1]);
    Expected<LoadProduct, LoadFailure> product = run_load_pipeline(fds[0], parse_gr, context);
    close(fds[0]);
    return product;
}

// Commodity 0 must cross the arc 0 → 6 of capacity 50 and the other
// commodities have plenty of room: λ = 50 / 250.
const std::string bottleneck_text =
    "directed = 1; 0 -> 6 [cap = 50]; 6 -> 1 [cap = 1000]; 2 -> 3 [cap = 1000]; "
    "4 -> 5 [cap = 1000];";
Graph bottleneck_graph() {
    return make_graph(7, {{0, 6, 50.0f}, {6, 1, 1000.0f}, {2, 3, 1000.0f}, {4, 5, 1000.0f}}, true);
}

}  // namespace

TEST(Pipeline, QuietConsoleShowsTimersAndResultOnly) {
    TestStage stage;
    const Expected<LoadProduct, LoadFailure> product = run_on(bottleneck_text, stage.context());
    ASSERT_TRUE(product.has_value());
    const CutResult& cut = product->computed.result.cut;
    ASSERT_TRUE(cut.found);
    std::ostringstream members;
    const char* separator = "";
    for (int v : cut.vertices) {
        members << separator << v;
        separator = ", ";
    }
    std::ostringstream ratio;
    ratio << cut.ratio;
    EXPECT_EQ(stage.text(),
              "** TIMER : Fichier .gr lu avec succès -> 0 s.\n\n"
              "\n"
              "** TIMER : Problème LP formulé -> 0 s.\n\n"
              "** TIMER : Problème LP résolu -> 0 s.\n\n"
              "** TIMER : Plongement trouvé -> 0 s.\n\n"
              "** TIMER : MinCut trouvée -> 0 s.\n\n"
              "****************************\n"
              "maxflow = 0.2\n"
              "mincut = " +
                  ratio.str() +
                  "\n"
                  "Eléments de la mincut :\n"
                  "{" +
                  members.str() +
                  "}\n\n"
                  "** TIMER : Places aléatoires générées -> 0 s.\n\n");
}

// Once cancelled, the load ends with the stage it was in: cancelled as soon
// as the flow program is formulated, it writes how the solve ended and
// nothing after.
TEST(Pipeline, ACancelledLoadStopsInTheStageItWasIn) {
    struct CancellingSink : StringSink {
        void append(std::string_view text) override {
            StringSink::append(text);
            cancel = cancel || text.find("Problème LP formulé") != std::string_view::npos;
        }
        std::atomic<bool> cancel{false};
    } sink;
    ConsoleLog log(sink, [] { return std::int64_t{0}; });
    RandomSource random(1);
    StageContext context{log, random};
    context.cancel = &sink.cancel;
    const Expected<LoadProduct, LoadFailure> product = run_on(bottleneck_text, context);
    ASSERT_FALSE(product.has_value());
    EXPECT_EQ(product.error().outcome, LoadOutcome::cancelled);
    const std::string ending =
        "** TIMER : Problème LP résolu -> 0 s.\n\n"
        "** Le programme linéaire n'a pas de solution optimale (statut lp_solve : -102, "
        "CANCELLED).\n";
    ASSERT_GE(sink.text().size(), ending.size());
    EXPECT_EQ(sink.text().substr(sink.text().size() - ending.size()), ending);
}

TEST(Pipeline, VerboseFlowStageListsCapacitiesAndFlows) {
    const int n = 7;
    TestStage stage;
    const Graph graph = bottleneck_graph();
    const FlowResult result = flow_stage(graph, DemandSet::default_set(n), stage.context(true));
    const auto lines = lines_of(stage.text());

    // One capacity line per vertex comes first.
    EXPECT_EQ(lines[0],
              "(0,0) = 0 ; (0,1) = 0 ; (0,2) = 0 ; (0,3) = 0 ; (0,4) = 0 ; (0,5) = 0 ; "
              "(0,6) = 50 ; ");
    EXPECT_EQ(lines[6],
              "(6,0) = 0 ; (6,1) = 1000 ; (6,2) = 0 ; (6,3) = 0 ; (6,4) = 0 ; "
              "(6,5) = 0 ; (6,6) = 0 ; ");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8], "** TIMER : Problème LP formulé -> 0 s.");
    EXPECT_EQ(lines[10], "** TIMER : Problème LP résolu -> 0 s.");
    // Then the flow listing: n lines per commodity, an empty line after each.
    const int listing = 12;
    for (int w = 0; w < commodity_count; ++w) {
        for (int u = 0; u < n; ++u) {
            std::ostringstream expected;
            for (int v = 0; v < n; ++v) {
                const int a = graph.arcs().find(u, v);
                expected << "x_{" << u << "," << v << "}^" << w << " = "
                         << (a < 0 ? 0.0 : result.arc_flow(w, a)) << "\t";
            }
            EXPECT_EQ(lines[listing + w * (n + 1) + u], expected.str());
        }
        EXPECT_EQ(lines[listing + w * (n + 1) + n], "");
    }
    EXPECT_NE(lines[listing + 0 * (n + 1) + 0].find("x_{0,6}^0 = 50\t"), std::string::npos);
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(listing + commodity_count * (n + 1) + 1));
}

TEST(Pipeline, AStatusLineSaysHowASolveWithoutItsOptimumEnded) {
    // A negative capacity cannot be met by non-negative flows.
    const Graph graph = make_graph(6, {{0, 1, -5.0f}, {2, 3, 10.0f}, {4, 5, 10.0f}}, true);
    TestStage stage;
    flow_stage(graph, DemandSet::default_set(6), stage.context());
    EXPECT_EQ(lines_of(stage.text()).back(),
              "** Le programme linéaire n'a pas de solution optimale (statut lp_solve : 2, "
              "INFEASIBLE).");
}

TEST(Pipeline, EmbedStageWritesItsTimerThenWhenVerboseItsTable) {
    const Graph graph = bottleneck_graph();
    TestStage quiet;
    embed_stage(graph, quiet.context());
    EXPECT_EQ(quiet.text(), "** TIMER : Plongement trouvé -> 0 s.\n\n");

    TestStage loud;
    const Embedding embedding = embed_stage(graph, loud.context(true));
    EXPECT_EQ(loud.text(),
              "** TIMER : Plongement trouvé -> 0 s.\n\n"
              "** Plongement (ligne : coordonnées, colonne : sommets) **\n" +
                  coordinate_table(embedding) + "\n");
}

TEST(Pipeline, ListingsAboveTheLimitAreOneLineEach) {
    // Seven vertices: 49 capacity values, 147 flow values, 4 × 7 coordinates.
    const Graph graph = bottleneck_graph();
    TestStage stage;
    StageContext context = stage.context(true);
    context.listing_limit = 27;
    flow_stage(graph, DemandSet::default_set(7), context);
    embed_stage(graph, context);
    const auto lines = lines_of(stage.text());
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "** Liste des capacités omise : 49 valeurs (plus de 27).");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "** TIMER : Problème LP formulé -> 0 s.");
    EXPECT_EQ(lines[6], "** Liste des flots omise : 147 valeurs (plus de 27).");
    EXPECT_EQ(lines[7], "** TIMER : Plongement trouvé -> 0 s.");
    EXPECT_EQ(lines[9], "** Table du plongement omise : 28 valeurs (plus de 27).");
}
