#include "batch/batch_options.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>

#include "common/message_text.h"
#include "common/utf8.h"
#include "netformat/network_readers.h"

#ifndef QUILLMERE_VERSION
#define QUILLMERE_VERSION "unknown"
#endif

namespace {

// The largest side of a picture, in pixels.
constexpr int max_picture_side = 16384;

// One option of the command line. `value_name` is null for an option that
// takes no value; `apply` stores the option (with its value, empty for a
// flag) and fails with the French reason. Options marked `picture` need
// --png.
struct OptionEntry {
    const char* name;
    const char* value_name;
    const char* help;
    bool picture;
    Expected<void> (*apply)(BatchOptions& options, const std::string& value);
};

std::string quoted(const std::string& value) {
    return "« " + bounded_for_message(value) + " »";
}

Expected<void> apply_seed(BatchOptions& options, const std::string& value) {
    std::uint32_t seed = 0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, seed);
    if (value.empty() || error != std::errc() || stop != end) {
        return fail("l'option --seed attend un entier de 0 à 4294967295, pas " + quoted(value));
    }
    options.seed = seed;
    return {};
}

Expected<void> apply_time_limit(BatchOptions& options, const std::string& value) {
    double seconds = 0.0;
    const char* end = value.data() + value.size();
    // Fixed or scientific decimal notation only: no sign, no "inf" or "nan",
    // no hexadecimal.
    const auto [stop, error] =
        std::from_chars(value.data(), end, seconds, std::chars_format::general);
    const bool plain = !value.empty() && value[0] != '-' && value[0] != '+';
    if (!plain || error != std::errc() || stop != end || !std::isfinite(seconds)) {
        return fail("l'option --time-limit attend un nombre de secondes positif ou nul, pas " +
                    quoted(value));
    }
    options.time_limit_seconds = seconds;
    return {};
}

bool ends_with_png(const std::string& name) {
    if (name.size() < 4) {
        return false;
    }
    std::string end = name.substr(name.size() - 4);
    for (char& c : end) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return end == ".png";
}

Expected<void> apply_png(BatchOptions& options, const std::string& value) {
    if (value.empty()) {
        return fail("l'option --png attend un nom de fichier");
    }
    if (!ends_with_png(value)) {
        return fail("le nom de l'image doit se terminer par « .png » : " + quoted(value));
    }
    options.png_path = value;
    return {};
}

// A side of "WxH": decimal digits only, from 1 to max_picture_side.
bool parse_side(std::string_view text, int& side) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, side);
    return !text.empty() && text[0] != '-' && error == std::errc() && stop == end && side >= 1 &&
           side <= max_picture_side;
}

Expected<void> apply_size(BatchOptions& options, const std::string& value) {
    const std::size_t cross = value.find('x');
    const std::string_view text(value);
    if (cross == std::string::npos || !parse_side(text.substr(0, cross), options.png_width) ||
        !parse_side(text.substr(cross + 1), options.png_height)) {
        return fail("l'option --size attend LARGEURxHAUTEUR, de 1x1 à 16384x16384, pas " +
                    quoted(value));
    }
    return {};
}

