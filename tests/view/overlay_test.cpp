#include "view/overlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "tests/support/graph_fixtures.h"
#include "graph/cut_certificate.h"
#include "view/projection.h"
#include "view/scene_geometry.h"

namespace {

// A bottleneck: six terminals, seven arcs, the cut {0, 2, 3, 4, 5}.
struct Bottleneck {
    Bottleneck()
        : graph(make_placed_graph(std::vector<Vector3>(6, Vector3(1, 1, 1)),
                                  {{0, 2}, {0, 3}, {2, 4}, {3, 4}, {4, 5}, {2, 3}, {5, 1}}, 2.0f,
                                  true)),
          result(zero_flow_result(0.2)),
          positions(6, Vector3(1, 1, 1)) {
        result.cut = {{0, 2, 3, 4, 5}, 0.2, true};
        result.solve = {SolveStatus::optimal, 0};
        result.reached_optimum = true;
    }
    SceneInput input() const {
        return {&graph, &result, &positions, nullptr, nullptr, false, &demands};
    }

    Graph graph;
    FlowResult result;
    std::vector<Vector3> positions;
    DemandSet demands = DemandSet::default_set(6);
};

std::vector<std::string> texts(const std::vector<LegendLine>& lines) {
    std::vector<std::string> out;
    for (const LegendLine& line : lines) {
        out.push_back(line.warning ? "! " + line.text : line.text);
    }
    return out;
}

}  // namespace

TEST(Legend, ListsCommoditiesTerminalsResultsAndCounts) {
    Bottleneck b;
    ViewSettings settings;
    const std::vector<LegendLine> lines = legend_lines(b.input(), settings);
    EXPECT_EQ(texts(lines),
              (std::vector<std::string>{
                  "Commodité 0 : 0 → 1, demande 250", "Commodité 1 : 2 → 3, demande 200",
                  "Commodité 2 : 4 → 5, demande 225", "Sources : 0, 2, 4", "Puits : 1, 3, 5",
                  "maxflow = 0.2", "mincut = 0.2 (S : 5 sommets)", "6 sommets, 7 arcs"}));
    // The squares are the scene's own colours.
    EXPECT_EQ(lines[2].swatch->b, commodity_colour[2].b);
    EXPECT_EQ(lines[3].swatch->r, source_colour.r);
    EXPECT_EQ(lines[4].swatch->g, sink_colour.g);
    EXPECT_FALSE(lines[5].swatch.has_value());

    // With the cut shown, its colour; a program without its optimum, a
    // warning with lp_solve's status.
    settings.show_cut = true;
    b.result.reached_optimum = false;
    b.result.solve = {SolveStatus::accuracy_error, 25};
    const std::vector<LegendLine> marked = legend_lines(b.input(), settings);
    EXPECT_EQ(marked[5].text, "Côté S de la coupe");
    EXPECT_EQ(marked[5].swatch->g, cut_colour.g);
    EXPECT_EQ(texts(marked).back(), "! Calcul non abouti (statut lp_solve : 25, ACCURACYERROR)");
}

