#include "view/overlay.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iomanip>
#include <numeric>
#include <sstream>
#include <unordered_map>

#include "common/utf8.h"
#include "graph/cut_certificate.h"
#include "graph/demand_set.h"
#include "graph/flow_result.h"
#include "graph/graph.h"
#include "view/projection.h"
#include "view/scene_geometry.h"

namespace {

// Stored edges: every arc of a directed graph, every edge once otherwise
// (the arc lists hold both directions of an undirected edge).
long edge_count(const Graph& graph) {
    const long arcs = graph.arcs().arc_count();
    return graph.directed() ? arcs : arcs / 2;
}

// How many commodities, sources and sinks the legend lists by name.
constexpr std::size_t legend_listed = 6;

// The terminals of one kind (sources or sinks) that are vertices, as
// "a, b, c": for the default set in commodity order, for another set each
// vertex once in increasing order, the first legend_listed of them and then
// " … et N autres".
std::string terminals(const DemandSet& demands, int n, bool sinks) {
    std::vector<int> listed;
    for (const Commodity& c : demands.commodities()) {
        const int v = sinks ? c.sink : c.source;
        if (v < n) {
            listed.push_back(v);
        }
    }
    if (!demands.is_default()) {
        std::sort(listed.begin(), listed.end());
        listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
    }
    std::ostringstream list;
    const char* separator = "";
    for (std::size_t i = 0; i < listed.size() && i < legend_listed; ++i) {
        list << separator << listed[i];
        separator = ", ";
    }
    if (listed.size() > legend_listed) {
        list << " … et " << listed.size() - legend_listed << " autres";
    }
    return list.str();
}

// The commodities' lines: each listed commodity in its arch's colour,
// "Commodité w : s → t, demande d" (", absente" for an absent one of the
// default set). The default set lists its three; another set its first
// legend_listed featured ones, then how many others there are with their
// demand, and whether some have no arch.
void add_commodity_lines(const DemandSet& demands, std::vector<LegendLine>& lines) {
    const std::vector<int>& featured = demands.featured();
    if (!demands.is_default()) {
        lines.push_back({"Demandes : " + demands.origin(), std::nullopt});
    }
    std::vector<char> is_listed(static_cast<std::size_t>(demands.size()), 0);
    std::size_t listed = 0;
    for (; listed < featured.size() && (demands.is_default() || listed < legend_listed); ++listed) {
        const int w = featured[listed];
        const Commodity& c = demands.commodity(w);
        is_listed[static_cast<std::size_t>(w)] = 1;
        std::ostringstream text;
        text << "Commodité " << w << " : " << c.source << " → " << c.sink;
        if (c.present) {
            text << ", demande " << c.demand;
        } else {
            text << ", absente";
        }
        lines.push_back({text.str(), arch_colour(static_cast<int>(listed))});
    }
    const auto others = static_cast<std::size_t>(demands.size()) - listed;
    if (others > 0) {
        double demand = 0.0;
        for (int w = 0; w < demands.size(); ++w) {
            if (!is_listed[static_cast<std::size_t>(w)]) {
                demand += demands.commodity(w).demand;
            }
        }
        std::ostringstream text;
        text << "… et " << others << (others > 1 ? " autres" : " autre") << " (demande totale "
             << demand << ")";
        lines.push_back({text.str(), std::nullopt});
    }
    if (static_cast<std::size_t>(demands.size()) > featured.size()) {
        std::ostringstream text;
        text << "Arches des " << featured.size() << " plus fortes demandes seulement";
        lines.push_back({text.str(), std::nullopt});
    }
}

// The side's size: "k sommets", or "1 sommet".
std::string side_size(std::size_t k) {
    return std::to_string(k) + (k > 1 ? " sommets" : " sommet");
}

// "écart ≤ ×g" with g rounded up to three significant digits, so that the
// bound written still holds.
std::string gap_text(double gap) {
    if (!std::isfinite(gap)) {
        return "écart non borné";
    }
    const double scale = std::pow(10.0, 2.0 - std::floor(std::log10(gap)));
    std::ostringstream text;
    text << "écart ≤ ×" << std::setprecision(3) << std::ceil(gap * scale) / scale;
    return text.str();
}

// What the certificate tells of the cut: λ*, the best cut and whether it is
// proved optimal, or the warning that λ* was not computed.
void add_certificate_lines(const CutCertificate& certificate, std::vector<LegendLine>& lines) {
    if (!certificate.bound_reached) {
        std::ostringstream warning;
        warning << "λ* non calculé (statut " << solver_engine_title(certificate.solver) << " : "
                << certificate.solve.code << ", "
                << certificate.solve.name() << ")";
        lines.push_back({warning.str(), std::nullopt, true});
        return;
    }
    std::ostringstream bound;
    bound << "λ* = " << certificate.lower_bound;
    lines.push_back({bound.str(), std::nullopt});
    const BestCut& best = certificate.best_cut;
    std::ostringstream ratio;
    if (best.members.empty()) {
        ratio << "meilleure coupe : aucune coupe";
    } else {
        ratio << "meilleure coupe = " << best.ratio << " (S : " << side_size(best.members.size())
              << ")";
    }
    lines.push_back({ratio.str(), std::nullopt});
    if (!best.members.empty()) {
        lines.push_back({certificate.proved_optimal ? std::string("coupe optimale prouvée")
                                                    : gap_text(certificate.gap),
                         std::nullopt});
    }
}

}  // namespace

