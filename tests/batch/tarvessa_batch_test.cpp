// Runs the tarvessa-batch binary on files in a scratch directory and checks
// its exit status, its two streams and the numbers of its JSON report.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/flow_certificate.h"
#include "tests/support/report_schema.h"
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
    return is_feasible_flow(reported.graph, reported.demands, reported.result);
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
    // The console goes to standard error, the report alone to standard output.
    EXPECT_EQ(run.err.rfind(separators, 0), 0u);
    EXPECT_NE(run.err.find("maxflow = 0.2\n"), std::string::npos);
    EXPECT_EQ(run.out.front(), '{');

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

    EXPECT_EQ(report["names"], json::parse(R"(["Source_0", "Puits_0", "", "", "", ""])"));
    EXPECT_EQ(report["reached_optimum"], true);
    EXPECT_EQ(report["lp_status_text"], "solution optimale");
}

TEST(TarvessaBatch, ReportOfEveryExampleFollowsTheSchema) {
    ScratchDir scratch("tarvessa-batch");
    for (const char* name : {"bottleneck.gr", "grid.gr", "ring.gr", "random_12n_40a.gr"}) {
        SCOPED_TRACE(name);
        const RunResult run =
            batch(scratch, "--seed 1 --json --quiet '" + examples + name + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        expect_report_schema(json::parse(run.out));
    }
    // An empty graph and one without a cut fill the same keys.
    scratch.write("empty.gr", "");
    scratch.write("two.gr", "0 -> 1;");
    for (const char* name : {"empty.gr", "two.gr"}) {
        SCOPED_TRACE(name);
        expect_report_schema(json::parse(batch(scratch, std::string("--json --quiet ") + name).out));
    }
}

TEST(TarvessaBatch, UndirectedGraphAndVerboseListings) {
    ScratchDir scratch("tarvessa-batch");
    const RunResult run = batch(scratch, "--verbose --json '" + examples + "ring.gr'");
    ASSERT_EQ(run.status, 0) << run.err;
    // The capacity lines come first, then the flow listing and the table.
    EXPECT_NE(run.err.find("(0,0) = 0 ; (0,1) = 100 ; "), std::string::npos);
    EXPECT_NE(run.err.find("x_{0,1}^0 = "), std::string::npos);
    EXPECT_NE(run.err.find("** Plongement (ligne : coordonnées, colonne : sommets) **"),
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

TEST(TarvessaBatch, FailuresGoToStandardErrorWithStatusOne) {
    ScratchDir scratch("tarvessa-batch");
    RunResult run = batch(scratch, "missing.gr");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "** Erreur d'ouverture : missing.gr : fichier introuvable\n");
    EXPECT_EQ(
        run.err,
        "Erreur d'ouverture\nImpossible d'ouvrir le .gr « missing.gr » : fichier introuvable.\n");

    // Every other refusal has its line in the bad-input corpus.
    scratch.write("huge.gr", "0 -> 99999999;");
    const auto start = std::chrono::steady_clock::now();
    run = batch(scratch, "--json huge.gr");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Le graphe a 100000000 sommets"), std::string::npos);
    // No report after a failure.
    EXPECT_EQ(run.out.find('{'), std::string::npos);
}

TEST(TarvessaBatch, EveryRefusalHasItsStatusStreamAndMessage) {
    ScratchDir scratch("tarvessa-batch");
    scratch.write("ok.gr", "0 -> 1;");
    scratch.write("bad.gr", "0 -> 1");
    const std::string usage_tail =
        "\nUtilisation : tarvessa-batch [OPTION]... FICHIER\n"
        "« tarvessa-batch --help » décrit chaque option.\n";
    const struct {
        std::string args;
        int status;
        // The whole of standard error; standard output is empty.
        std::string err;
    } cases[] = {
        {"", 2, "tarvessa-batch : aucun fichier à charger" + usage_tail},
        {"--frobnicate ok.gr", 2, "tarvessa-batch : option inconnue « --frobnicate »" + usage_tail},
        {"--seed=x ok.gr", 2,
         "tarvessa-batch : l'option --seed attend un entier de 0 à 4294967295, pas « x »" +
             usage_tail},
        {"--png out.svg ok.gr", 2,
         "tarvessa-batch : le nom de l'image doit se terminer par « .png » : « out.svg »" +
             usage_tail},
        {"--png a.png --camera=side ok.gr", 2,
         "tarvessa-batch : l'option --camera attend fit ou start, pas « side »" + usage_tail},
        {"--layout force ok.gr", 2,
         "tarvessa-batch : l'option --layout va avec --png" + usage_tail},
        {"--json --quiet missing.gr", 1,
         "Erreur d'ouverture\nImpossible d'ouvrir le .gr « missing.gr » : fichier introuvable.\n"},
        {"--json --quiet bad.gr", 1,
         "Erreur de lecture du fichier\nFichier .gr invalide\nligne 1, colonne 7 : « ; », « , » "
         "ou « [ » attendu au lieu de la fin du texte\n"},
    };
    for (const auto& c : cases) {
        const RunResult run = batch(scratch, c.args);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_EQ(run.out, "") << c.args;
        EXPECT_EQ(run.err, c.err) << c.args;
    }
    EXPECT_FALSE(fs::exists(scratch.path("out.svg")));
}

TEST(TarvessaBatch, HelpVersionAndStreams) {
    ScratchDir scratch("tarvessa-batch");
    const RunResult help = batch(scratch, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Utilisation : tarvessa-batch [OPTION]... FICHIER\n", 0), 0u);
    EXPECT_NE(help.out.find("--time-limit SECONDES"), std::string::npos);
    const RunResult version = batch(scratch, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "tarvessa-batch " QUILLMERE_VERSION "\n");

    // Without --json the console goes to standard output, with it to
    // standard error, with --quiet nowhere.
    scratch.write("ok.gr", "0 -> 1;");
    RunResult run = batch(scratch, "ok.gr");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind(separators, 0), 0u);
    EXPECT_EQ(run.err, "");
    run = batch(scratch, "--json ok.gr");
    EXPECT_EQ(run.err.rfind(separators, 0), 0u);
    EXPECT_TRUE(json::parse(run.out).is_object());
    run = batch(scratch, "--json --quiet ok.gr");
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(json::parse(run.out).is_object());
    EXPECT_EQ(batch(scratch, "--quiet ok.gr").out, "");
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
    const RunResult picture =
        headless(scratch, "--json --quiet --png out.png '" + examples + "ring.gr'");
    EXPECT_EQ(picture.status, 4);
    EXPECT_EQ(picture.err,
              "tarvessa-batch : image non écrite : cette version de tarvessa-batch ne dessine pas "
              "d'image (elle est construite sans OpenGL)\n");
    EXPECT_EQ(picture.report()["vertices"], 8);
    EXPECT_FALSE(fs::exists(scratch.path("out.png")));
}

TEST(TarvessaBatch, SameSeedGivesTheSamePicture) {
    ScratchDir scratch("tarvessa-batch");
    const std::string ring = " '" + examples + "ring.gr'";
    ASSERT_EQ(batch(scratch, "--quiet --seed 9 --png a.png" + ring).status, 0);
    ASSERT_EQ(batch(scratch, "--quiet --seed 9 --png b.png" + ring).status, 0);
    ASSERT_EQ(batch(scratch, "--quiet --seed 10 --png c.png" + ring).status, 0);
    const std::string first = read_file(scratch.path("a.png"));
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(read_file(scratch.path("b.png")), first);
    // Another seed places the vertices elsewhere.
    EXPECT_NE(read_file(scratch.path("c.png")), first);
}

TEST(TarvessaBatch, ReadsTheGraphFromStandardInput) {
    ScratchDir scratch("tarvessa-batch");
    const RunResult run = scratch.run(batch_path, "--seed 1 --json -", "0 -> 1 [cap = 3];");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("** Le graphe \"-\" a été chargé avec succès."), std::string::npos);
    EXPECT_EQ(json::parse(run.out)["edges"], json::parse("[[0, 1, 3.0]]"));
    // An empty input is an empty graph, as an empty file is.
    EXPECT_EQ(scratch.run(batch_path, "--quiet -", "").status, 0);
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

    // The same from its command line, and through a pipe.
    ASSERT_EQ(scratch.run(varnock, "40 120 50 --seed 7 --output x.gr").status, 0);
    EXPECT_EQ(batch(scratch, "--quiet x.gr").status, 0);
    const RunResult piped = scratch.run(
        "/bin/sh", "-c '\"$0\" 40 120 50 --seed 7 --output - | \"$1\" --json --quiet -' '" +
                       varnock + "' '" + batch_path + "'");
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(json::parse(piped.out)["vertices"].get<int>(), 40);
}

TEST(TarvessaBatch, CertificateOnlyWhenAskedProvesTheDumbbellsCut) {
    ScratchDir scratch("tarvessa-batch");
    const std::string file = " '" + examples + "dumbbell.gr'";
    const json plain = batch(scratch, "--seed 1 --json --quiet" + file).report();
    EXPECT_FALSE(plain.contains("certificate"));
    EXPECT_FALSE(plain["timings"].contains("certificate_s"));

    const RunResult run = batch(scratch, "--seed 1 --json --certificate" + file);
    ASSERT_EQ(run.status, 0) << run.err;
    const json report = run.report();
    expect_report_schema(report);
    // Nothing of it on the console (whose timer lines vary from run to run).
    const std::regex timer("-> [0-9.e+-]+ s\\.");
    EXPECT_EQ(std::regex_replace(run.err, timer, ""),
              std::regex_replace(batch(scratch, "--seed 1 --json" + file).err, timer, ""));
    const json& certificate = report["certificate"];
    const std::vector<int> members = certificate["best_cut"]["members"];
    EXPECT_TRUE(members == std::vector<int>({0, 2, 4, 6, 7, 8, 9, 10, 11, 12}) ||
                members == std::vector<int>({1, 3, 5, 13, 14, 15, 16, 17, 18, 19}))
        << certificate.dump();
    EXPECT_NEAR(certificate["best_cut"]["ratio"].get<double>(), 6.0 / 675.0, 1e-12);
    EXPECT_NEAR(certificate["lower_bound"].get<double>(), 6.0 / 675.0, 1e-9);
    EXPECT_EQ(certificate["proved_optimal"], true);
    EXPECT_NEAR(certificate["gap"].get<double>(), 1.0, 1e-7);
    const std::string method = certificate["best_cut"]["method"];
    EXPECT_TRUE(method == "sweep" || method == "ball" || method == "vertex") << method;
    EXPECT_GE(report["timings"]["certificate_s"].get<double>(), 0.0);

    // --cut best draws the certified cut, which the sweep misses here.
    EXPECT_NE(report["cut"], certificate["best_cut"]["members"]);
    const RunResult best = batch(scratch, "--seed 1 --json --png best.png --show-cut --cut best" + file);
    ASSERT_EQ(best.status, 0) << best.err;
    EXPECT_TRUE(best.report().contains("certificate"));
    ASSERT_EQ(batch(scratch, "--seed 1 --quiet --png sweep.png --show-cut" + file).status, 0);
    EXPECT_NE(read_file(scratch.path("best.png")), read_file(scratch.path("sweep.png")));
}

// The demands of a file, by names and numbers, through the whole load and
// the certificate; all pairs; and a file that names a vertex the graph
// lacks, which loads nothing.
TEST(TarvessaBatch, DemandsFromAFileOrAllPairs) {
    ScratchDir scratch("tarvessa-batch");
    const RunResult run = batch(scratch, "--seed 1 --json --certificate --demands '" + examples +
                                             "grid.dem' '" + examples + "grid.gr'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("\n** Demandes : 5 commodités (fichier " + examples +
                           "grid.dem), demande totale 308\n"),
              std::string::npos);
    const json report = run.report();
    expect_report_schema(report);
    EXPECT_EQ(report["demand_set"], "file");
    EXPECT_EQ(report["commodities"][0], json::parse(R"({"source": 0, "sink": 15, "demand": 150.0,
                                                        "present": true})"));
    EXPECT_EQ(report["flows"].size(), 4u);  // sources 0, 3, 6, 9
    EXPECT_TRUE(is_feasible_report(report));
    EXPECT_LE(report["maxflow"].get<double>(),
              report["certificate"]["lower_bound"].get<double>() * (1 + 1e-9));

    const RunResult pairs =
        batch(scratch, "--seed 1 --json --quiet --demands all-pairs '" + examples + "ring.gr'");
    ASSERT_EQ(pairs.status, 0) << pairs.err;
    const json all = pairs.report();
    expect_report_schema(all);
    EXPECT_EQ(all["demand_set"], "all-pairs");
    EXPECT_EQ(all["commodities"].size(), 8u * 7u / 2u);  // undirected: each pair once
    EXPECT_TRUE(is_feasible_report(all));

    scratch.write("far.dem", "0 1 5\n0 99 1\n");
    const RunResult refused = batch(scratch, "--quiet --demands far.dem '" + examples + "grid.gr'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err,
              "Erreur de lecture du fichier\nFichier de demandes invalide\n« far.dem », ligne 2, "
              "colonne 3 : le sommet « 99 » n'existe pas (le graphe a 16 sommets, de 0 à 15)\n");
}

// One load per language, by content or forced, from a file or from standard
// input: the format reported, λ and the commodities taken.
TEST(TarvessaBatch, ReadsEveryNetworkLanguage) {
    ScratchDir scratch("tarvessa-batch");
    struct Row {
        std::string args;
        std::string input;  // standard input
        const char* format;
        double lambda;
        const char* demand_set;
        std::size_t commodities;
    };
    const Row rows[] = {
        {"'" + examples + "backbone.txt'", "", "sndlib", 2.7450980392156863, "network", 11},
        {"'" + examples + "campus.graphml'", "", "graphml", 0.0488888888888889, "default", 3},
        {"'" + examples + "ring_road.gml'", "", "gml", 0.1, "default", 3},
        {"--format dimacs -", read_file(examples + "pipeline.max"), "dimacs", 17.0, "network", 1},
        {"-", read_file(examples + "backbone.txt"), "sndlib", 2.7450980392156863, "network", 11},
        {"--format gr '" + examples + "bottleneck.gr'", "", "gr", 0.2, "default", 3},
        {"--demands all-pairs '" + examples + "pipeline.max'", "", "dimacs", 0.0, "all-pairs",
         56},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args);
        const RunResult run =
            scratch.run(batch_path, "--seed 1 --json --quiet " + row.args, row.input);
        ASSERT_EQ(run.status, 0) << run.err;
        const json report = json::parse(run.out);
        expect_report_schema(report);
        EXPECT_EQ(report["format"], row.format);
        EXPECT_NEAR(report["maxflow"].get<double>(), row.lambda, 1e-9 * (1 + row.lambda));
        EXPECT_EQ(report["demand_set"], row.demand_set);
        EXPECT_EQ(report["commodities"].size(), row.commodities);
    }
    const RunResult forced = batch(scratch, "--format graphml '" + examples + "pipeline.max'");
    EXPECT_EQ(forced.status, 1);
    EXPECT_NE(forced.out.find("** Erreur de lecture du fichier GraphML : Fichier GraphML invalide"),
              std::string::npos);
    const RunResult bad = batch(scratch, "--format xml '" + examples + "pipeline.max'");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err.rfind("tarvessa-batch : l'option --format attend gr, sndlib, graphml, gml "
                            "ou dimacs, pas « xml »\nUtilisation",
                            0),
              0u);
}

