#include "batch/png_export.h"

#include <memory>
#include <optional>
#include <vector>

#include "common/random_source.h"
#include "render/offscreen_renderer.h"
#include "render/png_writer.h"
#include "render/text_overlay.h"
#include "view/camera.h"
#include "view/fit_view.h"
#include "view/force_layout.h"
#include "view/legend_box.h"
#include "view/overlay.h"
#include "view/view_settings.h"

Expected<void> export_png(const BatchOptions& options, const LoadedGraph& state) {
    const Expected<std::unique_ptr<OffscreenRenderer>> renderer = OffscreenRenderer::create();
    if (!renderer) {
        return fail("no headless OpenGL context: " + renderer.error());
    }
    ViewSettings settings;
    settings.show_flow = options.png_flow;
    settings.show_cut = options.png_show_cut;
    settings.show_best_cut = options.png_best_cut;
    settings.show_labels = options.png_labels;
    settings.show_legend = options.png_legend;
    settings.show_arrows = options.png_arrows;
    settings.client_width = options.png_width;
    settings.client_height = options.png_height;
    Camera camera;
    if (options.png_2d) {
        reset_view_2d(camera, settings);
    }

    // The layout works on a copy: the load's placement stays as it was.
    std::vector<Vector3> positions = state.display_positions;
    SceneInput scene = state.scene();
    scene.display_positions = &positions;
    if (options.png_layout_force && scene.drawable()) {
        RandomSource random = options.seed ? RandomSource(*options.seed) : RandomSource::from_clock();
        force_layout(*scene.graph, random, positions);
    }
    const std::vector<LegendLine> legend =
        settings.show_legend ? legend_lines(scene, settings) : std::vector<LegendLine>{};
    std::unique_ptr<TextOverlay> text;
    if (settings.show_labels || !legend.empty()) {
        Expected<std::unique_ptr<TextOverlay>> made = TextOverlay::create();
        if (!made) {
            return fail("cannot draw the labels and the legend: " + made.error());
        }
        text = std::move(*made);
    }
    if (!options.png_camera_start) {
        // The graph keeps out of the legend's box.
        const PixelRect legend_box =
            legend.empty() ? PixelRect{} : layout_legend(legend, text->metrics()).panel;
        fit_view(scene, settings, camera, /*choose_direction=*/true, legend_box);
    }

    std::optional<RgbaImage> image =
        (*renderer)->render(scene, settings, camera, options.png_width, options.png_height);
    if (!image) {
        return fail("cannot render a picture of " + std::to_string(options.png_width) + "x" +
                    std::to_string(options.png_height) + " pixels");
    }
    if (text) {
        (*text).draw_labels(*image, legible_labels(vertex_labels(scene, settings, camera), scene,
                                                   text->metrics()));
        text->draw_legend(*image, legend);
    }
    const Expected<void> written = write_png(options.png_path, *image);
    if (!written) {
        return fail("cannot write the picture: " + written.error());
    }
    return {};
}
