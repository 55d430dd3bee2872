#include "shell/layout_runner.h"

#include <utility>

#include "shell/load_runner.h"
#include "view/force_layout.h"

LayoutRunner::LayoutRunner(WindowPlatform& platform, ConsoleLog::Clock clock)
    : platform_(platform), progress_(platform, std::move(clock)) {}

LayoutRunner::~LayoutRunner() {
    if (thread_.joinable()) {
        progress_.cancel();
        thread_.join();
    }
}

void LayoutRunner::start(const Graph& graph, const RandomSource& random, Done done) {
    stop();
    const std::uint64_t generation = ++generation_;
    progress_.start();
    thread_ = std::thread([this, generation, &graph, random, done = std::move(done)] {
        RandomSource draws = random;
        std::vector<Vector3> positions;
        const bool laid_out = force_layout(graph, draws, positions, &progress_.cancel_flag());
        platform_.post(
            [this, generation, laid_out, done, draws, positions = std::move(positions)]() mutable {
                // A layout stopped before it ended was joined then.
                if (generation != generation_) {
                    return;
                }
                end();
                if (laid_out) {
                    done(std::move(positions), draws);
                }
            });
    });
}

void LayoutRunner::cancel() {
    if (running() && progress_.cancel()) {
        on_progress_tick();
    }
}

void LayoutRunner::stop() {
    ++generation_;
    if (thread_.joinable()) {
        progress_.cancel();
        end();
    }
}

void LayoutRunner::end() {
    thread_.join();
    progress_.end();
    return_freed_memory();
}

void LayoutRunner::on_progress_tick() {
    if (!running()) {
        return;
    }
    progress_.tick(caption_force_layout, [] { return std::string(force_layout_stage_text); });
}
