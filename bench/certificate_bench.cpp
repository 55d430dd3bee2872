// Cost of the certificate (the flow bound, its dual lengths, the balls and
// the best cut) beside the main flow program's, on random graphs of n
// vertices and m edges, directed and undirected, capacities 1 … 100.
// For each graph it prints the main program's time (formulated + solved, from
// the load's timer lines), the certificate's, their ratio, λ, λ* and whether
// the best cut was proved optimal.
//
//     certificate_bench [n m [seeds]]     default 500 2000 3

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_graphs.h"
#include "common/console_log.h"
#include "common/random_source.h"
#include "common/stage_context.h"
#include "shell/json_report.h"
#include "shell/load_graph.h"

namespace fs = std::filesystem;

namespace {

class QuietReporter : public LoadReporter {
  public:
    void show_error(const std::string& caption, const std::string& text) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    void set_title(const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 2 ? std::atoi(argv[1]) : 500;
    const int m = argc > 2 ? std::atoi(argv[2]) : 2000;
    const int seeds = argc > 3 ? std::atoi(argv[3]) : 3;
    const fs::path file = fs::temp_directory_path() / "certificate_bench.gr";
    std::printf("%-10s %4s %6s %5s %10s %10s %7s %10s %10s %s\n", "graph", "n", "m", "seed",
                "main_lp_s", "certif_s", "ratio", "lambda", "lambda*", "proved");
    for (const bool directed : {false, true}) {
        for (int seed = 1; seed <= seeds; ++seed) {
            std::ofstream(file) << random_graph_text(n, m, directed, Capacities::random,
                                                     static_cast<unsigned>(seed));
            StringSink sink;
            ConsoleLog log(sink);
            RandomSource random(static_cast<std::uint32_t>(seed));
            StageContext context{log, random};
            QuietReporter reporter;
            LoadedGraph state;
            if (load_graph_file(file.string(), context, reporter, state) != LoadOutcome::loaded) {
                return 1;
            }
            TimedCertificate timed = certify_stage(state.current->graph, state.current->demands,
                                                   state.current->result.cut, context);
            state.current->certificate = std::move(timed.certificate);
            state.current->certificate_seconds = timed.seconds;
            nlohmann::json report = graph_report(state, log);
            const auto& timings = report["timings"];
            const double main_lp =
                timings["lp_build_s"].get<double>() + timings["lp_solve_s"].get<double>();
            const double certificate = timings["certificate_s"].get<double>();
            const auto& c = report["certificate"];
            std::printf("%-10s %4d %6d %5d %10.3f %10.3f %7.2f %10.6g %10.6g %s\n",
                        directed ? "directed" : "undirected", n, m, seed, main_lp, certificate,
                        main_lp > 0 ? certificate / main_lp : 0.0,
                        report["maxflow"].get<double>(),
                        c["lower_bound"].is_number() ? c["lower_bound"].get<double>() : -1.0,
                        c["proved_optimal"].get<bool>() ? "yes" : "no");
        }
    }
    fs::remove(file);
    return 0;
}
