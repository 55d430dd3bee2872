#pragma once

#include "batch/batch_options.h"
#include "common/expected.h"
#include "shell/load_graph.h"

// Renders the loaded graph headless, as the window shows it before the user
// moves (the start camera, or the view from above after the 2D command), at
// the options' size and with their show-flow setting, and writes the
// picture to `options.png_path`. Fails, saying why, when no headless OpenGL
// context can be made or the picture cannot be rendered or written.
Expected<void> export_png(const BatchOptions& options, const LoadedGraph& state);
