#include "flow/flow_model.h"

#include <gtest/gtest.h>

#include <lpsolve/lp_lib.h>

#include <cmath>
#include <limits>
#include <string>

#include "graph/arc_lists.h"
#include "graph/demand_set.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/scratch_dir.h"

namespace {

// The program handed to lp_solve the plain way: the rows one by one in row
// mode, then the objective.
LpModel load_row_by_row(const FlowProgram& program) {
    LpModel lp(make_lp(0, program.columns.count()));
    set_infinite(lp.get(), lp_infinity);
    set_add_rowmode(lp.get(), TRUE);
    for (ProgramRow row : program.rows) {
        add_constraintex(lp.get(), static_cast<int>(row.columns.size()), row.coefficients.data(),
                         row.columns.data(), row.relation, row.rhs);
    }
    set_add_rowmode(lp.get(), FALSE);
    REAL one = 1.0;
    int lambda = program.columns.lambda();
    set_obj_fnex(lp.get(), 1, &one, &lambda);
    set_maxim(lp.get());
    return lp;
}

// The model in lp_solve's LP format.
std::string lp_text(lprec* lp) {
    const ScratchDir scratch("quillmere-lp");
    std::string file = scratch.path("model.lp").string();
    EXPECT_TRUE(write_lp(lp, file.data()));
    return read_file(file);
}

// The default commodities of a network.
DemandSet defaults(const ArcLists& arcs) {
    return DemandSet::default_set(arcs.vertex_count());
}

// The directed graph where commodity 0 must cross the arc 0 → 6 of capacity
// 50: λ = 0.2, commodity 0 sending 50 along 0 → 6 → 1.
Graph bottleneck_graph() {
    return make_graph(7, {{0, 6, 50.0f}, {6, 1, 1000.0f}, {2, 3, 1000.0f}, {4, 5, 1000.0f}}, true);
}

}  // namespace

TEST(FlowModel, LoadedModelEqualsTheRowByRowModel) {
    struct Case {
        int n;
        bool directed;
    };
    for (const Case c : {Case{7, true}, Case{7, false}, Case{4, false}, Case{2, true}}) {
        const ArcLists arcs(random_graph(c.n, 3 * c.n, c.directed, 70 + c.n));
        const FlowProgram program = formulate_flow_program(arcs, defaults(arcs), 4.0);
        Expected<LpModel> fast = load_flow_program(program);
        ASSERT_TRUE(fast && *fast);
        const std::string fast_text = lp_text(fast->get());
        EXPECT_FALSE(fast_text.empty());
        EXPECT_EQ(fast_text, lp_text(load_row_by_row(program).get()))
            << "n = " << c.n << (c.directed ? " directed" : " undirected");
        EXPECT_TRUE(is_maxim(fast->get()));
    }
}

TEST(FlowModel, ColumnsByCommodityThenArcForThePresentCommoditiesOnly) {
    // Arcs (0, 1), (2, 5), (3, 0) on six vertices: three commodities.
    const ArcLists six(make_graph(6, {{2, 5, 1.0f}, {0, 1, 1.0f}, {3, 0, 1.0f}}, true));
    const FlowColumns columns = flow_columns(six, defaults(six));
    EXPECT_EQ(columns.sources, 3);
    EXPECT_EQ(columns.flow(0, 0), 1);
    EXPECT_EQ(columns.flow(1, 1), 3 + 2);  // x_{2,5}^1
    EXPECT_EQ(columns.lambda(), 3 * 3 + 1);
    EXPECT_EQ(flow_column_name(2, 5, 1), "x_{2,5}^1");
    // Without vertex 5 the last commodity has no sink and no columns.
    const ArcLists five(make_graph(5, {{0, 1, 1.0f}}, true));
    EXPECT_EQ(flow_columns(five, defaults(five)).sources, 2);
    const ArcLists three(make_graph(3, {}, true));
    EXPECT_EQ(flow_columns(three, defaults(three)).sources, 1);
}

TEST(FlowModel, RowFamiliesInOrder) {
    // Undirected edges {0, 1} and {1, 4} on five vertices (commodities 0 and
    // 1): two capacity rows each, conservation at the vertices with arcs for
    // the commodities they are no terminal of, and a demand row per
    // commodity, the one into the isolated sink 3 holding λ alone.
    const ArcLists arcs(make_graph(5, {{1, 0, 7.0f}, {4, 1, 3.0f}}, false));
    const FlowProgram program = formulate_flow_program(arcs, defaults(arcs), 2.0);
    const auto& rows = program.rows;
    ASSERT_EQ(rows.size(), 4u + 4u + 2u);
    // Arcs (0,1) (1,0) (1,4) (4,1), their capacities halved.
    EXPECT_EQ(rows[0].columns, (std::vector<int>{1, 5}));
    EXPECT_EQ(rows[0].relation, LE);
    EXPECT_EQ(rows[0].rhs, 3.5);
    EXPECT_EQ(rows[3].columns, (std::vector<int>{4, 8}));
    EXPECT_EQ(rows[3].rhs, 1.5);
    // Vertex 0, commodity 1: in along (1,0), out along (0,1).
    EXPECT_EQ(rows[4].columns, (std::vector<int>{6, 5}));
    EXPECT_EQ(rows[4].coefficients, (std::vector<double>{1.0, -1.0}));
    EXPECT_EQ(rows[4].relation, EQ);
    // Vertex 4, commodities 0 and 1.
    EXPECT_EQ(rows[6].columns, (std::vector<int>{3, 4}));
    EXPECT_EQ(rows[7].columns, (std::vector<int>{7, 8}));
    // Into sink 1: in along (0,1) and (4,1), out along (1,0) and (1,4).
    EXPECT_EQ(rows[8].columns, (std::vector<int>{1, 4, 2, 3, 9}));
    EXPECT_EQ(rows[8].coefficients, (std::vector<double>{1, 1, -1, -1, -250}));
    EXPECT_EQ(rows[8].relation, GE);
    EXPECT_EQ(rows[9].columns, (std::vector<int>{9}));
    EXPECT_EQ(rows[9].coefficients, (std::vector<double>{-200}));
}

