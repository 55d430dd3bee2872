#include "graph/arc_lists.h"

#include <algorithm>
#include <utility>

#include "graph/graph.h"

ArcLists::ArcLists(const Graph& graph) : vertex_count_(graph.vertex_count()) {
    const int n = vertex_count_;
    // Reading row u through cell() folds an undirected graph's pairs, so row
    // u lists both the larger neighbours stored in it and the smaller ones
    // stored in their rows: every arc comes out in (tail, head) order.
    for (int u = 0; u < n; ++u) {
        for (int v = 0; v < n; ++v) {
            const EdgeCell& c = graph.cell(u, v);
            if (c.present && u != v) {
                arcs_.push_back({u, v, static_cast<double>(c.capacity)});
            }
        }
    }
    index();
}

ArcLists::ArcLists(int n, std::vector<Arc> arcs) : vertex_count_(n), arcs_(std::move(arcs)) {
    std::sort(arcs_.begin(), arcs_.end(), [](const Arc& a, const Arc& b) {
        return a.tail != b.tail ? a.tail < b.tail : a.head < b.head;
    });
    index();
}

int ArcLists::find(int tail, int head) const {
    const auto out = out_arcs(tail);
    const auto found = std::lower_bound(out.begin(), out.end(), head,
                                        [](const Arc& x, int h) { return x.head < h; });
    if (found == out.end() || found->head != head) {
        return -1;
    }
    return out_begin(tail) + static_cast<int>(found - out.begin());
}

void ArcLists::index() {
    const int n = vertex_count_;
    out_start_.assign(n + 1, 0);
    in_start_.assign(n + 1, 0);
    for (const Arc& a : arcs_) {
        ++out_start_[a.tail + 1];
        ++in_start_[a.head + 1];
    }
    for (int v = 0; v < n; ++v) {
        out_start_[v + 1] += out_start_[v];
        in_start_[v + 1] += in_start_[v];
    }
    // Arcs come by increasing tail, so each vertex's incoming arcs are filled
    // in by increasing tail too.
    in_index_.resize(arcs_.size());
    std::vector<int> fill(in_start_.begin(), in_start_.end() - 1);
    for (int i = 0; i < arc_count(); ++i) {
        in_index_[fill[arcs_[i].head]++] = i;
    }
    // The reverse of u → v is among the arcs leaving v, sorted by head.
    reverse_.assign(arcs_.size(), -1);
    for (int i = 0; i < arc_count(); ++i) {
        reverse_[i] = find(arcs_[i].head, arcs_[i].tail);
    }
}
