// The graph of an imported network: capacities narrowed to float or
// refused, and where each vertex is drawn.

#include "builder/network_builder.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

ImportedNetwork network_at(NetworkFormat format,
                           std::vector<std::optional<ImportedPosition>> places) {
    ImportedNetwork network;
    network.format = format;
    for (std::size_t v = 0; v < places.size(); ++v) {
        network.vertices.push_back({"v" + std::to_string(v), places[v]});
    }
    return network;
}

}  // namespace

TEST(NetworkBuilder, NarrowsCapacitiesToFloatAndRefusesThoseBeyondIt) {
    ImportedNetwork network = network_at(NetworkFormat::gml, {std::nullopt, std::nullopt});
    network.edges = {{0, 1, 3.4e38}};
    const Expected<BuiltGraph, std::string> built = build_network_graph(network);
    ASSERT_TRUE(built);
    EXPECT_EQ(built->graph.cell(1, 0).capacity, 3.4e38f);
    EXPECT_EQ(built->names, (std::vector<std::string>{"v0", "v1"}));
    network.edges = {{0, 1, 1e39}};
    EXPECT_EQ(build_network_graph(network).error(),
              "l'arête de « v0 » à « v1 » a la capacité 1e+39, trop grande : le graphe garde ses "
              "capacités en simple précision (au plus 3.4028234663852886e+38)");
}

// One row per case: the format, the file's places, the stored positions
// and which of them are given (kept by the placement and the force layout).
TEST(NetworkBuilder, PlacesTheVerticesTheFilePlacesAndOnlyThose) {
    using P = ImportedPosition;
    struct Row {
        NetworkFormat format;
        std::vector<std::optional<ImportedPosition>> places;
        std::vector<Vector3> stored;
        std::vector<bool> given;
    };
    const Row rows[] = {
        // Centred and scaled to 70 × 3 / 5 = 42 along the larger extent; the
        // middle vertex stays placed.
        {NetworkFormat::sndlib,
         {P{2, 40, 0}, P{12, 50, 0}, P{7, 45, 0}},
         {{-21, -21, 0}, {21, 21, 0}, {0, 0, 0}},
         {true, true, true}},
        // Coordinates that span nothing place nothing.
        {NetworkFormat::sndlib, {P{5, 5, 0}, P{5, 5, 0}}, {{0, 0, 0}, {0, 0, 0}}, {false, false}},
        // As given; the origin given stays given, a vertex without a place
        // is left to the random placement.
        {NetworkFormat::graphml,
         {P{0, 0, 0}, std::nullopt, P{-3, 4, 1.5}},
         {{0, 0, 0}, {0, 0, 0}, {-3, 4, 1.5}},
         {true, false, true}},
    };
    for (const Row& row : rows) {
        const Expected<BuiltGraph, std::string> built =
            build_network_graph(network_at(row.format, row.places));
        ASSERT_TRUE(built);
        EXPECT_EQ(built->graph.positions(), row.stored);
        for (std::size_t v = 0; v < row.given.size(); ++v) {
            EXPECT_EQ(built->graph.position_given(static_cast<int>(v)), row.given[v]) << v;
        }
    }
    EXPECT_EQ(build_network_graph(network_at(NetworkFormat::gml, {P{1e39, 0, 0}})).error(),
              "le sommet « v0 » a la coordonnée 1e+39, trop grande : les places sont gardées "
              "en simple précision (au plus 3.4028234663852886e+38)");
}
