#pragma once

#include <set>
#include <vector>

#include <string>

class ArcLists;
class RandomSource;

// Vertices placed in R^K by their distances to K random vertex subsets.
struct Embedding {
    // The subsets, in the order they were drawn.
    std::vector<std::set<int>> subsets;
    // coordinates[v][k]: distance from vertex v to subsets[k].
    std::vector<std::vector<double>> coordinates;
};

// Sizes of the subsets drawn for a graph of n vertices, in drawing order:
// for each scale i = 1, 2, … below log2 n, ⌈ln n⌉ subsets of ⌊n / 2^i⌋
// vertices. Empty for n ≤ 2.
std::vector<int> embedding_subset_sizes(int n);

// Draws the random subsets from `random`, and computes the coordinates of
// every vertex (distances_to_subset, the capacities as arc lengths).
Embedding compute_embedding(const ArcLists& arcs, RandomSource& random);

// The embedding as a table: a two-line header naming the vertices, then one
// row per subset, one column per vertex.
std::string coordinate_table(const Embedding& embedding);
