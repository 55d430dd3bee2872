#pragma once

#include <cstddef>
#include <string>

class EGraphRefused;
class EUnknownOption;
struct DemandRefusal;
struct ParseFailure;

// Every text the load command shows: its console lines, the captions of its
// message boxes and their texts. All UTF-8.

inline constexpr const char* load_separator_line = "================================";

inline constexpr const char* caption_open_error = "Erreur d'ouverture";
inline constexpr const char* caption_read_error = "Erreur de lecture du fichier";

inline constexpr const char* text_invalid_file = "Fichier .gr invalide";

// First line of every read error; the reason follows on the second line.
inline constexpr const char* read_error_heading = "** Erreur de lecture du fichier .gr:\n";

// Why a file could not be opened, in French: from the error number of the
// open ("fichier introuvable", "permission refusée", ...), or
// reason_directory / reason_not_regular_file for a file that opened as
// something else.
std::string open_failure_reason(int error_number);
inline constexpr const char* reason_directory = "c'est un dossier";
inline constexpr const char* reason_not_regular_file =
    "ce n'est pas un fichier ordinaire (tube, périphérique ou socket)";

// The box of a file that cannot be opened: "Impossible d'ouvrir le .gr
// « <path> » : <reason>."
std::string cannot_open_text(const std::string& path, const std::string& reason);
// Its console line: "** Erreur d'ouverture : <path> : <reason>".
std::string cannot_open_line(const std::string& path, const std::string& reason);
// The console line that ends a load that failed after the file was open,
// from the text of its box: "** Erreur de lecture du fichier .gr : " and
// the reason, its lines joined by " — "; "** Chargement refusé : " instead
// when the graph was refused for the demands it was loaded with.
std::string read_failure_line(const std::string& message, bool demands = false);

// "Quillmere - [<path>]".
std::string loaded_window_title(const std::string& path);

// "** Le graphe \"<path>\" a été chargé avec succès."
std::string loaded_success_line(const std::string& path);

// text_invalid_file, then a line that says where matching stopped and what
// was expected there, e.g. «ligne 2, colonne 8 : « ; » attendu au lieu de
// « 1 »», with a hint after " — " for the usual slips (a line end after the
// last ";", a split arrow, an unclosed "[", a character that a key cannot
// hold, a statement out of order, a number too large, a byte outside ASCII).
std::string invalid_text_message(const ParseFailure& failure);

// The heading, then <scope>Option "<name>" non reconnue. A name of more than
// message_quote_limit characters is cut, and its line and column follow.
std::string unknown_option_text(const EUnknownOption& error);

// The heading, then why the description cannot become a graph, naming the
// number, the option and its text (cut past message_quote_limit
// characters), or the vertex count and the maximum.
std::string refusal_text(const EGraphRefused& refusal);

// The heading, then the statement that the file is larger than `max_bytes`.
std::string file_too_large_text(std::size_t max_bytes);

// The heading, then the statement that memory ran out while building.
std::string out_of_memory_text();

// The heading, then the statement that the file could not be read to its end.
std::string read_failure_text();

// The heading, then an unexpected error while building, with its detail when
// there is one.
std::string build_failure_text(const std::string& detail);

// The texts of a demand file, whose path each of them quotes: one that
// cannot be opened (a missing file, a directory, a named pipe), with the
// reason as a graph file's gives it, one larger than `max_bytes`, one that
// could not be read to its end.
std::string demand_file_cannot_open_text(const std::string& path, const std::string& reason);
std::string demand_file_too_large_text(const std::string& path, std::size_t max_bytes);
std::string demand_file_read_failure_text(const std::string& path);

// Why the chosen demands cannot be a graph's: "Fichier de demandes invalide"
// and «« <path> », ligne L, colonne C : <reason>» (without the line and
// column for what concerns the whole file); or "Demandes refusées" and the
// vertex count with the all-pairs maximum, or the program's flow columns
// with their maximum.
std::string demand_refusal_text(const DemandRefusal& refusal, const std::string& path);
