// The readers of netformat/: every refusal of bad_inputs.txt, the limits,
// each example against what it holds (GML and DIMACS also against igraph's
// own readers, DIMACS down to the maximum flow), and the choice of a
// language by content.

#include <gtest/gtest.h>
#include <igraph/igraph.h>
#include <stdio.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>

#include "builder/graph_builder.h"
#include "common/igraph_lock.h"
#include "netformat/network_readers.h"
#include "netformat/text_scan.h"
#include "tests/support/scratch_dir.h"

static_assert(import_max_vertices == max_vertex_count && import_max_arcs == max_arc_count,
              "the readers refuse what the graph model cannot hold, no more");

namespace {

namespace fs = std::filesystem;
const fs::path source_dir = QUILLMERE_SOURCE_DIR;

std::string example(const std::string& name) {
    return read_file(source_dir / "examples" / name);
}

ImportedNetwork read_ok(NetworkFormat format, const std::string& text) {
    Expected<ImportedNetwork, ImportError> read = read_network(format, text);
    EXPECT_TRUE(read) << (read ? "" : read.error().text());
    return read ? std::move(*read) : ImportedNetwork{};
}

std::string refusal(NetworkFormat format, const std::string& text) {
    const Expected<ImportedNetwork, ImportError> read = read_network(format, text);
    return read ? "accepted" : read.error().text();
}

// Capacity per pair of vertices, the pair unordered when undirected.
using Capacities = std::map<std::pair<int, int>, double>;

Capacities capacities_of(const ImportedNetwork& network) {
    Capacities result;
    for (const ImportedEdge& e : network.edges) {
        const bool swap = !network.directed && e.head < e.tail;
        result[{swap ? e.head : e.tail, swap ? e.tail : e.head}] += e.capacity;
    }
    return result;
}

TEST(NetworkReaders, RefuseEveryBadFileOfTheTableWithItsMessage) {
    std::istringstream table(read_file(source_dir / "tests" / "netformat" / "bad_inputs.txt"));
    int cases = 0;
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string format;
        std::string name;
        std::string pair;
        fields >> format >> name;
        std::getline(fields, pair);
        const nlohmann::json expected = nlohmann::json::parse(pair);
        EXPECT_EQ(refusal(*format_from_name(format), expected[1].get<std::string>()),
                  expected[0].get<std::string>())
            << format << " " << name;
        ++cases;
    }
    EXPECT_EQ(cases, 73);
}

TEST(NetworkReaders, RefuseOnlyBeyondTheGraphModelsLimits) {
    std::string nodes = "?SNDlib native format; type: network; version: 1.0\nNODES (\n";
    for (int v = 0; v <= import_max_vertices; ++v) {
        nodes += " N" + std::to_string(v) + " ( 0 0 )\n";
    }
    EXPECT_EQ(refusal(NetworkFormat::sndlib, nodes + ")\n"),
              "ligne 2003, colonne 2 : plus de 2000 sommets : le maximum est de 2000 sommets");

    // The complete undirected graph on 120 vertices has exactly the most arcs.
    std::string complete = "graph [\n";
    for (int v = 0; v <= 120; ++v) {
        complete += "node [ id " + std::to_string(v) + " ]\n";
    }
    for (int u = 0; u < 120; ++u) {
        for (int v = u + 1; v < 120; ++v) {
            complete +=
                "edge [ source " + std::to_string(u) + " target " + std::to_string(v) + " ]\n";
        }
    }
    EXPECT_EQ(read_ok(NetworkFormat::gml, complete + "]").arc_count(), import_max_arcs);
    EXPECT_EQ(refusal(NetworkFormat::gml, complete + "edge [ source 0 target 120 ]\n]"),
              "ligne 7263, colonne 6 : plus de 14280 arcs : le maximum est de 14280 arcs (une "
              "arête non orientée compte pour deux)");

    std::string graphml = "<graphml><graph>";
    for (int v = 0; v <= import_max_vertices; ++v) {
        graphml += "<node id=\"" + std::to_string(v) + "\"/>";
    }
    EXPECT_EQ(refusal(NetworkFormat::graphml, graphml + "</graph></graphml>"),
              "le graphe a 2001 sommets : le maximum est de 2000 sommets");
    // igraph joins the pieces of a value in quadratic time.
    std::string pieces =
        "<graphml><key id=\"n\" for=\"node\" attr.name=\"name\"/><graph>\n"
        "<node id=\"a\"><data key=\"n\">";
    for (int k = 0; k < 1000; ++k) {
        pieces += "&gt;";
    }
    EXPECT_EQ(refusal(NetworkFormat::graphml, pieces + "</data></node></graph></graphml>"),
              "ligne 2, colonne 14 : valeur de plus de 1000 morceaux (textes, références "
              "d'entité, éléments)");
}