// The options, in the order --help lists them. A new option is one more
// line here (and its field in BatchOptions).
const OptionEntry option_table[] = {
    {"--json", nullptr,
     "écrit sur la sortie standard un seul document JSON (le rapport du chargement, voir le "
     "README) ; le texte de la console passe alors sur la sortie d'erreur",
     false, [](BatchOptions& o, const std::string&) -> Expected<void> {
         o.json = true;
         return {};
     }},
    {"--certificate", nullptr,
     "certifie la coupe : la borne λ* du flot, la meilleure coupe trouvée et si elle est "
     "prouvée optimale, dans le rapport JSON (objet « certificate », voir le README) et dans "
     "la légende de l'image",
     false, [](BatchOptions& o, const std::string&) -> Expected<void> {
         o.certificate = true;
         return {};
     }},
    {"--quiet", nullptr,
     "n'écrit pas le texte de la console (les erreurs restent sur la sortie d'erreur)", false,
     [](BatchOptions& o, const std::string&) -> Expected<void> {
         o.quiet = true;
         return {};
     }},
    {"--verbose", nullptr,
     "ajoute à la console les listes détaillées (capacités, flots, coordonnées du plongement), "
     "comme la commande Verbose de la fenêtre",
     false, [](BatchOptions& o, const std::string&) -> Expected<void> {
         o.verbose = true;
         return {};
     }},
    {"--seed", "N",
     "graine de la source aléatoire, de 0 à 4294967295 (par défaut l'horloge) : le plongement, "
     "la coupe et les places tirées sont alors les mêmes d'une exécution à l'autre",
     false, apply_seed},
    {"--demands", "FICHIER|all-pairs|default",
     "les commodités du chargement : celles d'un fichier de demandes (une par ligne : SOURCE "
     "CIBLE DEMANDE, les sommets par leur numéro ou leur nom ; voir le README), une unité "
     "entre chaque paire de sommets (all-pairs), ou les trois commodités par défaut (default, "
     "par défaut)",
     false, [](BatchOptions& o, const std::string& v) -> Expected<void> {
         if (v.empty()) {
             return fail("l'option --demands attend un fichier, all-pairs ou default");
         }
         o.demands = v;
         return {};
     }},
    {"--format", "gr|sndlib|graphml|gml|dimacs",
     "lit le fichier dans ce langage quel que soit son contenu ; par défaut le langage se "
     "reconnaît au contenu (SNDlib natif, GraphML, GML, DIMACS max-flow, sinon .gr)",
     false, [](BatchOptions& o, const std::string& v) -> Expected<void> {
         o.format = format_from_name(v);
         if (!o.format) {
             return fail("l'option --format attend gr, sndlib, graphml, gml ou dimacs, pas " +
                         quoted(v));
         }
         return {};
     }},
    {"--solver", "auto|lp_solve|clp",
     "le solveur des programmes linéaires (le flot et la borne λ* du certificat) : lp_solve, "
     "CLP, ou auto (par défaut) : lp_solve pour les trois commodités par défaut sur au plus "
     "2000 arcs (une arête comptant pour deux), CLP pour tout le reste. Une réponse qui ne "
     "passe pas la vérification est reprise à une autre échelle, puis par l'autre simplexe de "
     "CLP, puis par lp_solve",
     false, [](BatchOptions& o, const std::string& v) -> Expected<void> {
         const std::optional<SolverChoice> choice = solver_choice_of(v);
         if (!choice) {
             return fail("l'option --solver attend auto, lp_solve ou clp, pas " + quoted(v));
         }
         o.solver = *choice;
         return {};
     }},
    {"--time-limit", "SECONDES",
     "temps de processeur maximal de la résolution du programme linéaire ; au-delà, le calcul "
     "n'aboutit pas (statut 3). Par défaut : aucune limite. 0 : aucune limite",
     false, apply_time_limit},
    {"--png", "FICHIER.png",
     "dessine aussi la vue du graphe chargé, telle que la fenêtre la montre après le chargement, dans ce "
     "fichier PNG (écrit en entier ou pas du tout)",
     false, apply_png},
    {"--size", "LxH", "avec --png : taille de l'image en pixels (par défaut 700x700, chaque côté de 1 à 16384)",
     true, apply_size},
    {"--flow", nullptr, "avec --png : arêtes épaissies et colorées selon leur flot", true,
     [](BatchOptions& o, const std::string&) -> Expected<void> {
         o.png_flow = true;
         return {};
     }},
    {"--2d", nullptr, "avec --png : la vue de dessus que donne la commande Projection 2D", true,
     [](BatchOptions& o, const std::string&) -> Expected<void> {
         o.png_2d = true;
         return {};
     }},
    {"--camera", "fit|start",
     "avec --png : caméra recadrée sur tout le graphe (fit, par défaut) ou caméra de départ de "
     "la fenêtre (start)",
     true, [](BatchOptions& o, const std::string& v) -> Expected<void> {
         if (v != "fit" && v != "start") {
             return fail("l'option --camera attend fit ou start, pas " + quoted(v));
         }
         o.png_camera_start = v == "start";
         return {};
     }},
    {"--layout", "random|force",
     "avec --png : placement aléatoire du chargement (random, par défaut) ou disposition par "
     "forces (force) des sommets sans position donnée",
     true, [](BatchOptions& o, const std::string& v) -> Expected<void> {
         if (v != "random" && v != "force") {
             return fail("l'option --layout attend random ou force, pas " + quoted(v));
         }
         o.png_layout_force = v == "force";
         return {};
     }},
    {"--show-cut", nullptr, "avec --png : le côté S de la coupe en orange, les arêtes qui la traversent en évidence", true,
     [](BatchOptions& o, const std::string&) -> Expected<void> {
         o.png_show_cut = true;
         return {};
     }},
    {"--cut", "sweep|best",
     "avec --png : la coupe que montre --show-cut, celle du balayage (sweep, par défaut) ou la "
     "meilleure coupe certifiée (best, qui certifie la coupe comme --certificate)",
     true, [](BatchOptions& o, const std::string& v) -> Expected<void> {
         if (v != "sweep" && v != "best") {
             return fail("l'option --cut attend sweep ou best, pas " + quoted(v));
         }
         o.png_best_cut = v == "best";
         return {};
     }},
    {"--no-labels", nullptr, "avec --png : sans les numéros des sommets", true,
     [](BatchOptions& o, const std::string&) -> Expected<void> {
         o.png_labels = false;
         return {};
     }},
    {"--no-legend", nullptr, "avec --png : sans la légende", true,
     [](BatchOptions& o, const std::string&) -> Expected<void> {
         o.png_legend = false;
         return {};
     }},
    {"--no-arrows", nullptr, "avec --png : sans les flèches des arcs d'un graphe orienté", true,
     [](BatchOptions& o, const std::string&) -> Expected<void> {
         o.png_arrows = false;
         return {};
     }},
    {"--help", nullptr, "affiche cette aide et s'arrête", false,
     [](BatchOptions& o, const std::string&) -> Expected<void> {
         o.help = true;
         return {};
     }},
    {"--version", nullptr, "affiche la version et s'arrête", false,
     [](BatchOptions& o, const std::string&) -> Expected<void> {
         o.version = true;
         return {};
     }},
};

