#include "shell/load_graph.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/random_source.h"
#include "flow/flow_result.h"
#include "graph/graph_builder.h"
#include "shell/console_log.h"

namespace fs = std::filesystem;

namespace {

struct ErrorBox {
    std::string caption;
    std::string text;
};

class FakeReporter : public LoadReporter {
  public:
    void show_error(const std::string& caption, const std::string& text) override {
        errors.push_back({caption, text});
    }
    void set_title(const std::string& t) override {
        if (title_error) {
            title_error();
        }
        titles.push_back(t);
    }

    // Thrown from set_title, the last step that can fail, to stand for an
    // error late in the load.
    std::function<void()> title_error;

    std::vector<ErrorBox> errors;
    std::vector<std::string> titles;
};

const std::string separators =
    "================================\n"
    "================================\n";
const std::string read_timer = "** TIMER : Fichier .gr lu avec succès -> 0 s.\n\n";
const std::string heading = "** Erreur de lecture du fichier .gr:\n";

// A load with a clock that never moves, so every timer line reads "0 s.".
class LoadGraphTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("quillmere-load-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        seed_random(7);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& content) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    LoadOutcome load(const std::string& path, bool verbose = false) {
        return load_graph_file(path, log_, verbose, reporter_, state_);
    }

    // Loads a valid file so that a graph is current before the case under test.
    void load_previous() {
        const std::string path = write("previous.gr", "0 -> 1;");
        ASSERT_EQ(load(path), LoadOutcome::loaded);
        previous_ = state_.current_graph.get();
        previous_positions_ = state_.display_positions;
        reporter_.titles.clear();
    }

    // The end state of every failure after the file was opened.
    void expect_failure(LoadOutcome outcome, LoadOutcome expected, const std::string& caption,
                        const std::string& text) {
        EXPECT_EQ(outcome, expected);
        ASSERT_EQ(reporter_.errors.size(), 1u);
        EXPECT_EQ(reporter_.errors[0].caption, caption);
        EXPECT_EQ(reporter_.errors[0].text, text);
        EXPECT_EQ(state_.current_graph, nullptr);
        EXPECT_EQ(state_.display_positions, previous_positions_);
        EXPECT_TRUE(reporter_.titles.empty());
    }

    fs::path dir_;
    StringSink sink_;
    ConsoleLog log_{sink_, [] { return std::int64_t{0}; }};
    FakeReporter reporter_;
    LoadedGraph state_;
    const Graph* previous_ = nullptr;
    std::vector<Vector3> previous_positions_;
};

}  // namespace

TEST_F(LoadGraphTest, SuccessWritesTheWholeConsoleAndSetsTheTitle) {
    const std::string path = std::string(QUILLMERE_SOURCE_DIR) + "/examples/bottleneck.gr";
    ASSERT_EQ(load(path), LoadOutcome::loaded);
    EXPECT_TRUE(reporter_.errors.empty());
    EXPECT_EQ(reporter_.titles, std::vector<std::string>{"Quillmere - [" + path + "]"});

    const std::string& text = sink_.text();
    const std::string flow_lines =
        "\n"
        "** TIMER : Problème LP formulé -> 0 s.\n\n"
        "** TIMER : Problème LP résolu -> 0 s.\n\n"
        "** TIMER : Plongement trouvé -> 0 s.\n\n"
        "** TIMER : MinCut trouvée -> 0 s.\n\n"
        "****************************\n"
        "maxflow = 0.2\n";
    const std::string closing =
        "** TIMER : Places aléatoires générées -> 0 s.\n\n"
        "**\n"
        "** Le graphe \"" +
        path +
        "\" a été chargé avec succès.\n"
        "**\n";
    EXPECT_EQ(text.substr(0, separators.size() + read_timer.size() + flow_lines.size()),
              separators + read_timer + flow_lines);
    ASSERT_GE(text.size(), closing.size());
    EXPECT_EQ(text.substr(text.size() - closing.size()), closing);

    const Graph& g = *state_.current_graph;
    EXPECT_EQ(g.vertex_count(), 6);
    EXPECT_TRUE(g.directed());
    EXPECT_EQ(g.sizes()[0], 3.0f);
    ASSERT_NE(g.result(), nullptr);
    EXPECT_NEAR(g.result()->maxflow, 0.2, 1e-9);
    // Positions: vertex 1 keeps its given place, the others are drawn.
    ASSERT_EQ(state_.display_positions.size(), 6u);
    EXPECT_EQ(state_.display_positions[1], Vector3(10.0f, 0.0f, 0.0f));
    EXPECT_FALSE(state_.display_positions[0] == Vector3());
}

