// Runs the tarvessa-batch binary on files in a scratch directory and checks
// its exit status, its two streams and the numbers of its JSON report.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "tests/support/flow_certificate.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const std::string batch_path = std::string(QUILLMERE_BINARY_DIR) + "/batch/tarvessa-batch";
const std::string examples = std::string(QUILLMERE_SOURCE_DIR) + "/examples/";
const std::string separators =
    "================================\n"
    "================================\n";

// tarvessa-batch with `args` (quoted where needed), run in `scratch`.
RunResult batch(const ScratchDir& scratch, const std::string& args) {
    return scratch.run(batch_path, args);
}

// The flows of a report, checked as the solver's own tests check them.
::testing::AssertionResult is_feasible_report(const json& report) {
    const ReportedFlow reported = reported_flow(report);
    return is_feasible_flow(reported.graph, reported.result);
}

// tarvessa-batch-headless with `args`, run in `scratch`.
RunResult headless(const ScratchDir& scratch, const std::string& args) {
    return scratch.run(std::string(QUILLMERE_BINARY_DIR) + "/batch/tarvessa-batch-headless", args);
}

}  // namespace

TEST(TarvessaBatch, BottleneckReportHoldsTheFlowAndTheCut) {
    ScratchDir scratch("tarvessa-batch");
    const RunResult run = batch(scratch, "--seed 3 --json '" + examples + "bottleneck.gr'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind(separators, 0), 0u);
    EXPECT_NE(run.out.find("maxflow = 0.2\n"), std::string::npos);
    EXPECT_NE(run.out.find("a été chargé avec succès.\n**\n{"), std::string::npos);

    const json report = run.report();
    EXPECT_EQ(report["vertices"], 6);
    EXPECT_EQ(report["directed"], true);
    EXPECT_EQ(report["edges"].size(), 7u);
    EXPECT_EQ(report["edges"].back(), json::array({5, 1, 50.0}));
    EXPECT_EQ(report["sizes"], json::array({3.0, 3.0, 2.0, 2.0, 2.0, 2.0}));
    ASSERT_EQ(report["positions"].size(), 6u);
    EXPECT_EQ(report["positions"][1], json::array({10.0, 0.0, 0.0}));
    EXPECT_EQ(report["lp_status"], "OPTIMAL");
    EXPECT_NEAR(report["maxflow"].get<double>(), 0.2, 1e-9);
    ASSERT_TRUE(report["mincut"].is_number());
    EXPECT_LE(report["maxflow"].get<double>(), report["mincut"].get<double>() + 1e-9);
    const std::vector<int> cut = report["cut"];
    EXPECT_TRUE(std::is_sorted(cut.begin(), cut.end()));
    EXPECT_EQ(report["flows"].size(), 3u);
    EXPECT_TRUE(is_feasible_report(report));

    std::vector<std::string> labels;
    for (const auto& t : report["timings"]) {
        labels.push_back(t[0]);
        EXPECT_GE(t[1].get<double>(), 0.0);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"Fichier .gr lu avec succès", "Problème LP formulé",
                                                "Problème LP résolu", "Plongement trouvé",
                                                "MinCut trouvée", "Places aléatoires générées"}));
}

TEST(TarvessaBatch, UndirectedGraphAndVerboseListings) {
    ScratchDir scratch("tarvessa-batch");
    const RunResult run = batch(scratch, "--verbose --json '" + examples + "ring.gr'");
    ASSERT_EQ(run.status, 0) << run.err;
    // The capacity lines come first, then the flow listing and the table.
    EXPECT_NE(run.out.find("(0,0) = 0 ; (0,1) = 100 ; "), std::string::npos);
    EXPECT_NE(run.out.find("x_{0,1}^0 = "), std::string::npos);
    EXPECT_NE(run.out.find("** Plongement (ligne : coordonnées, colonne : sommets) **"),
              std::string::npos);
    const json report = run.report();
    EXPECT_EQ(report["directed"], false);
    EXPECT_EQ(report["vertices"], 8);
    // Undirected edges are stored once, from the smaller end.
    for (const auto& e : report["edges"]) {
        EXPECT_LT(e[0].get<int>(), e[1].get<int>());
    }
    EXPECT_GT(report["maxflow"].get<double>(), 0.0);
    ASSERT_TRUE(report["mincut"].is_number());
    EXPECT_LE(report["maxflow"].get<double>(), report["mincut"].get<double>() + 1e-9);
    EXPECT_TRUE(is_feasible_report(report));
}

