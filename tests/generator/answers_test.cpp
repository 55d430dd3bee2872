// Reading Varnock's answers, from the console and from the command line.

#include "generator/answers.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

TEST(VarnockAnswers, CountsAndCapacitiesFromTheConsole) {
    const struct {
        std::string input;
        Answer count;           // read_count
        Answer capacity;        // read_max_capacity
        std::string rest;       // what a good capacity leaves on its line
    } cases[] = {
        {"12\n", Answer::ok, Answer::ok, "\n"},
        {"  7 trailing words\n", Answer::ok, Answer::ok, " trailing words\n"},
        {"+3", Answer::ok, Answer::ok, ""},
        {"", Answer::missing, Answer::missing, ""},
        {" \n", Answer::missing, Answer::missing, ""},
        {"abc", Answer::invalid, Answer::invalid, ""},
        {"1,5\n", Answer::invalid, Answer::invalid, ""},     // a decimal comma
        {"10.5\n", Answer::invalid, Answer::ok, "\n"},       // a count is whole
        {"1e-400\n", Answer::ok, Answer::invalid, ""},       // underflows a double
        {"1e-50\n", Answer::ok, Answer::invalid, ""},        // vanishes in single precision
        {"1e999\n", Answer::ok, Answer::invalid, ""},        // overflows a double
        {"5e\n", Answer::ok, Answer::invalid, ""},           // an exponent without digits
        {"0x10\n", Answer::ok, Answer::ok, "x10\n"},         // 0, then text, as before
    };
    for (const auto& c : cases) {
        std::istringstream count_in(c.input);
        int count = 0;
        EXPECT_EQ(read_count(count_in, count), c.count) << c.input;
        std::istringstream capacity_in(c.input);
        double capacity = 0.0;
        EXPECT_EQ(read_max_capacity(capacity_in, capacity), c.capacity) << c.input;
        if (c.capacity == Answer::ok) {
            std::string rest(std::istreambuf_iterator<char>(capacity_in), {});
            EXPECT_EQ(rest, c.rest) << c.input;
        }
    }
    std::istringstream in("2.5e3");
    double capacity = 0.0;
    ASSERT_EQ(read_max_capacity(in, capacity), Answer::ok);
    EXPECT_EQ(capacity, 2500.0);
}

TEST(VarnockAnswers, WholeArguments) {
    EXPECT_EQ(parse_count("40"), 40);
    EXPECT_EQ(parse_count("+40"), 40);
    EXPECT_EQ(parse_count("-4"), -4);
    for (const char* bad : {"", "4x", "1,5", "4.0", "+-4", "99999999999", " 4"}) {
        EXPECT_FALSE(parse_count(bad).has_value()) << bad;
    }
    EXPECT_EQ(parse_max_capacity("50"), 50.0);
    EXPECT_EQ(parse_max_capacity("1.5e2"), 150.0);
    for (const char* bad : {"", "1,5", "1e-400", "1e-50", "inf", "nan", "0x10", "5 "}) {
        EXPECT_FALSE(parse_max_capacity(bad).has_value()) << bad;
    }
}
