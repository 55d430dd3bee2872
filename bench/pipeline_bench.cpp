// Whole-pipeline load benchmark: time and peak memory of load_graph_file (read,
// parse, build, flow program, embedding, cut, placement) on random graphs of
// n vertices and 4n edges, directed and undirected.
//
//     pipeline_bench            the standard sizes 25, 50, 100, 150
//     pipeline_bench 60 110     other sizes
//
// Each load runs in a child process of its own, so that its peak resident
// memory is its own and not the largest of the earlier loads.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/child_load.h"

namespace fs = std::filesystem;

namespace {

// A random graph of n vertices (the last one declared, so that the count is
// exactly n) and 4n edges between distinct vertices, capacities 1 to 100.
std::string random_graph_text(int n, bool directed, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> vertex(0, n - 1);
    std::uniform_int_distribution<int> capacity(1, 100);
    std::ostringstream text;
    text << "directed = " << (directed ? 1 : 0) << ";\n" << n - 1 << " : ;";
    for (int e = 0; e < 4 * n; ++e) {
        int u = vertex(engine);
        int v = vertex(engine);
        while (v == u) {
            v = vertex(engine);
        }
        text << '\n' << u << " -> " << v << " [cap = " << capacity(engine) << "];";
    }
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) {
        sizes = {25, 50, 100, 150};
    }
    const fs::path dir =
        fs::temp_directory_path() / ("quillmere-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);

    std::printf("%6s %10s %9s %9s  stages (s)\n", "n", "graph", "time (s)", "peak MiB");
    for (int n : sizes) {
        for (bool directed : {true, false}) {
            const std::string path =
                (dir / ("random_" + std::to_string(n) + (directed ? "d" : "u") + ".gr")).string();
            std::ofstream(path, std::ios::binary) << random_graph_text(n, directed, 12345u + n);
            const ChildLoad m = load_in_child(path, false);
            std::printf("%6d %10s %9.3f %9.1f ", n, directed ? "directed" : "undirected", m.seconds,
                        m.peak_kib / 1024.0);
            if (!m.loaded) {
                std::printf(" FAILED");
            }
            for (const auto& [label, seconds] : m.stages) {
                std::printf(" | %s %.3f", label.c_str(), seconds);
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    fs::remove_all(dir);
    return 0;
}
