#pragma once

#include "view/camera.h"
#include "render/scene.h"
#include "view/view_settings.h"

// Fixed rendering state, set once after the context is made current: white
// background, smooth shading, lighting with light 0, depth test, line
// smoothing, nicest perspective correction and multisampling (which acts
// where the framebuffer has samples).
void init_gl_state();

// Sets the viewport to the client area and loads the projection: a 60°
// perspective in 3D (near 1, far 5000 unless a fit of a large graph pushed
// them out); in 2D an orthographic view whose half width is the camera
// height, after lifting a camera below 1.5 to 1.5, reaching from 1 below the
// camera down to 200 below it, or to `ortho_depth_below` (160) below z = 0
// when that is farther (see projection_planes).
// Returns false, without touching GL, when the client area is empty (a
// minimized window): there is nothing to draw then.
bool apply_projection(const ViewSettings& settings, Camera& camera);

// Loads the modelview matrix with the camera's look-at transform, up +z.
void apply_viewing_transform(const Camera& camera);

// Light 0 as a point light fixed in the world at (0, 0, 5). Call it after the
// viewing transform, which then places the light.
void setup_light();

// Draws one frame into the current framebuffer: clear, projection, viewing
// transform, light and scene. Camera input comes before and the buffer swap
// after, both the caller's. Returns false, having drawn nothing, when the
// client area is empty.
bool render_frame(SceneRenderer& scene, const SceneInput& input, const ViewSettings& settings,
                  Camera& camera);