std::vector<LegendLine> legend_lines(const SceneInput& input, const ViewSettings& settings) {
    std::vector<LegendLine> lines;
    if (!input.drawable() || input.graph->vertex_count() == 0) {
        return lines;
    }
    const Graph& graph = *input.graph;
    const FlowResult& result = *input.result;
    const int n = graph.vertex_count();

    const DemandSet& demands = *input.demands;
    add_commodity_lines(demands, lines);
    lines.push_back({"Sources : " + terminals(demands, n, false), source_colour});
    if (n > 1) {
        lines.push_back({"Puits : " + terminals(demands, n, true), sink_colour});
    }
    if (settings.show_cut) {
        lines.push_back({best_cut_shown(input, settings) ? "Côté S de la meilleure coupe"
                                                         : "Côté S de la coupe",
                         cut_colour});
    }
    if (settings.show_flow && colours_by_load(input, settings)) {
        lines.push_back({"Charge des arêtes (flot / capacité) : 0 → 1", std::nullopt, false, true});
    }

    std::ostringstream maxflow;
    maxflow << "maxflow = " << result.maxflow;
    lines.push_back({maxflow.str(), std::nullopt});
    if (result.solver != SolverEngine::lp_solve) {
        lines.push_back({std::string("Solveur LP : ") + solver_engine_title(result.solver),
                         std::nullopt});
    }
    std::ostringstream mincut;
    if (result.cut.found) {
        mincut << "mincut = " << result.cut.ratio << " (S : " << side_size(result.cut.vertices.size())
               << ")";
    } else {
        mincut << "mincut : aucune coupe";
    }
    lines.push_back({mincut.str(), std::nullopt});
    if (input.certificate != nullptr) {
        add_certificate_lines(*input.certificate, lines);
    } else if (input.certificate_pending) {
        lines.push_back({"λ* : calcul en cours...", std::nullopt});
    }
    std::ostringstream counts;
    const long edges = edge_count(graph);
    counts << n << (n > 1 ? " sommets, " : " sommet, ") << edges
           << (graph.directed() ? (edges > 1 ? " arcs" : " arc")
                                : (edges > 1 ? " arêtes" : " arête"));
    lines.push_back({counts.str(), std::nullopt});
    if (!result.reached_optimum) {
        std::ostringstream warning;
        warning << "Calcul non abouti (statut " << solver_engine_title(result.solver) << " : "
                << result.solve.code << ", "
                << result.solve.name() << ")";
        lines.push_back({warning.str(), std::nullopt, true});
    }
    return lines;
}

std::string shortened(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return std::string(text);
    }
    std::size_t end = limit;
    // Back up over continuation bytes to the start of a character.
    while (end > 0 && is_utf8_continuation(text[end])) {
        --end;
    }
    return std::string(text.substr(0, end)) + "…";
}

std::vector<VertexLabel> vertex_labels(const SceneInput& input, const ViewSettings& settings,
                                       const Camera& camera) {
    std::vector<VertexLabel> labels;
    if (!settings.show_labels || !input.drawable()) {
        return labels;
    }
    const int n = input.graph->vertex_count();
    // Above the limit, the terminals of the featured commodities alone.
    std::vector<int> shown;
    if (n > label_limit && !settings.label_all) {
        const DemandSet& demands = *input.demands;
        for (const int c : demands.featured()) {
            for (const int v : {demands.commodity(c).source, demands.commodity(c).sink}) {
                if (v < n) {
                    shown.push_back(v);
                }
            }
        }
        std::sort(shown.begin(), shown.end());
        shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
    } else {
        shown.resize(static_cast<std::size_t>(n));
        std::iota(shown.begin(), shown.end(), 0);
    }
    const double width = settings.client_width;
    const double height = settings.client_height;
    // How far off the screen a label's anchor may lie and still show part
    // of its text.
    constexpr double slack = 200.0;
    const double cap = flow_radius_cap(input, settings);
    for (const int i : shown) {
        const Vector3 p =
            (*input.display_positions)[static_cast<std::size_t>(i)] * settings.position_scale;
        const std::optional<ViewportPoint> at = project_to_viewport(p, settings, camera);
        if (!at || at->x < -slack || at->y < -slack || at->x > width + slack ||
            at->y > height + slack) {
            continue;
        }
        const double radius = std::fabs(vertex_radius(input, i, cap));
        double offset = radius * pixels_per_unit(at->depth, settings, camera);
        if (!std::isfinite(offset)) {
            continue;
        }
        offset = std::min(offset, width + height);
        std::string text = std::to_string(i);
        if (input.vertex_names != nullptr &&
            static_cast<std::size_t>(i) < input.vertex_names->size()) {
            const std::string& name = (*input.vertex_names)[static_cast<std::size_t>(i)];
            // A node statement without a name gives its number's text.
            if (!name.empty() && name != text) {
                text += " : " + shortened(name, label_name_limit);
            }
        }
        labels.push_back({i, std::move(text), at->x + offset + 3.0, at->y});
    }
    return labels;
}

