// Drives the varnock binary through its standard input, in a fresh directory
// per run, and checks its console output, its exit status and the file it
// leaves behind.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A scratch directory: the program runs in `run`, its streams live beside it.
class Scratch {
  public:
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "varnock-test-XXXXXX").string();
        base_ = mkdtemp(pattern.data());
        fs::create_directory(run_dir());
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(base_, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    fs::path run_dir() const { return base_ / "run"; }

    struct Outcome {
        int status = -1;
        std::string out;
        std::string err;
    };

    // Runs the program with `input` as its standard input; gives up after a
    // while so that a program waiting forever fails the test.
    Outcome run(const std::string& input) const {
        std::ofstream(base_ / "in", std::ios::binary) << input;
        const std::string command = "cd '" + run_dir().string() + "' && timeout 20 '" +
                                    VARNOCK_PATH + "' < '" + (base_ / "in").string() + "' > '" +
                                    (base_ / "out").string() + "' 2> '" + (base_ / "err").string() +
                                    "'";
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = read_file(base_ / "out");
        outcome.err = read_file(base_ / "err");
        return outcome;
    }

    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(run_dir())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

  private:
    fs::path base_;
};

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
    const auto lines = split_lines(text.substr(header.size()));
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
    Scratch scratch;
    const auto outcome = scratch.run("10\n25\n5\n\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    ASSERT_EQ(scratch.entries(), std::vector<std::string>{"random_10n_25a.gr"});

    const auto edges = parse_generated(read_file(scratch.run_dir() / "random_10n_25a.gr"));
    ASSERT_EQ(edges.size(), 25u);

    // The console: prompts, the notice, one echo per edge in file order, the wait.
    ASSERT_EQ(outcome.out.substr(0, prompts.size() + generating.size()), prompts + generating);
    ASSERT_GE(outcome.out.size(), closing.size());
    EXPECT_EQ(outcome.out.substr(outcome.out.size() - closing.size()), closing);
    const std::string middle = outcome.out.substr(
        prompts.size() + generating.size(),
        outcome.out.size() - prompts.size() - generating.size() - closing.size());
    const auto echoes = split_lines(middle);
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
    Scratch scratch;
    const auto outcome = scratch.run("4\n60\n3e9\n\n");
    EXPECT_EQ(outcome.status, 0);
    const std::string text = read_file(scratch.run_dir() / "random_4n_60a.gr");
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
    Scratch scratch;
    const auto outcome = scratch.run("10\n0\n5\n\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(read_file(scratch.run_dir() / "random_10n_0a.gr"), "directed = 1;");
    EXPECT_EQ(outcome.out, prompts + generating + closing);
}

TEST(VarnockProgram, ReplacesAnEarlierFileOfTheSameName) {
    Scratch scratch;
    std::ofstream(scratch.run_dir() / "random_3n_0a.gr") << "old content that is much longer";
    EXPECT_EQ(scratch.run("3\n0\n1\n\n").status, 0);
    EXPECT_EQ(read_file(scratch.run_dir() / "random_3n_0a.gr"), "directed = 1;");
}

TEST(VarnockProgram, EndOfInputAtTheFinalWaitEndsNormally) {
    for (const std::string input : {"6\n3\n2\n", "6\n3\n2", "6\n3\n2   trailing words\n"}) {
        Scratch scratch;
        const auto outcome = scratch.run(input);
        EXPECT_EQ(outcome.status, 0) << input;
        EXPECT_EQ(outcome.err, "") << input;
        EXPECT_EQ(parse_generated(read_file(scratch.run_dir() / "random_6n_3a.gr")).size(), 3u);
    }
}

TEST(VarnockProgram, RefusesBadAnswersWithoutWritingAFile) {
    const std::vector<std::string> inputs = {
        "",                // no answer at all
        "abc\n5\n5\n",     // vertex count not a number
        "0\n5\n5\n",       // no vertex
        "-4\n5\n5\n",      // negative vertex count
        "99999999999\n",   // beyond the int range
        "501\n5\n5\n",     // more vertices than the viewer accepts
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
        Scratch scratch;
        const auto outcome = scratch.run(input);
        EXPECT_EQ(outcome.status, 1) << input;
        EXPECT_NE(outcome.err.find("Erreur : "), std::string::npos) << input;
        EXPECT_TRUE(scratch.entries().empty()) << input;
        EXPECT_EQ(outcome.out.find(generating), std::string::npos) << input;
    }
}

TEST(VarnockProgram, RefusalMessagesNameTheAnswer) {
    Scratch scratch;
    EXPECT_EQ(scratch.run("0\n").err,
              "Erreur : nombre de sommets invalide (un entier de 1 à 500 est attendu).\n");
    EXPECT_EQ(scratch.run("").err,
              "Erreur : l'entrée s'est terminée avant le nombre de sommets.\n");
    EXPECT_EQ(scratch.run("3\n-2\n").err,
              "Erreur : nombre d'arêtes invalide (un entier de 0 à 7140 est attendu).\n");
    EXPECT_EQ(scratch.run("3\n2\n-1\n").err,
              "Erreur : capacité maximale invalide (un nombre de 0 à 3.40282e+38 est "
              "attendu).\n");
}

TEST(VarnockProgram, FileThatCannotBeCreatedIsReported) {
    Scratch scratch;
    // A directory in the file's place cannot be opened for writing, even by root.
    fs::create_directory(scratch.run_dir() / "random_5n_4a.gr");
    const auto outcome = scratch.run("5\n4\n2\n\n");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "Erreur : impossible de créer le fichier « random_5n_4a.gr ».\n");
    EXPECT_TRUE(fs::is_directory(scratch.run_dir() / "random_5n_4a.gr"));
    EXPECT_EQ(outcome.out.find(" <-> "), std::string::npos);
}

TEST(VarnockProgram, FailedWriteRemovesTheFile) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    Scratch scratch;
    // Writing through this link fails with "no space left on device".
    fs::create_symlink("/dev/full", scratch.run_dir() / "random_5n_2000a.gr");
    const auto outcome = scratch.run("5\n2000\n2\n\n");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("Erreur : échec de l'écriture du fichier « random_5n_2000a.gr »"),
              std::string::npos);
    EXPECT_TRUE(scratch.entries().empty());
    EXPECT_EQ(outcome.out.find(closing), std::string::npos);
}

TEST(VarnockProgram, TwoRunsInTheSameSecondWriteTheSameFile) {
    // The seed is the time in seconds; retry when the runs straddle a second.
    for (int attempt = 0; attempt < 5; ++attempt) {
        Scratch first, second;
        const std::time_t before = std::time(nullptr);
        first.run("20\n40\n100\n\n");
        second.run("20\n40\n100\n\n");
        if (std::time(nullptr) != before) {
            continue;
        }
        EXPECT_EQ(read_file(first.run_dir() / "random_20n_40a.gr"),
                  read_file(second.run_dir() / "random_20n_40a.gr"));
        return;
    }
    GTEST_SKIP() << "every attempt straddled a second";
}
