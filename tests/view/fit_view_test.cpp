#include "view/fit_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/graph_fixtures.h"
#include "view/projection.h"

namespace {

bool finite(const Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// n points uniform in a cube of half-width `half`, from `seed`.
std::vector<Vector3> cloud(int n, float half, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coordinate(-half, half);
    std::vector<Vector3> points;
    for (int i = 0; i < n; ++i) {
        points.emplace_back(coordinate(rng), coordinate(rng), coordinate(rng));
    }
    return points;
}

struct Shown {
    explicit Shown(std::vector<Vector3> at, double maxflow = 0.1)
        : graph(make_placed_graph(at, {}, 2.0f)),
          demands(DemandSet::default_set(graph.vertex_count())),
          result(zero_flow_result(maxflow)),
          positions(std::move(at)) {}
    SceneInput input() const {
        return {&graph, &result, &positions, nullptr, nullptr, false, &demands};
    }

    Graph graph;
    DemandSet demands;
    FlowResult result;
    std::vector<Vector3> positions;
};

// A 640 × 480 view before any fit: the start camera in 3D, the 2D command's
// camera otherwise.
struct FreshView {
    ViewSettings settings;
    Camera camera;
};

FreshView fresh_view(bool perspective) {
    FreshView view;
    view.settings.client_width = 640;
    view.settings.client_height = 480;
    if (!perspective) {
        reset_view_2d(view.camera, view.settings);
    }
    return view;
}

}  // namespace

TEST(Projection, TwoDFarPlaneFollowsTheCameraHeight) {
    ViewSettings settings;
    settings.perspective_3d = false;
    settings.client_width = settings.client_height = 400;
    // Up to the 2D command's height of 40 the far plane is 200 as before;
    // above it the view reaches 160 below z = 0 however high the camera is.
    for (const auto& [height, far] :
         {std::pair{1.0f, 200.0}, {40.0f, 200.0}, {300.0f, 460.0}, {1e5f, 1e5 + 160.0}}) {
        SCOPED_TRACE(height);
        Camera camera;
        reset_view_2d(camera, settings);
        camera.position.z = height;
        EXPECT_DOUBLE_EQ(projection_planes(settings, camera).far_plane, far);
        EXPECT_TRUE(project_to_viewport({0, 0, 0}, settings, camera).has_value());
        EXPECT_TRUE(project_to_viewport({0, 0, -150}, settings, camera).has_value());
    }
    settings.perspective_3d = true;
    const ProjectionPlanes planes = projection_planes(settings, Camera{});
    EXPECT_DOUBLE_EQ(planes.near_plane, 1.0);
    EXPECT_DOUBLE_EQ(planes.far_plane, 5000.0);
}

TEST(FitView, EveryDisplayPositionLandsInTheViewport) {
    struct Row {
        std::string name;
        std::vector<Vector3> positions;
    };
    std::vector<Vector3> far_vertex = cloud(20, 10, 1);
    far_vertex.push_back({1e6f, 0, 0});
    std::vector<Vector3> huge = cloud(10, 1e30f, 2);
    std::vector<Vector3> flat = cloud(50, 100, 3);
    for (Vector3& p : flat) {
        p.z = 0;
    }
    const std::vector<Row> rows = {
        {"one vertex", {{3, 4, 5}}},
        {"all at one point", std::vector<Vector3>(12, Vector3(7, 7, 7))},
        {"a vertex far away", far_vertex},
        {"huge positions", huge},
        {"flat on the ground", flat},
        {"500 random vertices", cloud(500, 3500, 4)},
        {"2000 random vertices", cloud(2000, 14000, 5)},
    };
    for (const Row& row : rows) {
        const Shown shown(row.positions);
        for (const bool perspective : {true, false}) {
            for (const bool facing : {false, true}) {
                SCOPED_TRACE(row.name + (perspective ? ", 3D" : ", 2D") +
                             (facing ? ", facing" : ""));
                auto [settings, camera] = fresh_view(perspective);
                fit_view(shown.input(), settings, camera, facing);
                ASSERT_TRUE(finite(camera.position) && finite(camera.view_direction));
                for (const Vector3& p : row.positions) {
                    const auto at = project_to_viewport(p, settings, camera);
                    ASSERT_TRUE(at.has_value()) << p.x << ", " << p.y << ", " << p.z;
                    EXPECT_GE(at->x, 0.0);
                    EXPECT_LE(at->x, 640.0);
                    EXPECT_GE(at->y, 0.0);
                    EXPECT_LE(at->y, 480.0);
                }
            }
        }
    }
}

TEST(FitView, LeavesTheCameraWhenThereIsNothingToFitOrNoFiniteFit) {
    ViewSettings settings;
    settings.client_width = settings.client_height = 100;
    for (const std::vector<Vector3>& at :
         {std::vector<Vector3>{}, std::vector<Vector3>{{3e38f, 0, 0}, {-3e38f, 0, 0}}}) {
        const Shown shown(at);
        Camera camera;
        fit_view(shown.input(), settings, camera, true);
        EXPECT_EQ(camera.position, Camera{}.position);
        EXPECT_EQ(camera.view_direction, Camera{}.view_direction);
    }
}

TEST(FitView, FacesAFlatGraphAndNeverLooksSteeperThanSixtyDegrees) {
    // A plane tilted by 45° about y: its normal is (1, 0, 1) / √2.
    std::vector<Vector3> tilted;
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            tilted.emplace_back(10.0f * i, 10.0f * j, -10.0f * i);
        }
    }
    const Vector3 facing = facing_direction(Shown(tilted).input(), ViewSettings{});
    EXPECT_NEAR(facing.x, -1 / std::sqrt(2.0), 1e-4);
    EXPECT_NEAR(facing.y, 0, 1e-4);
    EXPECT_NEAR(facing.z, -1 / std::sqrt(2.0), 1e-4);
    // Lying flat on the ground: 60° down, heading along −x.
    for (Vector3& p : tilted) {
        p.z = 0;
    }
    const Vector3 down = facing_direction(Shown(tilted).input(), ViewSettings{});
    EXPECT_NEAR(down.x, -0.5, 1e-5);
    EXPECT_NEAR(down.z, -std::sqrt(3.0) / 2, 1e-5);
}

TEST(FitView, KeepsEveryVertexOutOfTheLegendsBox) {
    std::vector<Vector3> flat = cloud(300, 100, 6);
    for (Vector3& p : flat) {
        p.z = 0;
    }
    const Shown shown(flat);
    // A wide box (the graph goes below it) and a tall one (right of it).
    for (const PixelRect& legend : {PixelRect{10, 10, 400, 160}, PixelRect{10, 10, 180, 420}}) {
        for (const bool perspective : {true, false}) {
            SCOPED_TRACE(std::to_string(legend.width) + (perspective ? ", 3D" : ", 2D"));
            auto [settings, camera] = fresh_view(perspective);
            fit_view(shown.input(), settings, camera, true, legend);
            for (const Vector3& p : flat) {
                const auto at = project_to_viewport(p, settings, camera);
                ASSERT_TRUE(at.has_value());
                EXPECT_TRUE(at->x > legend.left + legend.width ||
                            at->y > legend.top + legend.height)
                    << at->x << ", " << at->y;
                EXPECT_TRUE(at->x >= 0 && at->x <= 640 && at->y >= 0 && at->y <= 480);
            }
        }
    }
}