TEST(Legend, CertificateLinesAndTheCutShown) {
    Bottleneck b;
    ViewSettings settings;
    settings.show_cut = true;
    settings.show_best_cut = true;
    struct Row {
        CutCertificate certificate;
        std::vector<std::string> lines;  // after "mincut = …"
        const char* side;                // the cut's swatch line
    };
    const SolveEnd optimal{SolveStatus::optimal, 0};
    const SolveEnd cancelled = SolveEnd::own(SolveStatus::cancelled);
    const Row rows[] = {
        {{true, optimal, 0.1, {{1}, 0.1, BestCut::Method::vertex}, true, 1.0},
         {"λ* = 0.1", "meilleure coupe = 0.1 (S : 1 sommet)", "coupe optimale prouvée"},
         "Côté S de la meilleure coupe"},
        // The gap is rounded up: 1.00000011 is written 1.01, never 1.
        {{true, optimal, 0.1, {{1, 4}, 0.1000001, BestCut::Method::ball}, false, 1.0000001},
         {"λ* = 0.1", "meilleure coupe = 0.1 (S : 2 sommets)", "écart ≤ ×1.01"},
         "Côté S de la meilleure coupe"},
        {{true, optimal, 0.0, {{1}, 0.5, BestCut::Method::vertex}, false, INFINITY},
         {"λ* = 0", "meilleure coupe = 0.5 (S : 1 sommet)", "écart non borné"},
         "Côté S de la meilleure coupe"},
        {{true, optimal, 0.1, {{}, INFINITY, BestCut::Method::sweep}, false, INFINITY},
         {"λ* = 0.1", "meilleure coupe : aucune coupe"},
         "Côté S de la meilleure coupe"},
        // Without a bound the sweep's cut stays the one shown.
        {{false, cancelled, 0.0, {{0, 2, 3, 4, 5}, 0.2, BestCut::Method::sweep}, false, INFINITY},
         {"! λ* non calculé (statut lp_solve : -102, CANCELLED)"},
         "Côté S de la coupe"},
    };
    for (const Row& row : rows) {
        SceneInput input = b.input();
        input.certificate = &row.certificate;
        const std::vector<std::string> lines = texts(legend_lines(input, settings));
        const auto mincut = std::find(lines.begin(), lines.end(), "mincut = 0.2 (S : 5 sommets)");
        ASSERT_NE(mincut, lines.end());
        EXPECT_EQ(std::vector<std::string>(mincut + 1, lines.end() - 1), row.lines)
            << row.certificate.best_cut.ratio;
        EXPECT_EQ(lines[5], row.side);
        // The scene colours the side of the cut the legend names.
        const bool best = row.certificate.bound_reached;
        EXPECT_EQ(on_cut_side(input, settings, 1), best && !row.certificate.best_cut.members.empty());
        EXPECT_EQ(on_cut_side(input, settings, 0), !best);
    }
    SceneInput pending = b.input();
    pending.certificate_pending = true;
    EXPECT_EQ(texts(legend_lines(pending, settings))[8], "λ* : calcul en cours...");
}

// Demands other than the default: the set named, the first six of the
// twelve largest listed, the others summed, sources and sinks summarised,
// and with the flow shown, the load ramp; the scene draws what it lists.
TEST(Legend, SummarisesAManyCommoditySet) {
    Bottleneck b;
    b.demands = DemandSet::all_pairs(6, true);
    ViewSettings settings;
    settings.show_flow = true;
    const std::vector<LegendLine> lines = legend_lines(b.input(), settings);
    const std::vector<std::string> written = texts(lines);
    ASSERT_GE(written.size(), 12u);
    EXPECT_EQ(std::vector<std::string>(written.begin(), written.begin() + 12),
              (std::vector<std::string>{
                  "Demandes : toutes les paires", "Commodité 0 : 0 → 1, demande 1",
                  "Commodité 1 : 0 → 2, demande 1", "Commodité 2 : 0 → 3, demande 1",
                  "Commodité 3 : 0 → 4, demande 1", "Commodité 4 : 0 → 5, demande 1",
                  "Commodité 5 : 1 → 0, demande 1", "… et 24 autres (demande totale 24)",
                  "Arches des 12 plus fortes demandes seulement", "Sources : 0, 1, 2, 3, 4, 5",
                  "Puits : 0, 1, 2, 3, 4, 5", "Charge des arêtes (flot / capacité) : 0 → 1"}));
    EXPECT_TRUE(lines[11].load_ramp);
    EXPECT_EQ(lines[6].swatch->b, arch_colour(5).b);
    EXPECT_FALSE(flow_by_commodity(b.input()));
    // Vertex 5 is the sink of featured commodities only (0 → 5 and 1 → 5).
    EXPECT_EQ(terminal_role(b.input(), 5), TerminalRole::sink);
    EXPECT_DOUBLE_EQ(vertex_radius(b.input(), 5, HUGE_VAL), 2 * 0.2 * 0.04);
}

TEST(Legend, SmallAndEmptyGraphs) {
    const Graph two = make_graph(2, {{0, 1}}, false);
    const FlowResult result = zero_flow_result(4);
    const std::vector<Vector3> positions(2);
    const DemandSet demands = DemandSet::default_set(2);
    const std::vector<std::string> lines = texts(legend_lines(
        {&two, &result, &positions, nullptr, nullptr, false, &demands}, ViewSettings{}));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[1], "Commodité 1 : 2 → 3, absente");
    EXPECT_EQ(lines[3], "Sources : 0");
    EXPECT_EQ(lines[4], "Puits : 1");
    EXPECT_EQ(lines[6], "mincut : aucune coupe");
    EXPECT_EQ(lines[7], "2 sommets, 1 arête");

    // No graph, or one without vertices: no box at all.
    EXPECT_TRUE(legend_lines(SceneInput{}, ViewSettings{}).empty());
    const Graph none = make_graph(0, {}, false);
    const FlowResult empty = zero_flow_result();
    const std::vector<Vector3> nowhere;
    const DemandSet no_demands = DemandSet::default_set(0);
    EXPECT_TRUE(legend_lines({&none, &empty, &nowhere, nullptr, nullptr, false, &no_demands},
                             ViewSettings{})
                    .empty());
}