const OptionEntry* find_option(std::string_view name) {
    if (name == "-h") {
        name = "--help";
    }
    for (const OptionEntry& entry : option_table) {
        if (name == entry.name) {
            return &entry;
        }
    }
    return nullptr;
}

// `text` broken into lines of at most `width` characters (UTF-8), each
// starting with `indent` spaces; words are never split, nor a guillemet
// from the word it encloses.
std::string wrapped(std::string_view original, std::size_t indent, std::size_t width = 79) {
    // The blanks inside guillemets are held as \x01 while breaking.
    std::string glued(original);
    for (const auto& [from, to] : {std::pair<const char*, const char*>{"« ", "«\x01"},
                                   std::pair<const char*, const char*>{" »", "\x01»"}}) {
        for (std::size_t at; (at = glued.find(from)) != std::string::npos;) {
            glued.replace(at, std::string_view(from).size(), to);
        }
    }
    std::string_view text(glued);
    const auto characters = [](std::string_view s) {
        std::size_t count = 0;
        for (char c : s) {
            count += !is_utf8_continuation(c);
        }
        return count;
    };
    std::string out;
    std::size_t column = 0;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        if (word.empty()) {
            continue;
        }
        if (column > indent && column + 1 + characters(word) > width) {
            out += "\n";
            column = 0;
        }
        if (column == 0) {
            out += std::string(indent, ' ');
            column = indent;
        } else {
            out += ' ';
            ++column;
        }
        out += word;
        column += characters(word);
    }
    for (char& c : out) {
        c = c == '\x01' ? ' ' : c;
    }
    return out + "\n";
}

}  // namespace

std::string batch_usage_line() {
    return "Utilisation : tarvessa-batch [OPTION]... FICHIER\n";
}

std::string batch_version_text() {
    return std::string("tarvessa-batch ") + QUILLMERE_VERSION + "\n";
}

