#include "view/force_layout.h"

#include <igraph/igraph.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "common/igraph_lock.h"
#include "common/random_source.h"
#include "graph/graph.h"

namespace {

using Point = std::array<double, 3>;

bool given(const Vector3& g) {
    return !(g.x == 0.0f && g.y == 0.0f && g.z == 0.0f);
}

double distance(const Point& a, const Point& b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

// The cancel flag of the layout that runs on this thread, if any, which
// igraph's interruption handler reads between iterations.
thread_local const std::atomic<bool>* layout_cancel = nullptr;

igraph_error_t interrupt_when_cancelled(void*) {
    return layout_cancel != nullptr && layout_cancel->load() ? IGRAPH_INTERRUPTED : IGRAPH_SUCCESS;
}

// Points igraph's interruption handler at a flag for one layout.
class CancelScope {
  public:
    explicit CancelScope(const std::atomic<bool>* cancel) { layout_cancel = cancel; }
    ~CancelScope() { layout_cancel = nullptr; }
    CancelScope(const CancelScope&) = delete;
    CancelScope& operator=(const CancelScope&) = delete;
};

bool finite(const Point& p) {
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Each edge once as a pair (u < v), whatever its direction.
std::vector<std::pair<int, int>> undirected_edges(const Graph& graph) {
    std::vector<std::pair<int, int>> edges;
    const int n = graph.vertex_count();
    for (int u = 0; u < n; ++u) {
        for (NeighbourIterator it(graph, u); !it.finished(); it.next()) {
            const int v = it.current();
            // An arc whose reverse also exists is taken from its smaller end.
            if (graph.directed() && v < u && graph.cell(v, u).present) {
                continue;
            }
            edges.emplace_back(std::min(u, v), std::max(u, v));
        }
    }
    return edges;
}

// The length that the layout's scale is measured by: the median edge length,
// or for a graph whose edges all have length 0 (or that has none) the median
// distance from each vertex to its nearest one; 0 when even that is 0.
double reference_length(const std::vector<Point>& points,
                        const std::vector<std::pair<int, int>>& edges) {
    std::vector<double> lengths;
    lengths.reserve(edges.size());
    for (const auto& [u, v] : edges) {
        const double d =
            distance(points[static_cast<std::size_t>(u)], points[static_cast<std::size_t>(v)]);
        if (d > 0.0 && std::isfinite(d)) {
            lengths.push_back(d);
        }
    }
    if (!lengths.empty()) {
        return median(std::move(lengths));
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        double nearest = std::numeric_limits<double>::infinity();
        for (std::size_t j = 0; j < points.size(); ++j) {
            const double d = distance(points[i], points[j]);
            if (j != i && d > 0.0) {
                nearest = std::min(nearest, d);
            }
        }
        if (std::isfinite(nearest)) {
            lengths.push_back(nearest);
        }
    }
    return median(std::move(lengths));
}

// Owns igraph's objects for one run.
class IgraphRun {
  public:
    IgraphRun(int n, const std::vector<std::pair<int, int>>& edges) : n_(n) {
        igraph_vector_int_init(&edge_list_, static_cast<igraph_integer_t>(2 * edges.size()));
        for (std::size_t k = 0; k < edges.size(); ++k) {
            VECTOR(edge_list_)[2 * k] = edges[k].first;
            VECTOR(edge_list_)[2 * k + 1] = edges[k].second;
        }
        ok_ = igraph_create(&graph_, &edge_list_, n, IGRAPH_UNDIRECTED) == IGRAPH_SUCCESS;
        ok_ = igraph_matrix_init(&layout_, n, 3) == IGRAPH_SUCCESS && ok_;
        for (auto& bound : bounds_) {
            ok_ = igraph_vector_init(&bound, n) == IGRAPH_SUCCESS && ok_;
        }
    }
    ~IgraphRun() {
        for (auto& bound : bounds_) {
            igraph_vector_destroy(&bound);
        }
        igraph_matrix_destroy(&layout_);
        if (ok_) {
            igraph_destroy(&graph_);
        }
        igraph_vector_int_destroy(&edge_list_);
    }
    IgraphRun(const IgraphRun&) = delete;
    IgraphRun& operator=(const IgraphRun&) = delete;

    // Runs the layout from `start`; vertices with `fixed` set stay where
    // `start` has them. Returns the positions, or none when igraph fails.
    std::optional<std::vector<Point>> run(const std::vector<Point>& start,
                                          const std::vector<bool>& fixed, int iterations,
                                          double start_temperature) {
        if (!ok_) {
            return std::nullopt;
        }
        const double huge = std::numeric_limits<double>::infinity();
        bool any_fixed = false;
        for (int i = 0; i < n_; ++i) {
            for (int k = 0; k < 3; ++k) {
                MATRIX(layout_, i, k) =
                    start[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)];
                const bool held = fixed[static_cast<std::size_t>(i)];
                any_fixed = any_fixed || held;
                VECTOR(bounds_[2 * k])[i] = held ? MATRIX(layout_, i, k) : -huge;
                VECTOR(bounds_[2 * k + 1])[i] = held ? MATRIX(layout_, i, k) : huge;
            }
        }
        const auto bound = [&](int b) { return any_fixed ? &bounds_[b] : nullptr; };
        if (igraph_layout_fruchterman_reingold_3d(
                &graph_, &layout_, true, iterations, start_temperature, nullptr, bound(0), bound(1),
                bound(2), bound(3), bound(4), bound(5)) != IGRAPH_SUCCESS) {
            return std::nullopt;
        }
        std::vector<Point> result(static_cast<std::size_t>(n_));
        for (int i = 0; i < n_; ++i) {
            for (int k = 0; k < 3; ++k) {
                result[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)] =
                    MATRIX(layout_, i, k);
            }
        }
        return result;
    }

  private:
    int n_;
    bool ok_ = false;
    igraph_vector_int_t edge_list_;
    igraph_t graph_;
    igraph_matrix_t layout_;
    // minx, maxx, miny, maxy, minz, maxz.
    std::array<igraph_vector_t, 6> bounds_;
};

// Puts every free vertex on a cubic lattice of `spacing` centred on the
// origin, in vertex order.
void lattice(const std::vector<bool>& fixed, double spacing, std::vector<Point>& points) {
    const std::size_t free_count =
        static_cast<std::size_t>(std::count(fixed.begin(), fixed.end(), false));
    const int side =
        std::max(1, static_cast<int>(std::ceil(std::cbrt(static_cast<double>(free_count)))));
    const double offset = (side - 1) / 2.0;
    int k = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (fixed[i]) {
            continue;
        }
        points[i] = {(k % side - offset) * spacing, (k / side % side - offset) * spacing,
                     (k / side / side - offset) * spacing};
        ++k;
    }
}

}  // namespace

