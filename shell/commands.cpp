#include "shell/commands.h"

#include <array>

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

constexpr std::array view_items{
    MenuItem{IDM_SHOW_CONSOLE, "&Console", true},
};

constexpr std::array help_items{
    MenuItem{IDM_ABOUT, "À &propos"},
};

constexpr std::array menus{
    Menu{"&Fichier", file_items},
    Menu{"&Options", options_items},
    Menu{"Affic&hage", view_items},
    Menu{"&Aide", help_items},
};

constexpr std::array accelerator_table{
    Accelerator{'O', false, IDM_OPEN},         Accelerator{'F', false, IDM_TOGGLE_FLOW},
    Accelerator{'2', true, IDM_PROJECTION_2D}, Accelerator{'3', true, IDM_PROJECTION_3D},
    Accelerator{'R', false, IDM_REDISTRIBUTE}, Accelerator{'V', false, IDM_VERBOSE},
    Accelerator{0, false, IDM_RELOAD, 5},      Accelerator{'S', false, IDM_SAVE_RESULTS},
    Accelerator{'Q', false, IDM_QUIT},
};

}  // namespace

std::span<const Menu> main_menu() {
    return menus;
}

std::span<const Accelerator> accelerators() {
    return accelerator_table;
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