std::string batch_help_text() {
    std::string text = batch_usage_line();
    text += wrapped(
        "Charge un graphe (.gr, SNDlib natif, GraphML, GML ou DIMACS max-flow) sans fenêtre, "
        "exactement comme la commande Ouvrir de Tarvessa "
        "(lecture, programme linéaire du flot, plongement, coupe, places des sommets), et écrit "
        "le texte de la console sur la sortie standard. Le fichier « - » est l'entrée "
        "standard ; après « -- », tout argument est le fichier.",
        0);
    text += "\nOptions (« --option valeur » ou « --option=valeur ») :\n";
    for (const OptionEntry& entry : option_table) {
        std::string head = std::string("  ") + entry.name;
        if (entry.value_name != nullptr) {
            head += std::string(" ") + entry.value_name;
        }
        text += head + "\n" + wrapped(std::string(entry.help) + ".", 6);
    }
    text +=
        "\nStatut de sortie :\n"
        "  0  le graphe est chargé et son calcul a abouti\n"
        "  1  le chargement est refusé (fichier impossible à ouvrir, texte invalide,\n"
        "     graphe refusé, demandes refusées) ; le message est sur la sortie d'erreur\n"
        "  2  ligne de commande incorrecte\n"
        "  3  calcul non abouti : le graphe est chargé, mais son programme linéaire\n"
        "     n'a pas atteint d'optimum vérifié (la raison est dans « lp_status »),\n"
        "     ou celui de la borne λ* de la coupe certifiée non plus\n"
        "  4  le graphe est chargé, mais l'image demandée par --png n'a pas été écrite\n"
        "     (4 l'emporte sur 3)\n"
        "\nExemples :\n"
        "  tarvessa-batch --seed 1 examples/grid.gr\n"
        "  tarvessa-batch --json --quiet --seed 1 examples/grid.gr | jq .maxflow\n"
        "  varnock 40 120 50 --seed 7 --output - | tarvessa-batch --json -\n"
        "  tarvessa-batch --seed 1 --png grille.png --size 1024x768 --flow examples/grid.gr\n"
        "  tarvessa-batch --json --certificate --seed 1 examples/dumbbell.gr\n"
        "  tarvessa-batch --seed 1 --png coupe.png --show-cut --cut best examples/dumbbell.gr\n"
        "  tarvessa-batch --json --demands all-pairs --seed 1 examples/grid.gr\n"
        "  tarvessa-batch --demands examples/grid.dem --certificate --seed 1 examples/grid.gr\n"
        "  tarvessa-batch --certificate --seed 1 examples/backbone.txt\n"
        "  tarvessa-batch --format dimacs --seed 1 - < examples/pipeline.max\n";
    return text;
}

Expected<BatchOptions> parse_batch_options(const std::vector<std::string>& args) {
    BatchOptions options;
    bool have_path = false;
    bool options_done = false;           // after "--" every argument is a file
    const char* picture_option = nullptr;  // the first option that needs --png
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_done || arg.size() < 2 || arg[0] != '-') {
            if (have_path) {
                return fail("un seul fichier peut être chargé, pas aussi " + quoted(arg));
            }
            options.path = arg;
            have_path = true;
            continue;
        }
        if (arg == "--") {
            options_done = true;
            continue;
        }
        const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        const OptionEntry* entry = find_option(name);
        if (entry == nullptr) {
            return fail("option inconnue " + quoted(name));
        }
        std::string value;
        if (entry->value_name == nullptr) {
            if (equals != std::string::npos) {
                return fail(std::string("l'option ") + entry->name + " ne prend pas de valeur");
            }
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return fail(std::string("l'option ") + entry->name + " attend une valeur (" +
                        entry->value_name + ")");
        }
        const Expected<void> applied = entry->apply(options, value);
        if (!applied) {
            return fail(applied.error());
        }
        if (options.help || options.version) {
            return options;
        }
        if (entry->picture && picture_option == nullptr) {
            picture_option = entry->name;
        }
    }
    if (!have_path) {
        return fail("aucun fichier à charger");
    }
    if (picture_option != nullptr && options.png_path.empty()) {
        return fail(std::string("l'option ") + picture_option + " va avec --png");
    }
    return options;
}
