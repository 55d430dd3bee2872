#include "shell/load_graph.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "builder/graph_builder.h"
#include "shell/load_messages.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_stage.h"

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
const std::string read_error = "Erreur de lecture du fichier";
const std::string heading = "** Erreur de lecture du fichier .gr:\n";
const std::string bottleneck = std::string(QUILLMERE_SOURCE_DIR) + "/examples/bottleneck.gr";

class LoadGraphTest : public ::testing::Test {
  protected:
    LoadOutcome load(const std::string& path) {
        return load_graph_file(path, stage_.context(), reporter_, state_);
    }

    // Loads a valid file so that a graph is current before the case under test.
    void load_previous() {
        ASSERT_EQ(load(scratch_.write("previous.gr", "0 -> 1;")), LoadOutcome::loaded);
        previous_ = state_.graph();
        previous_positions_ = state_.display_positions;
        reporter_.titles.clear();
    }

    // The end state of every failure after the file was opened: one error
    // box, no current graph, the display positions as they were and no new
    // title.
    void expect_failure(LoadOutcome outcome, LoadOutcome expected, const std::string& text) {
        EXPECT_EQ(outcome, expected);
        ASSERT_EQ(reporter_.errors.size(), 1u);
        EXPECT_EQ(reporter_.errors[0].caption, read_error);
        EXPECT_EQ(reporter_.errors[0].text, text);
        EXPECT_FALSE(state_.current.has_value());
        EXPECT_EQ(state_.display_positions, previous_positions_);
        EXPECT_TRUE(reporter_.titles.empty());
    }

    ScratchDir scratch_{"quillmere-load"};
    TestStage stage_{7};
    FakeReporter reporter_;
    LoadedGraph state_;
    const Graph* previous_ = nullptr;
    std::vector<Vector3> previous_positions_;
};

}  // namespace

TEST(TextModeNewlines, OnlyCrLfPairsBecomeLineFeeds) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\r\nb\r\n", "a\nb\n"}, {"a\rb", "a\rb"},     {"a\r", "a\r"},
        {"\r\r\n", "\r\n"},       {"\n\r", "\n\r"},     {"", ""},
        {"\r\n\r\n", "\n\n"},     {"a\n\r\nb", "a\n\nb"},
    };
    for (const auto& [raw, text] : cases) {
        EXPECT_EQ(text_mode_newlines(raw), text) << testing::PrintToString(raw);
    }
}

TEST_F(LoadGraphTest, SuccessFramesTheStagesWithItsOwnLinesAndSetsTheTitle) {
    ASSERT_EQ(load(bottleneck), LoadOutcome::loaded);
    EXPECT_TRUE(reporter_.errors.empty());
    EXPECT_EQ(reporter_.titles, std::vector<std::string>{"Quillmere - [" + bottleneck + "]"});

    // The stages' own lines come between the read's timer and the placement's.
    const std::string& text = stage_.text();
    const std::string closing =
        "** TIMER : Places aléatoires générées -> 0 s.\n\n"
        "**\n"
        "** Le graphe \"" +
        bottleneck +
        "\" a été chargé avec succès.\n"
        "**\n";
    EXPECT_EQ(text.rfind(separators + read_timer, 0), 0u);
    ASSERT_GE(text.size(), closing.size());
    EXPECT_EQ(text.substr(text.size() - closing.size()), closing);

    ASSERT_NE(state_.graph(), nullptr);
    ASSERT_NE(state_.result(), nullptr);
    EXPECT_EQ(state_.graph()->vertex_count(), 6);
    // Positions: vertex 1 keeps its given place, the others are drawn.
    ASSERT_EQ(state_.display_positions.size(), 6u);
    EXPECT_EQ(state_.display_positions[1], Vector3(10.0f, 0.0f, 0.0f));
    EXPECT_FALSE(state_.display_positions[0] == Vector3());
}

TEST_F(LoadGraphTest, ASecondLoadReplacesTheFirst) {
    load_previous();
    const std::string path = scratch_.write("ring.gr", "0 <-> 1, 2 [cap = 3];");
    ASSERT_EQ(load(path), LoadOutcome::loaded);
    EXPECT_EQ(state_.graph()->vertex_count(), 3);
    EXPECT_EQ(state_.display_positions.size(), 3u);
    EXPECT_EQ(reporter_.titles, std::vector<std::string>{"Quillmere - [" + path + "]"});
    // The console holds the second load only.
    EXPECT_EQ(stage_.text().rfind(separators, 0), 0u);
    EXPECT_EQ(stage_.text().find(separators, separators.size()), std::string::npos);
}

