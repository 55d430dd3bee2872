#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "render/gl_setup.h"
#include "render/offscreen_renderer.h"
#include "render/scene.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/view_projection.h"

namespace {

constexpr int side = 350;
const double pi = std::numbers::pi;

using Rgb = std::array<int, 3>;

// A rendered frame: its colours, and its depth buffer (1 where nothing was
// drawn), both with rows from the top. Coverage comes from the depth, since
// a lit light-grey sphere saturates to white where it faces the light.
struct Frame {
    RgbaImage image;
    std::vector<float> depth;

    int width() const { return image.width; }
    int height() const { return image.height; }
    bool covered(int x, int y) const {
        return x >= 0 && y >= 0 && x < width() && y < height() &&
               depth[static_cast<std::size_t>(y) * static_cast<std::size_t>(width()) +
                     static_cast<std::size_t>(x)] < 1.0f;
    }
};

Rgb colour_at(const Frame& frame, int x, int y) {
    const auto p = frame.image.at(x, y);
    return {p[0], p[1], p[2]};
}

Rgb colour_at(const Frame& frame, Pixel p) {
    return colour_at(frame, p.x, p.y);
}

bool is_white(const Rgb& c) {
    return c == Rgb{255, 255, 255};
}

bool is_grey(const Rgb& c) {
    return !is_white(c) && std::abs(c[0] - c[1]) <= 12 && std::abs(c[1] - c[2]) <= 12 &&
           std::abs(c[0] - c[2]) <= 12;
}

template <typename Keep>
int count_if(const Frame& frame, Keep keep) {
    int count = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            count += keep(colour_at(frame, x, y)) ? 1 : 0;
        }
    }
    return count;
}

int count_covered(const Frame& frame) {
    int count = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            count += frame.covered(x, y) ? 1 : 0;
        }
    }
    return count;
}

// Length of the unbroken drawn run through p, across (dx = 1) or down
// (dy = 1) the picture; 0 when nothing is drawn at p.
int run_through(const Frame& frame, Pixel p, int dx, int dy) {
    if (!frame.covered(p.x, p.y)) {
        return 0;
    }
    int length = 1;
    for (int x = p.x + dx, y = p.y + dy; frame.covered(x, y); x += dx, y += dy) {
        ++length;
    }
    for (int x = p.x - dx, y = p.y - dy; frame.covered(x, y); x -= dx, y -= dy) {
        ++length;
    }
    return length;
}

int width_through(const Frame& frame, Pixel p) {
    return run_through(frame, p, 1, 0);
}
int height_through(const Frame& frame, Pixel p) {
    return run_through(frame, p, 0, 1);
}

Pixel start_view(const Vector3& p) {
    return project_start_view(p, side, side);
}
Pixel top_view(const Vector3& p, double height = 40) {
    return project_top_view(p, height, side, side);
}

// A graph on show: vertices at `positions` (also their display positions),
// all of size `size`, edges of capacity 1, and a flow result with the given
// maxflow and no flow on any edge until a test puts some there. The
// terminals' spheres and the arches grow with the maxflow.
struct Shown {
    Shown(const std::vector<Vector3>& at, const std::vector<TestEdge>& edges, float size,
          double maxflow)
        : graph(make_placed_graph(at, edges, size)),
          demands(DemandSet::default_set(graph.vertex_count())),
          result(zero_flow_result(maxflow)),
          positions(at) {}

    SceneInput input() const {
        return {&graph, &result, &positions, nullptr, nullptr, false, &demands};
    }

    Graph graph;
    DemandSet demands;
    FlowResult result;
    std::vector<Vector3> positions;
};

