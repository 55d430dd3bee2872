#pragma once

#include "batch/batch_options.h"
#include "common/expected.h"
#include "shell/load_graph.h"

// Renders the loaded graph headless, as the window shows it after a load: the
// camera fitted to the whole graph (or, with --camera start, the start camera
// or the view from above after the 2D command), the vertex labels and the
// legend written over it, at the options' size and with their flow, cut,
// arrow and layout settings, and writes the picture to `options.png_path`.
// The force layout draws from a source seeded with --seed, so one seed gives
// one picture. Fails, saying why, when no headless OpenGL
// context can be made or the picture cannot be rendered or written.
Expected<void> export_png(const BatchOptions& options, const LoadedGraph& state);
