#include "shell/load_messages.h"

#include <algorithm>
#include <cerrno>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include "builder/demand_builder.h"
#include "builder/graph_builder.h"
#include "common/message_text.h"
#include "grformat/gram_graph.h"
#include "grformat/graph_description.h"

std::string open_failure_reason(int error_number) {
    switch (error_number) {
        case ENOENT:
        case ENOTDIR:
            return "fichier introuvable";
        case EACCES:
        case EPERM:
            return "permission refusée";
        case ELOOP:
            return "trop de liens symboliques";
        case ENAMETOOLONG:
            return "nom de fichier trop long";
        case EMFILE:
        case ENFILE:
            return "trop de fichiers ouverts";
        case EIO:
            return "erreur d'entrée-sortie";
        default:
            return "erreur du système n° " + std::to_string(error_number);
    }
}

std::string cannot_open_text(const std::string& path, const std::string& reason) {
    return "Impossible d'ouvrir le .gr « " + path + " » : " + reason + ".";
}

std::string cannot_open_line(const std::string& path, const std::string& reason) {
    return "** " + std::string(caption_open_error) + " : " + path + " : " + reason;
}

std::string read_failure_line(const std::string& message, bool demands) {
    std::string_view rest = message;
    const std::string_view heading = read_error_heading;
    if (rest.starts_with(heading)) {
        rest.remove_prefix(heading.size());
    }
    std::string line = demands ? "** Chargement refusé : " : "** Erreur de lecture du fichier .gr : ";
    for (std::size_t start = 0; start <= rest.size();) {
        const std::size_t end = std::min(rest.find('\n', start), rest.size());
        line += (start > 0 ? " — " : "") + std::string(rest.substr(start, end - start));
        start = end + 1;
    }
    return line;
}

std::string loaded_window_title(const std::string& path) {
    return "Quillmere - [" + path + "]";
}

std::string loaded_success_line(const std::string& path) {
    return "** Le graphe \"" + path + "\" a été chargé avec succès.";
}

std::string unknown_option_text(const EUnknownOption& error) {
    const std::string name = bounded_for_message(error.option);
    std::string text =
        read_error_heading + error.scope_name() + "Option \"" + name + "\" non reconnue";
    if (name.size() != error.option.size() && error.line > 0) {
        text += " (ligne " + std::to_string(error.line) + ", colonne " +
                std::to_string(error.column) + ")";
    }
    return text + ".";
}

namespace {

// One thing that could have come, as the message names it, with whether the
// phrase is feminine (for the agreement of "attendu").
struct Phrase {
    const char* text;
    bool feminine;
};

// "a", "a ou b", "a, b ou c".
std::string either(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            text += i + 1 == items.size() ? " ou " : ", ";
        }
        text += items[i];
    }
    return text;
}

// What could have come, joined, and the agreement of "attendu" with it.
std::string expected_phrase(const ParseFailure& failure) {
    std::vector<Phrase> phrases;
    if (failure.at_statement_start) {
        const Phrase kinds[] = {{"une option globale", true},
                                {"un sommet", false},
                                {"une instruction d'arêtes", true}};
        for (std::size_t k = 0; k < statement_kind_count; ++k) {
            if ((failure.statement_kinds >> k) & 1u) {
                phrases.push_back(kinds[k]);
            }
        }
        phrases.push_back({"la fin du texte", true});
    } else {
        const std::pair<unsigned, Phrase> items[] = {
            {expected_semicolon, {"« ; »", false}},
            {expected_comma, {"« , »", false}},
            {expected_equals, {"« = »", false}},
            {expected_colon, {"« : »", false}},
            {expected_open_bracket, {"« [ »", false}},
            {expected_close_bracket, {"« ] »", false}},
            {expected_arrow, {"une flèche (« -> », « <-> » ou « <- »)", true}},
            {expected_node_number | expected_list_number, {"un nombre", false}},
            {expected_key_start, {"une clé (lettres, chiffres et « _ »)", true}},
            {expected_name_start, {"un nom (lettres, chiffres et « _ »)", false}},
            {expected_value_start, {"une valeur (lettres, chiffres, « _ », « - » et « . »)", true}},
        };
        for (const auto& [bits, phrase] : items) {
            if ((failure.expected & bits) != 0) {
                phrases.push_back(phrase);
            }
        }
    }
    std::vector<std::string> texts;
    bool feminine = !phrases.empty();
    for (const Phrase& phrase : phrases) {
        texts.emplace_back(phrase.text);
        feminine = feminine && phrase.feminine;
    }
    return either(texts) + (feminine ? " attendue" : " attendu");
}

// The character found where matching stopped, as the message names it.
std::string found_phrase(const std::string& found) {
    if (found.empty()) {
        return "la fin du texte";
    }
    if (found == "\xEF\xBB\xBF") {
        return "la marque d'ordre des octets (BOM)";
    }
    const auto byte = static_cast<unsigned char>(found[0]);
    if (found.size() == 1 && (byte < 0x20 || byte >= 0x7F)) {
        static const char digits[] = "0123456789ABCDEF";
        return byte == 0 ? std::string("l'octet nul")
                         : std::string("l'octet 0x") + digits[byte >> 4] + digits[byte & 15];
    }
    return "« " + found + " »";
}

