#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "common/random_source.h"
#include "common/solver_choice.h"
#include "graph/cut_certificate.h"
#include "graph/cut_result.h"
#include "graph/demand_set.h"
#include "graph/graph.h"

// Certifies the cut of the graph on show on a thread of its own, so that the
// window stays live meanwhile; the certificate reaches the window's thread as
// a posted task. Starting again, or stopping, drops the result of the
// certificate that ran before, even one already posted.
//
// Every call comes from the window's thread.
class Certifier {
  public:
    // Runs a task on the window's thread later; called from the certifier's
    // thread.
    using Post = std::function<void(std::function<void()>)>;
    // Receives the certificate and the wall-clock seconds it took.
    using Done = std::function<void(const CutCertificate& certificate, double seconds)>;

    explicit Certifier(Post post) : post_(std::move(post)) {}
    // Stops a certificate that still runs and waits for its thread.
    ~Certifier() { stop(); }

    Certifier(const Certifier&) = delete;
    Certifier& operator=(const Certifier&) = delete;

    // Stops the certificate that runs, if any, then certifies the sweep's cut
    // `sweep` of `graph` with `demands`, drawing from a copy of `random`, its
    // flow bound solved as `solver` chooses.
    // The three must stay as they are until `done` has run or stop() has
    // returned. `done` runs on the window's thread.
    void start(const Graph& graph, const DemandSet& demands, const CutResult& sweep,
               const RandomSource& random, Done done,
               SolverChoice solver = SolverChoice::automatic);
    // Stops the certificate that runs and waits for its thread; its result
    // is dropped.
    void stop();
    // Whether a certificate runs, or has ended and its result waits for the
    // window's thread.
    bool running() const { return thread_.joinable(); }

  private:
    Post post_;
    std::thread thread_;
    std::atomic<bool> cancel_{false};
    // Raised at each start and stop, so that a result posted by a stopped
    // certificate is dropped.
    std::uint64_t generation_ = 0;
};
