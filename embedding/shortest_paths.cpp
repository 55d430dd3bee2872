#include "embedding/shortest_paths.h"

#include <functional>
#include <limits>
#include <queue>
#include <utility>

#include "graph/arc_lists.h"

std::vector<double> distances_to_subset(const ArcLists& arcs, const std::set<int>& subset) {
    const int n = arcs.vertex_count();
    std::vector<double> distance(n, unreachable_distance);
    std::vector<char> settled(n, 0);
    using Entry = std::pair<double, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> frontier;
    for (int a : subset) {
        distance[a] = 0.0;
        frontier.emplace(0.0, a);
    }
    const std::vector<Arc>& all = arcs.arcs();
    while (!frontier.empty()) {
        const auto [d, w] = frontier.top();
        frontier.pop();
        if (settled[w] || d != distance[w]) {
            continue;
        }
        settled[w] = 1;
        // Every arc u → w offers u the path through w.
        for (int i : arcs.in_arcs(w)) {
            const Arc& arc = all[i];
            const double through = arc.capacity + d;
            if (!settled[arc.tail] && through < distance[arc.tail]) {
                distance[arc.tail] = through;
                frontier.emplace(through, arc.tail);
            }
        }
    }
    return distance;
}

PathsFrom shortest_paths_from(const ArcLists& arcs, const std::vector<double>& lengths,
                              int source) {
    const int n = arcs.vertex_count();
    PathsFrom paths;
    paths.distance.assign(n, std::numeric_limits<double>::infinity());
    paths.order.reserve(n);
    std::vector<char> settled(n, 0);
    using Entry = std::pair<double, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> frontier;
    paths.distance[source] = 0.0;
    frontier.emplace(0.0, source);
    while (!frontier.empty()) {
        const auto [d, u] = frontier.top();
        frontier.pop();
        if (settled[u] || d != paths.distance[u]) {
            continue;
        }
        settled[u] = 1;
        paths.order.push_back(u);
        for (int a = arcs.out_begin(u); a < arcs.out_end(u); ++a) {
            const int v = arcs.arcs()[a].head;
            if (!settled[v] && d + lengths[a] < paths.distance[v]) {
                paths.distance[v] = d + lengths[a];
                frontier.emplace(paths.distance[v], v);
            }
        }
    }
    return paths;
}
