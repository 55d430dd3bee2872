// Drives the varnock binary through its standard input, in a fresh directory
// per run, and checks its console output, its exit status and the file it
// leaves behind.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"
#include "tests/support/text_lines.h"

namespace fs = std::filesystem;

namespace {

// Runs varnock in `scratch` with `input` as its standard input; gives up
// after 20 s so that a program waiting forever fails the test.
RunResult run_varnock(const ScratchDir& scratch, const std::string& input) {
    return scratch.run(VARNOCK_PATH, "", input, 20);
}

const std::string prompts = "Nombre de sommets : Nombre d'arêtes : Capacité maximale : ";
const std::string generating = "Graphe aléatoire en cours de génération...\n";
const std::string closing = "\nEntrée pour quitter...\n";

struct Edge {
    int u = 0;
    int v = 0;
    std::string cap;
};

// Splits a generated file into its edges, checking the header and the line
// format; a capacity must consist of the language's value characters.
std::vector<Edge> parse_generated(const std::string& text) {
    const std::string header = "directed = 1; \n\n";
    EXPECT_EQ(text.substr(0, header.size()), header);
    std::vector<Edge> edges;
    const std::regex line(R"(^(\d+) <-> (\d+) \[cap = ([A-Za-z0-9_.\-]+)\];$)");
    const auto lines = lines_of(text.substr(header.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0) {
            EXPECT_EQ(lines[i], "");
            continue;
        }
        std::smatch m;
        if (!std::regex_match(lines[i], m, line)) {
            ADD_FAILURE() << "bad edge line: " << lines[i];
            continue;
        }
        edges.push_back({std::stoi(m[1]), std::stoi(m[2]), m[3]});
    }
    EXPECT_EQ(text.substr(text.size() - 2), "];");
    return edges;
}

float as_float(const std::string& text) {
    float value = -1.0f;
    std::istringstream(text) >> value;
    return value;
}

}  // namespace

TEST(VarnockProgram, WritesTheRequestedGraphAndEchoesEveryEdge) {
    ScratchDir scratch("varnock-test");
    const auto outcome = run_varnock(scratch, "10\n25\n5\n\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    ASSERT_EQ(scratch.entries(), std::vector<std::string>{"random_10n_25a.gr"});

    const auto edges = parse_generated(read_file(scratch.dir() / "random_10n_25a.gr"));
    ASSERT_EQ(edges.size(), 25u);

    // The console: prompts, the notice, one echo per edge in file order, the wait.
    ASSERT_EQ(outcome.out.substr(0, prompts.size() + generating.size()), prompts + generating);
    ASSERT_GE(outcome.out.size(), closing.size());
    EXPECT_EQ(outcome.out.substr(outcome.out.size() - closing.size()), closing);
    const std::string middle = outcome.out.substr(
        prompts.size() + generating.size(),
        outcome.out.size() - prompts.size() - generating.size() - closing.size());
    const auto echoes = lines_of(middle);
    ASSERT_EQ(echoes.size(), edges.size());
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const Edge& e = edges[i];
        EXPECT_GE(e.u, 0);
        EXPECT_LE(e.u, 9);
        EXPECT_GE(e.v, 0);
        EXPECT_LE(e.v, 9);
        const float cap = as_float(e.cap);
        EXPECT_GE(cap, 0.0f);
        EXPECT_LE(cap, 5.0f);
        EXPECT_EQ(echoes[i],
                  std::to_string(e.u) + " <-> " + std::to_string(e.v) + ", cap = " + e.cap);
    }
}

TEST(VarnockProgram, LargeCapacitiesAreWrittenWithoutPlusExponents) {
    ScratchDir scratch("varnock-test");
    const auto outcome = run_varnock(scratch, "4\n60\n3e9\n\n");
    EXPECT_EQ(outcome.status, 0);
    const std::string text = read_file(scratch.dir() / "random_4n_60a.gr");
    EXPECT_EQ(text.find('+'), std::string::npos);
    const auto edges = parse_generated(text);
    ASSERT_EQ(edges.size(), 60u);
    for (const Edge& e : edges) {
        EXPECT_LE(e.u, 3);
        EXPECT_LE(e.v, 3);
        EXPECT_LE(as_float(e.cap), 3e9f);
    }
    // The echo keeps the stream's general format.
    EXPECT_NE(outcome.out.find("e+09\n"), std::string::npos);
}

