#include "view/scene_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "graph/demand_set.h"
#include "tests/support/graph_fixtures.h"
#include "view/overlay.h"
#include "view/scene_geometry.h"

namespace {

// Terminals 0 … 5 out of the way with no flow (radius 0), and vertices 6
// and 7 (size 1) joined by one edge along y, 20 apart, seen by the start
// camera from `distance` away.
struct Pair {
    explicit Pair(double distance)
        : positions{{0, 0, 500}, {0, 1, 500}, {0, 2, 500}, {0, 3, 500},
                    {0, 4, 500}, {0, 5, 500}, {0, -10, 0}, {0, 10, 0}},
          graph(make_placed_graph(positions, {{6, 7}}, 1.0f)),
          demands(DemandSet::default_set(8)),
          result(zero_flow_result()) {
        camera.position = Vector3(static_cast<float>(distance), 0, 0);
        settings.client_width = settings.client_height = 700;
    }
    SceneInput input() const {
        return {&graph, &result, &positions, nullptr, nullptr, false, &demands};
    }
    FrameMesh frame() {
        mesh.update(input(), settings);
        FrameMesh f;
        mesh.assemble(settings, camera, f);
        return f;
    }

    std::vector<Vector3> positions;
    Graph graph;
    DemandSet demands;
    FlowResult result;
    ViewSettings settings;
    Camera camera;
    SceneMesh mesh;
};

}  // namespace

TEST(SceneMesh, DetailFollowsTheSizeOnTheScreen) {
    // Radius 1 (vertices) and 0.06 (the edge), 606 pixels per unit at
    // distance 1: at 25 the spheres' radius is 24 pixels and the edge's 1.5
    // (a line 3 pixels wide), at 5 000 a tenth of a pixel and less; at 5 the
    // spheres are off the screen, the edge 7 pixels wide across it. A sphere
    // of s slices and t stacks has 2s (t − 1) triangles, a cylinder 2s.
    struct Row {
        double distance;
        std::size_t sphere_triangles;  // of the two spheres
        std::size_t points, lines, tube_triangles;
    };
    for (const Row& row : {Row{5, 0, 0, 0, 2 * 10}, Row{25, 2 * 2 * 15 * 14, 0, 1, 0},
                           Row{80, 2 * 2 * 12 * 9, 0, 1, 0}, Row{300, 2 * 2 * 8 * 5, 0, 1, 0},
                           Row{5000, 0, 2, 1, 0}}) {
        SCOPED_TRACE(row.distance);
        Pair pair(row.distance);
        const FrameMesh f = pair.frame();
        EXPECT_EQ(f.spheres.indices.size() / 3, row.sphere_triangles);
        EXPECT_EQ(f.points.vertices.size(), row.points);
        EXPECT_EQ(
            f.lines[0].vertices.size() + f.lines[1].vertices.size() + f.lines[2].vertices.size(),
            2 * row.lines);
        EXPECT_EQ(f.tubes.indices.size() / 3, row.tube_triangles);
    }
    EXPECT_EQ(sphere_tessellation(1.4).slices, 0);
    EXPECT_EQ(sphere_tessellation(1.5).slices, 8);
    EXPECT_EQ(sphere_tessellation(30).slices, 15);
    EXPECT_EQ(cylinder_tessellation(0.1).line_width, 1);
    EXPECT_EQ(cylinder_tessellation(1.4).line_width, 3);
    EXPECT_EQ(cylinder_tessellation(5).slices, 10);

    // Behind the camera, or off the screen: nothing.
    Pair away(25);
    away.camera.view_direction = Vector3(1, 0, 0);
    const FrameMesh none = away.frame();
    EXPECT_TRUE(none.spheres.vertices.empty() && none.points.vertices.empty() &&
                none.lines[0].vertices.empty() && none.tubes.vertices.empty());
}