TEST_F(LoadGraphTest, VerboseAddsTheListings) {
    const std::string path = std::string(QUILLMERE_SOURCE_DIR) + "/examples/bottleneck.gr";
    ASSERT_EQ(load(path, false), LoadOutcome::loaded);
    const std::string quiet = sink_.text();
    ASSERT_EQ(load(path, true), LoadOutcome::loaded);
    // The capacity lines come right after the read; the clear() of the second
    // load removed the first load's text.
    EXPECT_EQ(sink_.text().rfind(separators, 0), 0u);
    EXPECT_NE(sink_.text().find(separators + read_timer + "(0,0) = 0 ; (0,1) = 0 ;"),
              std::string::npos);
    EXPECT_GT(sink_.text().size(), quiet.size());
}

TEST_F(LoadGraphTest, ASecondLoadReplacesTheFirst) {
    load_previous();
    const std::string path = write("ring.gr", "0 <-> 1, 2 [cap = 3];");
    ASSERT_EQ(load(path), LoadOutcome::loaded);
    EXPECT_EQ(state_.current_graph->vertex_count(), 3);
    EXPECT_EQ(state_.display_positions.size(), 3u);
    EXPECT_EQ(reporter_.titles, std::vector<std::string>{"Quillmere - [" + path + "]"});
    EXPECT_EQ(sink_.text().rfind(separators, 0), 0u);
}

TEST_F(LoadGraphTest, CrLfLineEndsReadAsLineFeeds) {
    const std::string path = write("crlf.gr", "directed = 1;\r\n0 : A [size = 4];\r\n0 -> 1;");
    ASSERT_EQ(load(path), LoadOutcome::loaded);
    EXPECT_TRUE(state_.current_graph->directed());
    EXPECT_EQ(state_.current_graph->sizes()[0], 4.0f);
}

TEST_F(LoadGraphTest, FileThatCannotBeOpenedKeepsThePreviousGraph) {
    load_previous();
    for (const std::string& path : {(dir_ / "missing.gr").string(), dir_.string()}) {
        reporter_.errors.clear();
        EXPECT_EQ(load(path), LoadOutcome::cannot_open) << path;
        ASSERT_EQ(reporter_.errors.size(), 1u);
        EXPECT_EQ(reporter_.errors[0].caption, "Erreur d'ouverture");
        EXPECT_EQ(reporter_.errors[0].text, "Impossible d'ouvrir le .gr");
        EXPECT_EQ(state_.current_graph.get(), previous_);
        EXPECT_EQ(state_.display_positions, previous_positions_);
        EXPECT_TRUE(reporter_.titles.empty());
        EXPECT_EQ(sink_.text(), separators);
    }
}

TEST_F(LoadGraphTest, TextNotMatchedToItsEndLeavesNoGraph) {
    load_previous();
    // A line feed after the last statement is not accepted.
    const std::string path = write("newline.gr", "0 -> 1;\n");
    expect_failure(load(path), LoadOutcome::invalid_text, "Erreur de lecture du fichier",
                   "Fichier .gr invalide");
    EXPECT_EQ(sink_.text(), separators);
}

