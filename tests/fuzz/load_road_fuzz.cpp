// libFuzzer harness of the load road without a window: the bytes of a file
// go through the text-mode read, the parse, the build and the load's stages
// (flow program, embedding, cut, placement) exactly as a load runs them, with
// the automatic engine choice or either engine named, and every
// failure the program reports to the user is accepted as an answer. Anything
// else — a crash, undefined behaviour, a leak, an exception the load would
// only show as "could not be built", or a result that breaks the invariants
// checked below — is a finding.
//
// Builds of more than `max_fuzzed_vertices` vertices are skipped so that each
// run stays fast (40; the deep configuration, which scripts/fuzz.sh --deep
// runs, builds with QUILLMERE_FUZZ_MAX_VERTICES=120); descriptions the
// builder refuses before allocating anything (too many vertices, bad
// numbers) still go through it.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "builder/graph_builder.h"
#include "common/console_log.h"
#include "common/random_source.h"
#include "common/utf8.h"
#include "flow/flow_lp.h"
#include "graph/commodities.h"
#include "graph/demand_set.h"
#include "graph/flow_result.h"
#include "grformat/gram_graph.h"
#include "shell/load_messages.h"
#include "shell/pipeline.h"

namespace {

#ifndef QUILLMERE_FUZZ_MAX_VERTICES
#define QUILLMERE_FUZZ_MAX_VERTICES 40
#endif
constexpr std::int64_t max_fuzzed_vertices = QUILLMERE_FUZZ_MAX_VERTICES;

// The console's text is thrown away; only its making is exercised.
class CountingSink : public ConsoleSink {
  public:
    void append(std::string_view text) override { bytes_ += text.size(); }
    void clear() override { bytes_ = 0; }

  private:
    std::size_t bytes_ = 0;
};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "load road invariant broken: %s\n", what);
    std::abort();
}

void check(bool condition, const char* what) {
    if (!condition) {
        fail(what);
    }
}

// Every message quotes at most a bounded piece of the file.
constexpr std::size_t max_message_bytes = 1000;

void check_message(const std::string& text) {
    check(text.rfind(read_error_heading, 0) == 0, "an error text starts with the heading");
    check(is_message_utf8(text), "an error text is UTF-8");
    check(text.size() <= max_message_bytes, "an error text is short");
}

// The failure of a text that was not matched to its end points inside the
// text, no earlier than where matching stopped, and its message is short
// UTF-8 under the usual first line.
void check_parse_failure(const std::string& text, const ParseResult& parse) {
    const ParseFailure& failure = parse.failure;
    check(failure.offset <= text.size(), "the failure points inside the text");
    check(failure.offset >= static_cast<std::size_t>(parse.stop - text.data()),
          "the failure is no earlier than where matching stopped");
    check(text_position(text, failure.offset) == std::make_pair(failure.line, failure.column),
          "the failure's line and column are those of its offset");
    check(failure.found == text.substr(failure.offset, failure.found.size()),
          "the failure quotes the text at its offset");
    const std::string message = invalid_text_message(failure);
    check(message.rfind(std::string(text_invalid_file) + "\nligne ", 0) == 0,
          "an invalid text's message names the line");
    check(is_message_utf8(message), "an invalid text's message is UTF-8");
    check(message.size() <= max_message_bytes, "an invalid text's message is short");
}