TEST(FlowModel, SharedPairsGiveOneRowPerPairAndKeepALoneArcsRow) {
    // 0 ⇄ 1 shares one row at its arc 0 → 1; the lone arc 2 → 1 keeps its
    // own row, though its tail is the larger end.
    const ArcLists arcs(3, {{0, 1, 4.0}, {1, 0, 4.0}, {2, 1, 6.0}});
    const FlowProgram program = formulate_flow_program(arcs, defaults(arcs), 1.0, true);
    ASSERT_GE(program.rows.size(), 2u);
    EXPECT_EQ(program.rows[0].columns, (std::vector<int>{1, 2}));
    EXPECT_EQ(program.rows[0].rhs, 4.0);
    EXPECT_EQ(program.rows[1].columns, (std::vector<int>{3}));
    EXPECT_EQ(program.rows[1].rhs, 6.0);
    EXPECT_EQ(program.rows[2].relation, EQ);
}

TEST(FlowModel, ScalesArePowersOfTwoNearTheCapacitiesThenOne) {
    // Geometric mean of 2^10, 2^20 and 2^30 is 2^20; the terminals' least
    // capacity is that out of source 2, 2^10.
    const ArcLists arcs(
        make_graph(4, {{0, 1, 1048576.0f}, {2, 3, 1024.0f}, {1, 3, 1073741824.0f}}, true));
    EXPECT_EQ(program_scales(arcs, defaults(arcs)), (std::vector<double>{1048576.0, 1024.0, 1.0}));
    // Equal capacities give one scale; no capacity at all, only 1.
    const ArcLists forty(make_graph(2, {{0, 1, 40.0f}}, true));
    EXPECT_EQ(program_scales(forty, defaults(forty)), (std::vector<double>{32.0, 1.0}));
    const ArcLists zero(make_graph(2, {{0, 1, 0.0f}}, true));
    EXPECT_EQ(program_scales(zero, defaults(zero)), (std::vector<double>{1.0}));
}

TEST(FlowModel, CheckAcceptsAnOptimumAndRefusesEachKindOfMiss) {
    const ArcLists arcs(bottleneck_graph());
    // Arcs: (0,6) (2,3) (4,5) (6,1); commodity 0 along 0 → 6 → 1 at 50,
    // commodity 1 sends 40 along (2,3), commodity 2 sends 45 along (4,5).
    const DemandSet demands = defaults(arcs);
    const FlowColumns columns = flow_columns(arcs, demands);
    FlowSolution optimum{std::vector<double>(columns.count() - 1, 0.0), 0.2};
    auto x = [&](FlowSolution& s, int w, int a) -> double& { return s.flow[columns.flow(w, a) - 1]; };
    x(optimum, 0, 0) = 50.0;
    x(optimum, 0, 3) = 50.0;
    x(optimum, 1, 1) = 40.0;
    x(optimum, 2, 2) = 45.0;
    EXPECT_TRUE(satisfies_flow_program(arcs, demands, optimum, 64.0, 1e-7));

    struct Miss {
        const char* what;
        int w;
        int arc;
        double value;  // the flow set, or λ when w < 0
    };
    const Miss misses[] = {
        {"rounding noise passes", 1, 0, 1e-9, },
        {"negative flow", 2, 1, -1e-3},
        {"capacity exceeded", 0, 0, 50.001},
        {"not conserved at vertex 6", 0, 3, 49.9},
        {"demand short of λ", 1, 1, 39.99},
        {"λ negative", -1, 0, -0.1},
        {"not a number", 2, 2, std::nan("")},
        {"infinite λ", -1, 0, std::numeric_limits<double>::infinity()},
    };
    for (const Miss& m : misses) {
        FlowSolution s = optimum;
        (m.w < 0 ? s.lambda : x(s, m.w, m.arc)) = m.value;
        EXPECT_EQ(satisfies_flow_program(arcs, demands, s, 64.0, 1e-7), m.value == 1e-9) << m.what;
    }
    FlowSolution short_solution = optimum;
    short_solution.flow.pop_back();
    EXPECT_FALSE(satisfies_flow_program(arcs, demands, short_solution, 64.0, 1e-7));
}

TEST(FlowModel, LengthsBoundLambda) {
    const ArcLists arcs(bottleneck_graph());
    const DemandSet demands = defaults(arcs);
    // Length 1 on the bottleneck: volume 50, and commodity 0 must travel 1.
    EXPECT_DOUBLE_EQ(length_bound(arcs, demands, {1.0, 0.0, 0.0, 0.0}), 50.0 / 250.0);
    // Lengths 1 everywhere: volume 3050 over 250·2 + 200 + 225.
    EXPECT_DOUBLE_EQ(length_bound(arcs, demands, {1.0, 1.0, 1.0, 1.0}), 3050.0 / 925.0);
    // No length anywhere bounds nothing.
    EXPECT_TRUE(std::isnan(length_bound(arcs, demands, {0.0, 0.0, 0.0, 0.0})));
    // A sink that no path reaches bounds λ at 0.
    const ArcLists cut_off(make_graph(6, {{1, 0, 5.0f}, {2, 3, 5.0f}, {4, 5, 5.0f}}, true));
    EXPECT_EQ(length_bound(cut_off, defaults(cut_off), {0.0, 0.0, 0.0}), 0.0);
}
