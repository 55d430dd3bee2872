#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"

// What the viewer's command line asks for: `tarvessa [--reset-settings] [FILE.gr]`.
struct WindowCommandLine {
    // The graph file to load at start, as given.
    std::optional<std::string> file;
    // --help: print the usage and end.
    bool help = false;
    // --reset-settings: forget the preferences kept from earlier runs and
    // start from the defaults.
    bool reset_settings = false;
};

inline constexpr const char* window_usage =
    "Usage : tarvessa [--reset-settings] [FICHIER.gr]\n"
    "Ouvre la fenêtre de Quillmere et, si un fichier est donné, charge ce graphe comme\n"
    "la commande Ouvrir. « -- » termine les options (pour un nom qui commence par -).\n"
    "  --reset-settings  oublie les préférences gardées (affichage, disposition,\n"
    "                    fichiers récents, dossiers, places des fenêtres) et part\n"
    "                    des réglages par défaut\n"
    "  --help            affiche cette aide\n";

// Reads the arguments after the program's name: at most one file, --help,
// --reset-settings, and "--" before a file whose name starts with "-". Anything else is an
// error whose French message (without the usage) is returned instead.
Expected<WindowCommandLine> parse_window_command_line(const std::vector<std::string>& args);