// The model's invariants and the result's shape and honesty.
void check_graph(const Graph& graph, const FlowResult& result, std::int64_t n,
                 const std::vector<Vector3>& placed) {
    check(graph.vertex_count() == n, "vertex count is node_count");
    check(graph.sizes().size() == static_cast<std::size_t>(n), "one size per vertex");
    check(graph.positions().size() == static_cast<std::size_t>(n), "one position per vertex");
    check(placed.size() == static_cast<std::size_t>(n), "one display position per vertex");
    bool capacities_usable = true;
    double largest_capacity = 0.0;
    for (int u = 0; u < n; ++u) {
        check(graph.matrix()[u].size() == static_cast<std::size_t>(n), "matrix is square");
        check(std::isfinite(graph.sizes()[u]), "sizes are finite");
        check(
            std::isfinite(placed[u].x) && std::isfinite(placed[u].y) && std::isfinite(placed[u].z),
            "display positions are finite");
        for (int v = 0; v < n; ++v) {
            const EdgeCell& cell = graph.matrix()[u][v];
            if (!cell.present) {
                check(cell.capacity == 0.0f, "an empty cell reads capacity 0");
                continue;
            }
            check(u != v, "no self-loop is stored");
            check(graph.directed() || u < v, "an undirected edge lives above the diagonal");
            check(std::isfinite(cell.capacity), "capacities are finite");
            if (cell.capacity < 0.0f) {
                capacities_usable = false;
            }
            largest_capacity = std::max(largest_capacity, std::fabs(double{cell.capacity}));
        }
    }

    check(std::isfinite(result.maxflow), "maxflow is finite");
    const bool solved = result.solve.is_optimum();
    bool all_zero = true;
    for (const auto& flows : result.flow) {
        check(flows.size() == static_cast<std::size_t>(graph.arcs().arc_count()),
              "one flow value per arc");
        for (double value : flows) {
            check(std::isfinite(value), "flows are finite");
            all_zero = all_zero && value == 0.0;
        }
    }
    if (!solved) {
        check(result.maxflow == 0.0 && all_zero, "an unsolved program shows no flow");
    }
    const CutResult& cut = result.cut;
    if (cut.found) {
        check(std::isfinite(cut.ratio), "the cut's ratio is finite");
        check(cut.ratio >= 0.0, "the cut's ratio is not negative");
        check(!cut.vertices.empty(), "a found cut is not empty");
        check(cut.vertices.size() < static_cast<std::size_t>(n), "a found cut is not everything");
        for (int v : cut.vertices) {
            check(v >= 0 && v < n, "cut members are vertices");
        }
        check(cut.coordinate >= 0, "a found cut has its coordinate");
        check(cut.separated_demand > 0.0, "a found cut separates demand");
        check(std::fabs(cut.crossing_capacity / cut.separated_demand - cut.ratio) <=
                  1e-9 * (1.0 + cut.ratio),
              "the cut's ratio is its crossing capacity over its separated demand");
    } else {
        check(cut.vertices.empty(), "no cut, no members");
    }

    // Certificates on well-scaled capacities, where the solver's tolerances
    // mean something: λ is feasible and no larger than any cut's ratio.
    if (!solved || !capacities_usable || largest_capacity > 1e6) {
        return;
    }
    const double tolerance = 1e-6 * (1.0 + largest_capacity);
    check(result.maxflow >= -tolerance, "maxflow is not negative");
    if (cut.found) {
        check(result.maxflow <= cut.ratio * (1.0 + 1e-6) + tolerance, "maxflow <= mincut");
    }
    // The default set: source w carries commodity w alone.
    const std::vector<Arc>& arcs = graph.arcs().arcs();
    std::vector<double> total(arcs.size(), 0.0);
    for (int w = 0; w < commodity_count; ++w) {
        if (!commodity_present(w, static_cast<int>(n))) {
            continue;
        }
        std::vector<double> net_in(n, 0.0);
        for (std::size_t a = 0; a < arcs.size(); ++a) {
            const double f = result.arc_flow(w, static_cast<int>(a));
            check(f >= -tolerance, "flows are not negative");
            net_in[arcs[a].head] += f;
            net_in[arcs[a].tail] -= f;
            total[a] += f;
        }
        for (int v = 0; v < n; ++v) {
            if (v == commodity_sink(w)) {
                check(net_in[v] >= result.maxflow * commodity_demand[w] - tolerance * n,
                      "the sink receives its share");
            } else if (v != commodity_source(w)) {
                check(std::fabs(net_in[v]) <= tolerance * n, "flow is conserved");
            }
        }
    }
    for (std::size_t a = 0; a < arcs.size(); ++a) {
        check(arcs[a].tail != arcs[a].head && graph.cell(arcs[a].tail, arcs[a].head).present,
              "flow runs only along edges");
        check(total[a] <= graph.cell(arcs[a].tail, arcs[a].head).capacity + tolerance,
              "each direction stays within capacity");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text =
        text_mode_newlines(std::string_view(reinterpret_cast<const char*>(data), size));
    RandomSource random(static_cast<std::uint32_t>(size));
    CountingSink sink;
    ConsoleLog log(sink, [] { return std::int64_t{0}; });
    StageContext context{log, random, true};
    // The engine choice by the input's size: the automatic one (lp_solve on
    // these small graphs with the default set) twice as often as either
    // engine named.
    constexpr SolverChoice choices[] = {SolverChoice::automatic, SolverChoice::lp_solve,
                                        SolverChoice::automatic, SolverChoice::clp};
    context.solver = choices[size % 4];

    auto grammar = std::make_unique<gram_graph>();
    try {
        const ParseResult parse = parse_graph_text(text, *grammar);
        check(parse.matched, "the start production always matches");
        check(parse.stop >= text.data() && parse.stop <= text.data() + text.size(),
              "the parse stops inside the text");
        check(parse.full == (parse.stop == text.data() + text.size()),
              "full means matched to the end");
        if (!parse.full) {
            check_parse_failure(text, parse);
            return 0;
        }
        const std::int64_t n = node_count(grammar->description);
        check(n >= 0, "node_count is not negative");
        if (n > max_fuzzed_vertices && n <= max_vertex_count) {
            return 0;
        }
        const BuiltGraph built = build_graph(grammar->description);
        check(n <= max_vertex_count, "a graph above the maximum is refused");
        const DemandSet demands = DemandSet::default_set(built.graph.vertex_count());
        FlowResult result = flow_stage(built.graph, demands, context);
        check(result.fallback || result.solver == chosen_engine(context.solver,
                                                                built.graph.arcs().arc_count(),
                                                                demands),
              "the chosen engine answers unless its answers failed their check");
        result.cut = cut_stage(built.graph, demands, embed_stage(built.graph, context), context);
        check_graph(built.graph, result, n, place_stage(built.graph, context));
    } catch (const EUnknownOption& error) {
        check(!error.option.empty(), "a rejected key is not empty");
        check_message(unknown_option_text(error));
    } catch (const EGraphRefused& refusal) {
        check_message(refusal_text(refusal));
    }
    return 0;
}