TEST(TarvessaBatch, SameSeedGivesTheSameRun) {
    ScratchDir scratch("tarvessa-batch");
    json first = batch(scratch, "--seed 42 --json '" + examples + "ring.gr'").report();
    json second = batch(scratch, "--json --seed 42 '" + examples + "ring.gr'").report();
    first.erase("timings");
    second.erase("timings");
    EXPECT_EQ(first, second);
    json other = batch(scratch, "--seed 43 --json '" + examples + "ring.gr'").report();
    EXPECT_NE(first["positions"], other["positions"]);
}

TEST(TarvessaBatch, BadCommandLineShowsTheUsageWithStatusTwoAndHelpPrintsIt) {
    // Which command lines are bad is the option parser's test; here what the
    // program does with one.
    ScratchDir scratch("tarvessa-batch");
    const RunResult bad = batch(scratch, "--seed abc x.gr");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, std::string("tarvessa-batch: bad seed: abc\n") + batch_usage);
    const RunResult help = batch(scratch, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, batch_usage);
}

TEST(TarvessaBatch, HeadlessBuildRunsTheSameLoadButWritesNoPicture) {
    ScratchDir scratch("tarvessa-batch");
    const std::string args = "--seed 3 --json '" + examples + "ring.gr'";
    const RunResult full = batch(scratch, args);
    const RunResult bare = headless(scratch, args);
    ASSERT_EQ(full.status, 0) << full.err;
    ASSERT_EQ(bare.status, 0) << bare.err;
    json full_report = full.report();
    json bare_report = bare.report();
    full_report.erase("timings");
    bare_report.erase("timings");
    EXPECT_EQ(bare_report, full_report);

    // The graph loads and its console and report are printed, then the
    // picture is refused.
    const RunResult picture = headless(scratch, "--json --png out.png '" + examples + "ring.gr'");
    EXPECT_EQ(picture.status, 3);
    EXPECT_EQ(picture.err, "tarvessa-batch: this build of tarvessa-batch writes no pictures\n");
    EXPECT_EQ(picture.report()["vertices"], 8);
    EXPECT_FALSE(fs::exists(scratch.path("out.png")));
}

TEST(TarvessaBatch, LoadsAFileWrittenByVarnock) {
    const std::string varnock = std::string(QUILLMERE_BINARY_DIR) + "/generator/varnock";
    if (!fs::exists(varnock)) {
        GTEST_SKIP() << "varnock is not built";
    }
    ScratchDir scratch("tarvessa-batch");
    const RunResult generated = scratch.run(varnock, "", "12\n40\n100\n\n");
    ASSERT_EQ(generated.status, 0) << generated.err;
    ASSERT_TRUE(fs::exists(scratch.dir() / "random_12n_40a.gr"));

    const RunResult run = batch(scratch, "--seed 5 --json random_12n_40a.gr");
    ASSERT_EQ(run.status, 0) << run.err;
    const json report = run.report();
    EXPECT_EQ(report["directed"], true);
    EXPECT_LE(report["vertices"].get<int>(), 12);
    // "<->" stores both directions of every drawn pair that is not a loop.
    for (const auto& e : report["edges"]) {
        EXPECT_NE(e[0], e[1]);
        EXPECT_GE(e[2].get<double>(), 0.0);
        EXPECT_LE(e[2].get<double>(), 100.0);
    }
    EXPECT_EQ(report["edges"].size() % 2, 0u);
    EXPECT_TRUE(is_feasible_report(report));
}
