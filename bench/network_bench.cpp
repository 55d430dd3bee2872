// Loads of network files, each with the certificate of its cut as
// tarvessa-batch --certificate runs it: the time of every load, to hold
// against the target of 3 s per load.
//
//     network_bench DIR [--repeat R]
//       every file of DIR, its format told by its content (SNDlib native
//       files from the library, GraphML, GML, DIMACS or .gr), in name order:
//       format, vertices, demands, λ, λ*, the median wall-clock and processor
//       time of R loads (default 1) and the peak memory; "> 3 s" marks a
//       load over the target
//     network_bench --write DIR
//       writes into DIR SNDlib native networks shaped like the library's
//       range (12 to 161 nodes, 15 to 332 links, 66 to 14 311 demands) for
//       a machine without its files: nodes placed at random, a random tree
//       joining them and random further links between near nodes, some with a
//       pre-installed capacity and some with modules only, demands between
//       random ordered pairs
//
// The loads run in child processes of their own (load_in_child), so that
// each peak is the load's own.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bench/child_load.h"
#include "netformat/network_readers.h"
#include "shell/load_graph.h"

namespace fs = std::filesystem;

namespace {

constexpr double target_seconds = 3.0;

struct Shape {
    int nodes;
    int links;
    int demands;
    // Above 0: that many hubs joined among themselves, every other node a
    // leaf on one hub, all links of one module and demands spread over six
    // decades (the shape of a regional research network).
    int hubs = 0;
};

// The SNDlib native text of a hub network of `shape`: the hubs on a ring of
// chords, each other node on the hub nearest to it.
std::string hub_network(const Shape& shape, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> longitude(-10.0, 30.0);
    std::uniform_real_distribution<double> latitude(35.0, 60.0);
    std::ostringstream text;
    text << "?SNDlib native format; type: network; version: 1.0\n# hub network shaped "
         << shape.nodes << "-" << shape.links << "-" << shape.demands << "\n\nNODES (\n";
    std::vector<std::pair<double, double>> at;
    for (int v = 0; v < shape.nodes; ++v) {
        at.emplace_back(longitude(engine), latitude(engine));
        text << "  N" << v << " ( " << at.back().first << " " << at.back().second << " )\n";
    }
    text << ")\n\nLINKS (\n";
    std::set<std::pair<int, int>> joined;
    const auto link = [&](int u, int v) {
        if (u == v || !joined.insert({std::min(u, v), std::max(u, v)}).second) {
            return;
        }
        text << "  L" << joined.size() << " ( N" << u << " N" << v
             << " ) 0.00 0.00 0.00 0.00 ( 1000000000.00 136.42 10000000000.00 1044.17 )\n";
    };
    for (int v = shape.hubs; v < shape.nodes; ++v) {
        int nearest = 0;
        for (int h = 1; h < shape.hubs; ++h) {
            if (std::hypot(at[v].first - at[h].first, at[v].second - at[h].second) <
                std::hypot(at[v].first - at[nearest].first, at[v].second - at[nearest].second)) {
                nearest = h;
            }
        }
        link(v, nearest);
    }
    std::uniform_int_distribution<int> hub(0, shape.hubs - 1);
    for (int h = 1; h < shape.hubs; ++h) {
        link(h, std::uniform_int_distribution<int>(0, h - 1)(engine));
    }
    while (static_cast<int>(joined.size()) < shape.links) {
        link(hub(engine), hub(engine));
    }
    text << ")\n\nDEMANDS (\n";
    std::set<std::pair<int, int>> pairs;
    std::uniform_int_distribution<int> vertex(0, shape.nodes - 1);
    std::uniform_real_distribution<double> decade(0.5, 7.0);
    while (static_cast<int>(pairs.size()) < shape.demands) {
        const int s = vertex(engine);
        const int t = vertex(engine);
        if (s != t && pairs.insert({s, t}).second) {
            text << "  D" << pairs.size() << " ( N" << s << " N" << t << " ) 1 "
                 << std::llround(std::pow(10.0, decade(engine))) << ".0 UNLIMITED\n";
        }
    }
    text << ")\n";
    return text.str();
}

// The SNDlib native text of a random network of `shape`.
std::string sndlib_network(const Shape& shape, unsigned seed) {
    if (shape.hubs > 0) {
        return hub_network(shape, seed);
    }
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> longitude(-10.0, 30.0);
    std::uniform_real_distribution<double> latitude(35.0, 60.0);
    std::vector<std::pair<double, double>> at;
    std::ostringstream text;
    text << "?SNDlib native format; type: network; version: 1.0\n# network shaped "
         << shape.nodes << "-" << shape.links << "-" << shape.demands << "\n\nNODES (\n";
    for (int v = 0; v < shape.nodes; ++v) {
        at.emplace_back(longitude(engine), latitude(engine));
        text << "  N" << v << " ( " << at.back().first << " " << at.back().second << " )\n";
    }
    text << ")\n\nLINKS (\n";
    std::set<std::pair<int, int>> joined;
    std::uniform_int_distribution<int> module(0, 2);
    const int modules[] = {155, 622, 2488};
    const auto link = [&](int u, int v) {
        if (u == v || !joined.insert({std::min(u, v), std::max(u, v)}).second) {
            return;
        }
        const bool preinstalled = module(engine) == 0;
        text << "  L" << joined.size() << " ( N" << u << " N" << v << " ) "
             << (preinstalled ? modules[module(engine)] : 0) << ".00 0.00 0.00 0.00 ( "
             << modules[module(engine)] << ".00 1000.00 " << 4 * modules[2] << ".00 3000.00 )\n";
    };
    std::uniform_int_distribution<int> vertex(0, shape.nodes - 1);
    for (int v = 1; v < shape.nodes; ++v) {
        link(v, std::uniform_int_distribution<int>(0, v - 1)(engine));
    }
    const auto distance = [&](int u, int v) {
        return std::hypot(at[u].first - at[v].first, at[u].second - at[v].second);
    };
    while (static_cast<int>(joined.size()) < shape.links) {
        // The nearer of a few candidates, as backbones join near cities.
        const int u = vertex(engine);
        int best = vertex(engine);
        for (int k = 0; k < 4; ++k) {
            const int w = vertex(engine);
            if (w != u && (best == u || distance(u, w) < distance(u, best))) {
                best = w;
            }
        }
        link(u, best);
    }
    text << ")\n\nDEMANDS (\n";
    std::set<std::pair<int, int>> pairs;
    std::uniform_real_distribution<double> value(0.5, 100.0);
    while (static_cast<int>(pairs.size()) < shape.demands) {
        const int s = vertex(engine);
        const int t = vertex(engine);
        if (s != t && pairs.insert({s, t}).second) {
            text << "  D" << pairs.size() << " ( N" << s << " N" << t << " ) 1 " << value(engine)
                 << " UNLIMITED\n";
        }
    }
    text << ")\n";
    return text.str();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--write") {
        const Shape shapes[] = {{12, 15, 66},    {14, 21, 91},    {25, 45, 300},
                                {39, 122, 1482}, {50, 88, 662},   {65, 108, 1869},
                                {161, 166, 14311}, {161, 332, 14311}, {161, 166, 14311, 9}};
        fs::create_directories(argv[2]);
        unsigned seed = 1;
        for (const Shape& shape : shapes) {
            const std::string name = std::string(shape.hubs > 0 ? "hubs-" : "shaped-") +
                                     std::to_string(shape.nodes) + "-" +
                                     std::to_string(shape.links) + "-" +
                                     std::to_string(shape.demands) + ".txt";
            std::ofstream(fs::path(argv[2]) / name) << sndlib_network(shape, seed++);
        }
        return 0;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: network_bench DIR [--repeat R] | --write DIR\n");
        return 2;
    }
    const int repeat = argc > 3 && std::string(argv[2]) == "--repeat" ? std::atoi(argv[3]) : 1;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(argv[1])) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::printf("%-28s %-7s %5s %6s %7s %12s %12s %8s %8s %6s\n", "file", "format", "n", "arcs",
                "demands", "lambda", "lambda*", "wall_s", "cpu_s", "MiB");
    ChildOptions options;
    options.certify = true;
    const LoadInspector inspect = [](const LoadedGraph& state) {
        const ComputedGraph& g = *state.current;
        std::ostringstream line;
        line.precision(10);
        line << std::string(format_name(g.format)) << ' ' << g.graph.vertex_count() << ' '
             << g.graph.arcs().arc_count() << ' ' << g.demands.present_count() << ' '
             << g.result.maxflow << ' '
             << (g.certificate && g.certificate->bound_reached ? g.certificate->lower_bound
                                                               : -1.0);
        return line.str();
    };
    for (const fs::path& file : files) {
        std::vector<double> wall;
        std::vector<double> cpu;
        long peak = 0;
        std::string found;
        for (int r = 0; r < std::max(1, repeat); ++r) {
            const ChildLoad load = load_in_child(file.string(), false, 600, inspect, options);
            if (!load.loaded) {
                found.clear();
                break;
            }
            wall.push_back(load.seconds);
            cpu.push_back(load.cpu_seconds);
            peak = std::max(peak, load.peak_kib);
            found = load.inspection;
        }
        if (found.empty()) {
            std::printf("%-28s load failed\n", file.filename().c_str());
            continue;
        }
        std::istringstream fields(found);
        std::string format;
        int n = 0;
        int arcs = 0;
        int demands = 0;
        double lambda = 0.0;
        double bound = 0.0;
        fields >> format >> n >> arcs >> demands >> lambda >> bound;
        std::printf("%-28s %-7s %5d %6d %7d %12.6g %12.6g %8.2f %8.2f %6ld%s\n",
                    file.filename().c_str(), format.c_str(), n, arcs, demands, lambda, bound,
                    median(wall), median(cpu), peak / 1024,
                    median(wall) > target_seconds ? "  > 3 s" : "");
        std::fflush(stdout);
    }
    return 0;
}
