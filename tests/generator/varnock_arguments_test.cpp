// Drives the varnock binary through its command line, and through its
// dialogue for the answers that it now refuses.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

RunResult varnock(const ScratchDir& scratch, const std::string& args,
                  const std::string& input = "") {
    return scratch.run(VARNOCK_PATH, args, input, 20);
}

const std::string vertices_refused =
    "Erreur : nombre de sommets invalide (un entier de 1 à 2000 est attendu).\n";
const std::string edges_refused =
    "Erreur : nombre d'arêtes invalide (un entier de 0 à 7140 est attendu).\n";
const std::string capacity_refused =
    "Erreur : capacité maximale invalide (un nombre de 0 à 3.40282e+38 est attendu).\n";
const std::string usage_tail =
    "\nUtilisation : varnock [SOMMETS ARÊTES CAPACITÉ_MAX [--seed GRAINE] [--output FICHIER]]\n"
    "« varnock --help » décrit chaque option.\n";

}  // namespace

TEST(VarnockArguments, WritesTheFileWithoutAskingAndPrintsItsName) {
    ScratchDir scratch("varnock-args");
    const RunResult run = varnock(scratch, "40 120 50 --seed 7");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "random_40n_120a.gr\n");
    EXPECT_EQ(run.err, "");
    const std::string first = read_file(scratch.path("random_40n_120a.gr"));
    EXPECT_EQ(first.rfind("directed = 1; \n\n\n", 0), 0u);

    // The same seed gives the same bytes, under any name, and on standard
    // output; options go anywhere, with "=" or not.
    EXPECT_EQ(varnock(scratch, "--output=copy.gr 40 --seed=7 120 50").out, "copy.gr\n");
    EXPECT_EQ(read_file(scratch.path("copy.gr")), first);
    EXPECT_EQ(varnock(scratch, "40 120 50 --seed 7 --output -").out, first);
    EXPECT_NE(varnock(scratch, "40 120 50 --seed 8 --output -").out, first);
}

TEST(VarnockArguments, WritesTheDialoguesBytesForTheSameDraws) {
    // Both are seeded with the time in seconds; retry across a second.
    for (int attempt = 0; attempt < 5; ++attempt) {
        ScratchDir dialogue("varnock-args"), arguments("varnock-args");
        const std::time_t before = std::time(nullptr);
        varnock(dialogue, "", "20\n40\n100\n\n");
        varnock(arguments, "20 40 100");
        if (std::time(nullptr) != before) {
            continue;
        }
        EXPECT_EQ(read_file(arguments.path("random_20n_40a.gr")),
                  read_file(dialogue.path("random_20n_40a.gr")));
        return;
    }
    GTEST_SKIP() << "every attempt straddled a second";
}

TEST(VarnockArguments, EveryRefusalHasItsStatusAndMessage) {
    const struct {
        std::string args;
        std::string input;  // for the dialogue, when args is empty
        int status;
        std::string err;
    } cases[] = {
        {"0 10 5", "", 1, vertices_refused},
        {"2001 10 5", "", 1, vertices_refused},
        {"abc 10 5", "", 1, vertices_refused},
        {"10.5 10 5", "", 1, vertices_refused},
        {"10 -1 5", "", 1, edges_refused},
        {"10 7141 5", "", 1, edges_refused},
        {"10 5 -1", "", 1, capacity_refused},
        {"10 5 1,5", "", 1, capacity_refused},
        {"10 5 1e-400", "", 1, capacity_refused},
        {"10 5 1e39", "", 1, capacity_refused},
        {"10 5 nan", "", 1, capacity_refused},
        {"", "10\n5\n1,5\n", 1, capacity_refused},
        {"", "10\n5\n1e-400\n", 1, capacity_refused},
        {"", "10,5\n5\n5\n", 1, vertices_refused},
        {"10 5", "", 2,
         "varnock : trois valeurs sont attendues (sommets, arêtes, capacité maximale), pas 2" +
             usage_tail},
        {"10 5 1 2", "", 2,
         "varnock : trois valeurs sont attendues (sommets, arêtes, capacité maximale), pas 4" +
             usage_tail},
        {"--frob 10 5 1", "", 2, "varnock : option inconnue « --frob »" + usage_tail},
        {"10 5 1 --seed", "", 2, "varnock : l'option --seed attend une valeur" + usage_tail},
        {"10 5 1 --seed -1", "", 2,
         "varnock : l'option --seed attend un entier de 0 à 4294967295, pas « -1 »" + usage_tail},
        {"10 5 1 --output=", "", 2,
         "varnock : l'option --output attend un nom de fichier" + usage_tail},
        {"10 5 1 --output no-such-dir/g.gr", "", 1,
         "Erreur : impossible de créer le fichier « no-such-dir/g.gr ».\n"},
    };
    for (const auto& c : cases) {
        ScratchDir scratch("varnock-args");
        const RunResult run = varnock(scratch, c.args, c.input);
        EXPECT_EQ(run.status, c.status) << c.args << c.input;
        EXPECT_EQ(run.err, c.err) << c.args << c.input;
        if (!c.args.empty()) {
            EXPECT_EQ(run.out, "") << c.args;
        }
        EXPECT_TRUE(scratch.entries().empty()) << c.args << c.input;
    }
}

TEST(VarnockArguments, HelpAndVersion) {
    ScratchDir scratch("varnock-args");
    const RunResult help = varnock(scratch, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Utilisation : varnock [SOMMETS ARÊTES CAPACITÉ_MAX", 0), 0u);
    for (const char* item : {"--seed GRAINE", "--output FICHIER", "Statut de sortie", "Exemple"}) {
        EXPECT_NE(help.out.find(item), std::string::npos) << item;
    }
    EXPECT_EQ(varnock(scratch, "--version").out, "varnock " QUILLMERE_VERSION "\n");
}
