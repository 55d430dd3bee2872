#include "graph/demand_set.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <utility>

#include "common/lookup_table.h"
#include "graph/commodities.h"

const char* demand_kind_name(DemandKind kind) {
    static constexpr LookupRow<DemandKind, const char*> names[] = {
        {DemandKind::default_set, "default"},
        {DemandKind::file, "file"},
        {DemandKind::all_pairs, "all-pairs"},
        {DemandKind::network, "network"},
    };
    return look_up(names, kind, "default");
}

namespace {

// Commodities of the same ordered pair as one, at the first one's place.
std::vector<Commodity> merged(std::vector<Commodity> commodities) {
    std::unordered_map<long long, std::size_t> first;
    std::vector<Commodity> kept;
    kept.reserve(commodities.size());
    for (const Commodity& c : commodities) {
        const long long key =
            (static_cast<long long>(c.source) << 32) | static_cast<unsigned>(c.sink);
        const auto [at, inserted] = first.try_emplace(key, kept.size());
        if (inserted) {
            kept.push_back(c);
        } else {
            kept[at->second].demand += c.demand;
        }
    }
    return kept;
}

// Counting sort of the pairs (key, item), key in 0 … keys − 1, items in the
// order given: `start[k]` … `start[k + 1]` − 1 are the positions in `grouped`
// of key k's items.
void group_by(int keys, const std::vector<std::pair<int, int>>& pairs, std::vector<int>& grouped,
              std::vector<int>& start) {
    start.assign(static_cast<std::size_t>(keys) + 1, 0);
    for (const auto& [key, item] : pairs) {
        ++start[static_cast<std::size_t>(key) + 1];
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    grouped.assign(pairs.size(), 0);
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (const auto& [key, item] : pairs) {
        grouped[static_cast<std::size_t>(fill[static_cast<std::size_t>(key)]++)] = item;
    }
}

}  // namespace

DemandSet::DemandSet(DemandKind kind, std::string origin, int vertex_count,
                     std::vector<Commodity> commodities)
    : kind_(kind),
      origin_(std::move(origin)),
      vertex_count_(vertex_count),
      commodities_(merged(std::move(commodities))) {
    const int count = size();
    const int n = vertex_count_;
    std::vector<int> index_of_source(static_cast<std::size_t>(n), -1);
    source_index_.assign(static_cast<std::size_t>(count), -1);
    for (int c = 0; c < count; ++c) {
        const Commodity& commodity = commodities_[static_cast<std::size_t>(c)];
        if (!commodity.present) {
            continue;
        }
        ++present_count_;
        total_demand_ += commodity.demand;
        int& index = index_of_source[static_cast<std::size_t>(commodity.source)];
        if (index < 0) {
            index = source_count();
            sources_.push_back(commodity.source);
        }
        source_index_[static_cast<std::size_t>(c)] = index;
    }
    std::vector<std::pair<int, int>> by_source;
    std::vector<std::pair<int, int>> by_vertex;
    for (int c = 0; c < count; ++c) {
        const Commodity& commodity = commodities_[static_cast<std::size_t>(c)];
        if (commodity.present) {
            by_source.emplace_back(source_index_[static_cast<std::size_t>(c)], c);
        }
        for (const int v : {commodity.source, commodity.sink}) {
            if (v < n) {
                by_vertex.emplace_back(v, c);
            }
        }
    }
    group_by(source_count(), by_source, by_source_, source_start_);
    group_by(n, by_vertex, at_vertex_, vertex_start_);
    for (int v = 0; v < n; ++v) {
        if (vertex_start_[static_cast<std::size_t>(v) + 1] >
            vertex_start_[static_cast<std::size_t>(v)]) {
            terminals_.push_back(v);
        }
    }

    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    const std::size_t featured = std::min(order.size(), featured_commodity_count);
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(featured),
                      order.end(), [&](int a, int b) {
                          const double da = commodities_[static_cast<std::size_t>(a)].demand;
                          const double db = commodities_[static_cast<std::size_t>(b)].demand;
                          return da > db || (da == db && a < b);
                      });
    featured_.assign(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(featured));
    std::sort(featured_.begin(), featured_.end());
}

DemandSet DemandSet::default_set(int n) {
    std::vector<Commodity> commodities;
    for (int w = 0; w < commodity_count; ++w) {
        commodities.push_back({commodity_source(w), commodity_sink(w),
                               static_cast<double>(commodity_demand[static_cast<std::size_t>(w)]),
                               commodity_present(w, n)});
    }
    return DemandSet(DemandKind::default_set, "trois commodités par défaut", n,
                     std::move(commodities));
}

DemandSet DemandSet::all_pairs(int n, bool directed) {
    std::vector<Commodity> commodities;
    for (int u = 0; u < n; ++u) {
        for (int v = directed ? 0 : u + 1; v < n; ++v) {
            if (u != v) {
                commodities.push_back({u, v, 1.0, true});
            }
        }
    }
    return DemandSet(DemandKind::all_pairs, "toutes les paires", n, std::move(commodities));
}