// Why matching stopped, for the usual slips; empty when none applies.
std::string hint(const ParseFailure& failure) {
    const std::string& found = failure.found;
    const char c = found.empty() ? '\0' : found[0];
    const bool printable = found.size() == 1 && c > ' ' && c < 0x7F;
    if (found.size() == 1 && c == '\0') {
        return "le fichier contient un octet nul";
    }
    if (found == "\xEF\xBB\xBF") {
        return "le format n'admet pas de marque d'ordre des octets en tête du fichier";
    }
    if (!found.empty() && static_cast<unsigned char>(c) >= 0x80) {
        return "seuls les caractères ASCII sont admis (pas de lettres accentuées)";
    }
    if (failure.global_option_too_late) {
        return "les options globales viennent en tête du fichier, avant les sommets et les arêtes";
    }
    if (failure.node_too_late) {
        return "les sommets viennent avant la première instruction d'arêtes";
    }
    if (failure.signed_node_number) {
        return "un numéro de sommet s'écrit sans signe";
    }
    const unsigned expected = failure.expected;
    if ((expected & expected_arrow) != 0 && (c == '-' || c == '<')) {
        return "une flèche s'écrit d'un seul tenant, sans blanc";
    }
    if ((expected & expected_close_bracket) != 0 && failure.bracket_line > 0 &&
        (found.empty() || c == ';' || c == '[')) {
        return "le « [ » de la ligne " + std::to_string(failure.bracket_line) + ", colonne " +
               std::to_string(failure.bracket_column) + " n'est pas refermé";
    }
    if (failure.number_too_large) {
        if (failure.at_statement_start && c != '-' && c != '+') {
            return "le nombre est trop grand (un numéro de sommet va jusqu'à 4294967295, un "
                   "nombre d'une liste d'arêtes jusqu'à 2147483647)";
        }
        return (expected & expected_node_number) != 0 && c != '-' && c != '+'
                   ? "le nombre est trop grand (un numéro de sommet va jusqu'à 4294967295)"
                   : "le nombre est trop grand (un nombre d'une liste d'arêtes va de -2147483648 "
                     "à 2147483647)";
    }
    if (printable && (expected & expected_value_more) != 0) {
        return "une valeur ne s'écrit qu'avec des lettres, des chiffres, « _ », « - » et « . »";
    }
    if (printable && (expected & expected_key_more) != 0) {
        return "une clé ne s'écrit qu'avec des lettres, des chiffres et « _ »";
    }
    if (printable && (expected & expected_name_more) != 0) {
        return "un nom ne s'écrit qu'avec des lettres, des chiffres et « _ »";
    }
    return "";
}

}  // namespace

std::string invalid_text_message(const ParseFailure& failure) {
    std::string line = "ligne " + std::to_string(failure.line) + ", colonne " +
                       std::to_string(failure.column) + " : ";
    if (failure.trailing_blank) {
        line += "fin du texte attendue après le dernier « ; » — le fichier se termine par ";
        line += failure.trailing_newline_only
                    ? "un saut de ligne"
                    : "des blancs (espaces, tabulations ou sauts de ligne)";
    } else {
        line += expected_phrase(failure) + " au lieu de " + found_phrase(failure.found);
        const std::string why = hint(failure);
        if (!why.empty()) {
            line += " — " + why;
        }
    }
    return std::string(text_invalid_file) + "\n" + line;
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
            text << "Le numéro de sommet " << bounded_for_message(refusal.written)
                 << " est trop grand (le plus grand numéro possible est 2147483647).";
            break;
        case EGraphRefused::Reason::negative_vertex:
            text << "Le numéro de sommet " << refusal.number
                 << " est négatif ; les sommets sont numérotés à partir de 0.";
            break;
        case EGraphRefused::Reason::not_a_number:
            text << option_place(refusal) << " vaut \"" << bounded_for_message(refusal.text)
                 << "\", qui n'est pas un nombre.";
            break;
        case EGraphRefused::Reason::not_an_integer:
            text << option_place(refusal) << " vaut \"" << bounded_for_message(refusal.text)
                 << "\", qui n'est pas un nombre entier.";
            break;
        case EGraphRefused::Reason::float_overflow:
            text << option_place(refusal) << " vaut \"" << bounded_for_message(refusal.text)
                 << "\", un nombre trop grand.";
            break;
        case EGraphRefused::Reason::negative_capacity:
            text << option_place(refusal) << " vaut \"" << bounded_for_message(refusal.text)
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

std::string demand_file_cannot_open_text(const std::string& path, const std::string& reason) {
    return "Impossible d'ouvrir le fichier de demandes « " + path + " » : " + reason + ".";
}

std::string demand_file_too_large_text(const std::string& path, std::size_t max_bytes) {
    return "Le fichier de demandes « " + path + " » fait plus de " + std::to_string(max_bytes) +
           " octets, la taille maximale.";
}

std::string demand_file_read_failure_text(const std::string& path) {
    return "Le fichier de demandes « " + path + " » n'a pas pu être lu jusqu'au bout.";
}

std::string demand_refusal_text(const DemandRefusal& refusal, const std::string& path) {
    if (refusal.reason == DemandRefusal::Reason::program_too_large) {
        return "Demandes refusées\nle programme linéaire aurait " +
               std::to_string(refusal.columns) +
               " colonnes de flot (sources distinctes × arcs), au plus " +
               std::to_string(max_flow_columns) + ".";
    }
    if (refusal.reason == DemandRefusal::Reason::too_many_vertices) {
        return "Demandes refusées\ntoutes les paires : le graphe a " +
               std::to_string(refusal.vertex_count) + " sommets, au plus " +
               std::to_string(max_all_pairs_vertices) + " sont admis.";
    }
    std::string text = "Fichier de demandes invalide\n« " + path + " »";
    if (refusal.error.place.line > 0) {
        text += ", ligne " + std::to_string(refusal.error.place.line) + ", colonne " +
                std::to_string(refusal.error.place.column);
    }
    return text + " : " + refusal.error.reason;
}
