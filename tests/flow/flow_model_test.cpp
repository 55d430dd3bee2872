#include "flow/flow_model.h"

#include <gtest/gtest.h>

#include <lpsolve/lp_lib.h>

#include <string>

#include "tests/support/graph_fixtures.h"
#include "tests/support/scratch_dir.h"

namespace {

// The program handed to lp_solve the plain way: the rows one by one in row
// mode, the last row after row mode, the objective; the columns take the
// names that `named` gives them.
LpModel load_row_by_row(const FlowProgram& program, lprec* named) {
    LpModel lp(make_lp(0, program.column_count));
    for (int column = 1; column <= program.column_count; ++column) {
        set_col_name(lp.get(), column, get_col_name(named, column));
    }
    set_add_rowmode(lp.get(), TRUE);
    for (std::size_t r = 0; r < program.rows.size(); ++r) {
        if (r + 1 == program.rows.size()) {
            set_add_rowmode(lp.get(), FALSE);
        }
        ProgramRow row = program.rows[r];
        add_constraintex(lp.get(), static_cast<int>(row.columns.size()), row.coefficients.data(),
                         row.columns.data(), row.relation, row.rhs);
    }
    REAL one = 1.0;
    int lambda = program.column_count;
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

}  // namespace

TEST(FlowModel, LoadedModelEqualsTheRowByRowModel) {
    struct Case {
        int n;
        bool directed;
    };
    for (const Case c : {Case{7, true}, Case{7, false}, Case{4, false}, Case{2, true}}) {
        const Graph g = random_graph(c.n, 3 * c.n, c.directed, 70 + c.n);
        const FlowProgram program = formulate_flow_program(g);
        Expected<LpModel> fast = load_flow_program(program);
        ASSERT_TRUE(fast && *fast);
        LpModel plain = load_row_by_row(program, fast->get());
        ASSERT_TRUE(plain);
        const std::string fast_text = lp_text(fast->get());
        EXPECT_FALSE(fast_text.empty());
        EXPECT_EQ(fast_text, lp_text(plain.get()))
            << "n = " << c.n << (c.directed ? " directed" : " undirected");
    }
}

TEST(FlowModel, ColumnsAreNumberedAndNamedByCommodityTailHead) {
    const int n = 6;
    const FlowProgram program = formulate_flow_program(make_graph(n, {{2, 5, 1.0f}}, true));
    const Expected<LpModel> lp = load_flow_program(program);
    ASSERT_TRUE(lp);
    EXPECT_EQ(get_Ncolumns(lp->get()), 3 * n * n + 1);
    EXPECT_STREQ(get_col_name(lp->get(), n * (n + 2) + 6), "x_{2,5}^1");
    EXPECT_STREQ(get_col_name(lp->get(), 3 * n * n + 1), "lambda");
    EXPECT_TRUE(is_maxim(lp->get()));
}

TEST(FlowModel, RowFamiliesInOrder) {
    // Undirected edges {0, 1} and {1, 4}: two capacity rows each, the pair's
    // own direction first.
    const int n = 5;  // commodities 0 and 1 present, 2 absent
    const FlowProgram program =
        formulate_flow_program(make_graph(n, {{1, 0, 7.0f}, {4, 1, 3.0f}}, false));
    const auto& rows = program.rows;
    const int capacity_rows = 4;
    const int conservation_rows = 2 * (n - 2);
    const int demand_rows = 2;
    ASSERT_EQ(static_cast<int>(rows.size()),
              capacity_rows + conservation_rows + demand_rows + 3 * n * n + 1);

    const int x01 = flow_column(n, 0, 1, 0);
    EXPECT_EQ(rows[0].columns, (std::vector<int>{x01, x01 + n * n, x01 + 2 * n * n}));
    EXPECT_EQ(rows[0].relation, LE);
    EXPECT_EQ(rows[0].rhs, 7.0);
    EXPECT_EQ(rows[1].columns.front(), flow_column(n, 1, 0, 0));
    EXPECT_EQ(rows[2].columns.front(), flow_column(n, 1, 4, 0));
    EXPECT_EQ(rows[3].columns.front(), flow_column(n, 4, 1, 0));
    EXPECT_EQ(rows[3].rhs, 3.0);

    for (int r = capacity_rows; r < capacity_rows + conservation_rows; ++r) {
        EXPECT_EQ(rows[r].relation, EQ);
        EXPECT_EQ(static_cast<int>(rows[r].columns.size()), 2 * (n - 1));
    }
    const ProgramRow& demand1 = rows[capacity_rows + conservation_rows + 1];
    EXPECT_EQ(demand1.relation, GE);
    EXPECT_EQ(demand1.columns.back(), lambda_column(n));
    EXPECT_EQ(demand1.coefficients.back(), -200.0);
    EXPECT_EQ(demand1.columns.front(), flow_column(n, 0, 3, 1));

    // Support rows: open only for a present commodity on an edge.
    const int support = capacity_rows + conservation_rows + demand_rows;
    auto support_row = [&](int u, int v, int w) { return rows[support + (w * n + u) * n + v]; };
    EXPECT_EQ(support_row(4, 1, 0).relation, GE);
    EXPECT_EQ(support_row(4, 1, 0).columns, (std::vector<int>{flow_column(n, 4, 1, 0)}));
    EXPECT_EQ(support_row(1, 1, 0).relation, EQ);
    EXPECT_EQ(support_row(2, 3, 1).relation, EQ);
    EXPECT_EQ(support_row(0, 1, 2).relation, EQ);
    EXPECT_EQ(rows.back().columns, (std::vector<int>{lambda_column(n)}));
    EXPECT_EQ(rows.back().relation, GE);
}
