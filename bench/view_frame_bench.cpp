// Frame time of the 3D view, headless: a graph of 100 vertices and 400 edges
// with flows on every edge and all three arches, drawn with show-flow on.
// Prints the median and mean time per frame, for drawing alone (finished
// with glFinish) and for drawing plus reading the pixels back.
//
// Run: build-release/bench/view_frame_bench [frames] [width] [height]

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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
#include "view/placement.h"

namespace {

using Clock = std::chrono::steady_clock;

// A graph of n vertices with `edges` random edges of capacity 10, and made-up
// flows on them.
// A graph with its flow result.
struct FlowGraph {
    Graph graph;
    FlowResult result;
    DemandSet demands;
};

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

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int width = argc > 2 ? std::atoi(argv[2]) : 700;
    const int height = argc > 3 ? std::atoi(argv[3]) : 700;

    auto created = OffscreenRenderer::create();
    if (!created) {
        std::fprintf(stderr, "no headless OpenGL context: %s\n", created.error().c_str());
        return 1;
    }
    OffscreenRenderer* renderer = created->get();
    RandomSource random(7);
    const FlowGraph graph = make_flow_graph(100, 400, random);
    std::vector<Vector3> positions;
    place_vertices(graph.graph, random, positions);
    const SceneInput input{&graph.graph, &graph.result, &positions,    nullptr,
                           nullptr,      false,         &graph.demands};
    ViewSettings settings;
    settings.show_flow = true;
    settings.client_width = width;
    settings.client_height = height;
    if (!renderer->bind_framebuffer(width, height)) {
        std::fprintf(stderr, "cannot render %d x %d\n", width, height);
        return 1;
    }
    std::printf("view frame, 100 vertices, 400 edges, %d x %d, %d frames (%s)\n", width, height,
                frames, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    // The start camera sits inside the placement box (half-width 700 for
    // 100 vertices); from (1500, 0, 0) the whole graph is in view.
    struct View {
        const char* name;
        Vector3 position;
    };
    for (const View& view : {View{"start camera", {25, 0, 0}}, View{"whole graph", {1500, 0, 0}}}) {
        Camera camera;
        camera.position = view.position;
        const auto draw = [&] {
            render_frame(renderer->scene(), input, settings, camera);
            glFinish();
        };
        renderer->bind_framebuffer(width, height);
        for (int warm = 0; warm < 10; ++warm) {
            draw();
        }
        std::vector<double> draw_ms, read_ms;
        for (int frame = 0; frame < frames; ++frame) {
            const auto start = Clock::now();
            draw();
            draw_ms.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        for (int frame = 0; frame < frames; ++frame) {
            const auto start = Clock::now();
            const auto image = renderer->render(input, settings, camera, width, height);
            read_ms.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            if (!image) {
                return 1;
            }
        }
        const Stats d = summarise(draw_ms), r = summarise(read_ms);
        std::printf(
            "  %s: draw median %.2f ms (mean %.2f); draw + read back median %.2f ms "
            "(mean %.2f)\n",
            view.name, d.median_ms, d.mean_ms, r.median_ms, r.mean_ms);
    }
    return 0;
}
