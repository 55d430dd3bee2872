// Load benchmark of the graphs that make the flow program hardest: complete
// and dense random graphs, directed and undirected, with capacities all left
// at their default, all 10 (which once stalled the solver), drawn from
// 1 … 100, or spread over six decades (the slowest found), next to a sparse
// graph for reference.
// For each it reports the whole load's time (wall clock, and the processor
// time, which other work on the machine does not inflate), the "formulé" and
// "résolu" stages, the peak memory, lp_solve's outcome and maxflow.
//
//     flow_dense_bench                 the standard sizes 50, 80, 100, 120
//     flow_dense_bench 120 180         other sizes
//     flow_dense_bench --limit 300 …   stop a load after 300 s (default 180)
//     flow_dense_bench --case wide …   only the cases whose name holds "wide"
//
// Each load runs in a child process of its own, so that its peak resident
// memory is its own and a load that runs too long can be stopped.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_graphs.h"
#include "bench/child_load.h"
#include "shell/pipeline.h"

namespace fs = std::filesystem;

namespace {

enum class Shape { complete, dense, sparse };

struct Case {
    const char* name;
    Shape shape;
    bool directed;
    Capacities capacities;
};

const Case cases[] = {
    {"complete-directed-default", Shape::complete, true, Capacities::standard},
    {"complete-directed-equal", Shape::complete, true, Capacities::equal},
    {"complete-directed-random", Shape::complete, true, Capacities::random},
    {"complete-directed-wide", Shape::complete, true, Capacities::wide},
    {"complete-undirected-default", Shape::complete, false, Capacities::standard},
    {"complete-undirected-random", Shape::complete, false, Capacities::random},
    {"complete-undirected-wide", Shape::complete, false, Capacities::wide},
    {"dense-directed-random", Shape::dense, true, Capacities::random},
    {"dense-undirected-random", Shape::dense, false, Capacities::random},
    {"sparse-directed-random", Shape::sparse, true, Capacities::random},
};

// The .gr text of the case on n vertices. Complete: every pair once (each
// ordered pair when directed). Dense: each of those pairs with probability
// 1/2. Sparse: 4n pairs of distinct vertices drawn at random.
std::string graph_text(const Case& c, int n, unsigned seed) {
    switch (c.shape) {
        case Shape::sparse:
            return random_graph_text(n, 4 * n, c.directed, c.capacities, seed);
        case Shape::dense:
            return complete_graph_text(n, c.directed, c.capacities, seed, 0.5);
        case Shape::complete:
            break;
    }
    return complete_graph_text(n, c.directed, c.capacities, seed);
}

struct Measure {
    ChildLoad load;
    double formulated = -1.0;
    double solved = -1.0;
    std::string outcome;  // "OPTIMAL", or the status of a non-optimal solve
    std::string maxflow;
};

// What the console says about the solve: the status of a non-optimal one, or
// OPTIMAL, and the maxflow line's value.
void read_console(const std::string& text, Measure& m) {
    const std::string status_mark = "statut lp_solve : ";
    const auto status = text.find(status_mark);
    if (status != std::string::npos) {
        const auto begin = status + status_mark.size();
        m.outcome = text.substr(begin, text.find(')', begin) - begin);
    } else if (text.find(solve_timer.label) != std::string::npos) {
        m.outcome = "OPTIMAL";
    }
    const std::string maxflow_mark = "maxflow = ";
    const auto maxflow = text.find(maxflow_mark);
    if (maxflow != std::string::npos) {
        const auto begin = maxflow + maxflow_mark.size();
        m.maxflow = text.substr(begin, text.find('\n', begin) - begin);
    }
}

// Loads `path` in a child process, killed after `limit_seconds`, and reads
// the solve's stages and outcome from its timings and console.
Measure measure_load(const std::string& path, int limit_seconds) {
    Measure m;
    m.load = load_in_child(path, true, static_cast<unsigned>(limit_seconds));
    for (const auto& [label, seconds] : m.load.stages) {
        if (label == formulate_timer.label) {
            m.formulated = seconds;
        } else if (label == solve_timer.label) {
            m.solved = seconds;
        }
    }
    read_console(m.load.console, m);
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    int limit_seconds = 180;
    std::string only;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--limit") == 0 && i + 1 < argc) {
            limit_seconds = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--case") == 0 && i + 1 < argc) {
            only = argv[++i];
        } else {
            sizes.push_back(std::atoi(argv[i]));
        }
    }
    if (sizes.empty()) {
        sizes = {50, 80, 100, 120};
    }
    const fs::path dir =
        fs::temp_directory_path() / ("quillmere-dense-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);

    std::printf("%5s %-28s %9s %9s %10s %9s %9s  %-16s %s\n", "n", "graph", "load (s)", "cpu (s)",
                "formulé", "résolu", "peak MiB", "outcome", "maxflow");
    for (int n : sizes) {
        for (const Case& c : cases) {
            if (std::string(c.name).find(only) == std::string::npos) {
                continue;
            }
            const std::string path = (dir / (std::string(c.name) + ".gr")).string();
            std::ofstream(path, std::ios::binary) << graph_text(c, n, 12345u + n);
            const Measure m = measure_load(path, limit_seconds);
            std::string outcome = m.outcome;
            if (m.load.stopped) {
                outcome = "stopped";
            } else if (!m.load.loaded) {
                outcome = "not loaded";
            }
            std::printf("%5d %-28s %9.2f %9.2f %9.2f %9.2f %9.1f  %-16s %s\n", n, c.name,
                        m.load.stopped ? limit_seconds : m.load.seconds, m.load.cpu_seconds,
                        m.formulated, m.solved, m.load.peak_kib / 1024.0, outcome.c_str(),
                        m.maxflow.c_str());
            std::fflush(stdout);
        }
    }
    fs::remove_all(dir);
    return 0;
}
