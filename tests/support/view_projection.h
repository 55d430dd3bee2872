#pragma once

#include <array>

#include "common/vector3.h"

// Where the pictures of the view show things, worked out independently of
// the renderer, for the tests that look at rendered pixels.

struct Pixel {
    int x;
    int y;
};

// Where a world point lands in a width × height picture taken by the start
// camera: at (25, 0, 0) looking along −x with a 60° vertical field of view;
// screen right is +y, screen up +z.
Pixel project_start_view(const Vector3& point, int width, int height);

// Where a world point lands in the view from above at camera height h:
// screen right is +x, screen up +y, and the visible square is 2h wide.
Pixel project_top_view(const Vector3& point, double h, int width, int height);

// Whether the colour's channel (0 red, 1 green, 2 blue) is clearly above the
// two others, as the commodities' colours are.
bool dominated_by(const std::array<int, 3>& rgb, int channel);