std::vector<VertexLabel> legible_labels(std::vector<VertexLabel> labels, const SceneInput& input,
                                        const TextMetrics& metrics) {
    if (labels.empty() || !input.drawable() || !metrics.text_width) {
        return labels;
    }
    const Graph& graph = *input.graph;
    const ArcLists& arcs = graph.arcs();
    const auto degree = [&](int v) {
        if (v < 0 || v >= arcs.vertex_count()) {
            return 0;
        }
        const int out = arcs.out_end(v) - arcs.out_begin(v);
        // An undirected edge is an arc each way: its out-arcs count it once.
        return graph.directed() ? out + static_cast<int>(arcs.in_arcs(v).size()) : out;
    };
    // The featured commodities' terminals among the labelled vertices.
    std::vector<char> terminal(static_cast<std::size_t>(graph.vertex_count()), 0);
    for (const VertexLabel& label : labels) {
        if (label.vertex >= 0 && label.vertex < graph.vertex_count()) {
            terminal[static_cast<std::size_t>(label.vertex)] =
                terminal_role(input, label.vertex) != TerminalRole::none;
        }
    }
    const auto is_terminal = [&](int v) {
        return v >= 0 && v < graph.vertex_count() && terminal[static_cast<std::size_t>(v)] != 0;
    };
    const auto ahead = [&](const VertexLabel& a, const VertexLabel& b) {
        const bool ta = is_terminal(a.vertex), tb = is_terminal(b.vertex);
        if (ta != tb) {
            return ta;
        }
        const int da = ta ? 0 : degree(a.vertex), db = tb ? 0 : degree(b.vertex);
        return da != db ? da > db : a.vertex < b.vertex;
    };
    std::stable_sort(labels.begin(), labels.end(), ahead);

    // The kept boxes, filed by the cells of a coarse grid that they touch.
    struct Box {
        double left, top, right, bottom;
    };
    constexpr double cell = 64.0;
    std::unordered_map<long long, std::vector<Box>> grid;
    const auto key = [](long long cx, long long cy) { return cx * 1000003LL + cy; };
    const double height = metrics.line_height + 2.0;
    std::vector<VertexLabel> kept;
    for (VertexLabel& label : labels) {
        const Box box{label.x - 1.0, label.y - height / 2.0,
                      label.x + metrics.text_width(label.text) + 1.0, label.y + height / 2.0};
        if (!std::isfinite(box.left) || !std::isfinite(box.top)) {
            continue;
        }
        const auto first_x = static_cast<long long>(std::floor(box.left / cell));
        const auto last_x = static_cast<long long>(std::floor(box.right / cell));
        const auto first_y = static_cast<long long>(std::floor(box.top / cell));
        const auto last_y = static_cast<long long>(std::floor(box.bottom / cell));
        bool overlaps = false;
        for (long long cx = first_x; cx <= last_x && !overlaps; ++cx) {
            for (long long cy = first_y; cy <= last_y && !overlaps; ++cy) {
                const auto found = grid.find(key(cx, cy));
                if (found == grid.end()) {
                    continue;
                }
                for (const Box& other : found->second) {
                    if (box.left < other.right && other.left < box.right &&
                        box.top < other.bottom && other.top < box.bottom) {
                        overlaps = true;
                        break;
                    }
                }
            }
        }
        if (overlaps) {
            continue;
        }
        for (long long cx = first_x; cx <= last_x; ++cx) {
            for (long long cy = first_y; cy <= last_y; ++cy) {
                grid[key(cx, cy)].push_back(box);
            }
        }
        kept.push_back(std::move(label));
    }
    return kept;
}

std::vector<LegendLine> legend_room_for(const SceneInput& input, const ViewSettings& settings) {
    if (input.certificate != nullptr) {
        return legend_lines(input, settings);
    }
    SceneInput without = input;
    without.certificate_pending = false;
    std::vector<LegendLine> lines = legend_lines(without, settings);
    if (!lines.empty()) {
        for (const char* text :
             {"λ* = 0.00000000", "meilleure coupe = 0.00000000 (S : 0000 sommets)",
              "coupe optimale prouvée"}) {
            lines.push_back({text, std::nullopt});
        }
    }
    return lines;
}
