// The LP engines side by side on the flow programs of the graphs that take
// lp_solve longest: lp_solve as the flow code sets it, and CLP's algorithms
// and options (primal or dual simplex, with or without presolve, the primal's
// start, barrier), each answer checked as the flow code checks it (the
// program satisfied, and λ reaching the bound of the capacity rows' duals).
// With --external, the same programs written as MPS files are also solved by
// `glpsol` and `clp` as whole processes; with --loads, the four graphs'
// whole loads (parse to placement, --solver auto) are timed beside them.
//
// Programs: for each graph, the main program and the certificate's program
// on its pair network, each at the first of its scales; and two programs of
// many commodities (source-aggregated, as the flow code formulates them),
// with demands spread over four decades.
//
//     lp_engine_bench [options]
//       --repeat R        solves per program and engine, the median shown (3)
//       --case TEXT       only the programs whose name holds TEXT (given
//                         again: any of the TEXTs)
//       --engine TEXT     only the engines whose name holds TEXT (likewise)
//       --external        also time glpsol and clp as processes
//       --loads           also time the whole load of each graph (in a child
//                         process, as tarvessa-batch --solver auto runs it),
//                         with its peak memory, beside its main program
//       --network FILE    also the main and pair-network programs of a network
//                         file (any format the loads read) with its own
//                         demands, e.g. one of network_bench --write's
//       --keep DIR        write the MPS files to DIR and leave them there
//       --limit S         processor-time limit of each solve (60 s; for the
//                         external programs, of their wall-clock time)
//
// Times are the processor time of the solving thread (load into the engine
// and solve; external: the child's user + system time; whole load: the
// child's processor time from the read to the placement), which other work
// on the machine inflates less than the wall clock, shown beside it; the
// repeats are interleaved (every engine once, then again) so that a burst
// of load hits them alike.

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_graphs.h"
#include "bench/child_load.h"
#include "builder/network_builder.h"
#include "flow/flow_model.h"
#include "flow/lp_engine.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"
#include "netformat/network_readers.h"
#include "shell/load_graph.h"

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

struct BenchProgram {
    std::string name;
    ArcLists arcs;
    DemandSet demands;
    FlowProgram program;
    // The graph's .gr text, for a graph's main program; empty otherwise.
    std::string text = {};
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
        const DemandSet demands = DemandSet::default_set(arcs.vertex_count());
        FlowProgram main =
            formulate_flow_program(arcs, demands, program_scales(arcs, demands).front());
        programs.push_back({source.name, arcs, demands, std::move(main), source.text});
        ArcLists pairs = pair_network(arcs);
        FlowProgram bound =
            formulate_flow_program(pairs, demands, program_scales(pairs, demands).front(), true);
        programs.push_back(
            {std::string(source.name) + "/pairs", std::move(pairs), demands, std::move(bound)});
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
        DemandSet demands(DemandKind::file, name, n, std::move(commodities));
        FlowProgram program = formulate_flow_program(arcs, demands, 64.0);
        programs.push_back({name, std::move(arcs), std::move(demands), std::move(program)});
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

// The main and pair-network programs of the network file at `path` with
// its own demands (each at the first of its scales), named after the file;
// none when it cannot be read or carries no demands.
std::vector<BenchProgram> network_programs(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto network = read_network(detect_format(text), text);
    if (!network || network->demands.empty()) {
        return {};
    }
    auto built = build_network_graph(*network);
    if (!built) {
        return {};
    }
    auto demands = build_network_demand_set(network->demands, built->graph);
    if (!demands) {
        return {};
    }
    const std::string name = fs::path(path).stem().string();
    std::vector<BenchProgram> programs;
    const ArcLists& arcs = built->graph.arcs();
    FlowProgram main = formulate_flow_program(arcs, *demands, program_scales(arcs, *demands).front());
    programs.push_back({name, arcs, *demands, std::move(main)});
    ArcLists pairs = pair_network(arcs);
    FlowProgram bound =
        formulate_flow_program(pairs, *demands, program_scales(pairs, *demands).front(), true);
    programs.push_back({name + "/pairs", std::move(pairs), *demands, std::move(bound)});
    return programs;
}

struct Engine {
    std::string name;
    std::unique_ptr<LpEngine> engine;
};

std::vector<Engine> bench_engines() {
    using A = ClpSettings::Algorithm;
    using S = ClpSettings::Start;
    using P = ClpSettings::DualPricing;
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
        {"barrier", {A::barrier, S::automatic, false, 3, 1e-9}},
        {"auto", {A::automatic, S::automatic, false, 3, 1e-9}},
        {"auto+pre", {A::automatic, S::automatic, true, 3, 1e-9}},
        {"sprint", {A::sprint, S::automatic, false, 3, 1e-9}},
        {"dual-p50-full", {A::dual, S::automatic, false, 3, 1e-9, 50, P::full}},
        {"dual-p50-partial", {A::dual, S::automatic, false, 3, 1e-9, 50, P::partial}},
        {"dual-p50-dantzig", {A::dual, S::automatic, false, 3, 1e-9, 50, P::dantzig}},
        {"dual-p50-dantzig+pre", {A::dual, S::automatic, true, 3, 1e-9, 50, P::dantzig}},
        {"dual-dantzig+pre", {A::dual, S::automatic, true, 3, 1e-9, 100, P::dantzig}},
        {"dual-p50-geo", {A::dual, S::automatic, false, 2, 1e-9, 50}},
        {"dual-p50-equi", {A::dual, S::automatic, false, 1, 1e-9, 50}},
        {"dual-p50-noscale", {A::dual, S::automatic, false, 0, 1e-9, 50}},
        {"dual-p50+pre", {A::dual, S::automatic, true, 3, 1e-9, 50}},
    };
    for (const auto& c : clp) {
        engines.push_back({std::string("clp-") + c.name, make_clp_engine(c.settings)});
    }
    return engines;
}

