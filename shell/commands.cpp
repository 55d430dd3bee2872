#include "shell/commands.h"

#include <array>
#include <string_view>

namespace {

constexpr MenuItem separator{};

constexpr std::array file_items{
    MenuItem{IDM_OPEN, "&Ouvrir un graphe...\tCtrl+O"},
    MenuItem{IDM_RELOAD, "&Recharger\tF5"},
    separator,
    MenuItem{IDM_SAVE_RESULTS, "&Enregistrer les résultats...\tCtrl+S"},
    MenuItem{IDM_SAVE_CONSOLE, "Enregistrer la &console..."},
    separator,
    MenuItem{IDM_QUIT, "&Quitter\tCtrl+Q"},
};

constexpr std::array options_items{
    MenuItem{IDM_PROJECTION_3D, "Projection &3D\tCtrl+3"},
    MenuItem{IDM_PROJECTION_2D, "Projection &2D\tCtrl+2"},
    separator,
    MenuItem{IDM_REDISTRIBUTE, "&Redistribuer les sommets\tCtrl+R"},
    separator,
    MenuItem{IDM_TOGGLE_FLOW, "Montrer/Cacher le maxflow\tCtrl+F", true},
    separator,
    MenuItem{IDM_VERBOSE, "Verbose\tCtrl+V", true},
};

constexpr std::array display_items{
    MenuItem{IDM_SHOW_CONSOLE, "&Console", true},
    separator,
    MenuItem{IDM_SHOW_LABELS, "&Numéros des sommets\tCtrl+L", true},
    MenuItem{IDM_LABEL_ALL, "Numéros de &tous les sommets\tCtrl+T", true},
    MenuItem{IDM_SHOW_LEGEND, "&Légende et résultat\tCtrl+G", true},
    MenuItem{IDM_SHOW_CUT, "Montrer la &coupe\tCtrl+K", true},
    MenuItem{IDM_CUT_SWEEP, "Coupe du &balayage", true, 1},
    MenuItem{IDM_CUT_BEST, "&Meilleure coupe", true, 1},
    MenuItem{IDM_SHOW_ARROWS, "&Flèches des arcs\tCtrl+H", true},
    separator,
    MenuItem{IDM_FIT_VIEW, "Recadrer la &vue\tDébut"},
    MenuItem{IDM_FIT_ON_LOAD, "Recadrer à chaque c&hargement\tCtrl+U", true},
    separator,
    MenuItem{IDM_FORCE_LAYOUT, "&Disposition par forces\tCtrl+B"},
    separator,
    MenuItem{IDM_EXPORT_IMAGE, "&Exporter l'image...\tCtrl+E"},
};

constexpr std::array help_items{
    MenuItem{IDM_SHORTCUTS, "&Raccourcis"},
    MenuItem{IDM_ABOUT, "À &propos"},
};

constexpr std::array menus{
    Menu{"&Fichier", file_items},
    Menu{"&Options", options_items},
    Menu{"Affic&hage", display_items},
    Menu{"&Aide", help_items},
};

constexpr std::array accelerator_table{
    Accelerator{'O', false, IDM_OPEN},         Accelerator{'F', false, IDM_TOGGLE_FLOW},
    Accelerator{'2', true, IDM_PROJECTION_2D}, Accelerator{'3', true, IDM_PROJECTION_3D},
    Accelerator{'R', false, IDM_REDISTRIBUTE}, Accelerator{'V', false, IDM_VERBOSE},
    Accelerator{'L', false, IDM_SHOW_LABELS},  Accelerator{'T', false, IDM_LABEL_ALL},
    Accelerator{'G', false, IDM_SHOW_LEGEND},  Accelerator{'K', false, IDM_SHOW_CUT},
    Accelerator{'H', false, IDM_SHOW_ARROWS},  Accelerator{'U', false, IDM_FIT_ON_LOAD},
    Accelerator{'B', false, IDM_FORCE_LAYOUT}, Accelerator{'E', false, IDM_EXPORT_IMAGE},
    Accelerator{0, false, IDM_RELOAD, 5},      Accelerator{'S', false, IDM_SAVE_RESULTS},
    Accelerator{'Q', false, IDM_QUIT},
};

// A menu text without its mnemonic marks ("&&" stays one "&").
std::string without_mnemonic(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
        }
        plain += text[i];
    }
    return plain;
}

}  // namespace

std::span<const Menu> main_menu() {
    return menus;
}

std::span<const Accelerator> accelerators() {
    return accelerator_table;
}

std::string shortcuts_text() {
    std::string text;
    for (const Menu& menu : main_menu()) {
        for (const MenuItem& item : menu.items) {
            const std::string_view full = item.text;
            const std::size_t tab = full.find('\t');
            if (item.is_separator() || tab == std::string_view::npos) {
                continue;
            }
            bool keypad = false;
            for (const Accelerator& accelerator : accelerators()) {
                keypad = keypad || (accelerator.command == item.command && accelerator.keypad);
            }
            text += std::string(full.substr(tab + 1)) + (keypad ? " (pavé numérique)" : "") +
                    " : " + without_mnemonic(full.substr(0, tab)) + " (" +
                    without_mnemonic(menu.title) + ")\n";
        }
    }
    text +=
        "Z / S : avancer / reculer\n"
        "A / W : avancer / reculer vite\n"
        "Q / D : pas à gauche / à droite (3D)\n"
        "P / M : écarter / rapprocher les sommets\n"
        "F2 : regard à la souris\n"
        "Molette : avancer / reculer (3D), monter / descendre (2D)\n"
        "Bouton gauche maintenu : regarder autour (3D), déplacer la vue (2D)\n"
        "Échap : quitter\n";
    return text;
}

std::string shortcut_text(const Accelerator& accelerator) {
    if (accelerator.function_key != 0) {
        return "F" + std::to_string(accelerator.function_key);
    }
    std::string text = std::string("Ctrl+") + accelerator.key;
    if (accelerator.keypad) {
        text += " (pavé numérique)";
    }
    return text;
}
