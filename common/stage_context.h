#pragma once

#include <atomic>

class ConsoleLog;
class RandomSource;

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
    // Longest processor time the flow program's solve may take, in seconds;
    // 0 for no limit.
    double cpu_limit_seconds = 0.0;
};
