#include "shell/certifier.h"

#include <utility>

#include "common/console_log.h"
#include "common/stage_context.h"
#include "shell/pipeline.h"

void Certifier::start(const Graph& graph, const DemandSet& demands, const CutResult& sweep,
                      const RandomSource& random, Done done, SolverChoice solver) {
    stop();
    const std::uint64_t generation = ++generation_;
    cancel_ = false;
    thread_ = std::thread([this, generation, &graph, &demands, &sweep, random, solver,
                           done = std::move(done)] {
        NullSink sink;
        ConsoleLog log(sink);
        RandomSource draws = random;
        StageContext context{log, draws, false, &cancel_};
        context.solver = solver;
        TimedCertificate timed = certify_stage(graph, demands, sweep, context);
        post_([this, generation, done, certificate = std::move(timed.certificate),
               seconds = timed.seconds] {
            // A certificate stopped before it ended was joined then.
            if (generation != generation_) {
                return;
            }
            thread_.join();
            done(certificate, seconds);
        });
    });
}

void Certifier::stop() {
    ++generation_;
    if (thread_.joinable()) {
        cancel_ = true;
        thread_.join();
    }
}
