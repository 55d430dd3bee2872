#pragma once

#include <functional>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "common/expected.h"
#include "shell/load_graph.h"

// Renders the loaded graph as --png asks and writes the picture; fails with
// the reason. The runner itself draws nothing, so that a build without GL
// can run it: the programs that can render hand it their writer.
using PictureWriter = std::function<Expected<void>(const BatchOptions&, const LoadedGraph&)>;

// tarvessa-batch: loads the one .gr file that `args` (the arguments after
// the program name) name, exactly as the viewer's Open command does, and
// prints the console to standard output; with --json, the report after it;
// with --png, the picture through `write_picture` (a build without one
// refuses to write pictures).
//
// Returns the exit status: 0 when the graph was loaded, 1 when the load
// failed (the error box's caption and text go to standard error), 2 for a
// bad command line, 3 when the graph was loaded but the picture asked for
// with --png could not be made.
int run_batch(const std::vector<std::string>& args, const PictureWriter& write_picture);
