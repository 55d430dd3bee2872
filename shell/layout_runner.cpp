#include "shell/layout_runner.h"

#include <utility>

#include "view/force_layout.h"

LayoutRunner::LayoutRunner(WindowPlatform& platform, ConsoleLog::Clock clock)
    : platform_(platform), clock_(std::move(clock)) {}

LayoutRunner::~LayoutRunner() {
    if (thread_.joinable()) {
        cancel_ = true;
        thread_.join();
    }
}

void LayoutRunner::start(const Graph& graph, const RandomSource& random, Done done) {
    stop();
    const std::uint64_t generation = ++generation_;
    cancel_ = false;
    started_ms_ = clock_();
    progress_shown_ = false;
    platform_.set_busy(true);
    platform_.set_progress_ticks(true);
    thread_ = std::thread([this, generation, &graph, random, done = std::move(done)] {
        RandomSource draws = random;
        std::vector<Vector3> positions;
        const bool laid_out = force_layout(graph, draws, positions, &cancel_);
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
    if (!running()) {
        return;
    }
    cancel_ = true;
    if (progress_shown_) {
        on_progress_tick();
    }
}

void LayoutRunner::stop() {
    ++generation_;
    if (thread_.joinable()) {
        cancel_ = true;
        end();
    }
}

void LayoutRunner::end() {
    thread_.join();
    platform_.set_progress_ticks(false);
    platform_.hide_progress();
    progress_shown_ = false;
    platform_.set_busy(false);
    return_freed_memory();
}

void LayoutRunner::on_progress_tick() {
    if (!running()) {
        return;
    }
    const std::int64_t elapsed = clock_() - started_ms_;
    if (!progress_shown_ && elapsed < progress_delay_ms) {
        return;
    }
    progress_shown_ = true;
    platform_.show_progress(caption_force_layout,
                            cancel_ ? "Annulation..." : force_layout_stage_text,
                            progress_elapsed_text(elapsed));
}
