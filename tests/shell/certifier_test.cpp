#include "shell/certifier.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/graph_fixtures.h"

// A result already posted to the window's thread when a new start comes is
// dropped: only the last start's certificate arrives.
TEST(Certifier, OnlyTheLastStartsResultArrives) {
    std::mutex mutex;
    std::deque<std::function<void()>> posted;
    const auto posted_count = [&] {
        std::lock_guard lock(mutex);
        return posted.size();
    };
    Certifier certifier([&](std::function<void()> task) {
        std::lock_guard lock(mutex);
        posted.push_back(std::move(task));
    });
    const Graph graph = complete_graph(6, false, 1.0f);
    const DemandSet demands = DemandSet::default_set(6);
    const CutResult sweep;
    std::vector<int> arrived;
    for (int start = 1; start <= 2; ++start) {
        certifier.start(
            graph, demands, sweep, RandomSource(1),
            [&arrived, start](const CutCertificate&, double) { arrived.push_back(start); });
        while (posted_count() < static_cast<std::size_t>(start)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    EXPECT_TRUE(certifier.running());
    for (std::function<void()>& task : posted) {
        task();
    }
    EXPECT_EQ(arrived, std::vector<int>{2});
    EXPECT_FALSE(certifier.running());
}
