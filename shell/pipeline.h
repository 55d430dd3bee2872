#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "builder/graph_builder.h"
#include "common/expected.h"
#include "common/stage_context.h"
#include "common/vector3.h"
#include "embedding/embedding.h"
#include "graph/cut_certificate.h"
#include "graph/demand_set.h"
#include "graph/flow_result.h"
#include "graph/graph.h"
#include "grformat/graph_description.h"
#include "netformat/imported_network.h"

// The stages of a load, in the order run_load_pipeline runs them. Each takes
// what the earlier ones produced and returns its own result:
//   read     the input's text                            read_stage
//   parse    its format, chosen or detected, and what    parse_stage (parse_gr
//            the text says in it                         or a netformat reader)
//   build    the graph and its vertices' names           build_stage
//   demands  the graph's demand set: the file's own      demands_stage
//            demands, or the user's choice (the
//            context's `demands`)
//   flow     the flow program, formulated and solved     flow_stage
//   embed    the vertices' coordinates                   embed_stage
//   cut      the sweep's cut                             cut_stage
//            then the result lines: maxflow and the cut
//   place    the vertices' display positions             place_stage
//   certify  when asked, the certificate of the cut      certify_stage
// The last one runs after the load, when its caller asks: tarvessa-batch at
// once, the window on a thread of its own. Once the context's cancel flag is
// set, no later stage runs.

// A timer line of a load: its label on the console and the key of its
// seconds in the JSON report's "timings". These are every timer of a load,
// in the order they come (a stage that does not run writes none: no flow
// program below two vertices).
struct StageTimer {
    const char* key;
    const char* label;
};
// The parse's label names the format read (parse_timer_label); .gr's is
// parse_timer's, and every format's goes under parse_s.
inline constexpr StageTimer parse_timer{"parse_s", "Fichier .gr lu avec succès"};
inline constexpr StageTimer formulate_timer{"lp_build_s", "Problème LP formulé"};
inline constexpr StageTimer solve_timer{"lp_solve_s", "Problème LP résolu"};
inline constexpr StageTimer embed_timer{"embedding_s", "Plongement trouvé"};
inline constexpr StageTimer cut_timer{"cut_s", "MinCut trouvée"};
inline constexpr StageTimer place_timer{"placement_s", "Places aléatoires générées"};
inline constexpr StageTimer stage_timers[] = {parse_timer, formulate_timer, solve_timer,
                                              embed_timer, cut_timer,       place_timer};

// The largest input a load reads, 16 MiB. A graph at the vertex and arc
// limits with every edge in its own statement takes well under 1 MB; larger
// files only repeat statements. The description and the builder's lists take
// up to some 60 bytes per byte of text, so a file at this limit stays within
// about 1 GiB and 10 s; a larger one is refused before it is read whole.
inline constexpr std::size_t max_file_bytes = std::size_t{16} << 20;

enum class LoadOutcome {
    loaded,
    cannot_open,      // the previous graph is kept
    read_failed,      // the file opened but could not be read to its end
    invalid_text,     // not matched to its very end
    unknown_option,   // an option key its scope does not accept
    refused,          // a file too large, or a description that cannot become a graph here
    build_failed,     // memory ran out, or another error, while building
    invalid_demands,  // the demands chosen cannot be the graph's (a bad demand file, a
                      // vertex it names that the graph lacks, all pairs on too large a graph)
    cancelled,        // the context's cancel flag stopped it; nothing is reported
};

// Why a load stopped, and the text of its message box (empty when cancelled).
struct LoadFailure {
    LoadOutcome outcome;
    std::string message;
};

// read: everything `fd` gives until its end (a file, a pipe or a terminal),
// every CR LF pair read as LF; fails when the read fails, or as refused as
// soon as the content is longer than max_file_bytes.
Expected<std::string, LoadFailure> read_stage(int fd);

// The bytes of a file as a text-mode read gives them: every CR LF pair becomes
// one LF; a lone CR, and every other byte, stays as it is.
std::string text_mode_newlines(std::string_view raw);

// The parse's timer label for a format: "Fichier .gr lu avec succès",
// "Fichier SNDlib lu avec succès", "Fichier GraphML lu avec succès", …
std::string parse_timer_label(NetworkFormat format);

// What the parse found: the format read, and the .gr description or, for
// another format, the imported network.
struct ParsedInput {
    NetworkFormat format = NetworkFormat::gr;
    GraphDescription description = {};
    ImportedNetwork network = {};
};

