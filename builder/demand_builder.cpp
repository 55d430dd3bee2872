#include "builder/demand_builder.h"

#include <charconv>
#include <cmath>
#include <unordered_map>
#include <utility>

#include "common/message_text.h"

namespace {

DemandRefusal bad_line(DemandPlace place, std::string reason) {
    return DemandRefusal{DemandRefusal::Reason::bad_file, {place, std::move(reason)}, 0};
}

// The vertices of a graph by their names: the vertex of each name that one
// vertex alone bears, −1 for a name that several bear.
std::unordered_map<std::string, int> vertices_by_name(const std::vector<std::string>& names) {
    std::unordered_map<std::string, int> vertices;
    for (std::size_t v = 0; v < names.size(); ++v) {
        if (names[v].empty()) {
            continue;
        }
        const auto [at, inserted] = vertices.try_emplace(names[v], static_cast<int>(v));
        if (!inserted) {
            at->second = -1;
        }
    }
    return vertices;
}

// The vertex a field names, or why it names none.
Expected<int, DemandRefusal> resolve(const std::string& field, DemandPlace place, int n,
                                     const std::unordered_map<std::string, int>& by_name) {
    const std::string quoted = "« " + bounded_for_message(field) + " »";
    if (is_vertex_number(field)) {
        int v = 0;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), v);
        if (error != std::errc() || v >= n) {
            return fail(bad_line(place, "le sommet " + quoted + " n'existe pas (le graphe a " +
                                            std::to_string(n) + " sommets, de 0 à " +
                                            std::to_string(n - 1) + ")"));
        }
        return v;
    }
    const auto found = by_name.find(field);
    if (found == by_name.end()) {
        return fail(bad_line(place, "aucun sommet ne s'appelle " + quoted));
    }
    if (found->second < 0) {
        return fail(bad_line(place, "plusieurs sommets s'appellent " + quoted));
    }
    return found->second;
}

// The set, unless its program is too large.
Expected<DemandSet, DemandRefusal> within_size(DemandSet demands, const Graph& graph) {
    const long long columns =
        static_cast<long long>(demands.source_count()) * graph.arcs().arc_count();
    if (columns > max_flow_columns) {
        return fail(DemandRefusal{DemandRefusal::Reason::program_too_large, {}, 0, columns});
    }
    return demands;
}

}  // namespace

Expected<DemandSet, DemandRefusal> build_demand_set(const DemandChoice* choice, const Graph& graph,
                                                    const std::vector<std::string>& names) {
    const int n = graph.vertex_count();
    if (choice == nullptr || choice->kind == DemandChoice::Kind::default_set) {
        return DemandSet::default_set(n);
    }
    if (choice->kind == DemandChoice::Kind::all_pairs) {
        if (n > max_all_pairs_vertices) {
            return fail(DemandRefusal{DemandRefusal::Reason::too_many_vertices, {}, n});
        }
        return within_size(DemandSet::all_pairs(n, graph.directed()), graph);
    }
    Expected<std::vector<DemandLine>, DemandError> lines = parse_demand_text(choice->text);
    if (!lines) {
        return fail(DemandRefusal{DemandRefusal::Reason::bad_file, lines.error(), 0});
    }
    const std::unordered_map<std::string, int> by_name = vertices_by_name(names);
    std::vector<Commodity> commodities;
    commodities.reserve(lines->size());
    for (const DemandLine& line : *lines) {
        const Expected<int, DemandRefusal> source =
            resolve(line.source, line.source_place, n, by_name);
        if (!source) {
            return fail(source.error());
        }
        const Expected<int, DemandRefusal> target =
            resolve(line.target, line.target_place, n, by_name);
        if (!target) {
            return fail(target.error());
        }
        if (*source == *target) {
            return fail(bad_line(line.target_place, "la source et la cible sont le même sommet (" +
                                                        std::to_string(*source) + ")"));
        }
        commodities.push_back({*source, *target, line.demand, true});
    }
    DemandSet demands(DemandKind::file, "fichier " + choice->path, n, std::move(commodities));
    if (!std::isfinite(demands.total_demand())) {
        return fail(bad_line({}, "la demande totale dépasse le plus grand nombre représentable"));
    }
    return within_size(std::move(demands), graph);
}
