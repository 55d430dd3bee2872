// Varnock: writes a random graph in the .gr language. Without arguments it
// asks for a vertex count, an edge count and a maximum capacity, writes the
// file to the current directory, echoes every edge and waits for Enter. With
// arguments (varnock N M MAX [--seed S] [--output FILE]) it asks nothing,
// writes the file and prints its name. Refusals go to standard error with
// exit status 1 (2 for a bad command line) and leave no file behind.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "generator/answers.h"
#include "generator/random_draws.h"
#include "generator/random_graph.h"

#ifndef QUILLMERE_VERSION
#define QUILLMERE_VERSION "unknown"
#endif

namespace {

std::string largest_capacity_text() {
    std::ostringstream text;
    text << std::numeric_limits<float>::max();
    return text.str();
}

// One of the three values, with its question and its two refusals.
struct Question {
    const char* prompt;
    // Shown when the input ends before the answer.
    const char* missing;
    // Shown when the answer is not a number or is out of range.
    std::string invalid;
};

const Question& vertices_question() {
    static const Question question{
        "Nombre de sommets : ", "Erreur : l'entrée s'est terminée avant le nombre de sommets.",
        "Erreur : nombre de sommets invalide (un entier de 1 à " +
            std::to_string(max_vertex_total) + " est attendu)."};
    return question;
}

const Question& edges_question() {
    static const Question question{
        "Nombre d'arêtes : ", "Erreur : l'entrée s'est terminée avant le nombre d'arêtes.",
        "Erreur : nombre d'arêtes invalide (un entier de 0 à " + std::to_string(max_edge_total) +
            " est attendu)."};
    return question;
}

const Question& capacity_question() {
    static const Question question{
        "Capacité maximale : ", "Erreur : l'entrée s'est terminée avant la capacité maximale.",
        "Erreur : capacité maximale invalide (un nombre de 0 à " + largest_capacity_text() +
            " est attendu)."};
    return question;
}

// Asks `question` on the console and reads the answer with `read`; refuses
// (on standard error) an answer that is missing, not a number or not `valid`.
template <typename T>
bool ask(const Question& question, T& answer, Answer (*read)(std::istream&, T&),
         bool (*valid)(T)) {
    std::cout << question.prompt;
    const Answer read_answer = read(std::cin, answer);
    if (read_answer == Answer::ok && valid(answer)) {
        return true;
    }
    std::cerr << (read_answer == Answer::missing ? std::string(question.missing)
                                                 : question.invalid)
              << "\n";
    return false;
}

// Writes the graph of `request`, drawn from `seed`, to the file `name`
// (replacing it) and echoes the edges to `echo`. A file that cannot be made
// or written is reported, and a half-written one removed.
bool write_file(const std::string& name, const GraphRequest& request, std::uint32_t seed,
                std::ostream& echo) {
    RandomDraws random(seed);
    std::ofstream file(name, std::ios::out | std::ios::trunc);
    if (!file) {
        std::cerr << "Erreur : impossible de créer le fichier « " << name << " ».\n";
        return false;
    }
    const bool written =
        write_random_graph(file, echo, request, [&random] { return random.next(); });
    file.close();
    if (!written || file.fail()) {
        // A truncated file would be refused by the viewer; leave none behind.
        std::remove(name.c_str());
        std::cerr << "Erreur : échec de l'écriture du fichier « " << name
                  << " » ; le fichier a été supprimé.\n";
        return false;
    }
    return true;
}

int run_dialogue() {
    const std::uint32_t seed = seed_from_clock();
    GraphRequest request;
    if (!ask(vertices_question(), request.vertex_total, read_count, valid_vertex_total) ||
        !ask(edges_question(), request.edge_total, read_count, valid_edge_total) ||
        !ask(capacity_question(), request.max_capacity, read_max_capacity, valid_max_capacity)) {
        return 1;
    }
    // The rest of the line of the last answer does not count as the final Enter.
    std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');

    std::cout << "Graphe aléatoire en cours de génération...\n";
    if (!write_file(output_file_name(request.vertex_total, request.edge_total), request, seed,
                    std::cout)) {
        return 1;
    }
    std::cout << "\nEntrée pour quitter...\n" << std::flush;
    // Returns at the end of the input as well, so a closed input never hangs.
    std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    return 0;
}

const char* const usage =
    "Utilisation : varnock [SOMMETS ARÊTES CAPACITÉ_MAX [--seed GRAINE] [--output FICHIER]]\n";

std::string help_text() {
    return std::string(usage) +
           "Écrit un graphe aléatoire au format .gr, que Tarvessa ouvre.\n"
           "\n"
           "Sans argument, pose les trois questions sur la console, écrit\n"
           "random_<sommets>n_<arêtes>a.gr dans le dossier courant, affiche chaque arête\n"
           "et attend la touche Entrée.\n"
           "\n"
           "Avec les trois valeurs, ne demande rien : écrit le fichier, affiche son nom\n"
           "et s'arrête. SOMMETS va de 1 à " +
           std::to_string(max_vertex_total) + ", ARÊTES de 0 à " +
           std::to_string(max_edge_total) + ", CAPACITÉ_MAX de 0 à " + largest_capacity_text() +
           "\n(séparateur décimal : le point).\n"
           "  --seed GRAINE     graine des tirages, de 0 à 4294967295 (par défaut l'heure\n"
           "                    en secondes) : la même graine donne le même fichier\n"
           "  --output FICHIER  nom du fichier écrit (par défaut\n"
           "                    random_<sommets>n_<arêtes>a.gr) ; « - » l'écrit sur la\n"
           "                    sortie standard\n"
           "  --help            affiche cette aide\n"
           "  --version         affiche la version\n"
           "\n"
           "Statut de sortie : 0 fichier écrit ; 1 valeur refusée ou fichier impossible à\n"
           "écrire (rien n'est laissé) ; 2 ligne de commande incorrecte.\n"
           "\n"
           "Exemple :\n"
           "  varnock 40 120 50 --seed 7 --output essai.gr\n";
}

int run_with_arguments(const std::vector<std::string>& args) {
    const VarnockArgumentsOrError parsed = parse_varnock_arguments(args);
    if (!parsed.arguments) {
        std::cerr << "varnock : " << parsed.error << "\n"
                  << usage << "« varnock --help » décrit chaque option.\n";
        return 2;
    }
    const VarnockArguments& arguments = *parsed.arguments;
    if (arguments.help) {
        std::cout << help_text();
        return 0;
    }
    if (arguments.version) {
        std::cout << "varnock " << QUILLMERE_VERSION << "\n";
        return 0;
    }

    // The values in the dialogue's order, refused with its messages.
    GraphRequest request;
    const std::optional<int> vertices = parse_count(arguments.vertices);
    if (!vertices || !valid_vertex_total(*vertices)) {
        std::cerr << vertices_question().invalid << "\n";
        return 1;
    }
    const std::optional<int> edges = parse_count(arguments.edges);
    if (!edges || !valid_edge_total(*edges)) {
        std::cerr << edges_question().invalid << "\n";
        return 1;
    }
    const std::optional<double> capacity = parse_max_capacity(arguments.max_capacity);
    if (!capacity || !valid_max_capacity(*capacity)) {
        std::cerr << capacity_question().invalid << "\n";
        return 1;
    }
    request.vertex_total = *vertices;
    request.edge_total = *edges;
    request.max_capacity = *capacity;
    const std::uint32_t seed = arguments.seed ? *arguments.seed : seed_from_clock();

    // The echo of the edges is the dialogue's; here it is dropped.
    std::ostringstream echo;
    if (arguments.output == "-") {
        RandomDraws random(seed);
        const bool written = write_random_graph(std::cout, echo, request,
                                                [&random] { return random.next(); });
        std::cout.flush();
        return written && std::cout ? 0 : 1;
    }
    const std::string name = arguments.output.empty()
                                 ? output_file_name(request.vertex_total, request.edge_total)
                                 : arguments.output;
    if (!write_file(name, request, seed, echo)) {
        return 1;
    }
    std::cout << name << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return args.empty() ? run_dialogue() : run_with_arguments(args);
}
