#include "generator/random_graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "generator/random_draws.h"

namespace {

// Characters the .gr language allows in an option value.
bool is_value_text(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// Draws from a fixed list, counting how many were taken.
struct ScriptedDraws {
    std::vector<int> values;
    std::size_t taken = 0;
    int operator()() { return values.at(taken++); }
};

// A stream buffer that accepts `room` characters and then fails, like a full disk.
class FullAfter : public std::streambuf {
  public:
    explicit FullAfter(std::size_t room) : room_(room) {}

  protected:
    int_type overflow(int_type c) override {
        if (room_ == 0) {
            return traits_type::eof();
        }
        --room_;
        return traits_type::not_eof(c);
    }

  private:
    std::size_t room_;
};

}  // namespace

TEST(Endpoints, EveryDrawNamesAVertexOfTheGraph) {
    // Includes counts that round upwards in single precision (16777217 and
    // 2147483647 become 16777216 and 2147483648).
    for (const int n : {1, 2, 3, 10, 250, 32767, 32768, 32769, 16777217, 2147483647}) {
        const auto nf = static_cast<float>(n);
        EXPECT_EQ(draw_endpoint(0, nf), 0) << n;
        EXPECT_LE(draw_endpoint(random_draw_max, nf), n - 1) << n;
        EXPECT_GE(draw_endpoint(random_draw_max, nf), 0) << n;
    }
    // Small counts still reach their last vertex.
    EXPECT_EQ(draw_endpoint(random_draw_max, 10.0f), 9);
    EXPECT_EQ(draw_endpoint(random_draw_max, 1.0f), 0);
}

TEST(Endpoints, AreSpreadEvenlyWhenTheCountDividesTheDrawRange) {
    std::vector<int> hits(8, 0);
    for (int r = 0; r <= random_draw_max; ++r) {
        ++hits.at(draw_endpoint(r, 8.0f));
    }
    for (const int h : hits) {
        EXPECT_EQ(h, 4096);
    }
}

TEST(Capacities, CoverZeroToTheMaximumInclusive) {
    EXPECT_EQ(draw_capacity(0, 5.0f), 0.0f);
    EXPECT_EQ(draw_capacity(random_draw_max, 5.0f), 5.0f);
    const float largest = std::numeric_limits<float>::max();
    EXPECT_EQ(draw_capacity(random_draw_max, largest), largest);
    EXPECT_FLOAT_EQ(draw_capacity(16384, 32767.0f), 16384.0f);
}

TEST(CapacityText, KeepsTheGeneralFormatWhereTheLanguageAcceptsIt) {
    EXPECT_EQ(capacity_text(0.0f), "0");
    EXPECT_EQ(capacity_text(0.1f), "0.1");
    EXPECT_EQ(capacity_text(12.34567f), "12.3457");
    EXPECT_EQ(capacity_text(999999.0f), "999999");
    EXPECT_EQ(capacity_text(1e-5f), "1e-05");
}

TEST(CapacityText, SpellsOutPositiveExponentsWithSixSignificantDigits) {
    EXPECT_EQ(capacity_text(1e6f), "1000000");
    EXPECT_EQ(capacity_text(1234567.0f), "1234570");
    EXPECT_EQ(capacity_text(-2.5e7f), "-25000000");
    EXPECT_EQ(capacity_text(std::numeric_limits<float>::max()),
              "340282000000000000000000000000000000000");
}

TEST(CapacityText, ReadsBackAsTheSameFloatForEveryDrawAndScale) {
    // Certificate: for draws across the whole range and maxima from tiny to
    // the largest float, the text is made of value characters only and reads
    // back to the general format's value.
    for (const float max : {1e-30f, 0.5f, 10.0f, 5e5f, 1e6f, 3.3e9f, 1e20f, 3.4e38f}) {
        for (int r = 0; r <= random_draw_max; r += 97) {
            const float w = draw_capacity(r, max);
            const std::string text = capacity_text(w);
            ASSERT_TRUE(is_value_text(text)) << text;
            std::ostringstream general;
            general << w;
            float read = 0.0f, expected = 0.0f;
            std::istringstream(text) >> read;
            std::istringstream(general.str()) >> expected;
            ASSERT_EQ(read, expected) << text << " vs " << general.str();
            ASSERT_TRUE(std::isfinite(read)) << text;
        }
    }
}

TEST(Answers, RangesThatGiveLoadableFiles) {
    EXPECT_FALSE(valid_vertex_total(0));
    EXPECT_FALSE(valid_vertex_total(-5));
    EXPECT_TRUE(valid_vertex_total(1));
    EXPECT_TRUE(valid_vertex_total(max_vertex_total));
    EXPECT_FALSE(valid_vertex_total(max_vertex_total + 1));

    EXPECT_TRUE(valid_edge_total(0));
    EXPECT_FALSE(valid_edge_total(-1));

    EXPECT_TRUE(valid_max_capacity(0.0));
    EXPECT_TRUE(valid_max_capacity(-0.0));
    EXPECT_TRUE(valid_max_capacity(std::numeric_limits<float>::max()));
    EXPECT_FALSE(valid_max_capacity(-0.5));
    EXPECT_FALSE(valid_max_capacity(1e39));  // becomes inf as a float
    EXPECT_FALSE(valid_max_capacity(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(valid_max_capacity(std::numeric_limits<double>::quiet_NaN()));
}

TEST(WriteRandomGraph, WritesHeaderEdgesAndEchoInDrawOrder) {
    // With a maximum of 32767 each capacity equals its draw.
    ScriptedDraws draws{{32767, 0, 24575, 16384, 16384, 1}};
    std::ostringstream file, echo;
    ASSERT_TRUE(write_random_graph(file, echo, {3, 2, 32767.0}, std::ref(draws)));
    EXPECT_EQ(file.str(), "directed = 1; \n\n\n2 <-> 0 [cap = 24575];\n1 <-> 1 [cap = 1];");
    EXPECT_EQ(echo.str(), "2 <-> 0, cap = 24575\n1 <-> 1, cap = 1\n");
    EXPECT_EQ(draws.taken, 6u);
}

TEST(WriteRandomGraph, NoEdgesGivesAHeaderWithNothingAfterIt) {
    ScriptedDraws draws;
    std::ostringstream file, echo;
    ASSERT_TRUE(write_random_graph(file, echo, {10, 0, 5.0}, std::ref(draws)));
    EXPECT_EQ(file.str(), "directed = 1;");
    EXPECT_EQ(echo.str(), "");
    EXPECT_EQ(draws.taken, 0u);
}

TEST(WriteRandomGraph, NegativeZeroMaximumWritesPlainZero) {
    ScriptedDraws draws{{5, 5, 7}};
    std::ostringstream file, echo;
    ASSERT_TRUE(write_random_graph(file, echo, {1, 1, -0.0}, std::ref(draws)));
    EXPECT_EQ(file.str(), "directed = 1; \n\n\n0 <-> 0 [cap = 0];");
}

TEST(WriteRandomGraph, ReportsAFailingFileAndStopsDrawing) {
    ScriptedDraws draws{std::vector<int>(3000, 100)};
    FullAfter full(40);
    std::ostream file(&full);
    std::ostringstream echo;
    EXPECT_FALSE(write_random_graph(file, echo, {10, 1000, 5.0}, std::ref(draws)));
    EXPECT_LT(draws.taken, 30u);
}

TEST(RandomDraws, StayInRangeReachBothEndsAndRepeatForASeed) {
    RandomDraws random(12345u);
    int lowest = random_draw_max, highest = 0;
    std::vector<int> first;
    for (int i = 0; i < 300000; ++i) {
        const int r = random.next();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, random_draw_max);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
        if (i < 50) {
            first.push_back(r);
        }
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, random_draw_max);

    RandomDraws again(12345u);
    for (const int r : first) {
        EXPECT_EQ(again.next(), r);
    }
}
