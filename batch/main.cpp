// tarvessa-batch: loads one .gr file without a window, exactly as the viewer's
// Open command does, and prints the console to standard output.
//
// Exit status: 0 when the graph was loaded, 1 when the load failed (the error
// box's caption and text go to standard error), 2 for a bad command line, 3
// when the graph was loaded but the picture asked for with --png could not
// be made.

#include <iostream>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "batch/json_report.h"
#include "batch/png_export.h"
#include "common/random_source.h"
#include "shell/console_log.h"
#include "shell/load_graph.h"

namespace {

// The console, line by line on standard output as it is written. Clearing it
// has nothing to take back.
class StdoutSink : public ConsoleSink {
  public:
    void append(std::string_view text) override { std::cout << text << std::flush; }
    void clear() override {}
};

// Error boxes become two lines on standard error; there is no title to set.
class StderrReporter : public LoadReporter {
  public:
    void show_error(const std::string& caption, const std::string& text) override {
        std::cerr << caption << '\n' << text << '\n';
    }
    void set_title(const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const std::optional<BatchOptions> options = parse_batch_options(args, error);
    if (!options) {
        std::cerr << "tarvessa-batch: " << error << '\n' << batch_usage;
        return 2;
    }
    if (options->help) {
        std::cout << batch_usage;
        return 0;
    }

    if (options->seed) {
        seed_random(*options->seed);
    } else {
        seed_random_from_time();
    }

    StdoutSink sink;
    ConsoleLog log(sink);
    StderrReporter reporter;
    LoadedGraph state;
    const LoadOutcome outcome =
        load_graph_file(options->path, log, options->verbose, reporter, state);
    if (outcome != LoadOutcome::loaded) {
        return 1;
    }
    if (options->json) {
        // One line, after the console text; bytes that are not UTF-8 cannot
        // occur in it, but would be replaced rather than abort the dump.
        std::cout << graph_report(state, log)
                         .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << '\n';
    }
    if (!options->png_path.empty()) {
        std::string png_error;
        if (!export_png(*options, state, png_error)) {
            std::cerr << "tarvessa-batch: " << png_error << '\n';
            return 3;
        }
    }
    return 0;
}
