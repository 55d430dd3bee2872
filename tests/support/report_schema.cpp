#include "tests/support/report_schema.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

using nlohmann::json;

namespace {

std::set<std::string> keys_of(const json& object) {
    std::set<std::string> keys;
    for (const auto& item : object.items()) {
        keys.insert(item.key());
    }
    return keys;
}

bool is_vertex(const json& v, int n) {
    return v.is_number_integer() && v.get<int>() >= 0 && v.get<int>() < n;
}

// A number or null, as its own key says.
void expect_number_or_null(const json& value, bool null, const char* key) {
    if (null) {
        EXPECT_TRUE(value.is_null()) << key;
    } else {
        EXPECT_TRUE(value.is_number()) << key;
    }
}

}  // namespace

void expect_report_schema(const json& report) {
    ASSERT_TRUE(report.is_object());
    // The certificate comes only with --certificate, its time with it; the
    // window saves it as null, with "certificate_pending", while it is
    // still being computed.
    const bool pending = report.contains("certificate_pending");
    const bool certified = report.contains("certificate") && !pending;
    std::set<std::string> keys{"schema_version", "format", "vertices", "directed", "names", "sizes",
                               "positions", "edges", "demand_set", "commodities", "maxflow",
                               "lp_status", "lp_status_code", "lp_status_text", "reached_optimum",
                               "mincut", "cut", "cut_crossing_capacity",
                               "cut_separated_demand", "cut_coordinate", "flows",
                               "timings", "solver"};
    if (pending) {
        keys.insert({"certificate", "certificate_pending"});
        EXPECT_TRUE(report["certificate"].is_null());
        EXPECT_EQ(report["certificate_pending"], true);
    }
    if (certified) {
        keys.insert("certificate");
        const json& certificate = report["certificate"];
        EXPECT_EQ(keys_of(certificate), (std::set<std::string>{"lower_bound", "best_cut",
                                                               "proved_optimal", "gap", "solver"}));
        EXPECT_TRUE(certificate["solver"] == "lp_solve" || certificate["solver"] == "clp");
        EXPECT_EQ(keys_of(certificate["best_cut"]),
                  (std::set<std::string>{"members", "ratio", "method"}));
        EXPECT_TRUE(certificate["proved_optimal"].is_boolean());
        EXPECT_TRUE(certificate["best_cut"]["members"].is_array());
        for (const char* key : {"lower_bound", "gap"}) {
            EXPECT_TRUE(certificate[key].is_number() || certificate[key].is_null()) << key;
        }
    }
    EXPECT_EQ(keys_of(report), keys);
    EXPECT_EQ(report["schema_version"], 3);
    EXPECT_TRUE(report["solver"] == "lp_solve" || report["solver"] == "clp");
    ASSERT_TRUE(report["vertices"].is_number_integer());
    const int n = report["vertices"];
    EXPECT_TRUE(report["directed"].is_boolean());
    const bool directed = report["directed"];

    for (const char* key : {"names", "sizes", "positions"}) {
        ASSERT_TRUE(report[key].is_array()) << key;
        EXPECT_EQ(report[key].size(), static_cast<std::size_t>(n)) << key;
    }
    for (const json& name : report["names"]) {
        EXPECT_TRUE(name.is_string());
    }
    for (const json& size : report["sizes"]) {
        EXPECT_TRUE(size.is_number());
    }
    for (const json& p : report["positions"]) {
        ASSERT_TRUE(p.is_array() && p.size() == 3) << p;
        EXPECT_TRUE(p[0].is_number() && p[1].is_number() && p[2].is_number()) << p;
    }
    for (const json& e : report["edges"]) {
        ASSERT_TRUE(e.is_array() && e.size() == 3) << e;
        EXPECT_TRUE(is_vertex(e[0], n) && is_vertex(e[1], n) && e[0] != e[1]) << e;
        EXPECT_TRUE(e[2].is_number() && e[2].get<double>() >= 0.0) << e;
        if (!directed) {
            EXPECT_LT(e[0].get<int>(), e[1].get<int>()) << e;
        }
    }

    const std::set<std::string> formats{"gr", "sndlib", "graphml", "gml", "dimacs"};
    EXPECT_TRUE(report["format"].is_string() && formats.count(report["format"]) == 1);
    const std::set<std::string> kinds{"default", "file", "all-pairs", "network"};
    ASSERT_TRUE(report["demand_set"].is_string() && kinds.count(report["demand_set"]) == 1);
    const bool default_set = report["demand_set"] == "default";
    ASSERT_TRUE(report["commodities"].is_array());
    std::set<int> sources;
    for (std::size_t w = 0; w < report["commodities"].size(); ++w) {
        const json& c = report["commodities"][w];
        EXPECT_EQ(keys_of(c), (std::set<std::string>{"source", "sink", "demand", "present"}));
        if (!default_set) {
            EXPECT_TRUE(is_vertex(c["source"], n) && is_vertex(c["sink"], n) &&
                        c["source"] != c["sink"] && c["present"] == true)
                << c;
            EXPECT_GT(c["demand"].get<double>(), 0.0) << c;
            sources.insert(c["source"].get<int>());
        }
    }
    if (default_set) {
        ASSERT_EQ(report["commodities"].size(), 3u);
        const double demands[3] = {250, 200, 225};
        for (int w = 0; w < 3; ++w) {
            const json& c = report["commodities"][w];
            EXPECT_EQ(c["source"], 2 * w);
            EXPECT_EQ(c["sink"], 2 * w + 1);
            EXPECT_EQ(c["demand"], demands[w]);
            EXPECT_EQ(c["present"], 2 * w + 1 < n);
        }
    }

    EXPECT_TRUE(report["maxflow"].is_number());
    EXPECT_TRUE(report["lp_status"].is_string());
    EXPECT_TRUE(report["lp_status_code"].is_number_integer());
    EXPECT_TRUE(report["lp_status_text"].is_string());
    EXPECT_FALSE(report["lp_status_text"].get<std::string>().empty());
    EXPECT_TRUE(report["reached_optimum"].is_boolean());

    const bool no_cut = report["mincut"].is_null();
    expect_number_or_null(report["mincut"], no_cut, "mincut");
    expect_number_or_null(report["cut_crossing_capacity"], no_cut, "cut_crossing_capacity");
    expect_number_or_null(report["cut_separated_demand"], no_cut, "cut_separated_demand");
    ASSERT_TRUE(report["cut"].is_array());
    EXPECT_EQ(report["cut"].empty(), no_cut);
    for (const json& v : report["cut"]) {
        EXPECT_TRUE(is_vertex(v, n)) << v;
    }
    const std::vector<int> cut = report["cut"];
    EXPECT_TRUE(std::is_sorted(cut.begin(), cut.end()));
    if (!no_cut) {
        const double ratio = report["mincut"];
        const double crossing = report["cut_crossing_capacity"];
        const double separated = report["cut_separated_demand"];
        EXPECT_GT(separated, 0.0);
        EXPECT_NEAR(crossing / separated, ratio, 1e-9 * (1.0 + std::fabs(ratio)));
        EXPECT_TRUE(report["cut_coordinate"].is_number_integer());
    } else if (!report["cut_coordinate"].is_null()) {
        EXPECT_GE(report["cut_coordinate"].get<int>(), 0);
    }

    // The default set's flows by commodity, another's by source.
    ASSERT_TRUE(report["flows"].is_array());
    ASSERT_EQ(report["flows"].size(), default_set ? 3u : sources.size());
    for (const json& listed : report["flows"]) {
        const json* list = &listed;
        if (!default_set) {
            ASSERT_TRUE(listed.is_array() && listed.size() == 2) << listed;
            EXPECT_EQ(sources.count(listed[0].get<int>()), 1u) << listed[0];
            list = &listed[1];
        }
        ASSERT_TRUE(list->is_array());
        for (const json& f : *list) {
            ASSERT_TRUE(f.is_array() && f.size() == 3) << f;
            EXPECT_TRUE(is_vertex(f[0], n) && is_vertex(f[1], n)) << f;
            EXPECT_GE(std::fabs(f[2].get<double>()), 1e-9) << f;
        }
    }

    const json& timings = report["timings"];
    ASSERT_TRUE(timings.is_object());
    std::set<std::string> timing_keys{"parse_s",     "lp_build_s",  "lp_solve_s", "embedding_s",
                                      "cut_s",       "placement_s", "total_s"};
    if (certified) {
        timing_keys.insert("certificate_s");
    }
    EXPECT_EQ(keys_of(timings), timing_keys);
    double sum = 0.0;
    for (const auto& item : timings.items()) {
        EXPECT_TRUE(item.value().is_number() && item.value().get<double>() >= 0.0) << item.key();
        // The certificate follows the load: total_s leaves it out.
        if (item.key() != "total_s" && item.key() != "certificate_s") {
            sum += item.value().get<double>();
        }
    }
    EXPECT_GE(timings["total_s"].get<double>() + 1e-9, sum);
}
