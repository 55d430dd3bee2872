#include "shell/pipeline.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <sstream>
#include <utility>

#include "builder/demand_builder.h"
#include "builder/graph_builder.h"
#include "builder/network_builder.h"
#include "common/console_log.h"
#include "common/demand_choice.h"
#include "common/listing_limit.h"
#include "flow/certificate.h"
#include "flow/cut.h"
#include "flow/flow_lp.h"
#include "flow/flow_model.h"
#include "graph/arc_lists.h"
#include "graph/commodities.h"
#include "graph/demand_set.h"
#include "grformat/gram_graph.h"
#include "netformat/network_readers.h"
#include "shell/load_messages.h"
#include "view/placement.h"

namespace {

// Whether the user asked to stop the load.
bool cancel_requested(const StageContext& context) {
    return context.cancel != nullptr && context.cancel->load();
}

// Row i of the capacity listing: "(i,j) = capacity ; " for every j.
std::string capacity_line(const Graph& graph, int i) {
    std::ostringstream line;
    for (int j = 0; j < graph.vertex_count(); ++j) {
        line << "(" << i << "," << j << ") = " << graph.cell(i, j).capacity << " ; ";
    }
    return line.str();
}

// Every pair's flow as "x_{u,v}^w = value\t" for each commodity w of the
// default set (0 for a pair without an arc, and for an absent commodity), a
// line per tail vertex and an empty line after each commodity, written a
// commodity at a time.
void write_commodity_flow_listing(const ArcLists& arcs, const DemandSet& demands,
                                  const FlowResult& result, ConsoleLog& log) {
    const int n = arcs.vertex_count();
    for (int w = 0; w < demands.size(); ++w) {
        const int source = demands.source_index(w);
        std::ostringstream listing;
        for (int u = 0; u < n; ++u) {
            int a = arcs.out_begin(u);
            for (int v = 0; v < n; ++v) {
                double value = 0.0;
                if (a < arcs.out_end(u) && arcs.arcs()[a].head == v) {
                    value = result.arc_flow(source, a++);
                }
                listing << flow_column_name(u, v, w) << " = " << value << "\t";
            }
            listing << "\n";
        }
        // The commodity's empty line is the line end that append_line adds.
        log.append_line(listing.str());
    }
    log.append_line("");
}

// Each source's flow along every arc as "x_{u,v}^s = value\t", s being the
// source vertex, a line per tail vertex with arcs and an empty line after
// each source.
void write_source_flow_listing(const ArcLists& arcs, const FlowResult& result, ConsoleLog& log) {
    log.append_line(
        "** Flots par source (x_{u,v}^s : flot issu de la source s sur l'arc u → v) **");
    for (std::size_t i = 0; i < result.sources.size(); ++i) {
        const int source = result.sources[i];
        std::ostringstream listing;
        for (int u = 0; u < arcs.vertex_count(); ++u) {
            if (arcs.out_begin(u) == arcs.out_end(u)) {
                continue;
            }
            for (int a = arcs.out_begin(u); a < arcs.out_end(u); ++a) {
                listing << flow_column_name(u, arcs.arcs()[a].head, source) << " = "
                        << result.arc_flow(static_cast<int>(i), a) << "\t";
            }
            listing << "\n";
        }
        log.append_line(listing.str());
    }
    log.append_line("");
}

// "** Demandes : k commodités (origin), demande totale D".
std::string demand_set_line(const DemandSet& demands) {
    std::ostringstream line;
    const int k = demands.present_count();
    line << "** Demandes : " << k << (k > 1 ? " commodités (" : " commodité (") << demands.origin()
         << "), demande totale " << demands.total_demand();
    return line.str();
}

// A reader's note as a console line: "** " and the sentence, its first
// letter in capitals.
std::string note_line(const std::string& note) {
    std::string line = "** " + note;
    if (note.size() > 0 && note[0] >= 'a' && note[0] <= 'z') {
        line[3] = static_cast<char>(note[0] - 'a' + 'A');
    }
    return line;
}

// The line that says a user's choice replaces the file's own demands.
std::string replaced_demands_line(const DemandSet& chosen, std::size_t own) {
    return "** Demandes choisies (" + chosen.origin() + ") à la place des " + std::to_string(own) +
           (own > 1 ? " demandes du réseau" : " demande du réseau");
}

// "** Solveur : CLP" when CLP answered the program; when an engine tried
// after the first answered (the first one's answers having failed their
// check), which one and why. Empty when lp_solve, chosen first, answered.
std::string solver_line(const FlowResult& result) {
    if (!result.fallback) {
        return result.solver == SolverEngine::lp_solve ? "" : "** Solveur : CLP";
    }
    return result.solver == SolverEngine::clp
               ? "** Solveur : CLP, second simplexe (les réponses du premier n'ont pas passé la "
                 "vérification)"
               : "** Solveur : lp_solve (les réponses de CLP n'ont pas passé la vérification)";
}

// The result lines: a line of stars, maxflow, the mincut and its side S.
void write_result_lines(const FlowResult& result, ConsoleLog& log) {
    std::ostringstream text;
    text << "maxflow = " << result.maxflow << "\n";
    if (result.cut.found) {
        text << "mincut = " << result.cut.ratio << "\n";
    } else {
        text << "mincut : aucune coupe ne sépare de demande\n";
    }
    text << "Eléments de la mincut :\n{";
    const char* separator = "";
    for (int v : result.cut.vertices) {
        text << separator << v;
        separator = ", ";
    }
    text << "}\n";
    log.append_line("****************************");
    log.append_line(text.str());
}

}  // namespace

