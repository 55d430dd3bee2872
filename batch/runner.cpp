#include "batch/runner.h"

#include <iostream>

#include "shell/json_report.h"
#include "common/console_log.h"
#include "common/random_source.h"

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

int run_batch(const std::vector<std::string>& args, const PictureWriter& write_picture) {
    const Expected<BatchOptions> options = parse_batch_options(args);
    if (!options) {
        std::cerr << "tarvessa-batch: " << options.error() << '\n' << batch_usage;
        return 2;
    }
    if (options->help) {
        std::cout << batch_usage;
        return 0;
    }

    RandomSource random = options->seed ? RandomSource(*options->seed) : RandomSource::from_clock();
    StdoutSink sink;
    ConsoleLog log(sink);
    StderrReporter reporter;
    LoadedGraph state;
    const LoadOutcome outcome =
        load_graph_file(options->path, StageContext{log, random, options->verbose}, reporter, state);
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
        const Expected<void> written =
            write_picture ? write_picture(*options, state)
                          : Expected<void>(fail("this build of tarvessa-batch writes no pictures"));
        if (!written) {
            std::cerr << "tarvessa-batch: " << written.error() << '\n';
            return 3;
        }
    }
    return 0;
}
