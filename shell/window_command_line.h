#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"

// What the viewer's command line asks for: `tarvessa [FILE.gr]`.
struct WindowCommandLine {
    // The graph file to load at start, as given.
    std::optional<std::string> file;
    // --help: print the usage and end.
    bool help = false;
};

inline constexpr const char* window_usage =
    "Usage : tarvessa [FICHIER.gr]\n"
    "Ouvre la fenêtre de Quillmere et, si un fichier est donné, charge ce graphe comme\n"
    "la commande Ouvrir. « -- » termine les options (pour un nom qui commence par -).\n";

// Reads the arguments after the program's name: at most one file, --help,
// and "--" before a file whose name starts with "-". Anything else is an
// error whose French message (without the usage) is returned instead.
Expected<WindowCommandLine> parse_window_command_line(const std::vector<std::string>& args);
