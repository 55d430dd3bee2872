// Whole-pipeline load benchmark: time and peak memory of load_graph_file (read,
// parse, build, flow program, embedding, cut, placement) on random graphs of
// n vertices and 4n edges, directed and undirected.
//
//     pipeline_bench            the standard sizes 25, 50, 100, 150
//     pipeline_bench 60 110     other sizes
//
// Each load runs in a child process of its own, so that its peak resident
// memory is its own and not the largest of the earlier loads.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/random_source.h"
#include "shell/console_log.h"
#include "shell/load_graph.h"

namespace fs = std::filesystem;

namespace {

class NullSink : public ConsoleSink {
  public:
    void append(std::string_view) override {}
    void clear() override {}
};

class SilentReporter : public LoadReporter {
  public:
    void show_error(const std::string& caption, const std::string& text) override {
        std::cerr << caption << ": " << text << '\n';
    }
    void set_title(const std::string&) override {}
};

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

struct Measure {
    bool ok = false;
    double seconds = 0.0;
    long peak_kib = 0;
    std::vector<std::pair<std::string, double>> stages;
};

// Loads `path` in a child process; the child sends back its timings through a
// pipe, and its peak memory comes from wait4.
Measure measure_load(const std::string& path) {
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        seed_random(1);
        NullSink sink;
        ConsoleLog log(sink);
        SilentReporter reporter;
        LoadedGraph state;
        const std::int64_t start = monotonic_milliseconds();
        const LoadOutcome outcome = load_graph_file(path, log, false, reporter, state);
        const std::int64_t end = monotonic_milliseconds();
        std::ostringstream report;
        report << (outcome == LoadOutcome::loaded ? 1 : 0) << ' ' << (end - start) / 1000.0 << '\n';
        for (const auto& [label, seconds] : log.timings()) {
            report << seconds << ' ' << label << '\n';
        }
        const std::string text = report.str();
        if (write(fds[1], text.data(), text.size()) < 0) {
            _exit(1);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);

    Measure measure;
    std::istringstream in(text);
    int ok = 0;
    in >> ok >> measure.seconds;
    measure.ok = ok == 1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    measure.peak_kib = usage.ru_maxrss;
    double seconds = 0.0;
    std::string label;
    while (in >> seconds && std::getline(in >> std::ws, label)) {
        measure.stages.emplace_back(label, seconds);
    }
    return measure;
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
            const Measure m = measure_load(path);
            std::printf("%6d %10s %9.3f %9.1f ", n, directed ? "directed" : "undirected", m.seconds,
                        m.peak_kib / 1024.0);
            if (!m.ok) {
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