// --solver clp gives lp_solve's λ and λ* on an example, says so on the
// console and in the report; auto keeps lp_solve there; a bad engine is a
// usage error.
TEST(TarvessaBatch, EitherEngineGivesTheSameLambda) {
    ScratchDir scratch("tarvessa-batch");
    const std::string file = " '" + examples + "dumbbell.gr'";
    const RunResult by_default = batch(scratch, "--seed 1 --json --certificate" + file);
    const RunResult clp = batch(scratch, "--seed 1 --json --certificate --solver clp" + file);
    ASSERT_EQ(clp.status, 0) << clp.err;
    const json reference = by_default.report();
    const json report = clp.report();
    expect_report_schema(report);
    EXPECT_EQ(reference["solver"], "lp_solve");
    EXPECT_EQ(by_default.err.find("Solveur"), std::string::npos);
    EXPECT_EQ(report["solver"], "clp");
    EXPECT_EQ(report["certificate"]["solver"], "clp");
    EXPECT_NE(clp.err.find("\n** Solveur : CLP\n"), std::string::npos);
    const auto lambda = [](const json& r) { return r["maxflow"].get<double>(); };
    const auto bound = [](const json& r) { return r["certificate"]["lower_bound"].get<double>(); };
    EXPECT_NEAR(lambda(report), lambda(reference), 1e-6 * lambda(reference));
    EXPECT_NEAR(bound(report), bound(reference), 1e-6 * bound(reference));
    EXPECT_TRUE(is_feasible_report(report));
    const RunResult bad = batch(scratch, "--solver glpk" + file);
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("l'option --solver attend auto, lp_solve ou clp, pas « glpk »"),
              std::string::npos);
}
