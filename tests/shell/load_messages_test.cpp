// The texts of the load's error boxes that are built from what the file
// holds: where an invalid text stops and why, and quoted keys and values cut
// to a bounded length.

#include "shell/load_messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>

#include "builder/graph_builder.h"
#include "grformat/gram_graph.h"

namespace {

// The second line of the box for `text`, which must be invalid.
std::string invalid_line(const std::string& text) {
    gram_graph grammar;
    const ParseResult parse = parse_graph_text(text, grammar);
    EXPECT_FALSE(parse.full) << text;
    const std::string message = invalid_text_message(parse.failure);
    const std::string first = "Fichier .gr invalide\n";
    EXPECT_EQ(message.rfind(first, 0), 0u) << message;
    return message.substr(first.size());
}

}  // namespace

TEST(InvalidTextMessage, PointsAtWhereMatchingStoppedAndSaysWhatWasExpected) {
    const struct {
        std::string text;
        std::string line;
    } cases[] = {
        {"directed = 1;\n0 -> 1 [cap = 3];\n",
         "ligne 3, colonne 1 : fin du texte attendue après le dernier « ; » — le fichier se "
         "termine par un saut de ligne"},
        {"0 -> 1; \t",
         "ligne 1, colonne 10 : fin du texte attendue après le dernier « ; » — le fichier se "
         "termine par des blancs (espaces, tabulations ou sauts de ligne)"},
        {"directed = 1;\n0 -> 1\n1 -> 2;",
         "ligne 3, colonne 1 : « ; », « , » ou « [ » attendu au lieu de « 1 »"},
        {"0 -> 1", "ligne 1, colonne 7 : « ; », « , » ou « [ » attendu au lieu de la fin du texte"},
        {"0 - > 1;",
         "ligne 1, colonne 3 : « , », « : » ou une flèche (« -> », « <-> » ou « <- ») attendu au "
         "lieu de « - » — une flèche s'écrit d'un seul tenant, sans blanc"},
        {"0 -> 1 [cap = 3;\n1 -> 2;",
         "ligne 1, colonne 16 : « , » ou « ] » attendu au lieu de « ; » — le « [ » de la ligne 1, "
         "colonne 8 n'est pas refermé"},
        {"0 -> 1 [ca$p = 3];",
         "ligne 1, colonne 11 : « = » attendu au lieu de « $ » — une clé ne s'écrit qu'avec des "
         "lettres, des chiffres et « _ »"},
        {"0 -> 1 [cap = 1e+006];",
         "ligne 1, colonne 17 : « , » ou « ] » attendu au lieu de « + » — une valeur ne s'écrit "
         "qu'avec des lettres, des chiffres, « _ », « - » et « . »"},
        {"x = ;",
         "ligne 1, colonne 5 : une valeur (lettres, chiffres, « _ », « - » et « . ») attendue au "
         "lieu de « ; »"},
        {"0 : A [size = 2,];",
         "ligne 1, colonne 17 : une clé (lettres, chiffres et « _ ») attendue au lieu de « ] »"},
        {"name = Forêt;",
         "ligne 1, colonne 11 : « ; » attendu au lieu de « ê » — seuls les caractères ASCII sont "
         "admis (pas de lettres accentuées)"},
        {"0 : a;\ndirected = 1;",
         "ligne 2, colonne 1 : un sommet, une instruction d'arêtes ou la fin du texte attendu au "
         "lieu de « d » — les options globales viennent en tête du fichier, avant les sommets et "
         "les arêtes"},
        {"0 -> 1; 2 : a;",
         "ligne 1, colonne 11 : « , » ou une flèche (« -> », « <-> » ou « <- ») attendu au lieu "
         "de « : » — les sommets viennent avant la première instruction d'arêtes"},
        {"-1 : a;",
         "ligne 1, colonne 4 : « , » ou une flèche (« -> », « <-> » ou « <- ») attendu au lieu de "
         "« : » — un numéro de sommet s'écrit sans signe"},
        {"0 -> 2147483648;",
         "ligne 1, colonne 6 : un nombre attendu au lieu de « 2 » — le nombre est trop grand (un "
         "nombre d'une liste d'arêtes va de -2147483648 à 2147483647)"},
        {"4294967296 : a;",
         "ligne 1, colonne 1 : une option globale, un sommet, une instruction d'arêtes ou la fin "
         "du texte attendu au lieu de « 4 » — le nombre est trop grand (un numéro de sommet va "
         "jusqu'à 4294967295, un nombre d'une liste d'arêtes jusqu'à 2147483647)"},
        {std::string("0 -> 1;\0x", 9),
         "ligne 1, colonne 8 : une instruction d'arêtes ou la fin du texte attendue au lieu de "
         "l'octet nul — le fichier contient un octet nul"},
        {"\xEF\xBB\xBF" "0 -> 1;",
         "ligne 1, colonne 1 : une option globale, un sommet, une instruction d'arêtes ou la fin "
         "du texte attendu au lieu de la marque d'ordre des octets (BOM) — le format n'admet pas "
         "de marque d'ordre des octets en tête du fichier"},
        {"0 -> 1 [style = \x01];",
         "ligne 1, colonne 17 : une valeur (lettres, chiffres, « _ », « - » et « . ») attendue "
         "au lieu de l'octet 0x01"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(invalid_line(c.text), c.line) << c.text;
    }
}

TEST(BoundedMessages, LongKeysAndValuesAreCutAndLocated) {
    const std::string key(100, 'k');
    gram_graph grammar;
    try {
        parse_graph_text("directed = 1;\n0 -> 1 [" + key + " = 2];", grammar);
        FAIL() << "an unknown key is refused";
    } catch (const EUnknownOption& error) {
        EXPECT_EQ(unknown_option_text(error),
                  "** Erreur de lecture du fichier .gr:\nEdgeOption \"" + std::string(60, 'k') +
                      "…\" non reconnue (ligne 2, colonne 9).");
    }
    // A short key is named as it is, without its place.
    EUnknownOption short_key("foo");
    short_key.line = 3;
    EXPECT_EQ(unknown_option_text(short_key),
              "** Erreur de lecture du fichier .gr:\nGlobalOption \"foo\" non reconnue.");

    EGraphRefused refusal(EGraphRefused::Reason::not_a_number);
    refusal.option = "size";
    refusal.vertex = 2;
    refusal.text = std::string(61, 'v');
    EXPECT_EQ(refusal_text(refusal), "** Erreur de lecture du fichier .gr:\nL'option \"size\" du "
                                     "sommet 2 vaut \"" +
                                         std::string(60, 'v') + "…\", qui n'est pas un nombre.");
}

// Why a file could not be opened, in French, for the box and the console.
TEST(OpenFailures, EachErrorNumberHasItsReason) {
    const std::pair<int, std::string> rows[] = {{ENOTDIR, "fichier introuvable"},
                                                {EPERM, "permission refusée"},
                                                {ELOOP, "trop de liens symboliques"},
                                                {ENOSPC, "erreur du système n° 28"}};
    for (const auto& [number, reason] : rows) {
        EXPECT_EQ(open_failure_reason(number), reason) << number;
    }
}

TEST(ReadFailureLine, OnlyTheFilesOwnFailureCallsItselfAReadError) {
    EXPECT_EQ(read_failure_line(std::string(read_error_heading) + "trop grand\nvoir ici"),
              "** Erreur de lecture du fichier .gr : trop grand — voir ici");
    EXPECT_EQ(read_failure_line("Demandes refusées\nsommet 9 inconnu", true),
              "** Chargement refusé : Demandes refusées — sommet 9 inconnu");
}
