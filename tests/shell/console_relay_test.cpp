#include "shell/console_relay.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "common/console_log.h"

// Lines written on another thread while the window's thread flushes now and
// then all arrive, in order, with one post per batch.
TEST(ConsoleRelay, CarriesTextFromAnotherThreadInOrder) {
    StringSink target;
    std::mutex mutex;
    std::deque<std::function<void()>> posted;
    int posts = 0;
    ConsoleRelay relay(target, [&](std::function<void()> task) {
        std::lock_guard lock(mutex);
        posted.push_back(std::move(task));
        ++posts;
    });
    const auto run_posted = [&] {
        std::deque<std::function<void()>> tasks;
        {
            std::lock_guard lock(mutex);
            tasks.swap(posted);
        }
        for (auto& task : tasks) {
            task();
        }
    };

    // Not held: straight through.
    relay.append("avant\n");
    EXPECT_EQ(target.text(), "avant\n");

    relay.hold();
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        expected += "ligne " + std::to_string(i) + "\n";
    }
    std::thread writer([&] {
        relay.clear();
        ConsoleLog log(relay, [] { return std::int64_t{0}; });
        for (int i = 0; i < 20000; ++i) {
            log.append_line("ligne " + std::to_string(i));
        }
        log.log_timer("Étape écrite");
    });
    while (writer.joinable()) {
        run_posted();
        if (relay.last_timer_label() == "Étape écrite") {
            writer.join();
        }
    }
    relay.release();
    run_posted();
    EXPECT_EQ(target.text(), expected + "** TIMER : Étape écrite -> 0 s.\n\n");
    EXPECT_LT(posts, 20000);

    // A clear drops what was written before it, and the target is cleared
    // before the text after it arrives.
    relay.hold();
    relay.append("perdu\n");
    relay.clear();
    relay.append("gardé\n");
    relay.flush();
    EXPECT_EQ(target.text(), "gardé\n");
    EXPECT_EQ(relay.last_timer_label(), "");
    relay.release();
}
