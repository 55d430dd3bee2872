#include "batch/runner.h"

#include <unistd.h>

#include <iostream>
#include <optional>

#include "common/allocator_tuning.h"
#include "common/console_log.h"
#include "common/random_source.h"
#include "shell/json_report.h"

namespace {

// The console, line by line on `stream` as it is written. Clearing it has
// nothing to take back.
class StreamSink : public ConsoleSink {
  public:
    explicit StreamSink(std::ostream& stream) : stream_(stream) {}
    void append(std::string_view text) override { stream_ << text << std::flush; }
    void clear() override {}

  private:
    std::ostream& stream_;
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
    keep_freed_memory_for_loads();
    const Expected<BatchOptions> options = parse_batch_options(args);
    if (!options) {
        std::cerr << "tarvessa-batch : " << options.error() << "\n"
                  << batch_usage_line() << "« tarvessa-batch --help » décrit chaque option.\n";
        return batch_usage_error;
    }
    if (options->help) {
        std::cout << batch_help_text();
        return batch_success;
    }
    if (options->version) {
        std::cout << batch_version_text();
        return batch_success;
    }

    RandomSource random = options->seed ? RandomSource(*options->seed) : RandomSource::from_clock();
    // With --json standard output holds the report only.
    StreamSink console_sink(options->json ? std::cerr : std::cout);
    NullSink quiet_sink;  // the console of --quiet
    ConsoleLog log(options->quiet ? static_cast<ConsoleSink&>(quiet_sink) : console_sink);
    StderrReporter reporter;
    LoadedGraph state;
    StageContext context{log, random, options->verbose};
    context.cpu_limit_seconds = options->time_limit_seconds;
    context.solver = options->solver;
    // The demands, read and checked before the load: a bad demand file loads
    // nothing.
    DemandChoice demands;
    if (options->demands == "all-pairs") {
        demands.kind = DemandChoice::Kind::all_pairs;
    } else if (options->demands != "default") {
        Expected<DemandChoice, DemandFileFailure> read = read_demand_file(options->demands);
        if (!read) {
            reporter.show_error(read.error().caption, read.error().failure.message);
            return batch_load_refused;
        }
        demands = std::move(*read);
    }
    context.demands = &demands;
    const LoadOutcome outcome =
        options->reads_standard_input()
            ? load_graph_stream(STDIN_FILENO, options->path, context, reporter, state,
                                options->format)
            : load_graph_file_as(options->path, options->format, context, reporter, state);
    if (outcome != LoadOutcome::loaded) {
        return batch_load_refused;
    }
    if (options->certifies()) {
        ComputedGraph& computed = *state.current;
        TimedCertificate timed =
            certify_stage(computed.graph, computed.demands, computed.result.cut, context);
        computed.certificate = std::move(timed.certificate);
        computed.certificate_seconds = timed.seconds;
    }
    if (options->json) {
        // Bytes that are not UTF-8 cannot reach the report (the language
        // admits none), but would be replaced rather than abort the dump.
        nlohmann::json report = graph_report(state, log);
        std::cout << report
                         .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << '\n'
                  << std::flush;
    }
    bool picture_written = true;
    if (!options->png_path.empty()) {
        const Expected<void> written =
            write_picture ? write_picture(*options, state)
                          : Expected<void>(fail("cette version de tarvessa-batch ne dessine pas "
                                                "d'image (elle est construite sans OpenGL)"));
        if (!written) {
            std::cerr << "tarvessa-batch : image non écrite : " << written.error() << '\n';
            picture_written = false;
        }
    }
    bool optimal = state.result()->reached_optimum;
    if (!optimal) {
        std::cerr << "tarvessa-batch : calcul non abouti (statut "
                  << solver_engine_title(state.result()->solver) << " : "
                  << state.result()->solve.name() << ")\n";
    }
    const std::optional<CutCertificate>& certificate = state.current->certificate;
    if (certificate && !certificate->bound_reached) {
        std::cerr << "tarvessa-batch : borne λ* non calculée (statut "
                  << solver_engine_title(certificate->solver) << " : "
                  << certificate->solve.name() << ")\n";
        optimal = false;
    }
    if (!picture_written) {
        return batch_picture_failed;
    }
    if (!optimal) {
        return batch_not_optimal;
    }
    return batch_success;
}
