// Frame time of the 3D view while the camera moves, headless, as the window
// draws it: random graphs of 100, 500, 1 000 and 2 000 vertices (400, 2 000,
// 4 000 and 7 000 undirected edges, flows on every edge, all three arches)
// at their random placement, labels and legend on, show-flow off and on. The
// camera starts fitted to the graph and moves every frame as key A held and
// the mouse do (16 units forward, and turning a little one way then back).
//
// For each graph and setting it prints the median and mean of
//   frame:  the GL drawing (finished with glFinish) with the labels and the
//           legend worked out, what the window does each frame before
//           painting the texts, in wall-clock time and in the thread's
//           processor time (the rasteriser's too with LP_NUM_THREADS=0,
//           which a machine shared with other work does not inflate);
//   read:   reading the pixels back and writing the texts into them, what a
//           picture adds;
// the growth of the resident size over the first frame of each graph and the
// memory of the geometry the scene keeps (its shapes and its last frame);
// and, first of all, the picture's part of `tarvessa-batch --png` on the
// largest graph: a new headless context, the fit, one frame, the texts and
// the PNG file, once in a process that has not loaded the GL driver yet (as
// tarvessa-batch runs it), then again with it loaded.
//
// Run: build-release/bench/view_frame_bench [frames] [n ...]
//      (LP_NUM_THREADS=0 for the window's single-threaded rasteriser)

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <list>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "common/random_source.h"
#include "graph/commodities.h"
#include "graph/demand_set.h"
#include "graph/flow_result.h"
#include "graph/graph.h"
#include "render/gl_setup.h"
#include "render/offscreen_renderer.h"
#include "render/png_writer.h"
#include "render/scene.h"
#include "render/text_overlay.h"
#include "view/camera.h"
#include "view/fit_view.h"
#include "view/overlay.h"
#include "view/placement.h"

namespace {

using Clock = std::chrono::steady_clock;

// A graph with its flow result and its demand set.
struct FlowGraph {
    Graph graph;
    FlowResult result;
    DemandSet demands;
};

// A graph of n vertices with `edges` random undirected edges of capacity 10
// and made-up flows on them.
FlowGraph make_flow_graph(int n, int edges, RandomSource& random) {
    std::list<DirectedEdgesGroup> groups;
    std::vector<std::vector<bool>> used(n, std::vector<bool>(n, false));
    for (int added = 0; added < edges;) {
        int u = random.next() % n, v = random.next() % n;
        if (u == v) {
            continue;
        }
        if (u > v) {
            std::swap(u, v);
        }
        if (used[u][v]) {
            continue;
        }
        used[u][v] = true;
        groups.push_back({{u}, {v}, 10.0f});
        ++added;
    }
    Graph graph(n, groups, false, std::vector<Vector3>(n), std::vector<float>(n, 2.0f));
    FlowResult result;
    result.flow.assign(
        commodity_count,
        std::vector<double>(static_cast<std::size_t>(graph.arcs().arc_count()), 0.0));
    for (const auto& group : groups) {
        const int u = group.sources[0], v = group.targets[0];
        for (int w = 0; w < commodity_count; ++w) {
            result.flow[w][graph.arcs().find(u, v)] = random.next() % 20;
        }
    }
    result.maxflow = 0.3;
    result.reached_optimum = true;
    result.solve = SolveEnd{SolveStatus::optimal, 0};
    DemandSet demands = DemandSet::default_set(n);
    return FlowGraph{std::move(graph), std::move(result), std::move(demands)};
}

struct Stats {
    double median_ms;
    double mean_ms;
};

Stats summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], std::accumulate(ms.begin(), ms.end(), 0.0) / ms.size()};
}

double since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of this thread, in milliseconds: with LP_NUM_THREADS=0 the
// rasteriser runs on it, so this is the frame's work whatever else the
// machine runs.
double thread_ms() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Resident size in KiB, from /proc.
long resident_kib() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    }
    return 0;
}

int edges_for(int n) {
    return n <= 100 ? 4 * n : n <= 1000 ? 4 * n : 7 * n / 2;
}

// The graph of n vertices and edges_for(n) edges that the bench draws, its
// vertices placed at random, always from the same seed.
struct DrawnGraph {
    FlowGraph flow;
    std::vector<Vector3> positions;

    SceneInput input() const {
        return SceneInput{&flow.graph, &flow.result, &positions,   nullptr,
                          nullptr,     false,        &flow.demands};
    }
};

