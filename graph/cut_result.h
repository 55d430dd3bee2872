#pragma once

#include <set>

// A cut found by the sweep: the side S of the cut and its ratio of cut
// capacity to separated demand. `found` is false when no prefix separated any
// demand; `vertices` is then empty and `ratio` meaningless.
struct CutResult {
    std::set<int> vertices;
    double ratio = 0.0;
    bool found = false;
};