class Render : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Expected<std::unique_ptr<OffscreenRenderer>> made = OffscreenRenderer::create();
        if (made) {
            renderer_ = made->release();
        } else {
            error_ = made.error();
        }
    }
    static void TearDownTestSuite() {
        delete renderer_;
        renderer_ = nullptr;
    }
    void SetUp() override {
        if (renderer_ == nullptr) {
            // Continuous integration must render: a missing context fails there.
            const char* ci = std::getenv("CI");
            if (ci != nullptr && *ci != '\0') {
                FAIL() << "no headless OpenGL context: " << error_;
            }
            GTEST_SKIP() << "no headless OpenGL context: " << error_;
        }
    }

    Frame render(const SceneInput& input, const ViewSettings& settings, Camera& camera,
                 int width = side, int height = side) {
        std::optional<RgbaImage> image = renderer_->render(input, settings, camera, width, height);
        EXPECT_TRUE(image.has_value());
        if (!image) {
            return {};
        }
        Frame frame{std::move(*image), renderer_->read_depth()};
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return frame;
    }

    // The same frame in the view from above, after the 2D reset.
    Frame render_top(const SceneInput& input, ViewSettings settings = {}) {
        Camera camera;
        reset_view_2d(camera, settings);
        return render(input, settings, camera);
    }

    static inline OffscreenRenderer* renderer_ = nullptr;
    static inline std::string error_;
};

}  // namespace

TEST_F(Render, NothingToDrawGivesAWhiteFrame) {
    const std::vector<Vector3> none;
    const Shown empty({}, {}, 1.0f, 0.5);
    const Shown pair({{1, 2, 3}, {4, 5, 6}}, {{0, 1}}, 1.0f, 0.5);
    struct Case {
        const char* name;
        SceneInput input;
    };
    for (const Case& c : {Case{"no graph", SceneInput{}}, Case{"no vertices", empty.input()},
                          Case{"positions not made", {&pair.graph, &pair.result, &none}},
                          Case{"no flow result", {&pair.graph, nullptr, &pair.positions}}}) {
        SCOPED_TRACE(c.name);
        Camera camera;
        const Frame frame = render(c.input, ViewSettings{}, camera);
        EXPECT_EQ(count_if(frame, is_white), side * side);
        EXPECT_EQ(count_covered(frame), 0);
        const Frame top = render_top(c.input);
        EXPECT_EQ(count_if(top, is_white), side * side);
        EXPECT_EQ(count_covered(top), 0);
    }
    // Terminals and arches of a zero maxflow have radius 0.
    const Shown stalled({{0, -8, 0}, {0, -4, 0}, {0, -2, 0}, {0, 2, 0}, {0, 4, 0}, {0, 8, 0}}, {},
                        3.0f, 0.0);
    Camera camera;
    const Frame frame = render(stalled.input(), ViewSettings{}, camera);
    EXPECT_EQ(count_if(frame, is_white), side * side);
    EXPECT_EQ(count_covered(frame), 0);
}

TEST_F(Render, VertexAppearsWhereItIsPlaced) {
    // Vertex 0, the first commodity's source, is red, of radius
    // 0.04 × 250 × maxflow = 1; without a sink its commodity has no arch.
    const Shown one({{0, 6, 4}}, {}, 1.0f, 0.1);
    Camera camera;
    const Frame frame = render(one.input(), ViewSettings{}, camera);
    const Pixel centre = start_view(one.positions[0]);
    // Radius 1 at distance 25 with a 60° field of view over 350 pixels.
    const double diameter = 2.0 / 25.0 / std::tan(pi / 6.0) * side / 2.0;
    EXPECT_NEAR(width_through(frame, centre), diameter, 3);
    EXPECT_NEAR(height_through(frame, centre), diameter, 3);
    EXPECT_TRUE(dominated_by(colour_at(frame, start_view({0, 6, 4 - 0.8f})), 0));
    // Nothing else is drawn: the disc's area.
    EXPECT_NEAR(count_covered(frame), pi * diameter * diameter / 4, 0.1 * diameter * diameter);

    const Shown flat({{10, -20, 0}}, {}, 1.0f, 0.1);
    const Frame top = render_top(flat.input());
    EXPECT_NEAR(width_through(top, top_view(flat.positions[0])), 2.0 * side / 80.0, 2);
    const Pixel mirrored = top_view({-10, 20, 0});
    EXPECT_FALSE(top.covered(mirrored.x, mirrored.y));
}

