// Frame time of the headless view with everything drawn over and into it: a
// directed graph of 100 vertices and 400 arcs with flows, every vertex
// labelled and the legend, from the camera fitted to the graph. Three scenes:
// the plain one (no cut, no cones, edges grey), the one with the cut and the
// cones, and that one with the flows shown (thick coloured edges). Prints
// the median and mean time per frame of each step: the GL drawing (finished
// with glFinish), reading the pixels back, and writing the labels and the
// legend into them.
//
// Run: build-release/bench/overlay_frame_bench [frames] [width] [height]

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <memory>
#include <numeric>
#include <vector>

#include "common/random_source.h"
#include "graph/commodities.h"
#include "graph/demand_set.h"
#include "graph/flow_result.h"
#include "graph/graph.h"
#include "render/gl_setup.h"
#include "render/offscreen_renderer.h"
#include "render/scene.h"
#include "render/text_overlay.h"
#include "view/fit_view.h"
#include "view/overlay.h"
#include "view/placement.h"

namespace {

using Clock = std::chrono::steady_clock;

// n vertices, `arcs` random arcs of capacity 10 with made-up flows, and a
// cut of every other vertex.
// A graph with its flow result.
struct FlowGraph {
    Graph graph;
    FlowResult result;
    DemandSet demands;
};

FlowGraph make_flow_graph(int n, int arcs, RandomSource& random) {
    std::list<DirectedEdgesGroup> groups;
    std::vector<std::vector<bool>> used(n, std::vector<bool>(n, false));
    for (int added = 0; added < arcs;) {
        const int u = random.next() % n, v = random.next() % n;
        if (u == v || used[u][v]) {
            continue;
        }
        used[u][v] = true;
        groups.push_back({{u}, {v}, 10.0f});
        ++added;
    }
    Graph graph(n, groups, true, std::vector<Vector3>(n), std::vector<float>(n, 2.0f));
    FlowResult result;
    result.flow.assign(
        commodity_count,
        std::vector<double>(static_cast<std::size_t>(graph.arcs().arc_count()), 0.0));
    for (const auto& group : groups) {
        for (int w = 0; w < commodity_count; ++w) {
            result.flow[w][graph.arcs().find(group.sources[0], group.targets[0])] =
                random.next() % 20;
        }
    }
    result.maxflow = 0.3;
    result.reached_optimum = true;
    result.solve = {SolveStatus::optimal, 0};
    result.cut.found = true;
    result.cut.ratio = 1.5;
    for (int v = 0; v < n; v += 2) {
        result.cut.vertices.insert(v);
    }
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

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const int width = argc > 2 ? std::atoi(argv[2]) : 700;
    const int height = argc > 3 ? std::atoi(argv[3]) : 700;

    auto created = OffscreenRenderer::create();
    if (!created) {
        std::fprintf(stderr, "no headless OpenGL context: %s\n", created.error().c_str());
        return 1;
    }
    auto text = TextOverlay::create();
    if (!text) {
        std::fprintf(stderr, "no font: %s\n", text.error().c_str());
        return 1;
    }
    OffscreenRenderer* renderer = created->get();
    RandomSource random(7);
    const FlowGraph graph = make_flow_graph(100, 400, random);
    std::vector<Vector3> positions;
    place_vertices(graph.graph, random, positions);
    const SceneInput input{&graph.graph, &graph.result, &positions,    nullptr,
                           nullptr,      false,         &graph.demands};
    if (!renderer->bind_framebuffer(width, height)) {
        std::fprintf(stderr, "cannot render %d x %d\n", width, height);
        return 1;
    }
    std::printf(
        "overlay frame, 100 vertices, 400 arcs, labels and legend, fitted camera, %d x %d, %d "
        "frames (%s)\n",
        width, height, frames, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    struct Scene {
        const char* name;
        bool cut_and_cones;
        bool flow;
    };
    for (const Scene& scene :
         {Scene{"plain scene", false, false}, Scene{"cut and cones", true, false},
          Scene{"cut, cones and flows", true, true}}) {
        ViewSettings settings;
        settings.show_cut = settings.show_arrows = scene.cut_and_cones;
        settings.show_flow = scene.flow;
        settings.client_width = width;
        settings.client_height = height;
        Camera camera;
        fit_view(input, settings, camera, true);
        std::printf(" %s:\n", scene.name);
        std::vector<double> draw_ms, read_ms, text_ms, total_ms;
        for (int frame = -10; frame < frames; ++frame) {
            const auto start = Clock::now();
            render_frame(renderer->scene(), input, settings, camera);
            glFinish();
            const double drawn = since(start);
            const auto read_start = Clock::now();
            RgbaImage image = renderer->read_pixels();
            const double read = since(read_start);
            const auto text_start = Clock::now();
            (*text)->draw_labels(image, vertex_labels(input, settings, camera));
            (*text)->draw_legend(image, legend_lines(input, settings));
            const double written = since(text_start);
            if (frame >= 0) {  // the first ten warm up
                draw_ms.push_back(drawn);
                read_ms.push_back(read);
                text_ms.push_back(written);
                total_ms.push_back(since(start));
            }
        }
        for (const auto& [name, ms] : {std::pair{"GL drawing", draw_ms},
                                       {"read back", read_ms},
                                       {"labels and legend", text_ms},
                                       {"whole frame", total_ms}}) {
            const Stats s = summarise(ms);
            std::printf("  %-18s median %6.2f ms (mean %6.2f)\n", name, s.median_ms, s.mean_ms);
        }
    }
    return 0;
}
