#include "builder/demand_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/graph_fixtures.h"
#include "tests/support/scratch_dir.h"

namespace {

// The graph of the table: six vertices, two of them named alike.
const std::vector<std::string> names = {"Paris", "Lyon", "Lille", "Nice", "Nice", "5"};

Expected<DemandSet, DemandRefusal> demands_of(std::string text, int n = 6) {
    const DemandChoice choice{DemandChoice::Kind::file, "trafic.dem", std::move(text)};
    return build_demand_set(&choice, make_graph(n, {}, true), names);
}

// The text of a table row: \n, \t and \xHH stand for a line end, a tab and
// a byte.
std::string unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
        } else if (text[++i] == 'x') {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i] == 'n' ? '\n' : '\t';
        }
    }
    return out;
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

}  // namespace

TEST(DemandFile, EachBadLineOfTheTableIsRefusedWhereItIsWrong) {
    std::istringstream table(
        read_file(std::string(QUILLMERE_SOURCE_DIR) + "/tests/builder/demand_bad_lines.txt"));
    int rows = 0;
    for (std::string row; std::getline(table, row);) {
        if (row.empty() || row[0] == '#') {
            continue;
        }
        const std::size_t bar = row.find('|');
        const std::size_t second = row.find(" | ", bar + 1);
        std::istringstream place(row.substr(0, bar));
        int line = -1;
        int column = -1;
        place >> line >> column;
        const std::string text = unescaped(trimmed(row.substr(bar + 1, second - bar - 1)));
        SCOPED_TRACE(row);
        const Expected<DemandSet, DemandRefusal> demands = demands_of(text);
        ASSERT_FALSE(demands);
        EXPECT_EQ(demands.error().error.place.line, line);
        EXPECT_EQ(demands.error().error.place.column, column);
        EXPECT_EQ(demands.error().error.reason, trimmed(row.substr(second + 3)));
        ++rows;
    }
    EXPECT_GE(rows, 25);
}

TEST(DemandFile, LinesAndFilesBeyondTheLimitsAreRefused) {
    // "0 1 5" and blanks up to one byte beyond the limit.
    const Expected<DemandSet, DemandRefusal> long_line =
        demands_of("0 1 5\n0 1 5" + std::string(max_demand_line_bytes - 4, ' ') + "\n");
    ASSERT_FALSE(long_line);
    EXPECT_EQ(long_line.error().error.place.line, 2);
    EXPECT_EQ(long_line.error().error.place.column, 4097);
    EXPECT_EQ(long_line.error().error.reason, "ligne de plus de 4096 octets");
    // At the limit, a line and a file load.
    EXPECT_TRUE(demands_of("0 1 5" + std::string(max_demand_line_bytes - 5, ' ')));
    std::string lines;
    for (std::size_t i = 0; i < max_demand_lines; ++i) {
        lines += "0 1 1\n";
    }
    EXPECT_TRUE(demands_of(lines));
    const Expected<DemandSet, DemandRefusal> too_many = demands_of(lines + "\n");
    ASSERT_FALSE(too_many);
    EXPECT_EQ(too_many.error().error.place.line, 100001);
    EXPECT_EQ(too_many.error().error.reason, "plus de 100000 lignes");
}

TEST(DemandFile, NamesAndNumbersResolveAndRepeatedPairsAddUp) {
    const Expected<DemandSet, DemandRefusal> demands = demands_of(
        "\xEF\xBB\xBF# trafic\r\n\r\nParis Lyon 2.5\n3\t0 1e1 # note\n0 1 0.5\n5 Lille 3");
    ASSERT_TRUE(demands);
    ASSERT_EQ(demands->size(), 3);
    EXPECT_EQ(demands->commodity(0).demand, 3.0);
    EXPECT_EQ(demands->commodity(1).source, 3);
    EXPECT_EQ(demands->commodity(2).sink, 2);
    EXPECT_EQ(demands->kind(), DemandKind::file);
    EXPECT_EQ(demands->origin(), "fichier trafic.dem");
    EXPECT_EQ(demands->sources(), (std::vector<int>{0, 3, 5}));
}

TEST(AllPairs, AboveTheLimitTheGraphIsRefused) {
    const DemandChoice all_pairs{DemandChoice::Kind::all_pairs, "", ""};
    const std::vector<std::string> unnamed(max_all_pairs_vertices + 1);
    EXPECT_TRUE(
        build_demand_set(&all_pairs, make_graph(max_all_pairs_vertices, {}, false), unnamed));
    const Expected<DemandSet, DemandRefusal> refused =
        build_demand_set(&all_pairs, make_graph(max_all_pairs_vertices + 1, {}, false), unnamed);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().reason, DemandRefusal::Reason::too_many_vertices);
    EXPECT_EQ(refused.error().vertex_count, max_all_pairs_vertices + 1);
}

TEST(DemandFile, AProgramBeyondTheColumnLimitIsRefused) {
    // 14 280 arcs: 70 sources fit, 71 do not.
    const Graph complete = complete_graph(120, true, 1.0f);
    std::string text;
    for (int source = 0; source < 71; ++source) {
        text += std::to_string(source) + " 119 1\n";
    }
    const std::vector<std::string> unnamed(120);
    const DemandChoice file{DemandChoice::Kind::file, "f.dem", text};
    const Expected<DemandSet, DemandRefusal> refused = build_demand_set(&file, complete, unnamed);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().reason, DemandRefusal::Reason::program_too_large);
    EXPECT_EQ(refused.error().columns, 71LL * 14280);
    const DemandChoice fewer{DemandChoice::Kind::file, "f.dem", text.substr(text.find('\n') + 1)};
    EXPECT_TRUE(build_demand_set(&fewer, complete, unnamed));
}