TEST_F(Render, TopViewShowsTheSquareOfTheCameraHeight) {
    // A terminal of radius 0.04 × 250 × 0.02 = 0.2.
    const Shown g({{1, 0, -5}}, {}, 1.0f, 0.02);
    ViewSettings settings;
    Camera camera;
    reset_view_2d(camera, settings);
    camera.position.z = 0.5f;  // below the lowest height of the 2D view
    const Frame frame = render(g.input(), settings, camera);
    EXPECT_FLOAT_EQ(camera.position.z, 1.5f);
    const Pixel spot = top_view(g.positions[0], 1.5);
    const double diameter = 0.4 / 3.0 * side;
    EXPECT_NEAR(width_through(frame, spot), diameter, 3);
    EXPECT_NEAR(height_through(frame, spot), diameter, 3);

    // Twice as wide: the same square, stretched horizontally.
    const Frame wide = render(g.input(), settings, camera, 2 * side, side);
    const Pixel stretched = project_top_view(g.positions[0], 1.5, 2 * side, side);
    EXPECT_NEAR(width_through(wide, stretched), 2 * diameter, 4);
    EXPECT_NEAR(height_through(wide, stretched), diameter, 3);
}

TEST_F(Render, ZoomingOutFarIn2DKeepsTheScene) {
    // A vertex of size 20 on the ground: from 300 up (S or W held a while)
    // it was behind a far plane fixed at 200 below the camera.
    const Shown g(std::vector<Vector3>(7, Vector3(0, 0, 0)), {}, 20.0f, 0.0);
    for (const float height : {40.0f, 300.0f, 3000.0f}) {
        SCOPED_TRACE(height);
        ViewSettings settings;
        Camera camera;
        reset_view_2d(camera, settings);
        camera.position.z = height;
        const Frame frame = render(g.input(), settings, camera);
        // The sphere's 15 × 15 facets make it a little narrower.
        EXPECT_NEAR(width_through(frame, top_view({0, 0, 0}, height)), 40.0 / height * side / 2,
                    4);
    }
}

TEST_F(Render, TerminalsAreSizedByTheFlowOtherVerticesByTheirSize) {
    // Every vertex has size 6, but the terminals get 0.2 × 0.04 × their
    // commodity's demand: 2 for vertices 0 and 1.
    const Shown g({{-20, 0, 0}, {-20, 25, 0}, {30, 30, 0}, {30, 36, 0}, {-30, -30, 0},
                   {-30, -36, 0}, {20, 0, 0}},
                  {}, 6.0f, 0.2);
    const Frame frame = render_top(g.input());
    const double pixels_per_unit = side / 80.0;
    // Across the terminal: its sphere, and the end of its arch as thick.
    EXPECT_NEAR(width_through(frame, top_view(g.positions[0])), 4 * pixels_per_unit, 3);
    EXPECT_NEAR(width_through(frame, top_view(g.positions[6])), 12 * pixels_per_unit, 3);
    EXPECT_NEAR(height_through(frame, top_view(g.positions[6])), 12 * pixels_per_unit, 3);
}

TEST_F(Render, PositionScaleSpreadsThePictureButNotTheRadii) {
    // Terminals 0 … 5 vanish with a zero maxflow; vertices 6 and 7 (radius 2)
    // are joined by an edge carrying 40 units (radius 1.6 with show-flow on).
    std::vector<Vector3> at(6, Vector3(0, 30, 0));
    for (int i = 0; i < 6; ++i) {
        at[static_cast<std::size_t>(i)].x = static_cast<float>(i);
    }
    at.push_back({-8, 0, 0});
    at.push_back({8, 0, 0});
    Shown g(at, {{6, 7}}, 2.0f, 0.0);
    set_arc_flow(g.result, g.graph, 0, 6, 7, 40.0);
    const double pixels_per_unit = side / 80.0;

    for (double scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        ViewSettings settings;
        settings.show_flow = true;
        settings.position_scale = scale;
        const Frame frame = render_top(g.input(), settings);
        const Pixel centre = top_view(at[6] * scale);
        const Pixel middle = top_view({0, 0, 0});
        EXPECT_NEAR(height_through(frame, centre), 4 * pixels_per_unit, 3);
        EXPECT_NEAR(height_through(frame, middle), 3.2 * pixels_per_unit, 3);
        // From the far side of one sphere to the far side of the other.
        EXPECT_NEAR(width_through(frame, middle), (16 * scale + 4) * pixels_per_unit, 3);
    }
}

