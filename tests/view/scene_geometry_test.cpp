#include "view/scene_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "graph/demand_set.h"
#include "graph/flow_result.h"
#include "tests/support/graph_fixtures.h"

namespace {

struct D3 {
    double x, y, z;
};

// +z turned by `degrees` about the unit axis w (Rodrigues).
D3 turn_z(const SegmentOrientation& o, double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    // z·cos a + (w × z)·sin a + w (w·z)(1 − cos a), with w·z = wz.
    const D3 w_cross_z{o.wy, -o.wx, 0.0};
    return {w_cross_z.x * s + o.wx * o.wz * (1 - c), w_cross_z.y * s + o.wy * o.wz * (1 - c),
            c + w_cross_z.z * s + o.wz * o.wz * (1 - c)};
}

void expect_turns_z_onto_segment(const Vector3& a, const Vector3& b) {
    const auto o = orient_segment(a, b);
    ASSERT_TRUE(o.has_value());
    EXPECT_NEAR(o->length, (b - a).length(), 1e-9);
    // The axis is a horizontal unit vector, perpendicular to the segment.
    EXPECT_NEAR(std::hypot(o->wx, o->wy), 1.0, 1e-12);
    EXPECT_EQ(o->wz, 0.0);
    EXPECT_NEAR(o->wx * o->ux + o->wy * o->uy, 0.0, 1e-12);
    const D3 turned = turn_z(*o, o->tilt_degrees);
    EXPECT_NEAR(turned.x, o->ux, 1e-6);
    EXPECT_NEAR(turned.y, o->uy, 1e-6);
    EXPECT_NEAR(turned.z, o->uz, 1e-6);
    const Vector3 d = b - a;
    EXPECT_NEAR(o->ux * o->length, d.x, 1e-5);
    EXPECT_NEAR(o->uy * o->length, d.y, 1e-5);
    EXPECT_NEAR(o->uz * o->length, d.z, 1e-5);
}

}  // namespace

TEST(SegmentOrientation, TurnsZOntoAnySegment) {
    expect_turns_z_onto_segment({0, 0, 0}, {3, 4, 0});
    expect_turns_z_onto_segment({1, 2, 3}, {-4, 0.5f, 9});
    expect_turns_z_onto_segment({1, 2, 3}, {1.5f, 2, -7});
    // Vertical, upwards and downwards: no axis from the segment itself.
    expect_turns_z_onto_segment({2, 2, -5}, {2, 2, 5});
    expect_turns_z_onto_segment({2, 2, 5}, {2, 2, -5});
    // Nearly vertical: an axis far shorter than GL would accept, normalised.
    expect_turns_z_onto_segment({0, 0, 10}, {1e-6f, 0, -10});
    expect_turns_z_onto_segment({0, 0, 0}, {0, 1e-30f, 1});
}

TEST(SegmentOrientation, DownwardVerticalTurnsHalfWay) {
    const auto down = orient_segment({0, 0, 8}, {0, 0, -8});
    ASSERT_TRUE(down.has_value());
    EXPECT_DOUBLE_EQ(down->tilt_degrees, 180.0);
    const auto up = orient_segment({0, 0, -8}, {0, 0, 8});
    ASSERT_TRUE(up.has_value());
    EXPECT_DOUBLE_EQ(up->tilt_degrees, 0.0);
}

TEST(SegmentOrientation, CoincidentOrNonFiniteEndpointsHaveNone) {
    EXPECT_FALSE(orient_segment({1, 2, 3}, {1, 2, 3}).has_value());
    EXPECT_FALSE(orient_segment({0, 0, 0}, {0, 0, 0}).has_value());
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(orient_segment({0, 0, 0}, {inf, 0, 0}).has_value());
    EXPECT_FALSE(orient_segment({0, 0, 0}, {nan, 0, 0}).has_value());
}

TEST(EdgeFlow, ReadsZeroOutsideTheResult) {
    const Graph graph = make_graph(4, {{0, 2}, {2, 3}}, true);
    const DemandSet demands = DemandSet::default_set(4);
    const std::vector<Vector3> positions(4);
    FlowResult result;
    set_arc_flow(result, graph, 1, 0, 2, 7.5);
    const SceneInput input{&graph, &result, &positions, nullptr, nullptr, false, &demands};
    EXPECT_EQ(edge_flow(input, 1, 0, 2), 7.5);
    EXPECT_EQ(edge_flow(input, 1, 2, 0), 0.0);
    // Source 0's flow is 0 there, pair (0, 3) has no arc, source 3 no flow.
    EXPECT_EQ(edge_flow(input, 0, 0, 2), 0.0);
    EXPECT_EQ(edge_flow(input, 1, 0, 3), 0.0);
    EXPECT_EQ(edge_flow(input, 3, 0, 2), 0.0);
    EXPECT_EQ(total_edge_flow(input, 0, 2), 7.5);
}
