#include "netformat/network_assembly.h"

#include <cmath>
#include <string_view>
#include <utility>

NetworkAssembler::NetworkAssembler(NetworkFormat format, bool directed) {
    network_.format = format;
    network_.directed = directed;
}

std::uint64_t NetworkAssembler::pair_key(int a, int b, bool ordered) const {
    if (!ordered && b < a) {
        std::swap(a, b);
    }
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) |
           static_cast<std::uint32_t>(b);
}

std::optional<std::string> NetworkAssembler::add_vertex(std::string name,
                                                        std::optional<ImportedPosition> position) {
    if (vertex_count() >= import_max_vertices) {
        return "plus de " + std::to_string(import_max_vertices) + " sommets : le maximum est de " +
               std::to_string(import_max_vertices) + " sommets";
    }
    network_.vertices.push_back({std::move(name), position});
    return std::nullopt;
}

std::optional<std::string> NetworkAssembler::add_edge(int tail, int head, double capacity) {
    if (tail == head) {
        ++self_loops_;
        return std::nullopt;
    }
    const auto [found, added] =
        edge_index_.try_emplace(pair_key(tail, head, network_.directed), network_.edges.size());
    if (!added) {
        ++parallel_edges_;
        double& sum = network_.edges[found->second].capacity;
        sum += capacity;
        if (!std::isfinite(sum)) {
            return "la somme des capacités des arêtes parallèles dépasse le plus grand nombre "
                   "représentable";
        }
        return std::nullopt;
    }
    network_.edges.push_back({tail, head, capacity});
    if (network_.arc_count() > import_max_arcs) {
        return "plus de " + std::to_string(import_max_arcs) + " arcs : le maximum est de " +
               std::to_string(import_max_arcs) + " arcs (une arête non orientée compte pour deux)";
    }
    return std::nullopt;
}

std::optional<std::string> NetworkAssembler::add_demand(int source, int target, double value) {
    if (value == 0.0) {
        ++zero_demands_;
        return std::nullopt;
    }
    const auto [found, added] =
        demand_index_.try_emplace(pair_key(source, target, true), network_.demands.size());
    if (!added) {
        ++repeated_demands_;
        double& sum = network_.demands[found->second].value;
        sum += value;
        if (!std::isfinite(sum)) {
            return "la somme des demandes répétées dépasse le plus grand nombre représentable";
        }
        return std::nullopt;
    }
    network_.demands.push_back({source, target, value});
    return std::nullopt;
}

namespace {

// "1 boucle ignorée", "3 boucles ignorées": `count` and the words that follow
// it, singular or plural.
std::string counted(int count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace

ImportedNetwork NetworkAssembler::finish() && {
    const bool arcs = network_.directed;
    if (parallel_edges_ > 0) {
        note(counted(parallel_edges_, arcs ? "arc en double" : "arête en double",
                     arcs ? "arcs en double" : "arêtes en double") +
             " (même paire de sommets) : les capacités s'additionnent");
    }
    if (self_loops_ > 0) {
        note(counted(self_loops_, "boucle ignorée", "boucles ignorées") +
             " (d'un sommet vers lui-même)");
    }
    if (repeated_demands_ > 0) {
        note(counted(repeated_demands_, "demande répétée", "demandes répétées") +
             " pour un même couple : les valeurs s'additionnent");
    }
    if (zero_demands_ > 0) {
        note(counted(zero_demands_, "demande nulle ignorée", "demandes nulles ignorées"));
    }
    return std::move(network_);
}

std::string too_many_vertices_text(std::int64_t count) {
    return "le graphe a " + std::to_string(count) + " sommets : le maximum est de " +
           std::to_string(import_max_vertices) + " sommets";
}
