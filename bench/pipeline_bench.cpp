// Whole-load benchmark: time and peak memory of load_graph_file (read, parse,
// build, flow program, embedding, cut, placement) on the standard set:
// random graphs of n = 100, 300, 500, 1000 and 2000 vertices and 4n edges,
// directed and undirected (capacities 1 … 100), and complete directed graphs
// of 40, 80 and 120 vertices with equal capacities and with capacities
// spread over six decades. For each it prints the median load time (wall
// clock and processor), the peak memory, the stage times, the status and
// maxflow, and checks the answer: maxflow ≤ mincut, and the printed ratio
// equal to the one recomputed from the cut's members.
//
//     pipeline_bench [options] [n ...]
//       n ...           the random graphs' sizes instead of the standard ones
//       --repeat R      loads per graph, the median reported (default 3)
//       --case TEXT     only the graphs whose name holds TEXT
//       --oracle        also sweep the load's order from scratch (O(n³)) and
//                       check that it finds the same cut
//       --peer COMMAND  also time `COMMAND file.gr` (a whole process, median
//                       of R runs) and compare the "lambda <value>" it prints
//       --keep DIR      write the graphs to DIR and leave them there
//       --limit S       stop a load after S seconds (default 600)
//
// Each load runs in a child process of its own, so that its peak resident
// memory is its own and not the largest of the earlier loads.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_graphs.h"
#include "bench/child_load.h"
#include "common/random_source.h"
#include "graph/arc_lists.h"
#include "embedding/embedding.h"
#include "flow/cut.h"
#include "flow/flow_lp.h"
#include "graph/commodities.h"
#include "graph/demand_set.h"
#include "shell/load_graph.h"
#include "tests/support/oracles.h"

namespace fs = std::filesystem;

namespace {

struct BenchGraph {
    std::string name;
    std::string text;
};

std::vector<BenchGraph> standard_set(const std::vector<int>& sizes) {
    std::vector<BenchGraph> graphs;
    for (int n : sizes) {
        for (bool directed : {true, false}) {
            graphs.push_back({"random-" + std::string(directed ? "d" : "u") + "-" + std::to_string(n),
                              random_graph_text(n, 4 * n, directed, Capacities::random,
                                                12345u + static_cast<unsigned>(n))});
        }
    }
    for (int n : {40, 80, 120}) {
        for (Capacities c : {Capacities::equal, Capacities::wide}) {
            graphs.push_back({"complete-" + std::string(c == Capacities::equal ? "equal" : "spread") +
                                  "-" + std::to_string(n),
                              complete_graph_text(n, true, c, 12345u + static_cast<unsigned>(n))});
        }
    }
    return graphs;
}

// Cut capacity over the arcs with one end in S, over the separated demand.
double recomputed_ratio(const ArcLists& arcs, const std::set<int>& cut) {
    const int n = arcs.vertex_count();
    std::vector<char> inside(n, 0);
    for (int v : cut) {
        inside[v] = 1;
    }
    double capacity = 0.0;
    for (const Arc& arc : arcs.arcs()) {
        if (inside[arc.tail] != inside[arc.head]) {
            capacity += arc.capacity;
        }
    }
    double separated = 0.0;
    for (int w = 0; w < commodity_count; ++w) {
        if (commodity_present(w, n) && inside[commodity_source(w)] != inside[commodity_sink(w)]) {
            separated += commodity_demand[w];
        }
    }
    return capacity / separated;
}

// The sweep from scratch on the order the load swept: the load draws its
// embedding first from a source seeded with 1, as this does again.
std::string oracle_verdict(const Graph& graph, const ArcLists& arcs, const CutResult& cut) {
    RandomSource random(1);
    const std::vector<int> order =
        sweep_order(arcs, DemandSet::default_set(arcs.vertex_count()), compute_embedding(arcs, random));
    if (order.empty()) {
        return cut.found ? "oracle=differs" : "oracle=same";
    }
    const OracleSweep oracle = from_scratch_sweep(graph, order);
    const std::set<int> members(order.begin(), order.begin() + std::max(oracle.prefix_length, 0));
    std::ostringstream printed, expected;
    printed << cut.ratio;
    expected << oracle.ratio;
    const bool same = (oracle.prefix_length < 0) == !cut.found &&
                      (!cut.found || (members == cut.vertices && printed.str() == expected.str()));
    return same ? "oracle=same" : "oracle=differs";
}

// What the child says about the loaded graph: status, maxflow, mincut and
// the checks, as "key=value" words.
std::string inspect(const LoadedGraph& state, bool oracle) {
    const Graph& graph = state.current->graph;
    const FlowResult& result = state.current->result;
    const ArcLists arcs(graph);
    std::ostringstream line;
    line.precision(17);
    line << "status=" << result.solve.name() << " maxflow=" << result.maxflow;
    bool ok = true;
    if (result.cut.found) {
        const double again = recomputed_ratio(arcs, result.cut.vertices);
        line << " mincut=" << result.cut.ratio;
        ok = result.maxflow <= result.cut.ratio * (1.0 + 1e-9) &&
             std::fabs(again - result.cut.ratio) <= 1e-12 * result.cut.ratio;
    }
    line << " check=" << (ok && result.reached_optimum ? "ok" : "FAILED");
    if (oracle) {
        line << ' ' << oracle_verdict(graph, arcs, result.cut);
    }
    return line.str();
}

std::string word(const std::string& line, const std::string& key) {
    const auto at = line.find(key + "=");
    if (at == std::string::npos) {
        return "";
    }
    const auto begin = at + key.size() + 1;
    return line.substr(begin, line.find(' ', begin) - begin);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

struct PeerRun {
    double seconds = 0.0;
    double lambda = std::nan("");
};

// Runs `command path` as a whole process and reads the "lambda" it prints.
PeerRun run_peer(const std::string& command, const std::string& path) {
    PeerRun run;
    const auto start = std::chrono::steady_clock::now();
    FILE* pipe = popen((command + " '" + path + "'").c_str(), "r");
    std::string out;
    char buffer[256];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        out += buffer;
    }
    if (pipe != nullptr) {
        pclose(pipe);
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::istringstream in(out);
    for (std::string key; in >> key;) {
        if (key == "lambda") {
            in >> run.lambda;
        }
    }
    return run;
}

double stage(const ChildLoad& load, const char* label) {
    for (const auto& [name, seconds] : load.stages) {
        if (name == label) {
            return seconds;
        }
    }
    return -1.0;
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 3;
    std::string only;
    std::string peer;
    std::string keep;
    bool oracle = false;
    unsigned limit = 600;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--case" && i + 1 < argc) {
            only = argv[++i];
        } else if (arg == "--peer" && i + 1 < argc) {
            peer = argv[++i];
        } else if (arg == "--keep" && i + 1 < argc) {
            keep = argv[++i];
        } else if (arg == "--limit" && i + 1 < argc) {
            limit = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
        } else if (arg == "--oracle") {
            oracle = true;
        } else {
            sizes.push_back(std::atoi(argv[i]));
        }
    }
    if (sizes.empty()) {
        sizes = {100, 300, 500, 1000, 2000};
    }
    const fs::path dir = keep.empty() ? fs::temp_directory_path() /
                                            ("quillmere-bench-" + std::to_string(getpid()))
                                      : fs::path(keep);
    fs::create_directories(dir);

