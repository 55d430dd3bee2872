#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "common/console_log.h"
#include "common/demand_choice.h"
#include "common/random_source.h"
#include "common/solver_choice.h"
#include "shell/console_relay.h"
#include "shell/job_progress.h"
#include "shell/load_graph.h"
#include "shell/window_platform.h"

// The texts of a cancelled load: its console line, its box.
inline constexpr const char* load_cancelled_line = "** Chargement annulé.";
inline constexpr const char* caption_load_cancelled = "Chargement annulé";
// "Le chargement du graphe \"<path>\" a été annulé."
std::string load_cancelled_text(const std::string& path);

// Gives the memory that the allocator holds freed back to the system. It
// keeps freed blocks for reuse, which after a load of a large flow program,
// or a frame of a large graph drawn by a software rasteriser, is hundreds of
// megabytes that the window would otherwise hold until it ends.
void return_freed_memory();

// The progress box's caption during a load.
inline constexpr const char* caption_loading = "Chargement";
// The progress box's caption and line while the force layout runs, by
// itself or after a load.
inline constexpr const char* caption_force_layout = "Disposition par forces";
inline constexpr const char* force_layout_stage_text = "Calcul de la disposition par forces...";
// The timer line of the force layout that places a load's vertices when the
// loads are set to it.
inline constexpr const char* timer_label_force_layout = "Disposition par forces calculée";

// The progress box's stage line: the last stage done, or the read before the
// first one.
std::string progress_stage_text(const std::string& last_timer_label);

// The load command as the window runs it; load_graph_file, or a stand-in in
// the tests.
using LoadFunction = std::function<LoadOutcome(const std::string& path, const StageContext&,
                                               LoadReporter&, LoadedGraph&)>;

// What a load produced, handed to the window's thread once it has ended.
struct FinishedLoad {
    std::string path = {};
    LoadOutcome outcome = LoadOutcome::build_failed;
    // The graph record the load filled.
    LoadedGraph state = {};
    // The load's own console log, whose timings the saved results give.
    std::unique_ptr<ConsoleLog> log = {};
    // The random source the load started with, after its draws.
    RandomSource random;
    // The main window's title, when the load set one.
    std::optional<std::string> title = {};
};

// Runs the window's loads, one at a time, on a worker thread: the load has
// its own console log (whose text reaches the console through the relay,
// held meanwhile), its own copy of the random source and its own graph
// record, and shares nothing else with the window's thread while it runs.
// Meanwhile the busy cursor shows, and a load that runs for longer than
// progress_delay_ms shows the progress box, whose button cancels it. Once
// the window has taken over what the load produced, the runner shows the
// boxes the load asked for, and says so when it was cancelled.
//
// Every call comes from the window's thread; so do the events, as tasks
// posted to it.
class LoadRunner {
  public:
    struct Events {
        // The load has opened its file: the load command has released the
        // previous graph record by then.
        std::function<void()> file_opened;
        // The load has ended, and the runner is idle again; its boxes come
        // after this returns.
        std::function<void(FinishedLoad)> finished;
    };

    // `platform`, `relay` and `load` are the window's; `clock`
    // (milliseconds) times the loads and the progress box.
    LoadRunner(WindowPlatform& platform, ConsoleRelay& relay, LoadFunction load,
               ConsoleLog::Clock clock, Events events);
    // Stops a load that still runs and waits for its thread.
    ~LoadRunner();

    LoadRunner(const LoadRunner&) = delete;
    LoadRunner& operator=(const LoadRunner&) = delete;

    // Starts loading `path` with a copy of `random` and of `demands`, its
    // flow program solved as `solver` chooses, listing capacities, flows and
    // coordinates when `verbose`. With
    // `by_force` the loaded graph's vertices are then placed by the force
    // layout (its timer line after the load's last), on the same thread and
    // under the same cancel. Does nothing and returns false while a load
    // runs.
    bool start(const std::string& path, const RandomSource& random, bool verbose,
               bool by_force = false, const DemandChoice& demands = {},
               SolverChoice solver = SolverChoice::automatic);
    bool running() const { return job_ != nullptr; }
    // Asks the running load to stop; it then ends as a cancelled load.
    void cancel();
    // Called about ten times a second while a load runs: shows the progress
    // box once the load has run for progress_delay_ms, and keeps it current.
    void on_progress_tick();

  private:
    struct Job;

    void finish(Job* job);

    WindowPlatform& platform_;
    ConsoleRelay& relay_;
    LoadFunction load_;
    ConsoleLog::Clock clock_;
    Events events_;

    std::unique_ptr<Job> job_;
    std::thread worker_;
    JobProgress progress_;
};