TEST(SceneMesh, MadeAgainOnlyWhenWhatItShowsChanges) {
    Pair pair(100);
    EXPECT_TRUE(pair.mesh.update(pair.input(), pair.settings));
    // The camera and the projection are the frame's.
    pair.camera.position.x = 50;
    pair.settings.perspective_3d = false;
    EXPECT_FALSE(pair.mesh.update(pair.input(), pair.settings));

    struct Change {
        std::string name;
        std::function<void(Pair&)> apply;
    };
    const std::vector<Change> changes = {
        {"a position", [](Pair& p) { p.positions[6].z = 1; }},
        {"the scale", [](Pair& p) { p.settings.position_scale = 1.025; }},
        {"show-flow", [](Pair& p) { p.settings.show_flow = true; }},
        {"the cut", [](Pair& p) { p.settings.show_cut = true; }},
        {"the arrows", [](Pair& p) { p.settings.show_arrows = false; }},
        {"the maxflow", [](Pair& p) { p.result.maxflow = 0.5; }},
        // Another set of the same size whose arch joins other terminals.
        {"the demands",
         [](Pair& p) {
             p.demands =
                 DemandSet(DemandKind::file, "f", 8, {{0, 1, 250.0}, {2, 3, 200.0}, {4, 6, 225.0}});
         }},
        // Another graph loaded in the same place, its vertices where the
        // last one had them.
        {"the edges",
         [](Pair& p) {
             p.graph = make_placed_graph(p.positions, {{6, 5}}, 1.0f);
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        change.apply(pair);
        EXPECT_TRUE(pair.mesh.update(pair.input(), pair.settings));
        EXPECT_FALSE(pair.mesh.update(pair.input(), pair.settings));
    }
    // Flows count once they are shown.
    set_arc_flow(pair.result, pair.graph, 1, 5, 6, 3.0);
    EXPECT_TRUE(pair.mesh.update(pair.input(), pair.settings));
}

TEST(SceneMesh, FlowSizesAreCappedByTheDrawing) {
    // A 30 × 40 drawing (diagonal 50): the cap is 2, at least the largest
    // plain sphere (size 1 here, 3 below).
    const std::vector<Vector3> at = {{0, 0, 0},   {30, 40, 0}, {0, 40, 0}, {30, 0, 0},
                                     {10, 10, 0}, {20, 30, 0}, {15, 15, 0}};
    Graph graph = make_placed_graph(at, {{0, 1}}, 1.0f);
    FlowResult result = zero_flow_result(1.0);
    const DemandSet demands = DemandSet::default_set(7);
    const SceneInput input{&graph, &result, &at, nullptr, nullptr, false, &demands};
    ViewSettings settings;
    EXPECT_DOUBLE_EQ(flow_radius_cap(input, settings), 2.0);
    EXPECT_DOUBLE_EQ(commodity_radius(input, 0, 2.0), 2.0);  // 10 uncapped
    result.maxflow = 0.1;
    EXPECT_DOUBLE_EQ(commodity_radius(input, 0, 2.0), 1.0);  // below the cap: as it was
    EXPECT_DOUBLE_EQ(vertex_radius(input, 6, 2.0), 1.0);
    settings.position_scale = 2.0;
    EXPECT_DOUBLE_EQ(flow_radius_cap(input, settings), 4.0);
    graph = make_placed_graph(at, {{0, 1}}, 3.0f);
    settings.position_scale = 1.0;
    EXPECT_DOUBLE_EQ(flow_radius_cap(input, settings), 3.0);
    // A drawing without extent and without plain vertices has no cap.
    const std::vector<Vector3> one_place(2, Vector3(1, 1, 1));
    const Graph two = make_placed_graph(one_place, {}, 1.0f);
    const FlowResult none = zero_flow_result();
    const DemandSet two_demands = DemandSet::default_set(2);
    EXPECT_TRUE(std::isinf(flow_radius_cap(
        {&two, &none, &one_place, nullptr, nullptr, false, &two_demands}, settings)));
}

TEST(SceneColours, ArchPaletteAndLoadRamp) {
    EXPECT_EQ(arch_colour(1).g, commodity_colour[1].g);
    EXPECT_EQ(arch_colour(12).r, arch_colour(0).r);
    const Rgb idle = load_colour(0.0), full = load_colour(1.0);
    EXPECT_GT(idle.r + idle.g + idle.b, full.r + full.g + full.b + 1.0f);  // busier is darker
    EXPECT_EQ(load_colour(-3).g, idle.g);
    EXPECT_EQ(load_colour(7).g, full.g);
    EXPECT_EQ(load_colour(std::nan("")).g, idle.g);
}

TEST(SceneMesh, LoadColouringTakesTheBusierDirectionOverTheCapacity) {
    Pair pair(100);
    pair.graph = make_placed_graph(pair.positions, {{6, 7, 4.0f}}, 1.0f);
    set_arc_flow(pair.result, pair.graph, 0, 6, 7, 1.0);
    set_arc_flow(pair.result, pair.graph, 2, 7, 6, 3.0);
    pair.settings.show_flow = pair.settings.colour_by_load = true;
    pair.mesh.update(pair.input(), pair.settings);
    ASSERT_EQ(pair.mesh.tubes().size(), 1u);
    EXPECT_EQ(pair.mesh.tubes()[0].colour.g, load_colour(0.75).g);
    EXPECT_TRUE(legend_lines(pair.input(), pair.settings).at(5).load_ramp);
}

// Beyond three commodities: arches for the twelve largest demands alone, in
// the palette's order, and show-flow colours the edges by their load
// without being asked (both directions thicken the edge).
TEST(SceneMesh, ManyCommoditiesArchTheLargestAndColourByLoad) {
    Pair pair(100);
    pair.graph = make_placed_graph(pair.positions, {{6, 7, 4.0f}}, 1.0f);
    // 0 → 1 … 0 → 7, then 1 → 0, 1 → 2 … 1 → 7: demands 1 … 14.
    std::vector<Commodity> commodities;
    for (int k = 0; k < 14; ++k) {
        const int source = k / 7, sink = k % 7 + (k % 7 >= source ? 1 : 0);
        commodities.push_back({source, sink, 1.0 + k});
    }
    pair.demands = DemandSet(DemandKind::file, "f", 8, commodities);
    pair.result.maxflow = 0.01;
    set_arc_flow(pair.result, pair.graph, 0, 6, 7, 1.0);
    set_arc_flow(pair.result, pair.graph, 1, 7, 6, 3.0);
    pair.settings.show_flow = true;
    pair.mesh.update(pair.input(), pair.settings);
    ASSERT_EQ(pair.mesh.arches().size(), 12u);
    // Commodities 2 … 13 in the set's order: the third arch is commodity 4's
    // (0 → 5, demand 5).
    EXPECT_EQ(pair.mesh.arches()[2].colour.b, arch_colour(2).b);
    EXPECT_DOUBLE_EQ(pair.mesh.arches()[2].tube, 5.0 * 0.01 * 0.04);
    ASSERT_EQ(pair.mesh.tubes().size(), 1u);
    EXPECT_EQ(pair.mesh.tubes()[0].colour.g, load_colour(0.75).g);
    EXPECT_DOUBLE_EQ(pair.mesh.tubes()[0].radius, 4.0 * 0.04);
}