// parse: the text read in `format`, or in the one its content shows
// (detect_format, .gr when nothing else matches) when none is given. A
// refusal of another format's reader fails as invalid_text with the message
// "Fichier <format> invalide", then «« <name> », ligne L, colonne C : <why>»
// under the heading of that format's read errors; .gr as parse_gr.
Expected<ParsedInput, LoadFailure> parse_stage(const std::string& text,
                                               std::optional<NetworkFormat> format,
                                               const std::string& name);

// The .gr language (parse_graph_text): fails as invalid_text with the message
// that points at where matching stopped; throws EUnknownOption.
Expected<GraphDescription, LoadFailure> parse_gr(const std::string& text);

// build: the graph of a parsed input: build_graph for .gr (which throws
// EGraphRefused), build_network_graph for another format (refused, with its
// reason, for a capacity or a coordinate beyond the float range).
Expected<BuiltGraph, LoadFailure> build_stage(ParsedInput& input);

// demands: the demand set of the built graph. A file that brings its own
// demands (`own`, non-empty: SNDlib's DEMANDS, DIMACS's s → t) gives the set,
// of kind network, unless the user chose a demand file or all pairs: then
// the user's choice is taken, and one line says that it replaces the file's.
// Otherwise the context's choice (build_demand_set: the default set when
// there is none). For a set other than the default, the line "** Demandes :
// k commodités (origin), demande totale D". Fails as invalid_demands with
// the message that names the demand file, the line and the column (or the
// vertex count and the maximum for all pairs).
Expected<DemandSet, LoadFailure> demands_stage(const BuiltGraph& built,
                                               const std::vector<ImportedDemand>& own,
                                               const StageContext& context);

// flow: with `verbose` the capacity listing, then an empty line; the flow
// program formulated and solved (solve_flow_lp, with the context's engine
// choice), each with its timer; then "** Solveur : CLP" (or which fallback
// engine answered) unless lp_solve answered as the engine chosen first; how
// it ended: the status line, naming the engine, unless it reached its optimum, and with
// `verbose` the flow listing (every ordered pair for each of the default
// set's commodities; each source's flow along every arc for another set).
// Without a program (no present commodity: fewer than two vertices) one
// line says so instead of the timers and what follows them.
FlowResult flow_stage(const Graph& graph, const DemandSet& demands, const StageContext& context);

// embed: the embedding (compute_embedding, from the context's random source),
// its timer and, with `verbose`, its coordinate table.
Embedding embed_stage(const Graph& graph, const StageContext& context);

// cut: the sweep (extract_cut) and its timer.
CutResult cut_stage(const Graph& graph, const DemandSet& demands, const Embedding& embedding,
                    const StageContext& context);

// place: one display position per vertex (place_vertices, from the context's
// random source), and its timer.
std::vector<Vector3> place_stage(const Graph& graph, const StageContext& context);

// certify: the certificate of the sweep's cut `sweep` (certify_cut) and the
// wall-clock seconds it took. Writes nothing; a cancel through the context
// leaves a certificate whose bound was not reached.
struct TimedCertificate {
    CutCertificate certificate;
    double seconds = 0.0;
};
TimedCertificate certify_stage(const Graph& graph, const DemandSet& demands, const CutResult& sweep,
                               const StageContext& context);

// A loaded graph and what the load computed on it.
struct ComputedGraph {
    Graph graph;
    // The flow program's result, with the sweep's cut.
    FlowResult result;
    // The vertices' names (BuiltGraph's).
    std::vector<std::string> names = {};
    // The commodities the flow, the cut and the certificate were computed for.
    DemandSet demands = {};
    // The format the graph was read in.
    NetworkFormat format = NetworkFormat::gr;
    // The certificate of the cut, once asked for, and the wall-clock seconds
    // it took.
    std::optional<CutCertificate> certificate = {};
    double certificate_seconds = 0.0;
};

// What the pipeline gives a load: the graph with its results, and where its
// vertices are drawn.
struct LoadProduct {
    ComputedGraph computed;
    std::vector<Vector3> positions;
};

// Runs the stages from read to place on the input `fd` (called `name` in
// messages), read in `format` or in the one its content shows, each writing
// its lines to the context's console; after the parse's timer line, the
// notes of another format's reader, one line each ("** Capacités : …").
// A failing stage
// ends the load with its failure; a stage may also throw (EUnknownOption,
// EGraphRefused, std::bad_alloc, …). Once the context's cancel flag is set,
// the load stops after the stage it is in, as cancelled.
Expected<LoadProduct, LoadFailure> run_load_pipeline(int fd, const std::string& name,
                                                     std::optional<NetworkFormat> format,
                                                     const StageContext& context);
