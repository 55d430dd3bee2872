// The command line of tarvessa-batch, read without running anything.

#include "batch/batch_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) {
        out.push_back(w);
    }
    return out;
}

}  // namespace

TEST(BatchOptions, BothValueSpellingsAndEveryOptionAreRead) {
    const Expected<BatchOptions> read = parse_batch_options(
        words("--seed=3 --json --certificate --quiet --verbose --time-limit 2.5 --png a.PNG --size=20x10 "
              "--flow --2d g.gr"));
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(read->seed, 3u);
    EXPECT_TRUE(read->json && read->certificate && read->quiet && read->verbose && read->png_flow &&
                read->png_2d);
    EXPECT_EQ(read->time_limit_seconds, 2.5);
    EXPECT_EQ(read->png_path, "a.PNG");
    EXPECT_EQ(read->png_width, 20);
    EXPECT_EQ(read->png_height, 10);
    EXPECT_EQ(read->path, "g.gr");
    EXPECT_FALSE(read->reads_standard_input());

    // Defaults, "-" for standard input, and "--" before a name with a dash.
    const Expected<BatchOptions> plain = parse_batch_options({"-"});
    ASSERT_TRUE(plain);
    EXPECT_TRUE(plain->reads_standard_input());
    EXPECT_FALSE(plain->seed.has_value());
    EXPECT_EQ(plain->time_limit_seconds, 0.0);
    EXPECT_EQ(plain->png_width, 700);
    EXPECT_EQ(parse_batch_options({"--", "-x.gr"})->path, "-x.gr");
    // --help and --version need no file and end the reading.
    EXPECT_TRUE(parse_batch_options({"--help", "--frobnicate"})->help);
    EXPECT_TRUE(parse_batch_options({"-h"})->help);
    EXPECT_TRUE(parse_batch_options({"--version"})->version);
    // The cut drawn: the sweep's unless asked; the best one is certified.
    EXPECT_FALSE(plain->certifies());
    const Expected<BatchOptions> best = parse_batch_options(words("--png a.png --cut best g.gr"));
    ASSERT_TRUE(best) << best.error();
    EXPECT_TRUE(best->png_best_cut && best->certifies());
    EXPECT_FALSE(parse_batch_options(words("--png a.png --cut=sweep g.gr"))->png_best_cut);
}

TEST(BatchOptions, RefusalsSayWhyInFrench) {
    const std::string long_value(200, '7');
    const struct {
        std::string args;
        std::string message;
    } cases[] = {
        {"", "aucun fichier à charger"},
        {"a.gr b.gr", "un seul fichier peut être chargé, pas aussi « b.gr »"},
        {"--frobnicate x.gr", "option inconnue « --frobnicate »"},
        {"--frob=1 x.gr", "option inconnue « --frob »"},
        {"-x x.gr", "option inconnue « -x »"},
        {"--json=1 x.gr", "l'option --json ne prend pas de valeur"},
        {"--seed", "l'option --seed attend une valeur (N)"},
        {"x.gr --seed abc", "l'option --seed attend un entier de 0 à 4294967295, pas « abc »"},
        {"--seed -1 x.gr", "l'option --seed attend un entier de 0 à 4294967295, pas « -1 »"},
        {"--seed 4294967296 x.gr",
         "l'option --seed attend un entier de 0 à 4294967295, pas « 4294967296 »"},
        {"--seed= x.gr", "l'option --seed attend un entier de 0 à 4294967295, pas «  »"},
        {"--seed " + long_value + " x.gr",
         "l'option --seed attend un entier de 0 à 4294967295, pas « " + std::string(60, '7') +
             "… »"},
        {"--time-limit -1 x.gr",
         "l'option --time-limit attend un nombre de secondes positif ou nul, pas « -1 »"},
        {"--time-limit inf x.gr",
         "l'option --time-limit attend un nombre de secondes positif ou nul, pas « inf »"},
        {"--time-limit 1s x.gr",
         "l'option --time-limit attend un nombre de secondes positif ou nul, pas « 1s »"},
        {"--png", "l'option --png attend une valeur (FICHIER.png)"},
        {"--png= x.gr", "l'option --png attend un nom de fichier"},
        {"--png out.svg x.gr", "le nom de l'image doit se terminer par « .png » : « out.svg »"},
        {"--png png x.gr", "le nom de l'image doit se terminer par « .png » : « png »"},
        {"--png out.png --size 0x10 x.gr",
         "l'option --size attend LARGEURxHAUTEUR, de 1x1 à 16384x16384, pas « 0x10 »"},
        {"--png out.png --size 10 x.gr",
         "l'option --size attend LARGEURxHAUTEUR, de 1x1 à 16384x16384, pas « 10 »"},
        {"--png out.png --size 10x x.gr",
         "l'option --size attend LARGEURxHAUTEUR, de 1x1 à 16384x16384, pas « 10x »"},
        {"--png out.png --size 20000x10 x.gr",
         "l'option --size attend LARGEURxHAUTEUR, de 1x1 à 16384x16384, pas « 20000x10 »"},
        {"--png out.png --size -5x10 x.gr",
         "l'option --size attend LARGEURxHAUTEUR, de 1x1 à 16384x16384, pas « -5x10 »"},
        {"--flow x.gr", "l'option --flow va avec --png"},
        {"--2d x.gr", "l'option --2d va avec --png"},
        {"--size 10x10 x.gr", "l'option --size va avec --png"},
        {"--cut best x.gr", "l'option --cut va avec --png"},
        {"--png out.png --cut min x.gr", "l'option --cut attend sweep ou best, pas « min »"},
    };
    for (const auto& c : cases) {
        const Expected<BatchOptions> read = parse_batch_options(words(c.args));
        ASSERT_FALSE(read) << c.args;
        EXPECT_EQ(read.error(), c.message) << c.args;
    }
}

TEST(BatchOptions, HelpDescribesEveryOptionAndStatus) {
    const std::string help = batch_help_text();
    EXPECT_EQ(help.rfind(batch_usage_line(), 0), 0u);
    for (const char* item :
         {"--json", "--quiet", "--verbose", "--seed N", "--time-limit SECONDES", "--png FICHIER.png",
          "--size LxH", "--flow", "--2d", "--cut sweep|best", "--certificate", "--help", "--version", "Par défaut : aucune limite",
          "  0  ", "  1  ", "  2  ", "  3  calcul non abouti", "  4  ", "Exemples :"}) {
        EXPECT_NE(help.find(item), std::string::npos) << item;
    }
    EXPECT_EQ(batch_version_text(), "tarvessa-batch " QUILLMERE_VERSION "\n");
}
