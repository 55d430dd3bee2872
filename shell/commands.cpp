#include "shell/commands.h"

#include <array>

namespace {

constexpr MenuItem separator{};

constexpr std::array file_items{
    MenuItem{IDM_OPEN, "&Ouvrir un graphe...\tCtrl+O"},
    separator,
    MenuItem{IDM_QUIT, "&Quitter"},
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

constexpr std::array help_items{
    MenuItem{IDM_ABOUT, "À &propos"},
};

constexpr std::array menus{
    Menu{"&Fichier", file_items},
    Menu{"&Options", options_items},
    Menu{"&Aide", help_items},
};

constexpr std::array accelerator_table{
    Accelerator{'O', false, IDM_OPEN},         Accelerator{'F', false, IDM_TOGGLE_FLOW},
    Accelerator{'2', true, IDM_PROJECTION_2D}, Accelerator{'3', true, IDM_PROJECTION_3D},
    Accelerator{'R', false, IDM_REDISTRIBUTE}, Accelerator{'V', false, IDM_VERBOSE},
};

}  // namespace

std::span<const Menu> main_menu() {
    return menus;
}

std::span<const Accelerator> accelerators() {
    return accelerator_table;
}