Expected<std::string, LoadFailure> read_stage(int fd) {
    std::string raw;
    std::vector<char> buffer(std::size_t{1} << 16);
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return fail(LoadFailure{LoadOutcome::read_failed, read_failure_text()});
        }
        if (got == 0) {
            break;
        }
        raw.append(buffer.data(), static_cast<std::size_t>(got));
        if (raw.size() > max_file_bytes) {
            return fail(LoadFailure{LoadOutcome::refused, file_too_large_text(max_file_bytes)});
        }
    }
    return text_mode_newlines(raw);
}

std::string text_mode_newlines(std::string_view raw) {
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
            continue;
        }
        text += raw[i];
    }
    return text;
}

Expected<GraphDescription, LoadFailure> parse_gr(const std::string& text) {
    // The grammar object lives for this parse only.
    auto grammar = std::make_unique<gram_graph>();
    const ParseResult parse = parse_graph_text(text, *grammar);
    if (!parse.full) {
        return fail(LoadFailure{LoadOutcome::invalid_text, invalid_text_message(parse.failure)});
    }
    return std::move(grammar->description);
}

std::string parse_timer_label(NetworkFormat format) {
    if (format == NetworkFormat::gr) {
        return parse_timer.label;
    }
    return "Fichier " + std::string(format_title(format)) + " lu avec succès";
}

Expected<ParsedInput, LoadFailure> parse_stage(const std::string& text,
                                               std::optional<NetworkFormat> format,
                                               const std::string& name) {
    ParsedInput input;
    input.format = format ? *format : detect_format(text);
    if (input.format == NetworkFormat::gr) {
        Expected<GraphDescription, LoadFailure> description = parse_gr(text);
        if (!description) {
            return fail(description.error());
        }
        input.description = std::move(*description);
        return input;
    }
    Expected<ImportedNetwork, ImportError> network = read_network(input.format, text);
    if (!network) {
        return fail(LoadFailure{
            LoadOutcome::invalid_text,
            invalid_network_text(format_title(input.format), name, network.error().text())});
    }
    input.network = std::move(*network);
    return input;
}

Expected<BuiltGraph, LoadFailure> build_stage(ParsedInput& input) {
    if (input.format == NetworkFormat::gr) {
        BuiltGraph built = build_graph(input.description);
        input.description = GraphDescription();
        return built;
    }
    Expected<BuiltGraph, std::string> built = build_network_graph(input.network);
    if (!built) {
        return fail(LoadFailure{LoadOutcome::refused,
                                network_refusal_text(format_title(input.format), built.error())});
    }
    return std::move(*built);
}

Expected<DemandSet, LoadFailure> demands_stage(const BuiltGraph& built,
                                               const std::vector<ImportedDemand>& own,
                                               const StageContext& context) {
    const bool user_chose = context.demands != nullptr &&
                            context.demands->kind != DemandChoice::Kind::default_set;
    Expected<DemandSet, DemandRefusal> demands =
        !own.empty() && !user_chose ? build_network_demand_set(own, built.graph)
                                    : build_demand_set(context.demands, built.graph, built.names);
    if (!demands) {
        const std::string& path = user_chose ? context.demands->path : network_demand_origin;
        return fail(
            LoadFailure{LoadOutcome::invalid_demands, demand_refusal_text(demands.error(), path)});
    }
    if (!own.empty() && user_chose) {
        context.log.append_line(replaced_demands_line(*demands, own.size()));
    }
    if (!demands->is_default()) {
        context.log.append_line(demand_set_line(*demands));
    }
    return std::move(*demands);
}