bool force_layout(const Graph& graph, RandomSource& random, std::vector<Vector3>& display_positions,
                  const std::atomic<bool>* cancel) {
    const int n = graph.vertex_count();
    const std::vector<Vector3>& given_positions = graph.positions();
    std::vector<bool> fixed(static_cast<std::size_t>(n));
    bool any_fixed = false;
    bool any_free = false;
    for (int i = 0; i < n; ++i) {
        fixed[static_cast<std::size_t>(i)] = given(given_positions[static_cast<std::size_t>(i)]);
        any_fixed = any_fixed || fixed[static_cast<std::size_t>(i)];
        any_free = any_free || !fixed[static_cast<std::size_t>(i)];
    }
    std::vector<Vector3> placed(given_positions.begin(), given_positions.end());
    if (!any_free) {
        display_positions = std::move(placed);
        return true;
    }

    // igraph's state is process-wide: the file readers use it too.
    const std::lock_guard<std::mutex> hold(igraph_lock());
    // igraph aborts the program on an error unless told otherwise, and asks
    // its interruption handler between iterations.
    static const bool quiet = [] {
        igraph_set_error_handler(igraph_error_handler_ignore);
        igraph_set_warning_handler(igraph_warning_handler_ignore);
        igraph_set_interruption_handler(interrupt_when_cancelled);
        return true;
    }();
    (void)quiet;
    const CancelScope scope(cancel);
    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };

    const std::vector<std::pair<int, int>> edges = undirected_edges(graph);
    // Free start positions uniform in a cube whose volume grows with n, as
    // the layout's does; igraph's own draws (for coincident vertices) are
    // seeded from the same source.
    const double box = std::sqrt(static_cast<double>(n));
    const auto uniform = [&random, box] {
        return (static_cast<double>(random.next()) / random_max - 0.5) * box;
    };
    std::vector<Point> start(static_cast<std::size_t>(n));
    for (Point& p : start) {
        p = {uniform(), uniform(), uniform()};
    }
    igraph_rng_seed(igraph_rng_default(),
                    static_cast<igraph_uint_t>(random.next()) * (random_max + 1u) +
                        static_cast<igraph_uint_t>(random.next()));

    // The all-pairs forces cost n² per iteration: above 500 vertices fewer
    // iterations keep the time about that of 500.
    const int iterations =
        n <= 500 ? 500 : std::max(60, static_cast<int>(500.0 * (500.0 / n) * (500.0 / n)));
    const double temperature = std::sqrt(static_cast<double>(n));

    IgraphRun run(n, edges);
    const std::vector<bool> none_fixed(static_cast<std::size_t>(n), false);
    std::optional<std::vector<Point>> points = run.run(start, none_fixed, iterations, temperature);
    double scale = 0.0;
    if (points) {
        const double length = reference_length(*points, edges);
        scale = length > 0.0 ? layout_edge_length / length : 0.0;
    }
    if (points && scale > 0.0 && any_fixed) {
        // Again with the given vertices held at their places in the
        // layout's units, from the free layout moved so that those vertices'
        // centre falls on theirs: the free ones then only settle around them.
        Point free_centre{0, 0, 0};
        Point held_centre{0, 0, 0};
        int held = 0;
        for (int i = 0; i < n; ++i) {
            if (!fixed[static_cast<std::size_t>(i)]) {
                continue;
            }
            const Vector3& g = given_positions[static_cast<std::size_t>(i)];
            const Point target{g.x / scale, g.y / scale, g.z / scale};
            for (int k = 0; k < 3; ++k) {
                free_centre[k] += (*points)[static_cast<std::size_t>(i)][k];
                held_centre[k] += target[k];
            }
            (*points)[static_cast<std::size_t>(i)] = target;
            ++held;
        }
        for (int i = 0; i < n; ++i) {
            if (!fixed[static_cast<std::size_t>(i)]) {
                for (int k = 0; k < 3; ++k) {
                    (*points)[static_cast<std::size_t>(i)][k] +=
                        (held_centre[k] - free_centre[k]) / held;
                }
            }
        }
        points = run.run(*points, fixed, std::max(60, iterations / 2), temperature / 4.0);
    }

    if (cancelled()) {
        return false;
    }
    std::vector<Point> world(static_cast<std::size_t>(n));
    bool usable = points.has_value() && scale > 0.0 && std::isfinite(scale);
    if (usable) {
        for (int i = 0; i < n; ++i) {
            const Point& p = (*points)[static_cast<std::size_t>(i)];
            world[static_cast<std::size_t>(i)] = {p[0] * scale, p[1] * scale, p[2] * scale};
            usable = usable && (fixed[static_cast<std::size_t>(i)] ||
                                (finite(world[static_cast<std::size_t>(i)]) &&
                                 std::fabs(world[static_cast<std::size_t>(i)][0]) < 1e30 &&
                                 std::fabs(world[static_cast<std::size_t>(i)][1]) < 1e30 &&
                                 std::fabs(world[static_cast<std::size_t>(i)][2]) < 1e30));
        }
    }
    if (!usable) {
        lattice(fixed, layout_edge_length, world);
    } else if (!any_fixed) {
        Point low{world[0]}, high{world[0]};
        for (const Point& p : world) {
            for (int k = 0; k < 3; ++k) {
                low[k] = std::min(low[k], p[k]);
                high[k] = std::max(high[k], p[k]);
            }
        }
        for (Point& p : world) {
            for (int k = 0; k < 3; ++k) {
                p[k] -= (low[k] + high[k]) / 2.0;
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        if (!fixed[static_cast<std::size_t>(i)]) {
            const Point& p = world[static_cast<std::size_t>(i)];
            placed[static_cast<std::size_t>(i)] = Vector3(
                static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2]));
        }
    }
    display_positions = std::move(placed);
    return true;
}