TEST(NetworkReaders, ReadNumbersAsDecimalsOnly) {
    const std::pair<const char*, double> accepted[] = {
        {"1.", 1.0}, {".5", 0.5}, {"+3", 3.0}, {"-2.5e1", -25.0}, {"1e-400", 0.0}};
    for (const auto& [word, value] : accepted) {
        const Expected<double, NumberProblem> read = parse_decimal(word);
        ASSERT_TRUE(read) << word;
        EXPECT_EQ(*read, value) << word;
    }
    for (const char* word : {"", ".", "-", "1e", "1.2.3", "1,5", "e5", "12abc"}) {
        EXPECT_FALSE(parse_decimal(word)) << word;
    }
}

TEST(NetworkReaders, ReadTheSndlibExampleWithItsCapacityConvention) {
    const ImportedNetwork network = read_ok(NetworkFormat::sndlib, example("backbone.txt"));
    ASSERT_EQ(network.vertices.size(), 12u);
    EXPECT_FALSE(network.directed);
    EXPECT_EQ(network.vertices[0].name, "Arvel");
    EXPECT_DOUBLE_EQ(network.vertices[0].position->y, 48.90);
    EXPECT_EQ(network.edges.size(), 17u);  // 19 links, two pairs in parallel
    const Capacities capacity = capacities_of(network);
    EXPECT_EQ(capacity.at({0, 1}), 50.0);  // Arvel–Brisk: 40 + 10 pre-installed
    EXPECT_EQ(capacity.at({1, 8}), 25.0);  // Istra–Brisk: none pre-installed, first module
    EXPECT_EQ(capacity.at({1, 2}), 80.0);  // Brisk–Corran twice
    double total = 0.0;
    for (const ImportedDemand& d : network.demands) {
        total += d.value;
    }
    EXPECT_EQ(network.demands.size(), 11u);  // the zero demand skipped
    EXPECT_DOUBLE_EQ(total, 64.0);
    EXPECT_EQ(network.notes.front(),
              "capacités : préinstallées, sinon premier module (sur 19 liens, 2 prennent celle "
              "de leur premier module)");
}

TEST(NetworkReaders, ReadTheGraphmlExampleAndLeaveIgraphAsItWas) {
    const ImportedNetwork network = read_ok(NetworkFormat::graphml, example("campus.graphml"));
    ASSERT_EQ(network.vertices.size(), 8u);
    EXPECT_FALSE(network.directed);
    EXPECT_EQ(network.vertices[7].name, "Data Centre");
    EXPECT_EQ(network.vertices[4].position->x, -160.0);
    EXPECT_EQ(network.edges.size(), 10u);
    const Capacities capacity = capacities_of(network);
    EXPECT_EQ(capacity.at({0, 7}), 50.0);  // two links, 40 and 10
    EXPECT_EQ(capacity.at({5, 6}), 1.0);
    EXPECT_EQ(network.notes.front(), "capacités : attribut « capacity » des arêtes");
    const std::lock_guard<std::mutex> hold(igraph_lock());
    EXPECT_EQ(igraph_set_attribute_table(nullptr), nullptr);
}

// igraph's own reading of a file, under the igraph lock.
class IgraphReading {
  public:
    IgraphReading(const std::string& text)
        : hold_(igraph_lock()),
          table_(igraph_set_attribute_table(&igraph_cattribute_table)),
          warnings_(igraph_set_warning_handler(igraph_warning_handler_ignore)) {
        stream_ = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    }
    ~IgraphReading() {
        if (read) {
            igraph_destroy(&graph);
        }
        fclose(stream_);
        igraph_set_warning_handler(warnings_);
        igraph_set_attribute_table(table_);
    }

    igraph_t graph;
    // Set once igraph has made the graph.
    bool read = false;
    FILE* stream_;

  private:
    std::lock_guard<std::mutex> hold_;
    igraph_attribute_table_t* table_;
    igraph_warning_handler_t* warnings_;
};