TEST(VarnockProgram, NoEdgesWritesTheBareHeader) {
    ScratchDir scratch("varnock-test");
    const auto outcome = run_varnock(scratch, "10\n0\n5\n\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(read_file(scratch.dir() / "random_10n_0a.gr"), "directed = 1;");
    EXPECT_EQ(outcome.out, prompts + generating + closing);
}

TEST(VarnockProgram, ReplacesAnEarlierFileOfTheSameName) {
    ScratchDir scratch("varnock-test");
    std::ofstream(scratch.dir() / "random_3n_0a.gr") << "old content that is much longer";
    EXPECT_EQ(run_varnock(scratch, "3\n0\n1\n\n").status, 0);
    EXPECT_EQ(read_file(scratch.dir() / "random_3n_0a.gr"), "directed = 1;");
}

TEST(VarnockProgram, EndOfInputAtTheFinalWaitEndsNormally) {
    for (const std::string input : {"6\n3\n2\n", "6\n3\n2", "6\n3\n2   trailing words\n"}) {
        ScratchDir scratch("varnock-test");
        const auto outcome = run_varnock(scratch, input);
        EXPECT_EQ(outcome.status, 0) << input;
        EXPECT_EQ(outcome.err, "") << input;
        EXPECT_EQ(parse_generated(read_file(scratch.dir() / "random_6n_3a.gr")).size(), 3u);
    }
}

TEST(VarnockProgram, RefusesBadAnswersWithoutWritingAFile) {
    const std::vector<std::string> inputs = {
        "",                // no answer at all
        "abc\n5\n5\n",     // vertex count not a number
        "0\n5\n5\n",       // no vertex
        "-4\n5\n5\n",      // negative vertex count
        "99999999999\n",   // beyond the int range
        "2001\n5\n5\n",    // more vertices than the viewer accepts
        "10\n",            // input ends before the edge count
        "10\n-1\n5\n",     // negative edge count
        "10\nxyz\n5\n",    // edge count not a number
        "10\n5\n",         // input ends before the capacity
        "10\n5\n-0.5\n",   // negative capacity
        "10\n5\nabc\n",    // capacity not a number
        "10\n5\n1e39\n",   // infinite once in single precision
        "10\n5\n1e999\n",  // beyond the double range
    };
    for (const auto& input : inputs) {
        ScratchDir scratch("varnock-test");
        const auto outcome = run_varnock(scratch, input);
        EXPECT_EQ(outcome.status, 1) << input;
        EXPECT_NE(outcome.err.find("Erreur : "), std::string::npos) << input;
        EXPECT_TRUE(scratch.entries().empty()) << input;
        EXPECT_EQ(outcome.out.find(generating), std::string::npos) << input;
    }
}

TEST(VarnockProgram, RefusalMessagesNameTheAnswer) {
    ScratchDir scratch("varnock-test");
    EXPECT_EQ(run_varnock(scratch, "0\n").err,
              "Erreur : nombre de sommets invalide (un entier de 1 à 2000 est attendu).\n");
    EXPECT_EQ(run_varnock(scratch, "").err,
              "Erreur : l'entrée s'est terminée avant le nombre de sommets.\n");
    EXPECT_EQ(run_varnock(scratch, "3\n-2\n").err,
              "Erreur : nombre d'arêtes invalide (un entier de 0 à 7140 est attendu).\n");
    EXPECT_EQ(run_varnock(scratch, "3\n2\n-1\n").err,
              "Erreur : capacité maximale invalide (un nombre de 0 à 3.40282e+38 est "
              "attendu).\n");
}

TEST(VarnockProgram, FileThatCannotBeCreatedIsReported) {
    ScratchDir scratch("varnock-test");
    // A directory in the file's place cannot be opened for writing, even by root.
    fs::create_directory(scratch.dir() / "random_5n_4a.gr");
    const auto outcome = run_varnock(scratch, "5\n4\n2\n\n");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "Erreur : impossible de créer le fichier « random_5n_4a.gr ».\n");
    EXPECT_TRUE(fs::is_directory(scratch.dir() / "random_5n_4a.gr"));
    EXPECT_EQ(outcome.out.find(" <-> "), std::string::npos);
}

TEST(VarnockProgram, FailedWriteRemovesTheFile) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    ScratchDir scratch("varnock-test");
    // Writing through this link fails with "no space left on device".
    fs::create_symlink("/dev/full", scratch.dir() / "random_5n_2000a.gr");
    const auto outcome = run_varnock(scratch, "5\n2000\n2\n\n");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("Erreur : échec de l'écriture du fichier « random_5n_2000a.gr »"),
              std::string::npos);
    EXPECT_TRUE(scratch.entries().empty());
    EXPECT_EQ(outcome.out.find(closing), std::string::npos);
}

TEST(VarnockProgram, TwoRunsInTheSameSecondWriteTheSameFile) {
    // The seed is the time in seconds; retry when the runs straddle a second.
    for (int attempt = 0; attempt < 5; ++attempt) {
        ScratchDir first("varnock-test"), second("varnock-test");
        const std::time_t before = std::time(nullptr);
        run_varnock(first, "20\n40\n100\n\n");
        run_varnock(second, "20\n40\n100\n\n");
        if (std::time(nullptr) != before) {
            continue;
        }
        EXPECT_EQ(read_file(first.dir() / "random_20n_40a.gr"),
                  read_file(second.dir() / "random_20n_40a.gr"));
        return;
    }
    GTEST_SKIP() << "every attempt straddled a second";
}
