// Time of the force layout ("Disposition par forces", --layout force) on
// random graphs of n vertices and 3n edges, as Varnock writes them: with no
// position given, and with ten positions given (which runs the layout twice:
// free, then around the given vertices). Prints the median of three runs and
// the median edge length reached.
//
// Run: build-release/bench/layout_bench [n ...]   (default 100 300 500)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <random>
#include <vector>

#include "common/random_source.h"
#include "graph/graph.h"
#include "view/force_layout.h"

namespace {

using Clock = std::chrono::steady_clock;

Graph random_graph(int n, int edges, int given, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> vertex(0, n - 1);
    std::uniform_real_distribution<float> place(-100.0f, 100.0f);
    std::list<DirectedEdgesGroup> groups;
    for (int e = 0; e < edges; ++e) {
        groups.push_back({{vertex(rng)}, {vertex(rng)}, 1.0f});
    }
    std::vector<Vector3> positions(static_cast<std::size_t>(n));
    for (int i = 0; i < std::min(given, n); ++i) {
        positions[static_cast<std::size_t>(i)] = Vector3(place(rng), place(rng), place(rng));
    }
    return Graph(n, groups, false, positions,
                 std::vector<float>(static_cast<std::size_t>(n), 2.0f));
}

double median_edge(const Graph& graph, const std::vector<Vector3>& at) {
    std::vector<double> lengths;
    for (int u = 0; u < graph.vertex_count(); ++u) {
        for (NeighbourIterator it(graph, u); !it.finished(); it.next()) {
            lengths.push_back(
                (at[static_cast<std::size_t>(u)] - at[static_cast<std::size_t>(it.current())])
                    .length());
        }
    }
    if (lengths.empty()) {
        return 0.0;
    }
    std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
    return lengths[lengths.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) {
        sizes = {100, 300, 500};
    }
    std::printf("force layout, n vertices and 3n random edges, median of 3 runs\n");
    for (const int n : sizes) {
        for (const int given : {0, 10}) {
            const Graph graph = random_graph(n, 3 * n, given, 17);
            std::vector<double> seconds;
            std::vector<Vector3> placed;
            for (int run = 0; run < 3; ++run) {
                RandomSource random(static_cast<std::uint32_t>(run));
                const auto start = Clock::now();
                force_layout(graph, random, placed);
                seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            }
            std::sort(seconds.begin(), seconds.end());
            std::printf("  n = %4d, %2d given: %.3f s (median edge %.1f)\n", n, given, seconds[1],
                        median_edge(graph, placed));
        }
    }
    return 0;
}
