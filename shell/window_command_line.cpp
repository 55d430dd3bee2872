#include "shell/window_command_line.h"

Expected<WindowCommandLine> parse_window_command_line(const std::vector<std::string>& args) {
    WindowCommandLine line;
    bool options_ended = false;
    for (const std::string& arg : args) {
        if (!options_ended && arg == "--") {
            options_ended = true;
        } else if (!options_ended && arg == "--help") {
            line.help = true;
        } else if (!options_ended && arg == "--reset-settings") {
            line.reset_settings = true;
        } else if (!options_ended && !arg.empty() && arg[0] == '-') {
            return fail("option inconnue : " + arg);
        } else if (arg.empty()) {
            return fail("nom de fichier vide");
        } else if (line.file) {
            return fail("un seul fichier à la fois : " + arg);
        } else {
            line.file = arg;
        }
    }
    return line;
}
