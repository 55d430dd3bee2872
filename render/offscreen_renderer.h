#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"
#include "view/camera.h"
#include "render/rgba_image.h"
#include "render/scene.h"
#include "view/scene_input.h"
#include "view/view_settings.h"

// Renders frames of the view without any display server: an OpenGL
// compatibility-profile context on EGL's surfaceless platform (Mesa's
// software rasteriser does here), drawing into a framebuffer object with a
// colour and a depth buffer, read back after each frame. Pictures of up to
// 2048 × 2048 pixels are antialiased where the context offers it: drawn
// with 4 samples per pixel and resolved before they are read back.
//
// The context, its framebuffer and the scene's quadrics are made once; the
// framebuffer is remade when a frame of another size is asked for. Use it
// from one thread.
class OffscreenRenderer {
  public:
    // Makes the context. Fails, saying why, if no such context can be made
    // (no EGL, no surfaceless platform, no compatibility profile, no
    // framebuffer objects).
    static Expected<std::unique_ptr<OffscreenRenderer>> create();
    ~OffscreenRenderer();

    OffscreenRenderer(const OffscreenRenderer&) = delete;
    OffscreenRenderer& operator=(const OffscreenRenderer&) = delete;

    // Renders one frame of `input` as the window would show it in a client
    // area of width × height pixels (the settings' client size is replaced),
    // and reads it back. The camera may change as in the window (the 2D view
    // lifts a low camera). None when the size is not positive or exceeds what
    // the context can render.
    std::optional<RgbaImage> render(const SceneInput& input, ViewSettings settings, Camera& camera,
                                    int width, int height);

    // Makes the context current and binds a width × height framebuffer, for
    // callers that draw themselves. False when the size cannot be rendered.
    bool bind_framebuffer(int width, int height);
    // Reads back the bound framebuffer (resolving its samples first);
    // drawing goes on into the framebuffer bound.
    RgbaImage read_pixels() const;
    // Its depth buffer likewise (each pixel's from one of its samples), 0 to
    // 1, rows from the top.
    std::vector<float> read_depth() const;
    // Largest width and height that the context can render.
    int max_size() const;

    SceneRenderer& scene() { return *scene_; }

  private:
    struct Context;
    explicit OffscreenRenderer(std::unique_ptr<Context> context);

    std::unique_ptr<Context> context_;
    std::unique_ptr<SceneRenderer> scene_;
};
