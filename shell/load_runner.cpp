#include "shell/load_runner.h"

#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "shell/load_messages.h"
#include "view/force_layout.h"

// One load on the worker thread: everything it reads and writes while it
// runs, and what it reported, for the window's thread to take over when it
// ends.
struct LoadRunner::Job : LoadReporter {
    Job(const std::string& path, const RandomSource& random, bool listings, bool layout,
        const DemandChoice& chosen, SolverChoice engine, ConsoleSink& relay,
        const ConsoleLog::Clock& clock)
        : verbose(listings),
          by_force(layout),
          demands(chosen),
          solver(engine),
          result{
              .path = path, .log = std::make_unique<ConsoleLog>(relay, clock), .random = random} {}

    void show_error(const std::string& caption, const std::string& text) override {
        errors.emplace_back(caption, text);
    }
    void set_title(const std::string& text) override { result.title = text; }
    void file_opened() override {
        if (on_file_opened) {
            on_file_opened();
        }
    }

    const bool verbose;
    const bool by_force;
    const DemandChoice demands;
    const SolverChoice solver;
    // Set once the load is done and the force layout runs.
    std::atomic<bool> laying_out{false};
    std::function<void()> on_file_opened;
    // Written by the worker, read once it has ended.
    FinishedLoad result;
    // The error boxes the load asked for, as caption and text, in order.
    std::vector<std::pair<std::string, std::string>> errors;
};

std::string load_cancelled_text(const std::string& path) {
    return "Le chargement du graphe \"" + path + "\" a été annulé.";
}

void return_freed_memory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

std::string progress_stage_text(const std::string& last_timer_label) {
    if (last_timer_label.empty()) {
        return "Lecture du fichier...";
    }
    return "Dernière étape : " + last_timer_label;
}

LoadRunner::LoadRunner(WindowPlatform& platform, ConsoleRelay& relay, LoadFunction load,
                       ConsoleLog::Clock clock, Events events)
    : platform_(platform),
      relay_(relay),
      load_(std::move(load)),
      clock_(clock),
      events_(std::move(events)),
      progress_(platform, std::move(clock)) {}

LoadRunner::~LoadRunner() {
    if (worker_.joinable()) {
        progress_.cancel();
        worker_.join();
    }
}

bool LoadRunner::start(const std::string& path, const RandomSource& random, bool verbose,
                       bool by_force, const DemandChoice& demands, SolverChoice solver) {
    if (running()) {
        return false;
    }
    auto job =
        std::make_unique<Job>(path, random, verbose, by_force, demands, solver, relay_, clock_);
    Job* running = job.get();
    running->on_file_opened = [this, running] {
        platform_.post([this, running] {
            if (job_.get() == running && events_.file_opened) {
                events_.file_opened();
            }
        });
    };
    job_ = std::move(job);
    relay_.hold();
    progress_.start();
    worker_ = std::thread([this, running] {
        FinishedLoad& result = running->result;
        StageContext context{*result.log, result.random, running->verbose,
                             &progress_.cancel_flag()};
        // The console panel cannot show the listings of a large graph.
        context.listing_limit = console_listing_limit;
        context.demands = &running->demands;
        context.solver = running->solver;
        try {
            result.outcome = load_(result.path, context, *running, result.state);
            if (result.outcome == LoadOutcome::loaded && running->by_force) {
                running->laying_out = true;
                LoadedGraph& state = result.state;
                if (force_layout(state.current->graph, result.random, state.display_positions,
                                 &progress_.cancel_flag())) {
                    result.log->log_timer(timer_label_force_layout);
                } else {
                    result.outcome = LoadOutcome::cancelled;
                    state.current.reset();
                    result.title.reset();
                }
            }
        } catch (...) {
            // The load command handles its own errors; this is for a stand-in
            // that does not.
            result.outcome = LoadOutcome::build_failed;
            running->errors.emplace_back(caption_read_error, build_failure_text(""));
        }
        platform_.post([this, running] { finish(running); });
    });
    return true;
}

void LoadRunner::cancel() {
    if (running() && progress_.cancel()) {
        on_progress_tick();
    }
}

void LoadRunner::on_progress_tick() {
    if (!job_) {
        return;
    }
    progress_.tick(caption_loading, [this] {
        return job_->laying_out ? std::string(force_layout_stage_text)
                                : progress_stage_text(relay_.last_timer_label());
    });
}

void LoadRunner::finish(Job* job) {
    if (job_.get() != job) {
        return;
    }
    worker_.join();
    relay_.release();
    const std::unique_ptr<Job> done = std::move(job_);
    progress_.end();
    const std::string path = done->result.path;
    const bool cancelled = done->result.outcome == LoadOutcome::cancelled;
    if (events_.finished) {
        events_.finished(std::move(done->result));
    }
    // The boxes wait for the user, so they come last, with everything else
    // already in its final state.
    if (cancelled) {
        relay_.append(std::string(load_cancelled_line) + "\n");
    }
    return_freed_memory();
    for (const auto& [caption, text] : done->errors) {
        platform_.show_error(caption, text);
    }
    if (cancelled) {
        platform_.show_information(caption_load_cancelled, load_cancelled_text(path));
    }
}