TEST_F(Render, EdgesAreGreyUnlessShowFlowColoursThem) {
    // Zoomed in (height 5: 35 pixels per unit). Edge 6–7 carries commodity
    // 0; edge 6–8 carries nothing.
    std::vector<Vector3> at(6, Vector3(0, 30, 0));
    for (int i = 0; i < 6; ++i) {
        at[static_cast<std::size_t>(i)].x = static_cast<float>(i);
    }
    at.push_back({-3, 1, 0});
    at.push_back({3, 1, 0});
    at.push_back({-3, -3, 0});
    Shown g(at, {{6, 7}, {6, 8}}, 0.3f, 0.0);
    set_arc_flow(g.result, g.graph, 0, 6, 7, 30.0);
    const double pixels_per_unit = side / 10.0;
    const auto draw = [&](bool show_flow) {
        ViewSettings settings;
        settings.show_flow = show_flow;
        Camera camera;
        reset_view_2d(camera, settings);
        camera.position.z = 5.0f;
        return render(g.input(), settings, camera);
    };
    const Pixel on_flow_edge = top_view({0, 1, 0}, 5);
    const Pixel on_idle_edge = top_view({-3, -2, 0}, 5);

    const Frame plain = draw(false);
    EXPECT_TRUE(is_grey(colour_at(plain, on_flow_edge)));
    EXPECT_TRUE(is_grey(colour_at(plain, on_idle_edge)));
    EXPECT_NEAR(height_through(plain, on_flow_edge), 0.12 * pixels_per_unit, 2);
    EXPECT_NEAR(width_through(plain, on_idle_edge), 0.12 * pixels_per_unit, 2);
    EXPECT_EQ(count_if(plain, [](const Rgb& c) { return !is_white(c) && !is_grey(c); }), 0);

    const Frame coloured = draw(true);
    EXPECT_TRUE(dominated_by(colour_at(coloured, on_flow_edge), 0));
    EXPECT_NEAR(height_through(coloured, on_flow_edge), 2.4 * pixels_per_unit, 3);
    EXPECT_TRUE(is_grey(colour_at(coloured, on_idle_edge)));
    EXPECT_NEAR(width_through(coloured, on_idle_edge), 0.12 * pixels_per_unit, 2);
}

TEST_F(Render, ArchesShowTheCommoditiesInTheirColours) {
    // Pairs side by side at height −6, facing the start camera; each arch
    // (ring radius 4, tube 0.04 × 0.1 × demand ≈ 1) tops out 4 above its pair.
    const std::vector<Vector3> six = {{0, -14, -6}, {0, -6, -6}, {0, -4, -6},
                                      {0, 4, -6},   {0, 6, -6},  {0, 14, -6}};
    const float tops[3] = {-10, 0, 10};
    const Shown g(six, {}, 1.0f, 0.1);
    Camera camera;
    const Frame frame = render(g.input(), ViewSettings{}, camera);
    for (int w = 0; w < 3; ++w) {
        SCOPED_TRACE(w);
        EXPECT_TRUE(dominated_by(colour_at(frame, start_view({0, tops[w], -2})), w));
        // Only the upper half of the ring remains.
        const Pixel under = start_view({0, tops[w], -10});
        EXPECT_FALSE(frame.covered(under.x, under.y));
    }

    // Four vertices: commodities 0 and 1 only.
    const Shown h(std::vector<Vector3>(six.begin(), six.begin() + 4), {}, 1.0f, 0.1);
    Camera again;
    const Frame two = render(h.input(), ViewSettings{}, again);
    EXPECT_GT(count_if(two, [](const Rgb& c) { return dominated_by(c, 0); }), 100);
    EXPECT_GT(count_if(two, [](const Rgb& c) { return dominated_by(c, 1); }), 100);
    EXPECT_EQ(count_if(two, [](const Rgb& c) { return dominated_by(c, 2); }), 0);
}

