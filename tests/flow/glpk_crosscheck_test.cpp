// Solves the same concurrent-flow problems with GLPK, formulated on arcs
// rather than on vertex pairs, and compares λ.
#include <glpk.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "builder/network_builder.h"
#include "flow/flow_lp.h"
#include "generator/random_graph.h"
#include "graph/demand_set.h"
#include "netformat/network_readers.h"
#include "tests/support/flow_certificate.h"
#include "tests/support/graph_fixtures.h"
#include "tests/support/test_stage.h"

namespace {

struct GlpkArc {
    int tail;
    int head;
    double capacity;
};

// Every directed edge is one arc; an undirected edge is two opposite arcs of
// the same capacity.
std::vector<GlpkArc> arcs_of(const Graph& g) {
    std::vector<GlpkArc> arcs;
    const int n = g.vertex_count();
    for (int u = 0; u < n; ++u) {
        for (int v = 0; v < n; ++v) {
            const auto& row = g.matrix()[u];
            if (row[v].present) {
                arcs.push_back({u, v, row[v].capacity});
                if (!g.directed()) {
                    arcs.push_back({v, u, row[v].capacity});
                }
            }
        }
    }
    return arcs;
}

// max λ such that each present commodity routes λ × demand on the arcs of a
// graph of n vertices, sharing capacities: one flow per commodity (not per
// source, as the program under test has it).
double glpk_concurrent_flow(int n, const std::vector<GlpkArc>& arcs, const DemandSet& demands) {
    const int m = static_cast<int>(arcs.size());
    const int k = demands.size();

    glp_prob* lp = glp_create_prob();
    glp_set_obj_dir(lp, GLP_MAX);
    // Columns: f[w][a] = 1 + w * m + a, then λ.
    const int lambda = k * m + 1;
    glp_add_cols(lp, lambda);
    for (int c = 1; c <= lambda; ++c) {
        glp_set_col_bnds(lp, c, GLP_LO, 0.0, 0.0);
    }
    glp_set_obj_coef(lp, lambda, 1.0);

    std::vector<int> ia(1), ja(1);
    std::vector<double> ar(1);
    auto entry = [&](int row, int column, double value) {
        ia.push_back(row);
        ja.push_back(column);
        ar.push_back(value);
    };
    for (int a = 0; a < m; ++a) {
        const int row = glp_add_rows(lp, 1);
        glp_set_row_bnds(lp, row, GLP_UP, 0.0, arcs[a].capacity);
        for (int w = 0; w < k; ++w) {
            entry(row, 1 + w * m + a, 1.0);
        }
    }
    for (int w = 0; w < k; ++w) {
        const Commodity& c = demands.commodity(w);
        if (!c.present) {
            for (int a = 0; a < m; ++a) {
                glp_set_col_bnds(lp, 1 + w * m + a, GLP_FX, 0.0, 0.0);
            }
            continue;
        }
        for (int v = 0; v < n; ++v) {
            if (v == c.source) {
                continue;
            }
            const int row = glp_add_rows(lp, 1);
            // Net inflow: 0 at transit vertices, at least λ × demand at the sink.
            if (v == c.sink) {
                glp_set_row_bnds(lp, row, GLP_LO, 0.0, 0.0);
                entry(row, lambda, -c.demand);
            } else {
                glp_set_row_bnds(lp, row, GLP_FX, 0.0, 0.0);
            }
            for (int a = 0; a < m; ++a) {
                if (arcs[a].head == v) {
                    entry(row, 1 + w * m + a, 1.0);
                }
                if (arcs[a].tail == v) {
                    entry(row, 1 + w * m + a, -1.0);
                }
            }
        }
    }
    glp_load_matrix(lp, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
    // GLPK's tolerances are absolute too; scaling its matrix is its own
    // remedy, which keeps this solve independent of ours.
    glp_scale_prob(lp, GLP_SF_AUTO);
    glp_smcp parameters;
    glp_init_smcp(&parameters);
    parameters.msg_lev = GLP_MSG_OFF;
    const int error = glp_simplex(lp, &parameters);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(glp_get_status(lp), GLP_OPT);
    const double value = glp_get_obj_val(lp);
    glp_delete_prob(lp);
    return value;
}

double glpk_concurrent_flow(const Graph& g, const DemandSet& demands) {
    return glpk_concurrent_flow(g.vertex_count(), arcs_of(g), demands);
}

// Solves `g` with `demands` with lp_solve and checks that it reached an
// optimum, that its λ is GLPK's to `relative` (relative), and that its flows
// are feasible.
void expect_agrees_with_glpk(const Graph& g, const DemandSet& demands, double relative = 1e-6) {
    TestStage stage;
    const FlowResult result = solve_flow_lp(g.arcs(), demands, stage.context());
    const double expected = glpk_concurrent_flow(g, demands);
    EXPECT_TRUE(result.reached_optimum) << result.solve.name();
    EXPECT_NEAR(result.maxflow, expected, relative * std::max(1e-300, std::abs(expected)));
    EXPECT_TRUE(is_feasible_flow(g, demands, result, 1e-6 * std::max(1.0, expected)));
}

void expect_agrees_with_glpk(const Graph& g) {
    expect_agrees_with_glpk(g, DemandSet::default_set(g.vertex_count()));
}

// A graph as Varnock writes it: `edges` two-way edges "u <-> v" of a directed
// graph, endpoints and capacities drawn as it draws them (the capacities up
// to `maximum`, written with six significant digits), the first of repeated
// pairs kept as the load keeps it.
Graph varnock_graph(int n, int edges, float maximum, std::uint32_t seed) {
    std::mt19937 engine(seed);
    auto draw = [&] { return static_cast<int>(engine() >> 17); };
    std::set<std::pair<int, int>> seen;
    std::vector<TestEdge> list;
    for (int e = 0; e < edges; ++e) {
        const int u = draw_endpoint(draw(), static_cast<float>(n));
        const int v = draw_endpoint(draw(), static_cast<float>(n));
        const float cap = std::stof(capacity_text(draw_capacity(draw(), maximum)));
        for (const auto& arc : {std::make_pair(u, v), std::make_pair(v, u)}) {
            if (seen.insert(arc).second) {
                list.push_back({arc.first, arc.second, cap});
            }
        }
    }
    return make_graph(n, list, true);
}

// The arcs of a corpus file made only of "u -> v [cap = c];" lines after its
// "directed = 1;" header.
Graph read_arc_file(const std::string& name, int n) {
    std::ifstream in(std::string(QUILLMERE_SOURCE_DIR) + "/tests/corpus/files/" + name);
    std::string line;
    std::getline(in, line);
    std::vector<TestEdge> list;
    int u = 0;
    int v = 0;
    float cap = 0.0f;
    while (std::getline(in, line)) {
        if (std::sscanf(line.c_str(), "%d -> %d [cap = %f];", &u, &v, &cap) == 3) {
            list.push_back({u, v, cap});
        }
    }
    return make_graph(n, list, true);
}

}  // namespace

TEST(GlpkCrossCheck, MaxflowAgreesOnRandomGraphs) {
    for (int trial = 0; trial < 30; ++trial) {
        const int n = trial < 4 ? 2 + trial : 6 + trial % 15;
        const bool directed = trial % 2 == 0;
        const int edges = (trial % 3 + 2) * n;
        SCOPED_TRACE(::testing::Message() << "trial " << trial << ": n = " << n
                                          << (directed ? " directed" : " undirected"));
        expect_agrees_with_glpk(random_graph(n, edges, directed, 4000 + trial));
    }
}

TEST(GlpkCrossCheck, MaxflowAgreesOnCompleteGraphs) {
    // Complete graphs are the most degenerate programs: equal capacities tie
    // every route, and most capacity rows stay slack.
    for (const int n : {12, 35}) {
        for (const bool directed : {true, false}) {
            for (const float cap : {0.1f, 10.0f, 0.0f}) {
                SCOPED_TRACE(::testing::Message()
                             << "n = " << n << (directed ? " directed" : " undirected") << ", cap "
                             << cap);
                expect_agrees_with_glpk(complete_graph(n, directed, cap, 5000 + n));
            }
        }
    }
}

TEST(GlpkCrossCheck, MaxflowAgreesOnLargerRandomGraphs) {
    for (const int n : {60, 150, 300}) {
        for (const bool directed : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "n = " << n << (directed ? " directed" : " undirected"));
            expect_agrees_with_glpk(random_graph(n, 4 * n, directed, 4100 + n));
        }
    }
}

