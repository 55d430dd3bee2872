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
    // With show_flow, colours the edges by their load (flow / capacity) on
    // the load ramp instead of by the commodities' flows.
    bool colour_by_load = false;
    // The mouse turns the camera (3D) or pans it (2D) while true.
    bool mouse_look = false;
    // Size of the drawing area in pixels; 0 until the first resize.
    int client_width = 0;
    int client_height = 0;

    // What is drawn over and into the scene besides the graph itself.
    // Each vertex's number (and name) beside its sphere; above
    // `label_limit` vertices only the six terminals unless `label_all`.
    bool show_labels = true;
    bool label_all = false;
    // The box with the commodities, the results and the counts.
    bool show_legend = true;
    // The cut's side S in its own colour and the edges that cross it
    // highlighted.
    bool show_cut = false;
    // Which cut is shown: the best cut of the certificate when true and a
    // certificate with a reached bound is at hand, the sweep's cut
    // otherwise.
    bool show_best_cut = false;
    // A cone at the head of every arc of a directed graph.
    bool show_arrows = true;
    // Fit the camera to the graph after every successful load.
    bool fit_on_load = true;

    // How deep the view reaches; only fitting a large graph changes them.
    // In 3D the far plane of the perspective (its near plane is
    // far / 5000, so 1 at the default).
    double perspective_far = 5000.0;
    // In 2D how far below z = 0 the view reaches once the camera is high
    // enough: the orthographic far plane is this much below the camera
    // height, and never nearer than 200 (which it is up to a camera height
    // of 40, the 2D command's).
    double ortho_depth_below = 160.0;
};

// Above this many vertices only the terminals are labelled unless the user
// asks for every label.
inline constexpr int label_limit = 150;