// A vertical segment has no horizontal rotation axis; it must still be drawn
// between its endpoints, downwards as well as upwards.
TEST_F(Render, VerticalEdgesAndArchesAreDrawnInPlace) {
    // A zero maxflow leaves only the edges: 2–3 goes down from 2, 4–5 up
    // from 4.
    const std::vector<Vector3> at = {{0, 0, -8}, {0, 0, 8},  {0, -6, 8},
                                     {0, -6, -8}, {0, 6, -8}, {0, 6, 8}};
    const Shown g(at, {{2, 3}, {4, 5}}, 0.5f, 0.0);
    Camera camera;
    const Frame frame = render(g.input(), ViewSettings{}, camera);
    for (float y : {-6.0f, 6.0f}) {
        SCOPED_TRACE(y);
        EXPECT_TRUE(is_grey(colour_at(frame, start_view({0, y, 0}))));
        const Pixel beyond = start_view({0, y, 12});
        EXPECT_FALSE(frame.covered(beyond.x, beyond.y));
    }

    // The arch from 0 straight up to 1 is a half ring of radius 8 beside
    // them, seen from above as a band on the −x side.
    const Shown h(std::vector<Vector3>(at.begin(), at.begin() + 2), {}, 0.5f, 0.1);
    const Frame top = render_top(h.input());
    EXPECT_TRUE(dominated_by(colour_at(top, top_view({-7, 0, 0})), 0));
    for (const Vector3& elsewhere : {Vector3(7, 0, 0), Vector3(0, 7, 0), Vector3(0, -7, 0)}) {
        const Pixel p = top_view(elsewhere);
        EXPECT_FALSE(top.covered(p.x, p.y));
    }
}

TEST_F(Render, EmptyClientAreaDrawsNothing) {
    ASSERT_TRUE(renderer_->bind_framebuffer(40, 40));
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    init_gl_state();

    // A terminal of radius 10 at the origin would fill the frame.
    const Shown g({{0, 0, 0}}, {}, 1.0f, 1.0);
    for (const auto& [w, h] : {std::pair{40, 0}, std::pair{0, 40}, std::pair{0, 0}}) {
        ViewSettings settings;
        settings.client_width = w;
        settings.client_height = h;
        Camera camera;
        EXPECT_FALSE(render_frame(renderer_->scene(), g.input(), settings, camera));
        EXPECT_FALSE(apply_projection(settings, camera));
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Frame frame{renderer_->read_pixels(), renderer_->read_depth()};
    EXPECT_EQ(count_if(frame, [](const Rgb& c) { return c == Rgb{0, 0, 0}; }), 40 * 40);
    // Sizes the framebuffer cannot have are refused.
    Camera camera;
    EXPECT_FALSE(renderer_->render(g.input(), {}, camera, 0, 10).has_value());
    EXPECT_FALSE(
        renderer_->render(g.input(), {}, camera, renderer_->max_size() + 1, 1).has_value());
}

TEST_F(Render, SceneLeavesTheMatrixAndClipStateAsFound) {
    // Degenerate segments too: a zero-length edge and coincident terminals.
    Shown g({{0, 0, 0}, {0, 0, 0}, {0, 0, 5}, {0, 0, -5}, {1, 1, 1}, {1, 1, 1}, {2, 2, 2},
             {2, 2, 2}},
            {{0, 1}, {2, 3}, {6, 7}, {4, 6}}, 1.0f, 0.3);
    set_arc_flow(g.result, g.graph, 2, 4, 6, 5.0);
    ASSERT_TRUE(renderer_->bind_framebuffer(64, 64));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    ViewSettings settings;
    settings.show_flow = true;
    settings.client_width = settings.client_height = 64;
    renderer_->scene().draw_scene(g.input(), settings, Camera{});
    GLdouble matrix[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, matrix);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(matrix[k], k % 5 == 0 ? 1.0 : 0.0) << k;
    }
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
