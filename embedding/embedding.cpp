#include "embedding/embedding.h"

#include <cmath>
#include <cstdint>
#include <sstream>

#include "common/random_source.h"
#include "embedding/shortest_paths.h"
#include "graph/arc_lists.h"

std::vector<int> embedding_subset_sizes(int n) {
    std::vector<int> sizes;
    if (n <= 0) {
        return sizes;
    }
    const double repetitions = std::log(static_cast<double>(n));
    const double scales = std::log(static_cast<double>(n)) / std::log(2.0);
    for (int i = 1; i < scales; ++i) {
        for (int r = 0; r < repetitions; ++r) {
            const int size = static_cast<int>(std::ldexp(static_cast<double>(n), -i));
            if (size < 1) {
                break;
            }
            sizes.push_back(size);
        }
    }
    return sizes;
}

namespace {

// Fills a subset with `size` distinct vertices of 0 … n − 1, each drawn as
// ⌊rand × n / 32768⌋; a draw already in the subset is repeated without being
// counted.
std::set<int> draw_subset(int n, int size, RandomSource& random) {
    std::set<int> subset;
    for (int drawn = 0; drawn < size; ++drawn) {
        if (static_cast<int>(subset.size()) >= n) {
            break;
        }
        for (;;) {
            const auto v = static_cast<int>(static_cast<std::int64_t>(random.next()) * n /
                                            (static_cast<std::int64_t>(random_max) + 1));
            if (subset.insert(v).second) {
                break;
            }
        }
    }
    return subset;
}

}  // namespace

Embedding compute_embedding(const ArcLists& arcs, RandomSource& random) {
    Embedding embedding;
    const int n = arcs.vertex_count();

    for (int size : embedding_subset_sizes(n)) {
        embedding.subsets.push_back(draw_subset(n, size, random));
    }

    embedding.coordinates.resize(n);
    for (int v = 0; v < n; ++v) {
        embedding.coordinates[v].reserve(embedding.subsets.size());
    }
    for (const std::set<int>& subset : embedding.subsets) {
        const std::vector<double> distance = distances_to_subset(arcs, subset);
        for (int v = 0; v < n; ++v) {
            embedding.coordinates[v].push_back(distance[v]);
        }
    }
    return embedding;
}

std::string coordinate_table(const Embedding& embedding) {
    const auto n = static_cast<int>(embedding.coordinates.size());
    std::ostringstream table;
    table << "\t|\t";
    for (int i = 0; i < n; ++i) {
        table << "x_" << i << "\t";
    }
    table << "\n";
    for (int i = 0; i < n + 2; ++i) {
        table << "-------\t";
    }
    table << "\n";
    for (std::size_t k = 0; k < embedding.subsets.size(); ++k) {
        table << "A_" << k << "\t|\t";
        for (int j = 0; j < n; ++j) {
            table << embedding.coordinates[j][k] << "\t";
        }
        table << "\n";
    }
    return table.str();
}
