#pragma once

#include <array>

// The three fixed commodities of the default demand set
// (DemandSet::default_set): commodity w goes from vertex 2w to vertex 2w + 1
// with the demand commodity_demand[w].
inline constexpr int commodity_count = 3;
inline constexpr std::array<float, commodity_count> commodity_demand = {250.0f, 200.0f, 225.0f};

constexpr int commodity_source(int w) { return 2 * w; }
constexpr int commodity_sink(int w) { return 2 * w + 1; }

// A commodity takes part in a graph of n vertices only when its sink exists.
constexpr bool commodity_present(int w, int n) { return commodity_sink(w) < n; }
