#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/demand_choice.h"
#include "common/solver_choice.h"

struct LoadedGraph;

// One load of a .gr file, measured in a child process of its own: its peak
// resident memory is then its own and not the largest of the earlier loads,
// and a load that runs too long can be stopped.
struct ChildLoad {
    bool loaded = false;       // the load succeeded and the child exited normally
    bool stopped = false;      // the child was killed at the time limit
    double seconds = 0.0;      // wall-clock time of the load, measured in the child
    double cpu_seconds = 0.0;  // processor time of the load, measured in the child
    long peak_kib = 0;         // the child's peak resident memory
    std::vector<std::pair<std::string, double>> stages;  // the console's timings, in order
    std::string console;                                 // the console's text, when kept
    std::string inspection;  // what the inspector said about the loaded graph
};

// Looks at a loaded graph in the child, after the load is measured, and says
// what it found in one line.
using LoadInspector = std::function<std::string(const LoadedGraph&)>;

// What the child's load takes besides the file: the demands (the default set
// unless chosen), whether the cut is certified after the load, as
// tarvessa-batch --certificate does (its time then counts in the load's, as
// the stage "certificate"), and the LP engine choice (--solver).
struct ChildOptions {
    DemandChoice demands = {};
    bool certify = false;
    SolverChoice solver = SolverChoice::automatic;
};

// Loads `path` in a forked child, without the verbose listings and with the
// random source seeded with 1; load errors go to standard error. The child
// sends its timings (and the console's text when `keep_console` is set) back
// through a pipe, with the line of `inspect` (when given) on the loaded
// graph; its peak memory comes from wait4. Unless `keep_console` is set the
// console's text is dropped as it is written, so that it does not count in
// the peak. A `limit_seconds` above 0 kills the child after that long;
// nothing but `stopped` and the peak is known then.
ChildLoad load_in_child(const std::string& path, bool keep_console, unsigned limit_seconds = 0,
                        const LoadInspector& inspect = {}, const ChildOptions& options = {});
