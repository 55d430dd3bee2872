// Loads with demand sets of their own: the whole load with its certificate
// (as tarvessa-batch --certificate runs it), its time and peak memory, on
// networks shaped like published backbones, and the all-pairs program.
//
//     demand_bench [--repeat R] [case ...]
//       backbone-50    50 vertices, 88 undirected links, 662 demands
//       backbone-161   161 vertices, 332 undirected links, 14 311 demands
//       all-pairs-100  all pairs on 100 vertices and 400 random undirected
//                      edges (solved directly: above max_all_pairs_vertices)
//     demand_bench --all-pairs [--limit S] n ...
//       the processor time of the all-pairs program's solve alone on random
//       graphs of 4n edges and complete graphs of n vertices (capacities
//       1 … 100, all 10, or spread over six decades), directed and
//       undirected, stopped after S seconds (default 120): what
//       max_all_pairs_vertices is measured with
//
// A backbone is a random tree joining every vertex and random further links,
// capacities 1 … 100; its demands join random ordered pairs of distinct
// vertices, from 0.5 to 100. The loads run in child processes of their own
// (load_in_child), so that each peak is the load's own.

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_graphs.h"
#include "bench/child_load.h"
#include "common/console_log.h"
#include "common/random_source.h"
#include "common/stage_context.h"
#include "flow/flow_lp.h"
#include "graph/demand_set.h"
#include "graph/graph.h"
#include "shell/pipeline.h"

namespace fs = std::filesystem;

