#include "shell/job_progress.h"

#include <utility>

std::string progress_elapsed_text(std::int64_t milliseconds) {
    const std::int64_t tenths = (milliseconds < 0 ? 0 : milliseconds) / 100;
    return "Temps écoulé : " + std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) +
           " s";
}

JobProgress::JobProgress(WindowPlatform& platform, ConsoleLog::Clock clock, std::int64_t delay_ms)
    : platform_(platform), clock_(std::move(clock)), delay_ms_(delay_ms) {}

void JobProgress::start() {
    cancel_ = false;
    shown_ = false;
    started_ms_ = clock_();
    platform_.set_busy(true);
    platform_.set_progress_ticks(true);
}

void JobProgress::end() {
    platform_.set_progress_ticks(false);
    platform_.hide_progress();
    shown_ = false;
    platform_.set_busy(false);
}

bool JobProgress::cancel() {
    cancel_ = true;
    return shown_;
}

void JobProgress::tick(const char* caption, const std::function<std::string()>& stage) {
    const std::int64_t elapsed = clock_() - started_ms_;
    if (!shown_ && elapsed < delay_ms_) {
        return;
    }
    shown_ = true;
    platform_.show_progress(caption, cancel_ ? std::string("Annulation...") : stage(),
                            progress_elapsed_text(elapsed));
}
