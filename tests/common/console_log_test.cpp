#include "common/console_log.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// A clock the test moves by hand.
struct FakeClock {
    std::int64_t now = 0;
    ConsoleLog::Clock function() {
        return [this] { return now; };
    }
};

}  // namespace

TEST(ConsoleLog, LinesEndWithALineEnd) {
    StringSink sink;
    ConsoleLog log(sink);
    log.append_line("abc");
    log.append_line("");
    log.append_line("x\ny");
    EXPECT_EQ(sink.text(), "abc\n\nx\ny\n");
    log.clear();
    EXPECT_EQ(sink.text(), "");
}

TEST(ConsoleLog, TimerLineFormatAndEmptyLineAfter) {
    StringSink sink;
    FakeClock clock;
    ConsoleLog log(sink, clock.function());
    log.start_timer();
    clock.now += 47;
    log.log_timer("Fichier .gr lu avec succès");
    EXPECT_EQ(sink.text(), "** TIMER : Fichier .gr lu avec succès -> 0.047 s.\n\n");
}

TEST(ConsoleLog, TimerMeasuresFromThePreviousLine) {
    StringSink sink;
    FakeClock clock;
    clock.now = 1000;
    ConsoleLog log(sink, clock.function());
    log.start_timer();
    clock.now += 15;
    log.log_timer("a");
    clock.now += 2500;
    log.log_timer("b");
    log.log_timer("c");
    EXPECT_EQ(sink.text(),
              "** TIMER : a -> 0.015 s.\n\n"
              "** TIMER : b -> 2.5 s.\n\n"
              "** TIMER : c -> 0 s.\n\n");
    ASSERT_EQ(log.timings().size(), 3u);
    EXPECT_EQ(log.timings()[1].first, "b");
    EXPECT_DOUBLE_EQ(log.timings()[1].second, 2.5);
    log.clear();
    EXPECT_TRUE(log.timings().empty());
}

TEST(ConsoleLog, TimerDoesNotGoNegativeAcrossA32BitWrap) {
    // Regression: a 32-bit tick counter wrapping between mark and reading gave
    // a negative duration. The clock is 64-bit now.
    StringSink sink;
    FakeClock clock;
    clock.now = 0xFFFFFFF0LL;
    ConsoleLog log(sink, clock.function());
    log.start_timer();
    clock.now += 0x20;
    log.log_timer("t");
    EXPECT_EQ(sink.text(), "** TIMER : t -> 0.032 s.\n\n");
}

TEST(ConsoleLog, MonotonicClockNeverGoesBack) {
    std::int64_t previous = monotonic_milliseconds();
    for (int i = 0; i < 1000; ++i) {
        const std::int64_t now = monotonic_milliseconds();
        ASSERT_GE(now, previous);
        previous = now;
    }
}