TEST(GlpkCrossCheck, MaxflowAgreesWithHugeCapacities) {
    // Capacities of 1e10 and more made lp_solve end inaccurate, and the load
    // printed maxflow = 0 as a result.
    {
        SCOPED_TRACE("five two-way edges of 1e10");
        expect_agrees_with_glpk(make_graph(6,
                                           {{0, 5, 1e10f}, {5, 0, 1e10f}, {5, 3, 1e10f},
                                            {3, 5, 1e10f}, {2, 3, 1e10f}, {3, 2, 1e10f},
                                            {1, 2, 1e10f}, {2, 1, 1e10f}, {4, 5, 1e10f},
                                            {5, 4, 1e10f}},
                                           true));
    }
    {
        SCOPED_TRACE("complete directed graph on 12 vertices, capacities from 1e-45 to 3e38");
        const Graph g = read_arc_file("complete_12_caps_1e-45_to_3e38.gr", 12);
        ASSERT_EQ(arcs_of(g).size(), 12u * 11u);
        expect_agrees_with_glpk(g);
    }
    for (const float maximum : {1e10f, 1e15f, 1e30f}) {
        for (std::uint32_t seed = 0; seed < 10; ++seed) {
            const int n = 8 + 3 * static_cast<int>(seed);
            SCOPED_TRACE(::testing::Message() << "Varnock graph up to " << maximum << ", seed " << seed);
            expect_agrees_with_glpk(varnock_graph(n, 3 * n, maximum, seed));
        }
    }
}

