#include "graph/graph.h"

#include <utility>

Graph::Graph(int n, const std::list<DirectedEdgesGroup>& groups, bool directed,
             std::vector<Vector3> positions, std::vector<float> sizes,
             std::vector<bool> given)
    : matrix_(n), sizes_(std::move(sizes)), positions_(std::move(positions)),
      given_(std::move(given)), directed_(directed) {
    if (given_.empty()) {
        for (const Vector3& p : positions_) {
            given_.push_back(!(p.x == 0.0f && p.y == 0.0f && p.z == 0.0f));
        }
    }
    for (const DirectedEdgesGroup& group : groups) {
        for (int s : group.sources) {
            for (int t : group.targets) {
                if (s == t) {
                    continue;
                }
                EdgeCell& c = mutable_cell(s, t);
                c.present = true;
                c.capacity = group.cap;
            }
        }
    }
    arcs_ = ArcLists(*this);
}

EdgeCell& Graph::mutable_cell(int u, int v) {
    if (!directed_ && u > v) {
        std::swap(u, v);
    }
    return matrix_[u][v];
}

const EdgeCell& Graph::cell(int u, int v) const {
    return const_cast<Graph*>(this)->mutable_cell(u, v);
}

NeighbourIterator::NeighbourIterator(const Graph& graph, int vertex)
    : graph_(graph), vertex_(vertex) {
    next();
}

void NeighbourIterator::next() {
    if (finished_) {
        return;
    }
    const auto& row = graph_.matrix()[vertex_];
    const int n = graph_.vertex_count();
    for (int j = current_ + 1; j < n; ++j) {
        if (row[j].present) {
            current_ = j;
            return;
        }
    }
    current_ = -1;
    finished_ = true;
}
