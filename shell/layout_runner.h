#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "common/console_log.h"
#include "common/random_source.h"
#include "common/vector3.h"
#include "shell/job_progress.h"
#include "shell/window_platform.h"

class Graph;

// Runs the force layout of the graph on show (Affichage → Disposition par
// forces) on a thread of its own, as a load runs: the busy cursor shows, and
// once it has run for progress_delay_ms the progress box, whose Annuler
// stops it. Its positions reach the window's thread as a posted task; a
// layout stopped or cancelled changes nothing.
//
// Every call comes from the window's thread.
class LayoutRunner {
  public:
    // Receives the new positions and the random source after the layout's
    // draws.
    using Done = std::function<void(std::vector<Vector3> positions, const RandomSource& random)>;

    // `clock` (milliseconds) times the progress box.
    LayoutRunner(WindowPlatform& platform, ConsoleLog::Clock clock);
    // Stops a layout that still runs and waits for its thread, without a
    // word to the window system, which may be gone already.
    ~LayoutRunner();

    LayoutRunner(const LayoutRunner&) = delete;
    LayoutRunner& operator=(const LayoutRunner&) = delete;

    // Stops the layout that runs, if any, then lays out `graph` drawing from
    // a copy of `random`. The graph must stay as it is until `done` has run
    // or stop() has returned.
    void start(const Graph& graph, const RandomSource& random, Done done);
    // Asks the layout to stop; it ends soon after without a result.
    void cancel();
    // Stops the layout at once and waits for its thread; its result is
    // dropped.
    void stop();
    // Whether a layout runs, or has ended and waits for the window's thread.
    bool running() const { return thread_.joinable(); }
    // About ten times a second while it runs: shows the progress box once
    // the layout has run for progress_delay_ms, and keeps it current.
    void on_progress_tick();

  private:
    // The layout has ended: its thread is joined, and the cursor and the
    // progress box are as before it.
    void end();

    WindowPlatform& platform_;
    std::thread thread_;
    JobProgress progress_;
    // Raised at each start and stop, so that a result posted by a stopped
    // layout is dropped.
    std::uint64_t generation_ = 0;
};