TEST(GlpkCrossCheck, MaxflowAgreesWithRandomDemandSets) {
    // k from 1 to 40 commodities, sources shared among them, on directed and
    // undirected random graphs: λ within 1e-7 relative.
    for (int trial = 0; trial < 24; ++trial) {
        const int n = 5 + trial % 12;
        const bool directed = trial % 2 == 0;
        const int k = 1 + (trial * 17) % 40;
        SCOPED_TRACE(::testing::Message() << "trial " << trial << ": n = " << n << ", k = " << k
                                          << (directed ? " directed" : " undirected"));
        expect_agrees_with_glpk(random_graph(n, 3 * n, directed, 4600 + trial),
                                random_demands(n, k, 4700 + trial), 1e-7);
    }
}

// Each example network, solved as a load builds it, against GLPK on the
// network exactly as read (double capacities, its own demands or the
// default set).
TEST(GlpkCrossCheck, MaxflowAgreesOnTheNetworkExamples) {
    for (const char* name :
         {"backbone.txt", "regional.txt", "campus.graphml", "ring_road.gml", "pipeline.max"}) {
        SCOPED_TRACE(name);
        std::ifstream file(std::string(QUILLMERE_SOURCE_DIR) + "/examples/" + name);
        const std::string text((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
        const Expected<ImportedNetwork, ImportError> network =
            read_network(detect_format(text), text);
        ASSERT_TRUE(network);
        const int n = static_cast<int>(network->vertices.size());
        std::vector<GlpkArc> arcs;
        for (const ImportedEdge& e : network->edges) {
            arcs.push_back({e.tail, e.head, e.capacity});
            if (!network->directed) {
                arcs.push_back({e.head, e.tail, e.capacity});
            }
        }
        std::vector<Commodity> own;
        for (const ImportedDemand& d : network->demands) {
            own.push_back({d.source, d.target, d.value, true});
        }
        const DemandSet demands = own.empty() ? DemandSet::default_set(n)
                                              : DemandSet(DemandKind::network, "", n, own);
        const double expected = glpk_concurrent_flow(n, arcs, demands);

        const Expected<BuiltGraph, std::string> built = build_network_graph(*network);
        ASSERT_TRUE(built);
        TestStage stage;
        const FlowResult result = solve_flow_lp(built->graph.arcs(), demands, stage.context());
        EXPECT_TRUE(result.reached_optimum);
        EXPECT_NEAR(result.maxflow, expected, 1e-7 * expected);
    }
}
