#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "common/console_log.h"
#include "shell/window_platform.h"

// How long a load or a layout runs before its progress box shows.
inline constexpr std::int64_t progress_delay_ms = 500;
// The progress box's time line, in seconds with one decimal after a comma:
// "Temps écoulé : 2,5 s".
std::string progress_elapsed_text(std::int64_t milliseconds);

// What the window shows of a job that runs on a thread of its own (a load,
// the force layout): the busy cursor and the progress ticks from its start,
// the progress box once it has run for `delay_ms`, "Annulation..." there once
// it is asked to stop, and everything put back at its end. It owns the
// job's cancel flag, which the job's thread polls.
//
// Every call comes from the window's thread.
class JobProgress {
  public:
    // `clock` (milliseconds) times the box.
    JobProgress(WindowPlatform& platform, ConsoleLog::Clock clock,
                std::int64_t delay_ms = progress_delay_ms);

    // The job starts: its cancel flag down, busy cursor and ticks on.
    void start();
    // The job has ended and its thread is joined: ticks off, box hidden,
    // cursor back.
    void end();
    // Raises the cancel flag; returns whether the box shows, so that its
    // owner refreshes it at once.
    bool cancel();
    // Shows the box once the job has run for the delay, captioned `caption`,
    // with the stage `stage()` gives (or "Annulation..." once cancelled)
    // and the time it has run.
    void tick(const char* caption, const std::function<std::string()>& stage);

    std::atomic<bool>& cancel_flag() { return cancel_; }
    bool cancelled() const { return cancel_; }

  private:
    WindowPlatform& platform_;
    ConsoleLog::Clock clock_;
    std::int64_t delay_ms_;
    std::atomic<bool> cancel_{false};
    std::int64_t started_ms_ = 0;
    bool shown_ = false;
};
