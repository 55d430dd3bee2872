#include "view/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace {

constexpr float tolerance = 1e-4f;

void expect_near(const Vector3& actual, const Vector3& expected, float eps = tolerance) {
    EXPECT_NEAR(actual.x, expected.x, eps);
    EXPECT_NEAR(actual.y, expected.y, eps);
    EXPECT_NEAR(actual.z, expected.z, eps);
}

// Polls the movement keys with exactly the letters of `held` down.
void poll(const std::string& held, Camera& camera, ViewSettings& settings) {
    poll_movement_keys([&held](char key) { return held.find(key) != std::string::npos; }, camera,
                       settings);
}

Camera looking_at(const Vector3& direction) {
    Camera camera;
    camera.view_direction = normalize(direction);
    return camera;
}

}  // namespace

TEST(CameraKeys, EachKeyMovesByItsStep) {
    struct Case {
        char key;
        Vector3 position;
        double scale;
    };
    // From the start camera at (25, 0, 0) looking along −x; its right is +y.
    const Case cases[] = {
        {'Z', {23, 0, 0}, 1.0},   {'S', {27, 0, 0}, 1.0},   {'A', {9, 0, 0}, 1.0},
        {'W', {41, 0, 0}, 1.0},   {'Q', {25, -2, 0}, 1.0},  {'D', {25, 2, 0}, 1.0},
        {'P', {25, 0, 0}, 1.025}, {'M', {25, 0, 0}, 0.975}, {'X', {25, 0, 0}, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Camera camera;
        ViewSettings settings;
        move_camera(c.key, camera, settings);
        expect_near(camera.position, c.position);
        EXPECT_DOUBLE_EQ(settings.position_scale, c.scale);
        expect_near(camera.view_direction, {-1, 0, 0}, 0.0f);
    }
}

TEST(CameraKeys, HeldKeysAllActAndOpposedOnesCancel) {
    Camera camera = looking_at({0.3f, -0.7f, 0.2f});
    ViewSettings settings;
    const Vector3 start = camera.position;
    poll("ZS", camera, settings);
    expect_near(camera.position, start);
    poll("AW", camera, settings);
    expect_near(camera.position, start);
    poll("QD", camera, settings);
    expect_near(camera.position, start);
    poll("PM", camera, settings);
    EXPECT_NEAR(settings.position_scale, 1.0, 1e-12);

    // Z and D together: forward 2 and right 2.
    Camera both;
    poll("ZD", both, settings);
    expect_near(both.position, {23, 2, 0});

    // Only the eight movement letters are asked about.
    std::string asked;
    poll_movement_keys(
        [&asked](char key) {
            asked += key;
            return false;
        },
        camera, settings);
    EXPECT_EQ(asked, "ZAWQDSPM");
}

TEST(CameraKeys, SideStepsDoNothingIn2DWhileZoomKeysStillAct) {
    Camera camera;
    ViewSettings settings;
    reset_view_2d(camera, settings);
    poll("QD", camera, settings);
    expect_near(camera.position, {0, 0, 40}, 0.0f);
    move_camera('Q', camera, settings);
    expect_near(camera.position, {0, 0, 40}, 0.0f);
    // Z lowers the camera looking almost straight down.
    move_camera('Z', camera, settings);
    EXPECT_NEAR(camera.position.z, 38.0f, tolerance);
}

TEST(CameraKeys, ScaleIsUnboundedBelowZero) {
    Camera camera;
    ViewSettings settings;
    for (int frame = 0; frame < 40; ++frame) {
        poll("M", camera, settings);
    }
    EXPECT_NEAR(settings.position_scale, 0.0, 1e-9);
    poll("M", camera, settings);
    EXPECT_LT(settings.position_scale, 0.0);
}

TEST(CameraMouseLook, YawTurnsRightAndAFullTurnComesBack) {
    ViewSettings settings;
    Camera camera;
    look_with_mouse(10, 0, camera, settings);
    // Moving the mouse right turns the view right (+y from the start).
    EXPECT_GT(camera.view_direction.y, 0.0f);
    EXPECT_NEAR(camera.view_direction.length(), 1.0, 1e-5);
    expect_near(camera.position, {25, 0, 0}, 0.0f);

    Camera turning = looking_at({-1, 0.5f, 0.3f});
    const Vector3 start = turning.view_direction;
    for (int step = 0; step < 20; ++step) {
        look_with_mouse(100, 0, turning, settings);  // 20 × 0.1π = 2π
    }
    expect_near(turning.view_direction, start, 1e-3f);
}

TEST(CameraMouseLook, PitchTiltsAndStopsNearThePoles) {
    ViewSettings settings;
    Camera camera;
    look_with_mouse(0, 10, camera, settings);
    // Mouse down tilts the view down, and the direction stays a unit vector.
    EXPECT_LT(camera.view_direction.z, 0.0f);
    EXPECT_NEAR(camera.view_direction.length(), 1.0, 1e-6);
    EXPECT_NEAR(camera.view_direction.z, -std::sin(0.01 * std::numbers::pi), 1e-5);

    // Within 0.1 rad of straight down only an upward motion acts.
    Camera down = looking_at({0.05f, 0, -1});
    const Vector3 near_down = down.view_direction;
    look_with_mouse(0, 20, down, settings);
    expect_near(down.view_direction, near_down, 1e-6f);
    look_with_mouse(0, -20, down, settings);
    EXPECT_GT(down.view_direction.z, near_down.z);

    // Within 0.1 rad of straight up only a downward motion acts.
    Camera up = looking_at({0.05f, 0, 1});
    const Vector3 near_up = up.view_direction;
    look_with_mouse(0, -20, up, settings);
    expect_near(up.view_direction, near_up, 1e-6f);
    look_with_mouse(0, 20, up, settings);
    EXPECT_LT(up.view_direction.z, near_up.z);
}

TEST(CameraMouseLook, TwoDPansWithYInverted) {
    Camera camera;
    ViewSettings settings;
    reset_view_2d(camera, settings);
    const Vector3 direction = camera.view_direction;
    look_with_mouse(10, 5, camera, settings);
    expect_near(camera.position, {2, -1, 40});
    expect_near(camera.view_direction, direction, 0.0f);
}

TEST(CameraRotation, TurnsAboutTheLineThroughTheCamera) {
    Camera camera;  // at (25, 0, 0)
    const double quarter = std::numbers::pi / 2;
    expect_near(rotate_about_camera_axis(camera, {26, 0, 0}, {0, 0, 1}, quarter), {25, 1, 0});
    // A point on the axis stays put.
    expect_near(rotate_about_camera_axis(camera, {25, 0, 7}, {0, 0, 1}, quarter), {25, 0, 7});
    // A null axis defines no rotation: the point is left alone.
    expect_near(rotate_about_camera_axis(camera, {26, 3, 1}, {0, 0, 0}, quarter), {26, 3, 1}, 0.0f);
}

// The foot of the point on the axis is found with the unit axis, so a longer
// axis that is not perpendicular to the offset still rotates about the line.
TEST(CameraRotation, NonUnitAxisKeepsThePointsHeight) {
    Camera camera;
    const Vector3 turned =
        rotate_about_camera_axis(camera, {26, 0, 3}, {0, 0, 2}, std::numbers::pi / 2);
    expect_near(turned, {25, 1, 3});
}

TEST(CameraViews, ResetsSetTheProjectionAndTheCamera) {
    Camera camera = looking_at({1, 1, 0});
    camera.position = {3, 4, 5};
    ViewSettings settings;
    settings.mouse_look = true;
    reset_view_2d(camera, settings);
    EXPECT_FALSE(settings.perspective_3d);
    EXPECT_FALSE(settings.mouse_look);
    expect_near(camera.position, {0, 0, 40}, 0.0f);
    EXPECT_GT(camera.view_direction.y, 0.0f);
    EXPECT_NEAR(camera.view_direction.y, 0.0001f, 1e-8f);
    EXPECT_NEAR(camera.view_direction.z, -1.0f, 1e-6f);

    camera.position = {1, 2, 3};
    reset_view_3d(settings);
    EXPECT_TRUE(settings.perspective_3d);
    expect_near(camera.position, {1, 2, 3}, 0.0f);
}