FlowResult flow_stage(const Graph& graph, const DemandSet& demands, const StageContext& context) {
    ConsoleLog& log = context.log;
    const int n = graph.vertex_count();
    const auto pairs = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    if (context.verbose && listing_fits(context, "Liste des capacités", pairs)) {
        for (int i = 0; i < n; ++i) {
            log.append_line(capacity_line(graph, i));
        }
    }
    log.append_line("");
    FlowResult result = solve_flow_lp(graph.arcs(), demands, context,
                                      [&log] { log.log_timer(formulate_timer.label); });
    if (result.solve.status == SolveStatus::not_solved) {
        log.append_line("** Moins de deux sommets : aucune commodité, pas de programme linéaire.");
        return result;
    }
    log.log_timer(solve_timer.label);
    if (const std::string line = solver_line(result); !line.empty()) {
        log.append_line(line);
    }
    if (!result.solve.is_optimum()) {
        std::ostringstream line;
        line << "** Le programme linéaire n'a pas de solution optimale (statut "
             << solver_engine_title(result.solver) << " : " << result.solve.code << ", "
             << result.solve.name() << ").";
        log.append_line(line.str());
    }
    if (demands.is_default()) {
        if (context.verbose && listing_fits(context, "Liste des flots", commodity_count * pairs)) {
            write_commodity_flow_listing(graph.arcs(), demands, result, log);
        }
    } else if (context.verbose &&
               listing_fits(context, "Liste des flots",
                            static_cast<std::size_t>(demands.source_count()) *
                                static_cast<std::size_t>(graph.arcs().arc_count()))) {
        write_source_flow_listing(graph.arcs(), result, log);
    }
    return result;
}

Embedding embed_stage(const Graph& graph, const StageContext& context) {
    Embedding embedding = compute_embedding(graph.arcs(), context.random);
    context.log.log_timer(embed_timer.label);
    const std::size_t values =
        static_cast<std::size_t>(graph.vertex_count()) * embedding.subsets.size();
    if (context.verbose && listing_fits(context, "Table du plongement", values)) {
        context.log.append_line("** Plongement (ligne : coordonnées, colonne : sommets) **");
        context.log.append_line(coordinate_table(embedding));
    }
    return embedding;
}

CutResult cut_stage(const Graph& graph, const DemandSet& demands, const Embedding& embedding,
                    const StageContext& context) {
    CutResult cut = extract_cut(graph.arcs(), demands, embedding);
    context.log.log_timer(cut_timer.label);
    return cut;
}

std::vector<Vector3> place_stage(const Graph& graph, const StageContext& context) {
    std::vector<Vector3> positions;
    place_vertices(graph, context.random, positions);
    context.log.log_timer(place_timer.label);
    return positions;
}

TimedCertificate certify_stage(const Graph& graph, const DemandSet& demands, const CutResult& sweep,
                               const StageContext& context) {
    const auto started = std::chrono::steady_clock::now();
    CutCertificate certificate = certify_cut(graph, demands, sweep, context);
    return {std::move(certificate),
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()};
}

Expected<LoadProduct, LoadFailure> run_load_pipeline(int fd, const std::string& name,
                                                     std::optional<NetworkFormat> format,
                                                     const StageContext& context) {
    const auto stopped = [&context] { return cancel_requested(context); };
    const auto cancelled = [] { return fail(LoadFailure{LoadOutcome::cancelled, ""}); };

    Expected<std::string, LoadFailure> text = read_stage(fd);
    if (!text) {
        return fail(text.error());
    }
    if (stopped()) {
        return cancelled();
    }
    Expected<ParsedInput, LoadFailure> input = parse_stage(*text, format, name);
    if (!input) {
        return fail(input.error());
    }
    *text = std::string();  // each input goes once its stage is done
    context.log.log_timer(parse_timer_label(input->format));
    for (const std::string& note : input->network.notes) {
        context.log.append_line(note_line(note));
    }
    if (stopped()) {
        return cancelled();
    }
    Expected<BuiltGraph, LoadFailure> built = build_stage(*input);
    if (!built) {
        return fail(built.error());
    }
    if (stopped()) {
        return cancelled();
    }
    Expected<DemandSet, LoadFailure> demands =
        demands_stage(*built, input->network.demands, context);
    if (!demands) {
        return fail(demands.error());
    }
    input->network = ImportedNetwork();
    if (stopped()) {
        return cancelled();
    }
    const Graph& graph = built->graph;
    FlowResult result = flow_stage(graph, *demands, context);
    if (stopped()) {
        return cancelled();
    }
    const Embedding embedding = embed_stage(graph, context);
    if (stopped()) {
        return cancelled();
    }
    result.cut = cut_stage(graph, *demands, embedding, context);
    write_result_lines(result, context.log);
    if (stopped()) {
        return cancelled();
    }
    std::vector<Vector3> positions = place_stage(graph, context);
    return LoadProduct{{std::move(built->graph), std::move(result), std::move(built->names),
                        std::move(*demands), input->format},
                       std::move(positions)};
}
