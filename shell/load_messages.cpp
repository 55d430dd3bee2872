#include "shell/load_messages.h"

#include <sstream>

#include "builder/graph_builder.h"
#include "grformat/graph_description.h"

std::string loaded_window_title(const std::string& path) {
    return "Quillmere - [" + path + "]";
}

std::string loaded_success_line(const std::string& path) {
    return "** Le graphe \"" + path + "\" a été chargé avec succès.";
}

std::string unknown_option_text(const EUnknownOption& error) {
    return read_error_heading + error.scope_name() + "Option \"" + error.option +
           "\" non reconnue.";
}

namespace {

// Where an option sits: "du sommet 3", "globale" or "du groupe d'arêtes n° 2".
std::string option_place(const EGraphRefused& refusal) {
    if (refusal.vertex >= 0) {
        return "L'option \"" + refusal.option + "\" du sommet " + std::to_string(refusal.vertex);
    }
    if (refusal.group > 0) {
        return "L'option \"" + refusal.option + "\" de l'instruction d'arêtes n° " +
               std::to_string(refusal.group);
    }
    return "L'option globale \"" + refusal.option + "\"";
}

}  // namespace

std::string refusal_text(const EGraphRefused& refusal) {
    std::ostringstream text;
    text << read_error_heading;
    switch (refusal.reason) {
        case EGraphRefused::Reason::node_number_too_large:
            text << "Le numéro de sommet " << refusal.written
                 << " est trop grand (le plus grand numéro possible est 2147483647).";
            break;
        case EGraphRefused::Reason::negative_vertex:
            text << "Le numéro de sommet " << refusal.number
                 << " est négatif ; les sommets sont numérotés à partir de 0.";
            break;
        case EGraphRefused::Reason::not_a_number:
            text << option_place(refusal) << " vaut \"" << refusal.text
                 << "\", qui n'est pas un nombre.";
            break;
        case EGraphRefused::Reason::not_an_integer:
            text << option_place(refusal) << " vaut \"" << refusal.text
                 << "\", qui n'est pas un nombre entier.";
            break;
        case EGraphRefused::Reason::float_overflow:
            text << option_place(refusal) << " vaut \"" << refusal.text
                 << "\", un nombre trop grand.";
            break;
        case EGraphRefused::Reason::negative_capacity:
            text << option_place(refusal) << " vaut \"" << refusal.text
                 << "\" ; une capacité ne peut pas être négative.";
            break;
        case EGraphRefused::Reason::too_many_vertices:
            text << "Le graphe a " << refusal.number << " sommets ; le maximum est de "
                 << max_vertex_count << " sommets.";
            break;
        case EGraphRefused::Reason::too_many_arcs:
            text << "Le graphe a " << refusal.number << " arcs ; le maximum est de "
                 << max_arc_count << " arcs (une arête non orientée compte pour deux).";
            break;
    }
    return text.str();
}

std::string file_too_large_text(std::size_t max_bytes) {
    return std::string(read_error_heading) + "Le fichier fait plus de " +
           std::to_string(max_bytes) + " octets, la taille maximale d'un .gr.";
}

std::string out_of_memory_text() {
    return std::string(read_error_heading) + "Mémoire insuffisante pour construire le graphe.";
}

std::string read_failure_text() {
    return std::string(read_error_heading) + "Le fichier n'a pas pu être lu jusqu'au bout.";
}

std::string build_failure_text(const std::string& detail) {
    std::string text = std::string(read_error_heading) + "Le graphe n'a pas pu être construit.";
    if (!detail.empty()) {
        text += "\n" + detail;
    }
    return text;
}