// The graph on show stays, and so does its console, which gains one line
// naming the file and the reason, as the box does.
TEST_F(LoadGraphTest, FileThatCannotBeOpenedKeepsThePreviousGraphAndItsConsole) {
    load_previous();
    ASSERT_EQ(mkfifo(scratch_.path("pipe.gr").c_str(), 0600), 0);
    const std::pair<std::string, std::string> rows[] = {
        {scratch_.path("missing.gr").string(), "fichier introuvable"},
        {scratch_.dir().string(), "c'est un dossier"},
        {scratch_.path("pipe.gr").string(),
         "ce n'est pas un fichier ordinaire (tube, périphérique ou socket)"},
    };
    for (const auto& [path, reason] : rows) {
        reporter_.errors.clear();
        const std::string console = stage_.text();
        EXPECT_EQ(load(path), LoadOutcome::cannot_open) << path;
        ASSERT_EQ(reporter_.errors.size(), 1u);
        EXPECT_EQ(reporter_.errors[0].caption, "Erreur d'ouverture");
        EXPECT_EQ(reporter_.errors[0].text,
                  "Impossible d'ouvrir le .gr « " + path + " » : " + reason + ".");
        EXPECT_EQ(state_.graph(), previous_);
        EXPECT_EQ(state_.display_positions, previous_positions_);
        EXPECT_TRUE(reporter_.titles.empty());
        EXPECT_EQ(stage_.text(),
                  console + "** Erreur d'ouverture : " + path + " : " + reason + "\n");
    }
}

TEST_F(LoadGraphTest, FailuresAfterTheFileIsOpenedNameTheirReasonAndLeaveNoGraph) {
    // 0, 1, …, 120: the complete graph on them has 121 × 120 arcs.
    std::string complete_list = "0";
    for (int v = 1; v <= 120; ++v) {
        complete_list += "," + std::to_string(v);
    }
    struct Case {
        std::string content;
        LoadOutcome outcome;
        // The box's text; after the heading for all but the invalid text.
        std::string text;
    };
    const LoadOutcome unknown = LoadOutcome::unknown_option;
    const LoadOutcome refused = LoadOutcome::refused;
    const std::vector<Case> cases = {
        {"0 -> 1", LoadOutcome::invalid_text,
         "Fichier .gr invalide\nligne 1, colonne 7 : « ; », « , » ou « [ » attendu au lieu de la "
         "fin du texte"},
        {"0 -> 1 [weight = 2];", unknown, "EdgeOption \"weight\" non reconnue."},
        {"foo = 1;", unknown, "GlobalOption \"foo\" non reconnue."},
        {"0 : A [SIZE = 1];", unknown, "NodeOption \"SIZE\" non reconnue."},
        {"0 <- -3;", refused,
         "Le numéro de sommet -3 est négatif ; les sommets sont numérotés à partir de 0."},
        {"3000000000 : a;", refused,
         "Le numéro de sommet 3000000000 est trop grand (le plus grand numéro possible est "
         "2147483647)."},
        {"0 : A [size = grand];", refused,
         "L'option \"size\" du sommet 0 vaut \"grand\", qui n'est pas un nombre."},
        {"directed = oui;", refused,
         "L'option globale \"directed\" vaut \"oui\", qui n'est pas un nombre entier."},
        {"2 : [y = 1e39];", refused, "L'option \"y\" du sommet 2 vaut \"1e39\", un nombre trop grand."},
        {"0 -> 1; 1 -> 2 [cap = 1e39];", refused,
         "L'option \"cap\" de l'instruction d'arêtes n° 2 vaut \"1e39\", un nombre trop grand."},
        {"0 -> 1 [cap = -2];", refused,
         "L'option \"cap\" de l'instruction d'arêtes n° 1 vaut \"-2\" ; une capacité ne peut pas "
         "être négative."},
        {"0 -> 99999999;", refused,
         "Le graphe a 100000000 sommets ; le maximum est de " + std::to_string(max_vertex_count) +
             " sommets."},
        {"directed = 1; " + complete_list + " -> " + complete_list + ";", refused,
         "Le graphe a 14520 arcs ; le maximum est de 14280 arcs (une arête non orientée compte "
         "pour deux)."},
    };
    load_previous();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content.substr(0, 40));
        reporter_.errors.clear();
        const bool parsed = c.outcome == refused;
        expect_failure(load(scratch_.write("failing.gr", c.content)), c.outcome,
                       parsed || c.outcome == unknown ? heading + c.text : c.text);
        // A description that parsed was read; nothing of the build was
        // logged; the console ends with the failure's line.
        EXPECT_EQ(stage_.text(), (parsed ? separators + read_timer : separators) +
                                     read_failure_line(reporter_.errors[0].text) + "\n");
    }
}