    std::printf("%-20s %6s %8s %8s %8s %8s %8s %8s %8s  %-9s %-13s %s\n", "graph", "arcs",
                "load s", "cpu s", "peak MiB", "formulé", "résolu", "plongt", "coupe", "status",
                "maxflow", "checks");
    for (const BenchGraph& g : standard_set(sizes)) {
        if (g.name.find(only) == std::string::npos) {
            continue;
        }
        const std::string path = (dir / (g.name + ".gr")).string();
        std::ofstream(path, std::ios::binary) << g.text;
        std::vector<double> wall, cpu;
        ChildLoad last;
        long peak = 0;
        std::string oracle_word;
        for (int r = 0; r < repeat; ++r) {
            const bool first = r == 0;
            last = load_in_child(path, false, limit, [&](const LoadedGraph& state) {
                std::string line = inspect(state, oracle && first);
                line += " arcs=" + std::to_string(state.current->graph.arcs().arc_count());
                return line;
            });
            wall.push_back(last.seconds);
            cpu.push_back(last.cpu_seconds);
            peak = std::max(peak, last.peak_kib);
            if (first && oracle) {
                oracle_word = " oracle " + word(last.inspection, "oracle");
            }
        }
        const std::string& info = last.inspection;
        const std::string checks = last.stopped  ? std::string("STOPPED")
                                   : last.loaded ? word(info, "check") + oracle_word
                                                 : std::string("NOT LOADED");
        std::printf("%-20s %6s %8.3f %8.3f %8.1f %8.3f %8.3f %8.3f %8.3f  %-9s %-13.6g %s",
                    g.name.c_str(), word(info, "arcs").c_str(), median(wall), median(cpu),
                    peak / 1024.0, stage(last, formulate_timer.label),
                    stage(last, solve_timer.label), stage(last, embed_timer.label),
                    stage(last, cut_timer.label), word(info, "status").c_str(),
                    std::atof(word(info, "maxflow").c_str()), checks.c_str());
        if (!peer.empty()) {
            std::vector<double> peer_seconds;
            double peer_lambda = 0.0;
            for (int r = 0; r < repeat; ++r) {
                const PeerRun run = run_peer(peer, path);
                peer_seconds.push_back(run.seconds);
                peer_lambda = run.lambda;
            }
            const double ours = std::atof(word(info, "maxflow").c_str());
            std::printf(" | peer %.3f s (%.2fx), lambda off by %.1e", median(peer_seconds),
                        median(wall) / median(peer_seconds),
                        std::fabs(peer_lambda - ours) / std::max(std::fabs(peer_lambda), 1e-300));
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    if (keep.empty()) {
        fs::remove_all(dir);
    }
    return 0;
}
