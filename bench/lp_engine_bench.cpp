// The LP engines side by side on the flow programs of the graphs that take
// lp_solve longest: lp_solve as the flow code sets it, and CLP's algorithms
// and options (primal or dual simplex, with or without presolve, the primal's
// start, barrier), each answer checked as the flow code checks it (the
// program satisfied, and λ reaching the bound of the capacity rows' duals).
// With --external, the same programs written as MPS files are also solved by
// `glpsol` and `clp` as whole processes.
//
// Programs: for each graph, the main program and the certificate's program
// on its pair network, each at the first of its scales; and two programs of
// many commodities, formulated here (the flow code has three), with demands
// spread over four decades.
//
//     lp_engine_bench [options]
//       --repeat R        solves per program and engine, the median shown (3)
//       --case TEXT       only the programs whose name holds TEXT (given
//                         again: any of the TEXTs)
//       --engine TEXT     only the engines whose name holds TEXT (likewise)
//       --external        also time glpsol and clp as processes
//       --keep DIR        write the MPS files to DIR and leave them there
//       --limit S         processor-time limit of each solve (60 s; for the
//                         external programs, of their wall-clock time)
//
// Times are the processor time of the solving thread (load into the engine
// and solve; external: the child's user + system time), which other work on
// the machine inflates less than the wall clock; the repeats are interleaved
// (every engine once, then again) so that a burst of load hits them alike.

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_graphs.h"
#include "embedding/shortest_paths.h"
#include "flow/flow_model.h"
#include "flow/lp_engine.h"
#include "graph/arc_lists.h"

namespace fs = std::filesystem;