TEST(NetworkReaders, ReadTheGmlExampleAsIgraphDoes) {
    const std::string text = example("ring_road.gml");
    const ImportedNetwork network = read_ok(NetworkFormat::gml, text);
    IgraphReading igraph(text);
    igraph.read = igraph_read_graph_gml(&igraph.graph, igraph.stream_) == IGRAPH_SUCCESS;
    ASSERT_TRUE(igraph.read);
    ASSERT_EQ(static_cast<std::size_t>(igraph_vcount(&igraph.graph)), network.vertices.size());
    EXPECT_TRUE(network.directed && igraph_is_directed(&igraph.graph));
    for (igraph_integer_t v = 0; v < igraph_vcount(&igraph.graph); ++v) {
        EXPECT_EQ(network.vertices[static_cast<std::size_t>(v)].name,
                  VAS(&igraph.graph, "label", v));
    }
    Capacities expected;
    for (igraph_integer_t e = 0; e < igraph_ecount(&igraph.graph); ++e) {
        expected[{static_cast<int>(IGRAPH_FROM(&igraph.graph, e)),
                  static_cast<int>(IGRAPH_TO(&igraph.graph, e))}] +=
            EAN(&igraph.graph, "capacity", e);
    }
    EXPECT_EQ(capacities_of(network), expected);
    EXPECT_EQ(network.vertices[1].position->x, 87.0);  // from its graphics, which igraph skips
}

TEST(NetworkReaders, ReadTheDimacsExampleWithIgraphsMaximumFlow) {
    const std::string text = example("pipeline.max");
    const ImportedNetwork network = read_ok(NetworkFormat::dimacs, text);
    ASSERT_EQ(network.demands.size(), 1u);
    IgraphReading igraph(text);
    igraph_integer_t source = 0;
    igraph_integer_t target = 0;
    igraph_vector_t capacity;
    igraph_vector_init(&capacity, 0);
    igraph.read =
        igraph_read_graph_dimacs_flow(&igraph.graph, igraph.stream_, nullptr, nullptr, &source,
                                      &target, &capacity, true) == IGRAPH_SUCCESS;
    ASSERT_TRUE(igraph.read);
    EXPECT_EQ(network.demands[0].source, source);
    EXPECT_EQ(network.demands[0].target, target);
    EXPECT_EQ(network.demands[0].value, 1.0);
    igraph_real_t expected = 0.0;
    igraph_maxflow_value(&igraph.graph, &expected, source, target, &capacity, nullptr);

    // The same maximum flow on the network as read here.
    igraph_t graph;
    igraph_vector_int_t ends;
    igraph_vector_int_init(&ends, 0);
    igraph_vector_t capacities;
    igraph_vector_init(&capacities, 0);
    for (const ImportedEdge& e : network.edges) {
        igraph_vector_int_push_back(&ends, e.tail);
        igraph_vector_int_push_back(&ends, e.head);
        igraph_vector_push_back(&capacities, e.capacity);
    }
    igraph_create(&graph, &ends, static_cast<igraph_integer_t>(network.vertices.size()), true);
    igraph_real_t found = 0.0;
    igraph_maxflow_value(&graph, &found, network.demands[0].source, network.demands[0].target,
                         &capacities, nullptr);
    EXPECT_EQ(found, expected);
    EXPECT_EQ(found, 17.0);
    igraph_destroy(&graph);
    igraph_vector_destroy(&capacities);
    igraph_vector_int_destroy(&ends);
    igraph_vector_destroy(&capacity);
}

TEST(NetworkReaders, TellTheLanguageByContent) {
    const std::pair<std::string, NetworkFormat> cases[] = {
        {example("backbone.txt"), NetworkFormat::sndlib},
        {example("campus.graphml"), NetworkFormat::graphml},
        {example("ring_road.gml"), NetworkFormat::gml},
        {example("pipeline.max"), NetworkFormat::dimacs},
        {example("bottleneck.gr"), NetworkFormat::gr},
        {"\xEF\xBB\xBF  <!-- first -->\n<graphml/>", NetworkFormat::graphml},
        {"# comment\nVersion 1 Creator \"x\" graph\n[ ]", NetworkFormat::gml},
        {"node [ id 1 ]\ngraph [ ]", NetworkFormat::gr},
        {"c = 1;\n0 -> 1;", NetworkFormat::gr},
        {"c\n\nc flow\np max 2 0", NetworkFormat::dimacs},
        {"", NetworkFormat::gr},
    };
    for (const auto& [text, format] : cases) {
        EXPECT_EQ(format_name(detect_format(text)), format_name(format)) << text.substr(0, 40);
    }
    for (const char* name : {"gr", "sndlib", "graphml", "gml", "dimacs"}) {
        EXPECT_EQ(format_name(*format_from_name(name)), name);
    }
    EXPECT_FALSE(format_from_name("xml"));
}

}  // namespace