TEST_F(LoadGraphTest, UnknownOptionsNameTheirScope) {
    load_previous();
    const std::string path = write("edge.gr", "0 -> 1 [weight = 2];");
    expect_failure(load(path), LoadOutcome::unknown_option, "Erreur de lecture du fichier",
                   heading + "EdgeOption \"weight\" non reconnue.");
    EXPECT_EQ(sink_.text(), separators);

    reporter_.errors.clear();
    expect_failure(load(write("global.gr", "foo = 1;")), LoadOutcome::unknown_option,
                   "Erreur de lecture du fichier", heading + "GlobalOption \"foo\" non reconnue.");
    reporter_.errors.clear();
    expect_failure(load(write("node.gr", "0 : A [SIZE = 1];")), LoadOutcome::unknown_option,
                   "Erreur de lecture du fichier", heading + "NodeOption \"SIZE\" non reconnue.");
}

TEST_F(LoadGraphTest, RefusalsNameWhatIsWrong) {
    load_previous();
    // 0, 1, …, 120: the complete graph on them has 121 × 120 arcs.
    std::string complete_list = "0";
    for (int v = 1; v <= 120; ++v) {
        complete_list.push_back(',');
        complete_list += std::to_string(v);
    }
    struct Case {
        std::string content;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"0 <- -3;",
         "Le numéro de sommet -3 est négatif ; les sommets sont numérotés à partir de 0."},
        {"3000000000 : a;",
         "Le numéro de sommet 3000000000 est trop grand (le plus grand numéro possible est "
         "2147483647)."},
        {"0 : A [size = grand];",
         "L'option \"size\" du sommet 0 vaut \"grand\", qui n'est pas un nombre."},
        {"directed = oui;",
         "L'option globale \"directed\" vaut \"oui\", qui n'est pas un nombre entier."},
        {"2 : [y = 1e39];", "L'option \"y\" du sommet 2 vaut \"1e39\", un nombre trop grand."},
        {"0 -> 1; 1 -> 2 [cap = 1e39];",
         "L'option \"cap\" de l'instruction d'arêtes n° 2 vaut \"1e39\", un nombre trop grand."},
        {"directed = 1; " + complete_list + " -> " + complete_list + ";",
         "Le graphe a 14520 arcs ; le maximum est de 14280 arcs (une arête non orientée compte "
         "pour deux)."},
    };
    for (const Case& c : cases) {
        reporter_.errors.clear();
        expect_failure(load(write("refused.gr", c.content)), LoadOutcome::refused,
                       "Erreur de lecture du fichier", heading + c.reason);
        // The file was read; nothing of the build was logged.
        EXPECT_EQ(sink_.text(), separators + read_timer) << c.content;
    }
}

TEST_F(LoadGraphTest, HugeVertexNumberIsRefusedAtOnce) {
    load_previous();
    const auto start = std::chrono::steady_clock::now();
    const LoadOutcome outcome = load(write("huge.gr", "0 -> 99999999;"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    expect_failure(outcome, LoadOutcome::refused, "Erreur de lecture du fichier",
                   heading + "Le graphe a 100000000 sommets ; le maximum est de " +
                       std::to_string(max_vertex_count) + " sommets.");
}

TEST_F(LoadGraphTest, ErrorsLateInTheLoadLeaveNoGraph) {
    load_previous();
    const std::string path = write("late.gr", "0 -> 1, 2;");
    reporter_.title_error = [] { throw std::bad_alloc(); };
    expect_failure(load(path), LoadOutcome::build_failed, "Erreur de lecture du fichier",
                   heading + "Mémoire insuffisante pour construire le graphe.");

    reporter_.errors.clear();
    reporter_.title_error = [] { throw std::runtime_error("disque plein"); };
    expect_failure(load(path), LoadOutcome::build_failed, "Erreur de lecture du fichier",
                   heading + "Le graphe n'a pas pu être construit.\ndisque plein");
}

TEST_F(LoadGraphTest, ReadErrorAfterOpeningIsNotTakenForAnEmptyFile) {
    // Reading this file fails at once although it opens; a short text would
    // otherwise parse as an empty graph and be reported as loaded.
    load_previous();
    expect_failure(load("/proc/self/mem"), LoadOutcome::read_failed, "Erreur de lecture du fichier",
                   heading + "Le fichier n'a pas pu être lu jusqu'au bout.");
    EXPECT_EQ(sink_.text(), separators);
}
