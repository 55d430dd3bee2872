// Reloading a file, as a user does in the window, must not make the process
// grow: every load releases the previous graph, its flow result, the
// program, the embedding and every temporary.

#include <gtest/gtest.h>
#include <malloc.h>

#include <unistd.h>

#include <fstream>
#include <string>

#include "shell/load_graph.h"
#include "tests/support/sanitizer.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_stage.h"

namespace {

class QuietReporter : public LoadReporter {
  public:
    void show_error(const std::string&, const std::string&) override { ++errors; }
    void set_title(const std::string&) override {}
    int errors = 0;
};

// Bytes the allocator has handed out and not had back.
std::size_t heap_in_use() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

std::size_t resident_bytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    std::size_t resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// An undirected 30-vertex ring with chords: big enough that a leaked graph,
// flow result or program per load shows within a few hundred loads.
std::string ring_with_chords() {
    std::string text;
    for (int v = 0; v < 30; ++v) {
        text += std::to_string(v) + " -> " + std::to_string((v + 1) % 30) + ", " +
                std::to_string((v + 7) % 30) + " [cap = " + std::to_string(10 + v) + "];";
    }
    return text;
}

}  // namespace

TEST(LoadMemory, ReloadingTheSameFileDoesNotGrowTheProcess) {
    if (under_address_sanitizer) {
        GTEST_SKIP() << "the sanitizer's quarantine holds freed memory; LeakSanitizer checks "
                        "leaks in that build";
    }
    const ScratchDir scratch("quillmere-reload");
    const std::string path = scratch.write("ring.gr", ring_with_chords());

    TestStage stage(11);
    QuietReporter reporter;
    LoadedGraph state;
    const auto load = [&] {
        ASSERT_EQ(load_graph_file(path, stage.context(true), reporter, state), LoadOutcome::loaded);
    };

    // The first loads fill the allocator's per-thread caches of freed blocks,
    // which it still counts as in use (some 200 KB, filled within about 30
    // loads of this graph).
    for (int i = 0; i < 50; ++i) {
        load();
    }
    const std::size_t heap_before = heap_in_use();
    const std::size_t resident_before = resident_bytes();
    std::size_t heap_peak = heap_before;
    for (int i = 0; i < 200; ++i) {
        load();
        heap_peak = std::max(heap_peak, heap_in_use());
    }
    const std::size_t heap_after = heap_in_use();
    const std::size_t resident_after = resident_bytes();

    EXPECT_EQ(reporter.errors, 0);
    ASSERT_NE(state.graph(), nullptr);
    EXPECT_EQ(state.graph()->vertex_count(), 30);
    // Between loads the same graph is held, so the heap in use comes back to
    // about the same size: 64 KB of slack for the caches is 320 bytes a
    // load, while one leaked graph with its flows would be some 30 KB a load.
    EXPECT_LE(heap_after, heap_before + 64 * 1024)
        << "heap grew by " << heap_after - heap_before << " bytes over 200 loads";
    EXPECT_LE(heap_peak, heap_before + 16 * 1024 * 1024);
    EXPECT_LE(resident_after, resident_before + 2 * 1024 * 1024)
        << "resident set grew by " << (resident_after - resident_before) / 1024
        << " KiB over 200 loads";
}