struct Run {
    double cpu = 0.0;
    double wall = 0.0;
    bool passed = false;
    double lambda = std::nan("");
    std::string outcome;
};

Run run_engine(const LpEngine& engine, const BenchProgram& p, double limit) {
    SolveBudget budget;
    budget.cpu_limit_seconds = limit;
    const auto started = std::chrono::steady_clock::now();
    budget.started = thread_cpu_seconds();
    const EngineAnswer answer = engine.solve(p.program, budget);
    Run run;
    run.cpu = thread_cpu_seconds() - budget.started;
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.outcome = engine_outcome_name(answer.outcome);
    if (answer.outcome != EngineOutcome::optimal) {
        return run;
    }
    FlowSolution solution;
    std::vector<double> lengths;
    run.passed =
        check_answer(p.program, p.arcs, p.demands, answer, check_tolerance, solution, lengths);
    run.lambda = solution.lambda;
    if (!run.passed) {
        run.outcome = "check failed";
    }
    return run;
}

// `command` as a whole process: its children's processor time and the
// objective it printed after `key` (the first number following it).
Run run_external(const std::string& command, const char* key, double scale) {
    rusage before{};
    getrusage(RUSAGE_CHILDREN, &before);
    const auto started = std::chrono::steady_clock::now();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[512];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        out += buffer;
    }
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    rusage after{};
    getrusage(RUSAGE_CHILDREN, &after);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
    Run run;
    run.wall = wall;
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

// The whole load of the graph of `p` from `file`, with --solver auto, in a
// child process: its processor and wall-clock time, λ and the engine.
Run run_load(const BenchProgram& p, const std::string& file, double limit) {
    Run run;
    if (p.text.empty()) {
        run.outcome = "-";
        return run;
    }
    const ChildLoad load = load_in_child(
        file, false, static_cast<unsigned>(limit) + 1, [](const LoadedGraph& state) {
            char line[80];
            std::snprintf(line, sizeof line, "%.17g %s", state.result()->maxflow,
                          solver_engine_key(state.result()->solver));
            return std::string(line);
        });
    run.cpu = load.cpu_seconds;
    run.wall = load.seconds;
    char solver[16] = "";
    if (!load.loaded || std::sscanf(load.inspection.c_str(), "%lf %15s", &run.lambda, solver) != 2) {
        run.outcome = load.stopped ? "stopped" : "load failed";
        return run;
    }
    run.passed = true;
    run.outcome = std::string(solver) + ", " + std::to_string(load.peak_kib / 1024) + " MiB";
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
    bool loads = false;
    std::string keep;
    std::vector<std::string> networks;
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
        } else if (arg == "--loads") {
            loads = true;
        } else if (arg == "--network" && i + 1 < argc) {
            networks.push_back(argv[++i]);
        } else if (arg == "--keep" && i + 1 < argc) {
            keep = argv[++i];
        } else if (arg == "--limit" && i + 1 < argc) {
            limit = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: lp_engine_bench [--repeat R] [--case TEXT] "
                                 "[--engine TEXT] [--external] [--loads] [--network FILE] "
                                 "[--keep DIR] [--limit S]\n");
            return 2;
        }
    }

    std::vector<BenchProgram> programs;
    std::vector<BenchProgram> candidates = bench_programs();
    for (const std::string& path : networks) {
        std::vector<BenchProgram> own = network_programs(path);
        if (own.empty()) {
            std::fprintf(stderr, "cannot read a network with demands from %s\n", path.c_str());
            return 1;
        }
        for (BenchProgram& p : own) {
            candidates.push_back(std::move(p));
        }
    }
    for (BenchProgram& p : candidates) {
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
    if (external || loads || !keep.empty()) {
        fs::create_directories(dir);
        for (const BenchProgram& p : programs) {
            std::string name = p.name;
            std::replace(name.begin(), name.end(), '/', '.');
            files.push_back((dir / (name + ".mps")).string());
            if (!write_program_mps(p.program, files.back())) {
                std::fprintf(stderr, "cannot write %s\n", files.back().c_str());
                return 1;
            }
            if (!p.text.empty()) {
                std::ofstream((dir / (name + ".gr")).string()) << p.text;
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

    if (loads) {
        contenders.insert(contenders.begin(),
                          {"load-auto", [&files, limit](const BenchProgram& p, std::size_t i) {
                               return run_load(
                                   p, files[i].substr(0, files[i].size() - 4) + ".gr", limit);
                           }});
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

    std::printf("%-26s %8s %8s %-17s %8s %8s %-14s %s\n", "program", "columns", "rows", "engine",
                "cpu_s", "wall_s", "outcome", "lambda (rel. to lp_solve's or first passed)");
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
            std::vector<double> wall;
            std::string outcome;
            double lambda = std::nan("");
            for (const Run& run : runs[i][c]) {
                cpu.push_back(run.cpu);
                wall.push_back(run.wall);
                if (outcome.empty() || !run.passed) {
                    outcome = run.outcome;
                }
                lambda = run.lambda;
            }
            std::printf("%-26s %8d %8zu %-17s %8.3f %8.3f %-14s %.12g (%.1e)\n",
                        programs[i].name.c_str(), programs[i].program.columns.count(),
                        programs[i].program.rows.size(), contenders[c].name.c_str(), median(cpu),
                        median(wall), outcome.c_str(), lambda,
                        std::fabs(lambda - reference) / std::fabs(reference));
        }
    }
    if ((external || loads) && keep.empty()) {
        fs::remove_all(dir);
    }
    return 0;
}
