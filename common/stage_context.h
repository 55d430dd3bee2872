#pragma once

#include <atomic>
#include <cstddef>

#include "common/solver_choice.h"

class ConsoleLog;
class RandomSource;
struct DemandChoice;

// What every stage of a load uses besides its input: the console it reports
// to, whether it writes its detailed listings, the random source it draws
// from, and what may stop it early. The caller (the shell or the runner)
// owns all of them.
struct StageContext {
    ConsoleLog& log;
    RandomSource& random;
    bool verbose = false;
    // Set by another thread to stop the load (the window's Cancel); null
    // when nothing can.
    const std::atomic<bool>* cancel = nullptr;
    // Longest processor time the flow program's solve may take, in seconds,
    // counted on the clock of the thread that runs the load; 0 for no limit.
    double cpu_limit_seconds = 0.0;
    // With `verbose`, the most values one detailed listing (capacities,
    // flows, coordinates) may hold; a longer one is replaced by one line that
    // gives its size. 0 for no limit: the runner writes every listing in full,
    // the window sets console_listing_limit.
    std::size_t listing_limit = 0;
    // The demands the user chose; null for the default set.
    const DemandChoice* demands = nullptr;
    // The LP engine the flow programs (the main one and the certificate's)
    // are solved with.
    SolverChoice solver = SolverChoice::automatic;
};

// The listing limit of the window's console. A listing of this many values
// takes some 10 MB of text, which the console panel no longer shows in
// reasonable time.
inline constexpr std::size_t console_listing_limit = 500000;
