#include "flow/bridge_split.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "flow/flow_model.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/test_stage.h"

namespace {

// `blocks` cycles of `size` vertices with a chord each, every block but the
// first hung from an earlier one by one edge, then `leaves` vertices on one
// edge each; capacities 1 … 100 drawn from `seed`, different both ways. When
// `one_way`, the last leaf's edge has only its arc towards the leaf.
ArcLists bridged_network(int blocks, int size, int leaves, bool one_way, std::uint32_t seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> capacity(1.0, 100.0);
    std::vector<Arc> arcs;
    const auto join = [&](int u, int v) {
        arcs.push_back({u, v, capacity(engine)});
        arcs.push_back({v, u, capacity(engine)});
    };
    for (int b = 0; b < blocks; ++b) {
        for (int k = 0; size > 2 && k < size; ++k) {
            join(b * size + k, b * size + (k + 1) % size);
        }
        if (size > 3) {
            join(b * size, b * size + 2);
        }
        if (b > 0) {
            join(b * size, std::uniform_int_distribution<int>(0, b * size - 1)(engine));
        }
    }
    const int core = blocks * size;
    for (int leaf = core; leaf < core + leaves; ++leaf) {
        join(std::uniform_int_distribution<int>(0, core - 1)(engine), leaf);
    }
    if (one_way) {
        arcs.pop_back();
    }
    return ArcLists(core + leaves, std::move(arcs));
}

}  // namespace

// Split at its bridges, a network's program has the whole program's λ
// (lp_solve's, unsplit), in one formulation, its answer checked.
TEST(BridgeSplit, SameLambdaAsTheWholeProgram) {
    const struct {
        const char* name;
        int blocks, size, leaves;
        bool one_way, shared;
    } cases[] = {
        {"hubs and leaves", 3, 5, 14, false, false},
        {"hubs and leaves, shared pairs", 3, 5, 14, false, true},
        {"a chain of blocks", 5, 4, 2, false, false},
        {"a tree: only bridges", 9, 1, 6, false, false},
        {"a tree, shared pairs", 9, 1, 6, false, true},
        {"a leaf reached one way only: λ = 0", 2, 4, 8, true, false},
    };
    for (const auto& c : cases) {
        const ArcLists network = bridged_network(c.blocks, c.size, c.leaves, c.one_way, 7);
        const ArcLists arcs = c.shared ? pair_network(network) : network;
        const DemandSet demands = random_demands(arcs.vertex_count(), 40, 8);
        TestStage stage;
        const ProgramSolve whole = solve_program(engine_steps(SolverEngine::lp_solve, demands),
                                                 arcs, demands, stage.context(), c.shared);
        ASSERT_TRUE(whole.end.is_optimum()) << c.name;
        int formulated = 0;
        const auto split = solve_by_bridges(
            arcs, demands, c.shared, 1e-7,
            [&](const ArcLists& part, const DemandSet& part_demands, bool first) {
                return solve_program(
                    engine_steps(SolverEngine::clp, part_demands), part, part_demands,
                    stage.context(), c.shared,
                    first ? std::function<void()>([&] { ++formulated; }) : std::function<void()>());
            },
            [&] { ++formulated; });
        ASSERT_TRUE(split.has_value()) << c.name;
        EXPECT_TRUE(split->end.is_optimum()) << c.name;
        EXPECT_NEAR(split->solution.lambda, whole.solution.lambda,
                    1e-7 * std::max(whole.solution.lambda, 1e-9))
            << c.name;
        EXPECT_EQ(formulated, 1) << c.name;
        EXPECT_EQ(c.one_way, whole.solution.lambda == 0.0) << c.name;
    }
}

// Without a bridge, or when the blocks' programs would be nearly the whole,
// nothing is split.
TEST(BridgeSplit, LeavesAlonePrograms) {
    const ArcLists cycle = bridged_network(1, 8, 0, false, 3);
    const ArcLists one_leaf = bridged_network(1, 12, 1, false, 3);
    const DemandSet demands = random_demands(8, 10, 4);
    const DemandSet demands13 = random_demands(13, 30, 4);
    const PieceSolver never = [](const ArcLists&, const DemandSet&, bool) -> ProgramSolve {
        ADD_FAILURE() << "a piece was solved";
        return {};
    };
    EXPECT_FALSE(solve_by_bridges(cycle, demands, false, 1e-7, never, {}).has_value());
    EXPECT_FALSE(solve_by_bridges(one_leaf, demands13, false, 1e-7, never, {}).has_value());
}
