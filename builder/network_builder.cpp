#include "builder/network_builder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <list>
#include <utility>

namespace {

constexpr double float_max = std::numeric_limits<float>::max();

// A number for a message, with the fewest digits that give it back.
std::string number_text(double value) {
    char text[32];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}

std::string vertex_text(const ImportedNetwork& network, int v) {
    return "« " + network.vertices[static_cast<std::size_t>(v)].name + " »";
}

// The range [low, high] of the values `coordinate` picks from every placed
// vertex; none when no vertex is placed.
struct Range {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void take(double value) {
        low = std::min(low, value);
        high = std::max(high, value);
    }
    // Halves first, so that the width of a range across the whole double
    // range stays finite.
    double width() const { return high / 2 - low / 2; }
    double middle() const { return low / 2 + high / 2; }
};

// The SNDlib coordinates centred on the middle of their bounding box and
// scaled so that the larger extent spans the drawing side; z stays 0. None
// at all (every vertex unplaced) when the coordinates span nothing.
std::vector<std::optional<Vector3>> scaled_coordinates(const ImportedNetwork& network) {
    Range xs;
    Range ys;
    for (const ImportedVertex& v : network.vertices) {
        if (v.position) {
            xs.take(v.position->x);
            ys.take(v.position->y);
        }
    }
    std::vector<std::optional<Vector3>> places(network.vertices.size());
    const double half_extent = std::max(xs.width(), ys.width());
    if (!(half_extent > 0.0)) {
        return places;
    }
    const double scale =
        network_drawing_side(static_cast<int>(network.vertices.size())) / 2 / half_extent;
    for (std::size_t v = 0; v < places.size(); ++v) {
        if (const std::optional<ImportedPosition>& p = network.vertices[v].position) {
            // Within ± half the drawing side: (p − middle) / 2 stays finite.
            places[v] = Vector3(static_cast<float>((p->x / 2 - xs.middle() / 2) * 2 * scale),
                                static_cast<float>((p->y / 2 - ys.middle() / 2) * 2 * scale),
                                0.0f);
        }
    }
    return places;
}

}  // namespace

double network_drawing_side(int vertex_count) {
    return 70.0 * vertex_count / 5.0;
}

Expected<BuiltGraph, std::string> build_network_graph(const ImportedNetwork& network) {
    const int n = static_cast<int>(network.vertices.size());
    std::list<DirectedEdgesGroup> groups;
    for (const ImportedEdge& e : network.edges) {
        if (e.capacity > float_max) {
            return fail("l'arête de " + vertex_text(network, e.tail) + " à " +
                        vertex_text(network, e.head) + " a la capacité " +
                        number_text(e.capacity) +
                        ", trop grande : le graphe garde ses capacités en simple précision "
                        "(au plus " + number_text(float_max) + ")");
        }
        groups.push_back({{e.tail}, {e.head}, static_cast<float>(e.capacity)});
    }

    std::vector<std::optional<Vector3>> places;
    if (network.format == NetworkFormat::sndlib) {
        places = scaled_coordinates(network);
    } else {
        places.resize(network.vertices.size());
        for (std::size_t v = 0; v < places.size(); ++v) {
            const std::optional<ImportedPosition>& p = network.vertices[v].position;
            if (!p) {
                continue;
            }
            for (const double c : {p->x, p->y, p->z}) {
                if (std::fabs(c) > float_max) {
                    return fail("le sommet " + vertex_text(network, static_cast<int>(v)) +
                                " a la coordonnée " + number_text(c) +
                                ", trop grande : les places sont gardées en simple précision "
                                "(au plus " + number_text(float_max) + ")");
                }
            }
            places[v] = Vector3(static_cast<float>(p->x), static_cast<float>(p->y),
                                static_cast<float>(p->z));
        }
    }

    // A vertex the file places keeps its place, the origin included; the
    // others are left to the layout.
    std::vector<Vector3> positions;
    std::vector<bool> given;
    std::vector<std::string> names;
    positions.reserve(places.size());
    given.reserve(places.size());
    names.reserve(places.size());
    for (std::size_t v = 0; v < places.size(); ++v) {
        positions.push_back(places[v].value_or(Vector3(0.0f, 0.0f, 0.0f)));
        given.push_back(places[v].has_value());
        names.push_back(network.vertices[v].name);
    }
    const float size = *extract_float(option_default("size"));
    Graph graph(n, groups, network.directed, std::move(positions),
                std::vector<float>(static_cast<std::size_t>(n), size), std::move(given));
    return BuiltGraph{std::move(graph), std::move(names)};
}

Expected<DemandSet, DemandRefusal> build_network_demand_set(
    const std::vector<ImportedDemand>& demands, const Graph& graph) {
    std::vector<Commodity> commodities;
    commodities.reserve(demands.size());
    for (const ImportedDemand& d : demands) {
        commodities.push_back({d.source, d.target, d.value, true});
    }
    DemandSet set(DemandKind::network, network_demand_origin, graph.vertex_count(),
                  std::move(commodities));
    if (!std::isfinite(set.total_demand())) {
        return fail(DemandRefusal{DemandRefusal::Reason::bad_file,
                                  {{}, "la demande totale dépasse le plus grand nombre "
                                       "représentable"},
                                  0});
    }
    return within_flow_columns(std::move(set), graph);
}
