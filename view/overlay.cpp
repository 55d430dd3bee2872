#include "view/overlay.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iomanip>
#include <sstream>
#include <unordered_map>

#include "common/utf8.h"
#include "graph/commodities.h"
#include "graph/cut_certificate.h"
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

// The terminals of one kind (sources or sinks) that are vertices, as
// "a, b, c".
std::string terminals(int n, bool sinks) {
    std::ostringstream list;
    const char* separator = "";
    for (int w = 0; w < commodity_count; ++w) {
        const int v = sinks ? commodity_sink(w) : commodity_source(w);
        if (v < n) {
            list << separator << v;
            separator = ", ";
        }
    }
    return list.str();
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
        warning << "λ* non calculé (statut lp_solve : " << certificate.solve.code << ", "
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

    for (int w = 0; w < commodity_count; ++w) {
        std::ostringstream text;
        text << "Commodité " << w << " : " << commodity_source(w) << " → " << commodity_sink(w);
        if (commodity_present(w, n)) {
            text << ", demande " << commodity_demand[static_cast<std::size_t>(w)];
        } else {
            text << ", absente";
        }
        lines.push_back({text.str(), commodity_colour[static_cast<std::size_t>(w)]});
    }
    lines.push_back({"Sources : " + terminals(n, false), source_colour});
    if (n > 1) {
        lines.push_back({"Puits : " + terminals(n, true), sink_colour});
    }
    if (settings.show_cut) {
        lines.push_back({best_cut_shown(input, settings) ? "Côté S de la meilleure coupe"
                                                         : "Côté S de la coupe",
                         cut_colour});
    }

    if (settings.show_flow && settings.colour_by_load) {
        lines.push_back({"Charge des arêtes (flot / capacité) : 0 → 1", std::nullopt, false, true});
    }

    std::ostringstream maxflow;
    maxflow << "maxflow = " << result.maxflow;
    lines.push_back({maxflow.str(), std::nullopt});
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
        warning << "Calcul non abouti (statut lp_solve : " << result.solve.code << ", "
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
    const int shown = n > label_limit && !settings.label_all ? std::min(n, 2 * commodity_count) : n;
    const double width = settings.client_width;
    const double height = settings.client_height;
    // How far off the screen a label's anchor may lie and still show part
    // of its text.
    constexpr double slack = 200.0;
    const double cap = flow_radius_cap(input, settings);
    for (int i = 0; i < shown; ++i) {
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
    const auto ahead = [&](const VertexLabel& a, const VertexLabel& b) {
        const bool ta = a.vertex < 2 * commodity_count, tb = b.vertex < 2 * commodity_count;
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