namespace {

constexpr double check_tolerance = 1e-7;

// The arcs of a benchmark graph's .gr text ("u -> v [cap = c];" a line, the
// first statement of a pair winning it, as the builder does; a capacity read
// as a float; none written is the default 0.1).
ArcLists arcs_of_text(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    const bool directed = line.find("= 1") != std::string::npos;
    std::getline(in, line);
    const int n = std::atoi(line.c_str()) + 1;
    std::vector<char> taken(static_cast<std::size_t>(n) * n, 0);
    std::vector<Arc> arcs;
    while (std::getline(in, line)) {
        int u = 0;
        int v = 0;
        if (std::sscanf(line.c_str(), "%d -> %d", &u, &v) != 2 || u == v) {
            continue;
        }
        const std::size_t cap_at = line.find("cap = ");
        const double cap = cap_at == std::string::npos
                               ? static_cast<double>(0.1f)
                               : static_cast<double>(std::strtof(line.c_str() + cap_at + 6, nullptr));
        const int a = directed ? u : std::min(u, v);
        const int b = directed ? v : std::max(u, v);
        if (taken[static_cast<std::size_t>(a) * n + b]++) {
            continue;
        }
        arcs.push_back({a, b, cap});
        if (!directed) {
            arcs.push_back({b, a, cap});
        }
    }
    return ArcLists(n, std::move(arcs));
}

struct Commodity {
    int source;
    int sink;
    double demand;
};

// The concurrent-flow program of `commodities` on `arcs`, rows as
// formulate_flow_program orders them (capacity, conservation, demand).
FlowProgram many_commodity_program(const ArcLists& arcs, const std::vector<Commodity>& commodities,
                                   double scale) {
    FlowProgram program;
    program.vertex_count = arcs.vertex_count();
    program.columns = {arcs.arc_count(), static_cast<int>(commodities.size())};
    program.scale = scale;
    const FlowColumns& columns = program.columns;
    for (int a = 0; a < arcs.arc_count(); ++a) {
        ProgramRow row{{}, {}, 1, arcs.arcs()[a].capacity / scale};
        for (int k = 0; k < columns.commodities; ++k) {
            row.columns.push_back(columns.flow(k, a));
            row.coefficients.push_back(1.0);
        }
        program.rows.push_back(std::move(row));
    }
    const auto inflow = [&](int v, int k, int relation) {
        ProgramRow row{{}, {}, relation, 0.0};
        for (int a : arcs.in_arcs(v)) {
            row.columns.push_back(columns.flow(k, a));
            row.coefficients.push_back(1.0);
        }
        for (int a = arcs.out_begin(v); a < arcs.out_end(v); ++a) {
            row.columns.push_back(columns.flow(k, a));
            row.coefficients.push_back(-1.0);
        }
        return row;
    };
    for (int v = 0; v < arcs.vertex_count(); ++v) {
        for (int k = 0; k < columns.commodities; ++k) {
            if (v != commodities[k].source && v != commodities[k].sink) {
                program.rows.push_back(inflow(v, k, 3));
            }
        }
    }
    for (int k = 0; k < columns.commodities; ++k) {
        ProgramRow row = inflow(commodities[k].sink, k, 2);
        row.columns.push_back(columns.lambda());
        row.coefficients.push_back(-commodities[k].demand);
        program.rows.push_back(std::move(row));
    }
    return program;
}

// The check of an answer to a program of many commodities, in the program's
// units: every row and bound within the tolerance relative to its terms, and
// λ reaching the bound of the capacity rows' duals (length_bound's, for
// these commodities).
// Returns what failed ("rows", "bound"), or nothing.
std::string check_many(const FlowProgram& program, const ArcLists& arcs,
                       const std::vector<Commodity>& commodities, const EngineAnswer& answer) {
    for (double x : answer.primal) {
        if (!std::isfinite(x) || x < -check_tolerance) {
            return "columns";
        }
    }
    for (const ProgramRow& row : program.rows) {
        double sum = 0.0;
        double size = std::fabs(row.rhs) + 1.0;
        for (std::size_t e = 0; e < row.columns.size(); ++e) {
            const double term = row.coefficients[e] * answer.primal[row.columns[e] - 1];
            sum += term;
            size += std::fabs(term);
        }
        const double excess = row.relation == 1   ? sum - row.rhs
                              : row.relation == 2 ? row.rhs - sum
                                                  : std::fabs(sum - row.rhs);
        if (excess > check_tolerance * size) {
            return "rows";
        }
    }
    std::vector<double> lengths(arcs.arc_count());
    double volume = 0.0;
    for (int a = 0; a < arcs.arc_count(); ++a) {
        lengths[a] = std::max(0.0, answer.row_duals[a]);
        volume += program.rows[a].rhs * lengths[a];
    }
    double separation = 0.0;
    for (const Commodity& c : commodities) {
        separation += c.demand * shortest_paths_from(arcs, lengths, c.source).distance[c.sink];
    }
    const double lambda = answer.primal[program.columns.lambda() - 1];
    return lambda >= volume / separation * (1.0 - check_tolerance) ? "" : "bound";
}

struct BenchProgram {
    std::string name;
    ArcLists arcs;
    FlowProgram program;
    std::vector<Commodity> commodities;  // empty: the three fixed ones
};

std::vector<BenchProgram> bench_programs() {
    struct Source {
        const char* name;
        std::string text;
    };
    // The seeds are pipeline_bench's (12345 + n), but for the directed
    // graph, where that one leaves a sink unreachable (λ = 0 at once).
    const Source sources[] = {
        {"rand-u-1000-4000", random_graph_text(1000, 4000, false, Capacities::random, 13345u)},
        {"rand-d-2000-8000", random_graph_text(2000, 8000, true, Capacities::random, 14347u)},
        {"rand-u-2000-7000", random_graph_text(2000, 7000, false, Capacities::random, 14345u)},
        {"complete-d-120-wide", complete_graph_text(120, true, Capacities::wide, 12465u)},
    };
    std::vector<BenchProgram> programs;
    for (const Source& source : sources) {
        ArcLists arcs = arcs_of_text(source.text);
        FlowProgram main = formulate_flow_program(arcs, program_scales(arcs).front());
        programs.push_back({source.name, arcs, std::move(main), {}});
        ArcLists pairs = pair_network(arcs);
        FlowProgram bound = formulate_flow_program(pairs, program_scales(pairs).front(), true);
        programs.push_back({std::string(source.name) + "/pairs", std::move(pairs), std::move(bound), {}});
    }
    // Two programs of many commodities between random distinct vertices,
    // with demands 10^u, u in −2 … 2: a 15 × 15 grid with 100 commodities,
    // and a random undirected graph of 100 vertices and 300 edges with 300.
    // Capacities 1 … 100, each edge both ways.
    std::mt19937 engine(2024);
    std::uniform_int_distribution<int> capacity(1, 100);
    const auto many = [&](const char* name, int n, std::vector<std::pair<int, int>> edges,
                          std::size_t count) {
        std::vector<Arc> both;
        for (const auto& [v, w] : edges) {
            const double c = capacity(engine);
            both.push_back({v, w, c});
            both.push_back({w, v, c});
        }
        ArcLists arcs(n, std::move(both));
        std::uniform_int_distribution<int> vertex(0, n - 1);
        std::uniform_real_distribution<double> decade(-2.0, 2.0);
        std::vector<Commodity> commodities;
        while (commodities.size() < count) {
            const int s = vertex(engine);
            const int t = vertex(engine);
            if (s != t) {
                commodities.push_back({s, t, std::pow(10.0, decade(engine))});
            }
        }
        FlowProgram program = many_commodity_program(arcs, commodities, 64.0);
        programs.push_back({name, std::move(arcs), std::move(program), std::move(commodities)});
    };
    const int side = 15;
    std::vector<std::pair<int, int>> grid;
    for (int v = 0; v < side * side; ++v) {
        if ((v + 1) % side != 0) {
            grid.push_back({v, v + 1});
        }
        if (v + side < side * side) {
            grid.push_back({v, v + side});
        }
    }
    many("grid-15x15-100dem", side * side, std::move(grid), 100);
    std::uniform_int_distribution<int> vertex(0, 99);
    std::vector<std::pair<int, int>> random_edges;
    std::vector<char> taken(100 * 100, 0);
    while (random_edges.size() < 300) {
        const int v = vertex(engine);
        const int w = vertex(engine);
        if (v != w && !taken[std::min(v, w) * 100 + std::max(v, w)]++) {
            random_edges.push_back({v, w});
        }
    }
    many("rand-100-300-300dem", 100, std::move(random_edges), 300);
    return programs;
}

struct Engine {
    std::string name;
    std::unique_ptr<LpEngine> engine;
};

std::vector<Engine> bench_engines() {
    using A = ClpSettings::Algorithm;
    using S = ClpSettings::Start;
    std::vector<Engine> engines;
    engines.push_back({"lp_solve", make_lp_solve_engine()});
    const struct {
        const char* name;
        ClpSettings settings;
    } clp[] = {
        {"dual", {A::dual, S::automatic, false, 3}},
        {"dual+pre", {A::dual, S::automatic, true, 3}},
        {"primal", {A::primal, S::plain, false, 3}},
        {"primal+pre", {A::primal, S::plain, true, 3}},
        {"primal-auto", {A::primal, S::automatic, false, 3}},
        {"primal-idiot", {A::primal, S::idiot, false, 3}},
        {"primal-idiot+pre", {A::primal, S::idiot, true, 3}},
        {"primal-geo", {A::primal, S::plain, false, 2}},
        {"primal-noscale", {A::primal, S::plain, false, 0}},
        {"primal-tight", {A::primal, S::plain, false, 3, 1e-9}},
        {"primal-idiot-tight", {A::primal, S::idiot, false, 3, 1e-9}},
        {"dual-tight", {A::dual, S::automatic, false, 3, 1e-9}},
        {"primal-tight-p50", {A::primal, S::plain, false, 3, 1e-9, 50}},
        {"dual-p50", {A::dual, S::automatic, false, 3, 1e-7, 50}},
        {"dual-tight-p50", {A::dual, S::automatic, false, 3, 1e-9, 50}},
        {"barrier+pre", {A::barrier, S::automatic, true, 3}},
    };
    for (const auto& c : clp) {
        engines.push_back({std::string("clp-") + c.name, make_clp_engine(c.settings)});
    }
    return engines;
}

struct Run {
    double cpu = 0.0;
    bool passed = false;
    double lambda = std::nan("");
    std::string outcome;
};

Run run_engine(const LpEngine& engine, const BenchProgram& p, double limit) {
    SolveBudget budget;
    budget.cpu_limit_seconds = limit;
    budget.started = thread_cpu_seconds();
    const EngineAnswer answer = engine.solve(p.program, budget);
    Run run;
    run.cpu = thread_cpu_seconds() - budget.started;
    run.outcome = engine_outcome_name(answer.outcome);
    if (answer.outcome != EngineOutcome::optimal) {
        return run;
    }
    if (p.commodities.empty()) {
        FlowSolution solution;
        std::vector<double> lengths;
        run.passed = check_answer(p.program, p.arcs, answer, check_tolerance, solution, lengths);
        run.lambda = solution.lambda;
    } else {
        const std::string failed = check_many(p.program, p.arcs, p.commodities, answer);
        run.passed = failed.empty();
        run.lambda = answer.primal[p.program.columns.lambda() - 1] * p.program.scale;
        run.outcome = run.passed ? run.outcome : "check: " + failed;
    }
    if (!run.passed && p.commodities.empty()) {
        run.outcome = "check failed";
    }
    return run;
}

// `command` as a whole process: its children's processor time and the
// objective it printed after `key` (the first number following it).
Run run_external(const std::string& command, const char* key, double scale) {
    rusage before{};
    getrusage(RUSAGE_CHILDREN, &before);
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[512];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        out += buffer;
    }
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    rusage after{};
    getrusage(RUSAGE_CHILDREN, &after);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
    Run run;
    run.cpu = seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) -
              seconds(before.ru_stime);
    const std::size_t at = out.rfind(key);
    if (status == 0 && at != std::string::npos) {
        const char* number = out.c_str() + at + std::strlen(key);
        while (*number != '\0' && std::strchr("-+.0123456789", *number) == nullptr) {
            ++number;
        }
        // The files minimise −λ.
        run.lambda = -std::strtod(number, nullptr) * scale;
        run.passed = true;
        run.outcome = "optimal";
    } else {
        run.outcome = "no answer";
    }
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? std::nan("") : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 3;
    std::vector<std::string> cases;
    std::vector<std::string> engine_names;
    bool external = false;
    std::string keep;
    double limit = 60.0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--case" && i + 1 < argc) {
            cases.push_back(argv[++i]);
        } else if (arg == "--engine" && i + 1 < argc) {
            engine_names.push_back(argv[++i]);
        } else if (arg == "--external") {
            external = true;
        } else if (arg == "--keep" && i + 1 < argc) {
            keep = argv[++i];
        } else if (arg == "--limit" && i + 1 < argc) {
            limit = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: lp_engine_bench [--repeat R] [--case TEXT] "
                                 "[--engine TEXT] [--external] [--limit S]\n");
            return 2;
        }
    }

    std::vector<BenchProgram> programs;
    for (BenchProgram& p : bench_programs()) {
        const auto named = [&p](const std::string& text) {
            return p.name.find(text) != std::string::npos;
        };
        if (cases.empty() || std::any_of(cases.begin(), cases.end(), named)) {
            programs.push_back(std::move(p));
        }
    }
    struct Contender {
        std::string name;
        std::function<Run(const BenchProgram&, std::size_t)> run;
    };
    std::vector<Contender> contenders;
    std::vector<Engine> engines = bench_engines();
    for (const Engine& e : engines) {
        const auto named = [&e](const std::string& text) {
            return e.name.find(text) != std::string::npos;
        };
        if (engine_names.empty() ||
            std::any_of(engine_names.begin(), engine_names.end(), named)) {
            contenders.push_back(
                {e.name, [&e, limit](const BenchProgram& p, std::size_t) {
                     return run_engine(*e.engine, p, limit);
                 }});
        }
    }
    const fs::path dir = keep.empty() ? fs::temp_directory_path() /
                                            ("lp_engine_bench." + std::to_string(getpid()))
                                      : fs::path(keep);
    std::vector<std::string> files;
    if (external || !keep.empty()) {
        fs::create_directories(dir);
        for (const BenchProgram& p : programs) {
            std::string name = p.name;
            std::replace(name.begin(), name.end(), '/', '.');
            files.push_back((dir / (name + ".mps")).string());
            if (!write_program_mps(p.program, files.back())) {
                std::fprintf(stderr, "cannot write %s\n", files.back().c_str());
                return 1;
            }
        }
    }
    if (external) {
        const std::string stop = "timeout " + std::to_string(static_cast<int>(limit) + 1) + " ";
        const auto external_run = [&](std::string before, std::string after, const char* key) {
            before = stop + before;
            return [&files, &programs, before, after, key](const BenchProgram& p, std::size_t i) {
                return run_external(before + files[i] + after, key, p.program.scale);
            };
        };
        contenders.push_back({"glpsol", external_run("glpsol --freemps ", "", "obj =")});
        contenders.push_back(
            {"clp-cli-primal", external_run("clp ", " -primalSimplex", "Optimal objective")});
        contenders.push_back(
            {"clp-cli-dual", external_run("clp ", " -dualSimplex", "Optimal objective")});
    }

    // runs[program][contender][repeat]
    std::vector<std::vector<std::vector<Run>>> runs(
        programs.size(), std::vector<std::vector<Run>>(contenders.size()));
    for (int r = 0; r < repeat; ++r) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            for (std::size_t c = 0; c < contenders.size(); ++c) {
                runs[i][c].push_back(contenders[c].run(programs[i], i));
                const Run& run = runs[i][c].back();
                std::fprintf(stderr, "%s %s %.3f s %s\n", programs[i].name.c_str(),
                             contenders[c].name.c_str(), run.cpu, run.outcome.c_str());
            }
        }
    }

    std::printf("%-26s %8s %8s %-17s %8s %-14s %s\n", "program", "columns", "rows", "engine",
                "cpu_s", "outcome", "lambda (rel. to lp_solve's or first passed)");
    for (std::size_t i = 0; i < programs.size(); ++i) {
        double reference = std::nan("");
        for (const auto& repeats : runs[i]) {
            for (const Run& run : repeats) {
                if (run.passed && std::isnan(reference)) {
                    reference = run.lambda;
                }
            }
        }
        for (std::size_t c = 0; c < contenders.size(); ++c) {
            std::vector<double> cpu;
            std::string outcome;
            double lambda = std::nan("");
            for (const Run& run : runs[i][c]) {
                cpu.push_back(run.cpu);
                if (outcome.empty() || !run.passed) {
                    outcome = run.outcome;
                }
                lambda = run.lambda;
            }
            std::printf("%-26s %8d %8zu %-17s %8.3f %-14s %.12g (%.1e)\n", programs[i].name.c_str(),
                        programs[i].program.columns.count(), programs[i].program.rows.size(),
                        contenders[c].name.c_str(), median(cpu), outcome.c_str(), lambda,
                        std::fabs(lambda - reference) / std::fabs(reference));
        }
    }
    if (external && keep.empty()) {
        fs::remove_all(dir);
    }
    return 0;
}
