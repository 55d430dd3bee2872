#include "batch/png_export.h"

#include <memory>
#include <optional>

#include "render/offscreen_renderer.h"
#include "render/png_writer.h"
#include "view/camera.h"
#include "view/view_settings.h"

Expected<void> export_png(const BatchOptions& options, const LoadedGraph& state) {
    const Expected<std::unique_ptr<OffscreenRenderer>> renderer = OffscreenRenderer::create();
    if (!renderer) {
        return fail("no headless OpenGL context: " + renderer.error());
    }
    ViewSettings settings;
    settings.show_flow = options.png_flow;
    Camera camera;
    if (options.png_2d) {
        reset_view_2d(camera, settings);
    }
    const std::optional<RgbaImage> image = (*renderer)->render(
        state.scene(), settings, camera, options.png_width, options.png_height);
    if (!image) {
        return fail("cannot render a picture of " + std::to_string(options.png_width) + "x" +
                    std::to_string(options.png_height) + " pixels");
    }
    const Expected<void> written = write_png(options.png_path, *image);
    if (!written) {
        return fail("cannot write the picture: " + written.error());
    }
    return {};
}