DrawnGraph drawn_graph(int n) {
    RandomSource random(7);
    DrawnGraph drawn{make_flow_graph(n, edges_for(n), random), {}};
    place_vertices(drawn.flow.graph, random, drawn.positions);
    return drawn;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    std::vector<int> sizes;
    for (int k = 2; k < argc; ++k) {
        sizes.push_back(std::atoi(argv[k]));
    }
    if (sizes.empty()) {
        sizes = {100, 500, 1000, 2000};
    }
    constexpr int width = 700, height = 700;

    // The picture's part of tarvessa-batch --png, on the largest graph.
    {
        const int n = *std::max_element(sizes.begin(), sizes.end());
        const DrawnGraph drawn = drawn_graph(n);
        const SceneInput input = drawn.input();
        std::vector<double> picture_ms;
        for (int run = 0; run < 6; ++run) {
            const auto start = Clock::now();
            auto fresh = OffscreenRenderer::create();
            ViewSettings settings;
            settings.client_width = width;
            settings.client_height = height;
            Camera camera;
            fit_view(input, settings, camera, true);
            std::optional<RgbaImage> image =
                (*fresh)->render(input, settings, camera, width, height);
            auto font = TextOverlay::create();
            (*font)->draw_labels(*image, vertex_labels(input, settings, camera));
            (*font)->draw_legend(*image, legend_lines(input, settings));
            if (!write_png("/tmp/view_frame_bench.png", *image)) {
                return 1;
            }
            picture_ms.push_back(since(start));
        }
        const double cold = picture_ms.front();
        picture_ms.erase(picture_ms.begin());
        std::printf(
            "picture of %d vertices (--png's part): %.1f ms loading the driver, then median %.1f "
            "ms\n",
            n, cold, summarise(picture_ms).median_ms);
    }

    auto created = OffscreenRenderer::create();
    auto text = TextOverlay::create();
    if (!created || !text) {
        std::fprintf(stderr, "no headless OpenGL context or no font\n");
        return 1;
    }
    OffscreenRenderer* renderer = created->get();
    std::printf("view frame while the camera moves, %d x %d, %d frames (%s)\n", width, height,
                frames, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    for (const int n : sizes) {
        const DrawnGraph drawn = drawn_graph(n);
        const SceneInput input = drawn.input();
        std::printf("%d vertices, %d edges:\n", n, edges_for(n));
        for (const bool flow : {false, true}) {
            ViewSettings settings;
            settings.show_flow = flow;
            settings.client_width = width;
            settings.client_height = height;
            Camera camera;
            fit_view(input, settings, camera, true);
            renderer->bind_framebuffer(width, height);
            const long before = resident_kib();
            std::vector<double> frame_ms, frame_cpu_ms, read_ms;
            for (int frame = -3; frame < frames; ++frame) {
                // Key A held (16 units forward a frame) and the mouse turning
                // the view a little, one way then back.
                if (frame > 0) {
                    move_camera('A', camera, settings);
                    look_with_mouse(frame % 20 < 10 ? 3 : -3, frame % 10 < 5 ? 1 : -1, camera,
                                    settings);
                }
                const auto start = Clock::now();
                const double cpu_start = thread_ms();
                render_frame(renderer->scene(), input, settings, camera);
                glFinish();
                const std::vector<VertexLabel> labels = vertex_labels(input, settings, camera);
                const std::vector<LegendLine> legend = legend_lines(input, settings);
                const double drawn = since(start);
                const double drawn_cpu = thread_ms() - cpu_start;
                const auto read_start = Clock::now();
                RgbaImage image = renderer->read_pixels();
                (*text)->draw_labels(image, labels);
                (*text)->draw_legend(image, legend);
                const double read = since(read_start);
                if (frame == -3) {
                    std::printf(
                        "  show-flow %-3s first frame %7.2f ms, resident +%ld KiB, geometry %zu "
                        "KiB\n",
                        flow ? "on" : "off", drawn, resident_kib() - before,
                        renderer->scene().geometry_bytes() / 1024);
                }
                if (frame >= 0) {
                    frame_ms.push_back(drawn);
                    frame_cpu_ms.push_back(drawn_cpu);
                    read_ms.push_back(read);
                }
            }
            const Stats f = summarise(frame_ms), c = summarise(frame_cpu_ms),
                        r = summarise(read_ms);
            std::printf(
                "  show-flow %-3s frame median %7.2f ms (mean %7.2f), processor %7.2f ms; "
                "read + texts %6.2f ms\n",
                flow ? "on" : "off", f.median_ms, f.mean_ms, c.median_ms, r.median_ms);
        }
    }

    return 0;
}
