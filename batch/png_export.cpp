#include "batch/png_export.h"

#include <memory>
#include <optional>

#include "view/camera.h"
#include "view/offscreen_renderer.h"
#include "view/png_writer.h"
#include "view/view_settings.h"

bool export_png(const BatchOptions& options, const LoadedGraph& state, std::string& error) {
    std::string why;
    const std::unique_ptr<OffscreenRenderer> renderer = OffscreenRenderer::create(&why);
    if (!renderer) {
        error = "no headless OpenGL context: " + why;
        return false;
    }
    ViewSettings settings;
    settings.show_flow = options.png_flow;
    Camera camera;
    if (options.png_2d) {
        reset_view_2d(camera, settings);
    }
    const std::optional<RgbaImage> image =
        renderer->render({state.current_graph.get(), &state.display_positions}, settings, camera,
                         options.png_width, options.png_height);
    if (!image) {
        error = "cannot render a picture of " + std::to_string(options.png_width) + "x" +
                std::to_string(options.png_height) + " pixels";
        return false;
    }
    if (!write_png(options.png_path, *image, &why)) {
        error = "cannot write the picture: " + why;
        return false;
    }
    return true;
}
