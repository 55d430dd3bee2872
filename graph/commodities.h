#pragma once

#include <array>

// The three fixed commodities: commodity w goes from vertex 2w to vertex
// 2w + 1 with the demand commodity_demand[w].
inline constexpr int commodity_count = 3;
inline constexpr std::array<float, commodity_count> commodity_demand = {250.0f, 200.0f, 225.0f};

constexpr int commodity_source(int w) { return 2 * w; }
constexpr int commodity_sink(int w) { return 2 * w + 1; }

// A commodity takes part in a graph of n vertices only when its sink exists.
constexpr bool commodity_present(int w, int n) { return commodity_sink(w) < n; }

// The demand that a side S of a graph of n vertices separates: the sum, in
// commodity order, of the demands of the present commodities with exactly
// one terminal in S. `in_side(v)` tells whether vertex v is in S.
template <class InSide>
double separated_demand(int n, InSide in_side) {
    double demand = 0.0;
    for (int w = 0; w < commodity_count; ++w) {
        if (commodity_present(w, n) &&
            static_cast<bool>(in_side(commodity_source(w))) !=
                static_cast<bool>(in_side(commodity_sink(w)))) {
            demand += static_cast<double>(commodity_demand[w]);
        }
    }
    return demand;
}
