#include "shell/commands.h"

#include <array>
#include <string_view>

#include "common/solver_choice.h"

namespace {

constexpr MenuItem separator{};

constexpr std::array file_items{
    MenuItem{Command::open, "&Ouvrir un graphe...\tCtrl+O"},
    MenuItem{Command::open_demands, "Ouvrir des &demandes...\tCtrl+D"},
    MenuItem{Command::reload, "&Recharger\tF5"},
    MenuItem{Command::recent_files, "Fichiers récen&ts", false, 0, true},
    separator,
    MenuItem{Command::save_results, "&Enregistrer les résultats...\tCtrl+S"},
    MenuItem{Command::save_console, "Enregistrer la &console..."},
    separator,
    MenuItem{Command::quit, "&Quitter\tCtrl+Q"},
};

constexpr std::array solver_items{
    MenuItem{Command::solver_auto, "&Automatique", true, 4},
    MenuItem{Command::solver_lp_solve, "&lp_solve", true, 4},
    MenuItem{Command::solver_clp, "&CLP", true, 4},
};

constexpr std::array options_items{
    MenuItem{Command::projection_3d, "Projection &3D\tCtrl+3"},
    MenuItem{Command::projection_2d, "Projection &2D\tCtrl+2"},
    separator,
    MenuItem{Command::redistribute, "&Redistribuer les sommets\tCtrl+R"},
    separator,
    MenuItem{Command::toggle_flow, "Montrer/Cacher le maxflow\tCtrl+F", true},
    separator,
    MenuItem{Command::verbose, "Verbose\tCtrl+V", true},
    separator,
    MenuItem{Command::demands_all_pairs, "Demandes : toutes les &paires", true, 3},
    MenuItem{Command::demands_default, "Demandes : trois commodités par &défaut", true, 3},
    MenuItem{Command::demands_file, "Demandes : &fichier", true, 3},
    separator,
    MenuItem{Command::solver_menu, "&Solveur LP", false, 0, true, solver_items},
};

constexpr std::array display_items{
    MenuItem{Command::show_console, "&Console", true},
    separator,
    MenuItem{Command::show_labels, "&Numéros des sommets\tCtrl+L", true},
    MenuItem{Command::label_all, "Numéros de &tous les sommets\tCtrl+T", true},
    MenuItem{Command::show_legend, "&Légende et résultat\tCtrl+G", true},
    MenuItem{Command::show_cut, "Montrer la &coupe\tCtrl+K", true},
    MenuItem{Command::cut_sweep, "Coupe du &balayage", true, 1},
    MenuItem{Command::cut_best, "&Meilleure coupe", true, 1},
    MenuItem{Command::show_arrows, "&Flèches des arcs\tCtrl+H", true},
    separator,
    MenuItem{Command::fit_view, "Recadrer la &vue\tDébut"},
    MenuItem{Command::fit_on_load, "Recadrer à chaque c&hargement\tCtrl+U", true},
    separator,
    MenuItem{Command::force_layout, "&Disposition par forces\tCtrl+B"},
    MenuItem{Command::layout_random_on_load, "Disposition au chargement : &aléatoire", true, 2},
    MenuItem{Command::layout_force_on_load, "Disposition au chargement : par f&orces", true, 2},
    separator,
    MenuItem{Command::export_image, "&Exporter l'image...\tCtrl+E"},
};

constexpr std::array help_items{
    MenuItem{Command::shortcuts, "&Raccourcis"},
    MenuItem{Command::about, "À &propos"},
};

constexpr std::array menus{
    Menu{"&Fichier", file_items},
    Menu{"&Options", options_items},
    Menu{"Affic&hage", display_items},
    Menu{"&Aide", help_items},
};

constexpr std::array accelerator_table{
    Accelerator{'O', false, Command::open},         Accelerator{'F', false, Command::toggle_flow},
    Accelerator{'2', true, Command::projection_2d}, Accelerator{'3', true, Command::projection_3d},
    Accelerator{'R', false, Command::redistribute}, Accelerator{'V', false, Command::verbose},
    Accelerator{'L', false, Command::show_labels},  Accelerator{'T', false, Command::label_all},
    Accelerator{'G', false, Command::show_legend},  Accelerator{'K', false, Command::show_cut},
    Accelerator{'H', false, Command::show_arrows},  Accelerator{'U', false, Command::fit_on_load},
    Accelerator{'B', false, Command::force_layout}, Accelerator{'E', false, Command::export_image},
    Accelerator{0, false, Command::reload, 5},      Accelerator{'S', false, Command::save_results},
    Accelerator{'Q', false, Command::quit},         Accelerator{'D', false, Command::open_demands},
};

constexpr std::array view_toggle_table{
    Toggle<ViewSettings>{Command::toggle_flow, &ViewSettings::show_flow},
    Toggle<ViewSettings>{Command::show_labels, &ViewSettings::show_labels, nullptr, "view/labels"},
    Toggle<ViewSettings>{Command::label_all, &ViewSettings::label_all, nullptr, "view/all_labels"},
    Toggle<ViewSettings>{Command::show_legend, &ViewSettings::show_legend, nullptr, "view/legend"},
    Toggle<ViewSettings>{Command::show_cut, &ViewSettings::show_cut},
    Toggle<ViewSettings>{Command::show_arrows, &ViewSettings::show_arrows, nullptr, "view/arrows"},
    Toggle<ViewSettings>{Command::fit_on_load, &ViewSettings::fit_on_load, nullptr,
                         "view/fit_on_load"},
};

constexpr std::array window_toggle_table{
    Toggle<WindowFlags>{Command::verbose, &WindowFlags::verbose},
    Toggle<WindowFlags>{Command::show_console, &WindowFlags::console_shown,
                        &WindowPlatform::set_console_shown},
};

constexpr std::array cut_choice_table{
    CutChoice{Command::cut_sweep, &ViewSettings::show_best_cut, false},
    CutChoice{Command::cut_best, &ViewSettings::show_best_cut, true},
};

constexpr std::array choice_item_table{
    ChoiceItem{Command::layout_random_on_load, load_layout_key, "random"},
    ChoiceItem{Command::layout_force_on_load, load_layout_key, load_layout_force},
    ChoiceItem{Command::demands_default, load_demands_key, load_demands_default},
    ChoiceItem{Command::demands_all_pairs, load_demands_key, load_demands_all_pairs},
    ChoiceItem{Command::demands_file, load_demands_key, load_demands_file, false},
    ChoiceItem{Command::solver_auto, load_solver_key, solver_choice_key(SolverChoice::automatic)},
    ChoiceItem{Command::solver_lp_solve, load_solver_key,
               solver_choice_key(SolverChoice::lp_solve)},
    ChoiceItem{Command::solver_clp, load_solver_key, solver_choice_key(SolverChoice::clp)},
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

std::span<const Toggle<ViewSettings>> view_toggles() {
    return view_toggle_table;
}

std::span<const Toggle<WindowFlags>> window_toggles() {
    return window_toggle_table;
}

std::span<const CutChoice> cut_choices() {
    return cut_choice_table;
}

std::span<const ChoiceItem> choice_items() {
    return choice_item_table;
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
        "Échap : arrêter le chargement ou la disposition en cours, sinon quitter\n";
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
