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
// the program name) name, or standard input for "-", exactly as the viewer's
// Open command does. The console goes to standard output, or to standard
// error with --json (whose report is then the only thing on standard output),
// or nowhere with --quiet; load errors (the error box's caption and text) and
// the runner's own messages go to standard error. With --png, the picture is
// made through `write_picture` (a build without one refuses to make pictures).
//
// Returns a BatchStatus: success; load_refused; usage_error; picture_failed
// when the picture asked for was not written; not_optimal when the flow
// program did not reach a checked optimum (the report and the picture are
// still written). A failed picture outranks a calculation that did not end.
int run_batch(const std::vector<std::string>& args, const PictureWriter& write_picture);