namespace {

// The .gr text of a connected undirected network of n vertices and `links`
// links, and the text of a demand file of `demands` commodities on it.
struct Network {
    std::string graph;
    std::string demands;
};

Network backbone(int n, int links, int demands, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> capacity(1, 100);
    std::set<std::pair<int, int>> joined;
    std::ostringstream graph;
    graph << "directed = 0;\n" << n - 1 << " : ;";
    const auto link = [&](int u, int v) {
        if (u == v || !joined.insert({std::min(u, v), std::max(u, v)}).second) {
            return false;
        }
        graph << '\n' << u << " -> " << v << " [cap = " << capacity(engine) << "];";
        return true;
    };
    for (int v = 1; v < n; ++v) {
        link(v, std::uniform_int_distribution<int>(0, v - 1)(engine));
    }
    std::uniform_int_distribution<int> vertex(0, n - 1);
    while (static_cast<int>(joined.size()) < links) {
        link(vertex(engine), vertex(engine));
    }
    std::set<std::pair<int, int>> pairs;
    std::uniform_real_distribution<double> demand(0.5, 100.0);
    std::ostringstream file;
    file.precision(6);
    while (static_cast<int>(pairs.size()) < demands) {
        const int s = vertex(engine);
        const int t = vertex(engine);
        if (s != t && pairs.insert({s, t}).second) {
            file << s << ' ' << t << ' ' << demand(engine) << '\n';
        }
    }
    return {graph.str(), file.str()};
}

double thread_cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// One case: the median of `repeat` whole loads with their certificate.
void run_load(const std::string& name, const fs::path& dir, const Network& network, int repeat,
              const char* target) {
    const fs::path graph = dir / (name + ".gr");
    std::ofstream(graph) << network.graph;
    std::ofstream(dir / (name + ".dem")) << network.demands;
    ChildOptions options;
    options.certify = true;
    options.demands = {DemandChoice::Kind::file, name + ".dem", network.demands};
    std::vector<double> wall, cpu, certificate;
    long peak = 0;
    std::string stages;
    for (int r = 0; r < repeat; ++r) {
        const ChildLoad load = load_in_child(graph.string(), false, 600, {}, options);
        if (!load.loaded) {
            std::printf("%-14s load failed%s\n", name.c_str(), load.stopped ? " (stopped)" : "");
            return;
        }
        wall.push_back(load.seconds);
        cpu.push_back(load.cpu_seconds);
        peak = std::max(peak, load.peak_kib);
        std::ostringstream line;
        for (const auto& [label, seconds] : load.stages) {
            line << "  " << label << " " << seconds;
            if (label == "certificate") {
                certificate.push_back(seconds);
            }
        }
        stages = line.str();
    }
    std::printf(
        "%-14s load+certificate %.2f s (processor %.2f s), certificate %.2f s, peak %ld MiB"
        "   [target %s]\n    %s\n",
        name.c_str(), median(wall), median(cpu), median(certificate), peak / 1024, target,
        stages.c_str());
}

// The processor time of the all-pairs program's solve on `graph`, or −1 when
// it was stopped at `limit` seconds; with λ.
void solve_all_pairs(const std::string& name, const Graph& graph, double limit) {
    NullSink sink;
    ConsoleLog log(sink);
    RandomSource random(1);
    StageContext context{log, random};
    context.cpu_limit_seconds = limit;
    const DemandSet demands = DemandSet::all_pairs(graph.vertex_count(), graph.directed());
    const double start = thread_cpu_seconds();
    const FlowResult result = solve_flow_lp(graph.arcs(), demands, context);
    const double seconds = thread_cpu_seconds() - start;
    std::printf("%-24s %6d arcs %6d commodities  solve %7.2f s%s  λ = %.6g\n", name.c_str(),
                graph.arcs().arc_count(), demands.size(), seconds,
                result.solve.status == SolveStatus::timeout ? " (stopped)" : "", result.maxflow);
    std::fflush(stdout);
}

// The graph of a .gr text, built as a load builds it.
Graph graph_of(const std::string& text) {
    Expected<GraphDescription, LoadFailure> description = parse_gr(text);
    if (!description) {
        std::fprintf(stderr, "%s\n", description.error().message.c_str());
        std::exit(1);
    }
    return std::move(build_graph(*description).graph);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int repeat = 3;
    double limit = 120.0;
    bool all_pairs = false;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--repeat" && i + 1 < args.size()) {
            repeat = std::atoi(args[++i].c_str());
        } else if (args[i] == "--limit" && i + 1 < args.size()) {
            limit = std::atof(args[++i].c_str());
        } else if (args[i] == "--all-pairs") {
            all_pairs = true;
        } else {
            rest.push_back(args[i]);
        }
    }
    if (all_pairs) {
        for (const std::string& size : rest) {
            const int n = std::atoi(size.c_str());
            for (const bool directed : {false, true}) {
                solve_all_pairs("random-" + std::string(directed ? "d-" : "u-") + size,
                                graph_of(random_graph_text(n, 4 * n, directed, Capacities::random,
                                                           777u + static_cast<unsigned>(n))),
                                limit);
            }
            for (const bool directed : {true, false}) {
                for (const Capacities c :
                     {Capacities::random, Capacities::equal, Capacities::wide}) {
                    const char* kind = c == Capacities::random  ? "1-100"
                                       : c == Capacities::equal ? "equal"
                                                                : "spread";
                    solve_all_pairs(
                        "complete-" + std::string(directed ? "d-" : "u-") + kind + "-" + size,
                        graph_of(
                            complete_graph_text(n, directed, c, 778u + static_cast<unsigned>(n))),
                        limit);
                }
            }
        }
        return 0;
    }
    const auto wanted = [&](const char* name) {
        return rest.empty() || std::find(rest.begin(), rest.end(), name) != rest.end();
    };
    const fs::path dir = fs::temp_directory_path() / "quillmere-demand-bench";
    fs::create_directories(dir);
    if (wanted("backbone-50")) {
        run_load("backbone-50", dir, backbone(50, 88, 662, 50), repeat, "1 s");
    }
    if (wanted("backbone-161")) {
        run_load("backbone-161", dir, backbone(161, 332, 14311, 161), repeat, "5 s, 300 MiB");
    }
    if (wanted("all-pairs-100")) {
        solve_all_pairs("all-pairs-100 (u)",
                        graph_of(random_graph_text(100, 400, false, Capacities::random, 100)),
                        limit);
    }
    fs::remove_all(dir);
    return 0;
}
