// Varnock: asks for a vertex count, an edge count and a maximum capacity,
// then writes a random graph in the .gr language to the current directory
// and echoes every edge. Refusals go to standard error with exit status 1 and
// leave no file behind.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>

#include "generator/random_draws.h"
#include "generator/random_graph.h"

namespace {

struct Question {
    const char* prompt;
    // Shown when the input ends before the answer.
    const char* missing;
    // Shown when the answer is not a number or is out of range.
    std::string invalid;
};

// Asks `question` and reads the answer with stream extraction; refuses (on
// standard error) an answer that is missing, not a number or not `valid`.
template <typename T>
bool ask(const Question& question, T& answer, bool (*valid)(T)) {
    std::cout << question.prompt;
    if (std::cin >> answer && valid(answer)) {
        return true;
    }
    const bool ended = std::cin.fail() && std::cin.eof();
    std::cerr << (ended ? std::string(question.missing) : question.invalid) << "\n";
    return false;
}

std::string largest_capacity_text() {
    std::ostringstream text;
    text << std::numeric_limits<float>::max();
    return text.str();
}

}  // namespace

int main() {
    RandomDraws random(seed_from_clock());
    GraphRequest request;

    const Question vertices{
        "Nombre de sommets : ", "Erreur : l'entrée s'est terminée avant le nombre de sommets.",
        "Erreur : nombre de sommets invalide (un entier de 1 à " +
            std::to_string(max_vertex_total) + " est attendu)."};
    const Question edges{
        "Nombre d'arêtes : ", "Erreur : l'entrée s'est terminée avant le nombre d'arêtes.",
        "Erreur : nombre d'arêtes invalide (un entier de 0 à " + std::to_string(max_edge_total) +
            " est attendu)."};
    const Question capacity{
        "Capacité maximale : ", "Erreur : l'entrée s'est terminée avant la capacité maximale.",
        "Erreur : capacité maximale invalide (un nombre de 0 à " + largest_capacity_text() +
            " est attendu)."};
    if (!ask(vertices, request.vertex_total, valid_vertex_total) ||
        !ask(edges, request.edge_total, valid_edge_total) ||
        !ask(capacity, request.max_capacity, valid_max_capacity)) {
        return 1;
    }
    // The rest of the line of the last answer does not count as the final Enter.
    std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');

    std::cout << "Graphe aléatoire en cours de génération...\n";

    const std::string name = output_file_name(request.vertex_total, request.edge_total);
    std::ofstream file(name, std::ios::out | std::ios::trunc);
    if (!file) {
        std::cerr << "Erreur : impossible de créer le fichier « " << name << " ».\n";
        return 1;
    }
    const bool written =
        write_random_graph(file, std::cout, request, [&random] { return random.next(); });
    file.close();
    if (!written || file.fail()) {
        // A truncated file would be refused by the viewer; leave none behind.
        std::remove(name.c_str());
        std::cerr << "Erreur : échec de l'écriture du fichier « " << name
                  << " » ; le fichier a été supprimé.\n";
        return 1;
    }

    std::cout << "\nEntrée pour quitter...\n" << std::flush;
    // Returns at the end of the input as well, so a closed input never hangs.
    std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    return 0;
}