TEST_F(LoadGraphTest, ErrorsLateInTheLoadLeaveNoGraph) {
    load_previous();
    const std::string path = scratch_.write("late.gr", "0 -> 1, 2;");
    reporter_.title_error = [] { throw std::bad_alloc(); };
    expect_failure(load(path), LoadOutcome::build_failed,
                   heading + "Mémoire insuffisante pour construire le graphe.");

    reporter_.errors.clear();
    reporter_.title_error = [] { throw std::runtime_error("disque plein"); };
    expect_failure(load(path), LoadOutcome::build_failed,
                   heading + "Le graphe n'a pas pu être construit.\ndisque plein");
}

TEST_F(LoadGraphTest, ReadErrorAfterOpeningIsNotTakenForAnEmptyFile) {
    // Reading this file fails at once although it opens; a short text would
    // otherwise parse as an empty graph and be reported as loaded.
    load_previous();
    expect_failure(load("/proc/self/mem"), LoadOutcome::read_failed,
                   heading + "Le fichier n'a pas pu être lu jusqu'au bout.");
    EXPECT_EQ(stage_.text(), separators +
                                 "** Erreur de lecture du fichier .gr : Le fichier n'a pas pu être "
                                 "lu jusqu'au bout.\n");
}

namespace {

// Runs `body` in a forked child and waits at most `seconds` for it; true when
// it returned in time. A child still running then is killed, so a load that
// blocks fails the test instead of hanging it.
bool returns_within(int seconds, const std::function<void()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(0);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST_F(LoadGraphTest, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
    ASSERT_EQ(mkfifo(scratch_.path("pipe.gr").c_str(), 0600), 0);
    EXPECT_TRUE(returns_within(10, [&] {
        if (load(scratch_.path("pipe.gr").string()) != LoadOutcome::cannot_open) {
            _exit(1);
        }
    }));
}

TEST_F(LoadGraphTest, SwappingAFileForANamedPipeNeverBlocksTheOpen) {
    // One thread keeps putting a link to a regular file and one to a named
    // pipe in turn in the place of the path that the loads open: every load
    // must end, opened or not.
    const std::string path = scratch_.path("swapped.gr").string();
    const std::string regular = scratch_.write("regular.gr", "0 -> 1;");
    const std::string pipe = scratch_.path("pipe").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_TRUE(returns_within(60, [&] {
        std::atomic<bool> done = false;
        std::thread swapper([&] {
            while (!done) {
                for (const std::string* target : {&regular, &pipe}) {
                    symlink(target->c_str(), (path + ".new").c_str());
                    rename((path + ".new").c_str(), path.c_str());
                }
            }
        });
        // Two seconds of loads, and at least a few of each kind.
        int opened = 0;
        int refused = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < end || opened < 3 || refused < 3) {
            (load(path) == LoadOutcome::loaded ? opened : refused) += 1;
        }
        done = true;
        swapper.join();
    }));
}

// A demand file is opened as a graph file is: what is not a regular file,
// or holds more than max_file_bytes, is refused with the file's name; a bad
// line is refused before any load.
TEST_F(LoadGraphTest, DemandFilesAreOpenedSafelyAndCheckedBeforeTheLoad) {
    const std::string pipe = scratch_.path("pipe.dem").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string huge = scratch_.write("huge.dem", std::string(max_file_bytes + 1, '#'));
    const std::string bad = scratch_.write("bad.dem", "0 1 5\n0 1 zéro\n");
    const struct {
        std::string path;
        LoadOutcome outcome;
        std::string text;
    } cases[] = {
        {pipe, LoadOutcome::cannot_open,
         "Impossible d'ouvrir le fichier de demandes « " + pipe + " » : " +
             reason_not_regular_file + "."},
        {scratch_.path("").string(), LoadOutcome::cannot_open,
         "Impossible d'ouvrir le fichier de demandes « " + scratch_.path("").string() + " » : " +
             reason_directory + "."},
        {huge, LoadOutcome::refused,
         "Le fichier de demandes « " + huge +
             " » fait plus de 16777216 octets, la taille maximale."},
        {bad, LoadOutcome::invalid_demands,
         "Fichier de demandes invalide\n« " + bad +
             " », ligne 2, colonne 5 : demande « zéro » : ce n'est pas un nombre décimal positif"},
    };
    for (const auto& c : cases) {
        const Expected<DemandChoice, DemandFileFailure> read = read_demand_file(c.path);
        ASSERT_FALSE(read) << c.path;
        EXPECT_EQ(read.error().failure.outcome, c.outcome) << c.path;
        EXPECT_EQ(read.error().failure.message, c.text);
    }
    const Expected<DemandChoice, DemandFileFailure> good =
        read_demand_file(scratch_.write("good.dem", "0 1 5\r\n"));
    ASSERT_TRUE(good);
    EXPECT_EQ(good->kind, DemandChoice::Kind::file);
    EXPECT_EQ(good->text, "0 1 5\n");
}