TEST(Labels, NumberAndNameBesideTheSphere) {
    // Vertex 6 (size 2) straight ahead of the start camera, 25 away.
    std::vector<Vector3> positions(7, Vector3(0, 0, 30));
    positions[6] = Vector3(0, 0, 0);
    const Graph graph = make_placed_graph(positions, {}, 2.0f);
    const FlowResult result = zero_flow_result();
    const std::vector<std::string> names = {"", "", "", "", "", "", "Six"};
    ViewSettings settings;
    settings.client_width = settings.client_height = 500;
    const DemandSet demands = DemandSet::default_set(7);
    const SceneInput input{&graph, &result, &positions, &names, nullptr, false, &demands};
    const std::vector<VertexLabel> labels = vertex_labels(input, settings, Camera{});
    const auto six = std::find_if(labels.begin(), labels.end(),
                                  [](const VertexLabel& l) { return l.vertex == 6; });
    ASSERT_NE(six, labels.end());
    EXPECT_EQ(six->text, "6 : Six");
    const double radius_pixels = 2 * 250 / (std::tan(std::numbers::pi / 6) * 25);
    EXPECT_NEAR(six->x, 250 + radius_pixels + 3, 0.5);
    EXPECT_NEAR(six->y, 250, 0.5);
    // Vertices 0 … 5 sit above the camera's eye level, outside the view's
    // depth or off the screen: none of them behind the camera is labelled.
    settings.show_labels = false;
    EXPECT_TRUE(vertex_labels(input, settings, Camera{}).empty());
}

TEST(Labels, AboveTheLimitOnlyTheTerminalsUnlessAllAreAsked) {
    const int n = label_limit + 1;
    const Graph graph = make_graph(n, {}, false);
    const FlowResult result = zero_flow_result();
    std::vector<Vector3> positions(static_cast<std::size_t>(n), Vector3(0, 0, 0));
    ViewSettings settings;
    settings.client_width = settings.client_height = 300;
    const DemandSet demands = DemandSet::default_set(n);
    const SceneInput input{&graph, &result, &positions, nullptr, nullptr, false, &demands};
    EXPECT_EQ(vertex_labels(input, settings, Camera{}).size(), 6u);
    settings.label_all = true;
    EXPECT_EQ(vertex_labels(input, settings, Camera{}).size(), static_cast<std::size_t>(n));
}

TEST(Labels, LongNamesAreCutAtACharacterBoundary) {
    EXPECT_EQ(shortened("court", 40), "court");
    EXPECT_EQ(shortened(std::string(50, 'a'), 40), std::string(40, 'a') + "…");
    // "é" is two bytes: a cut inside it backs up before it.
    EXPECT_EQ(shortened("abcé", 4), "abc…");
}

TEST(Labels, OverlappingLabelsGiveWayToTerminalsThenToHigherDegrees) {
    // Vertex 7 has two edges, 8 one, 9 none; terminal 0 none.
    const Graph graph = make_graph(10, {{7, 8}, {7, 9}}, false);
    const FlowResult result = zero_flow_result();
    const std::vector<Vector3> positions(10);
    const DemandSet demands = DemandSet::default_set(10);
    const TextMetrics metrics{15, [](const std::string& text) { return 7 * int(text.size()); }};
    // Terminal 0 overlaps 9 and 7, 8 overlaps 7 only, 6 stands alone.
    const std::vector<VertexLabel> labels = {
        {9, "9", 100, 100}, {8, "8 : huit", 140, 110}, {7, "7 : sept", 104, 104},
        {0, "0", 96, 96}, {6, "6", 300, 300}};
    std::vector<int> kept;
    const SceneInput input{&graph, &result, &positions, nullptr, nullptr, false, &demands};
    for (const VertexLabel& label : legible_labels(labels, input, metrics)) {
        kept.push_back(label.vertex);
    }
    EXPECT_EQ(kept, (std::vector<int>{0, 8, 6}));
}
