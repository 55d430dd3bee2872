#pragma once

// The view state that the menu, the keys and the window size change, all
// reset at each start.
struct ViewSettings {
    // Perspective view when true, orthographic view from above when false.
    bool perspective_3d = true;
    // Factor applied to every display position before drawing (keys P and M).
    double position_scale = 1.0;
    // Thickens and colours the edges by their flow.
    bool show_flow = false;
    // The mouse turns the camera (3D) or pans it (2D) while true.
    bool mouse_look = false;
    // Size of the drawing area in pixels; 0 until the first resize.
    int client_width = 0;
    int client_height = 0;
};
