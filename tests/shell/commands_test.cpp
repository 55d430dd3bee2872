#include "shell/commands.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

TEST(CommandTables, MenuTextsIdsAndSeparators) {
    const auto menus = main_menu();
    // Every menu as its title, then each item as "id text" ("-" for a
    // separator), with "[x]" after an item that carries a check mark, "(o)"
    // after one with a radio mark, ">" after a submenu.
    std::vector<std::string> seen;
    for (const Menu& menu : menus) {
        std::string line = menu.title;
        for (const MenuItem& item : menu.items) {
            line += item.is_separator()
                        ? std::string(" | -")
                        : " | " + std::to_string(static_cast<int>(item.command)) + " " + item.text +
                              (!item.checkable ? "" : item.radio_group != 0 ? " (o)" : " [x]") +
                              (item.submenu ? " >" : "");
            for (const MenuItem& sub : item.items) {
                line += " > " + std::to_string(static_cast<int>(sub.command)) + " " + sub.text +
                        (sub.radio_group != 0 ? " (o)" : "");
            }
        }
        seen.push_back(line);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "&Fichier | 40002 &Ouvrir un graphe...\tCtrl+O | 40120 Ouvrir des "
                        "&demandes...\tCtrl+D | 40111 &Recharger\tF5 | 40119 Fichiers récen&ts > "
                        "| - | 40112 &Enregistrer les résultats...\tCtrl+S | 40113 Enregistrer la "
                        "&console... | - | 40006 &Quitter\tCtrl+Q",
                        "&Options | 40007 Projection &3D\tCtrl+3 | 40008 Projection &2D\tCtrl+2 | "
                        "- | 40014 &Redistribuer les sommets\tCtrl+R | - | 40017 Montrer/Cacher "
                        "le maxflow\tCtrl+F [x] | - | 40021 Verbose\tCtrl+V [x] | - | 40121 "
                        "Demandes : toutes les &paires (o) | 40122 Demandes : trois commodités "
                        "par &défaut (o) | 40123 Demandes : &fichier (o) | - | 40124 &Solveur "
                        "LP > > 40125 &Automatique (o) > 40126 &lp_solve (o) > 40127 &CLP (o)",
                        "Affic&hage | 40114 &Console [x] | - | 40101 &Numéros des sommets\tCtrl+L "
                        "[x] | 40102 Numéros de &tous les sommets\tCtrl+T [x] | 40103 &Légende et "
                        "résultat\tCtrl+G [x] | 40104 Montrer la &coupe\tCtrl+K [x] | 40115 Coupe du "
         "&balayage (o) | 40116 &Meilleure coupe (o) | 40105 "
                        "&Flèches des arcs\tCtrl+H [x] | - | 40106 Recadrer la &vue\tDébut | 40107 "
                        "Recadrer à chaque c&hargement\tCtrl+U [x] | - | 40108 &Disposition par "
                        "forces\tCtrl+B | 40117 Disposition au chargement : &aléatoire (o) | "
                        "40118 Disposition au chargement : par f&orces (o) | - | 40109 &Exporter l'image...\tCtrl+E",
                        "&Aide | 40110 &Raccourcis | 40004 À &propos",
                    }));
}

TEST(CommandTables, ShortcutsAndTheirTexts) {
    std::map<Command, std::string> by_command;
    for (const Accelerator& a : accelerators()) {
        EXPECT_TRUE(by_command.emplace(a.command, shortcut_text(a)).second) << shortcut_text(a);
    }
    const std::map<Command, std::string> expected{
        {Command::open, "Ctrl+O"},
        {Command::open_demands, "Ctrl+D"},
        {Command::toggle_flow, "Ctrl+F"},
        {Command::projection_2d, "Ctrl+2 (pavé numérique)"},
        {Command::projection_3d, "Ctrl+3 (pavé numérique)"},
        {Command::redistribute, "Ctrl+R"},
        {Command::verbose, "Ctrl+V"},
        {Command::reload, "F5"},
        {Command::save_results, "Ctrl+S"},
        {Command::quit, "Ctrl+Q"},
        {Command::show_labels, "Ctrl+L"},
        {Command::label_all, "Ctrl+T"},
        {Command::show_legend, "Ctrl+G"},
        {Command::show_cut, "Ctrl+K"},
        {Command::show_arrows, "Ctrl+H"},
        {Command::fit_on_load, "Ctrl+U"},
        {Command::force_layout, "Ctrl+B"},
        {Command::export_image, "Ctrl+E"},
    };
    EXPECT_EQ(by_command, expected);
    // No key serves two commands.
    std::set<std::string> keys;
    for (const Accelerator& a : accelerators()) {
        EXPECT_TRUE(keys.insert(shortcut_text(a)).second) << shortcut_text(a);
    }
}

TEST(CommandTables, ShortcutListNamesEveryShortcutOfTheMenus) {
    const std::string text = shortcuts_text();
    for (const Menu& menu : main_menu()) {
        for (const MenuItem& item : menu.items) {
            const std::string full = item.is_separator() ? "" : item.text;
            const std::size_t tab = full.find('\t');
            if (tab != std::string::npos) {
                EXPECT_NE(text.find(full.substr(tab + 1)), std::string::npos) << full;
            }
        }
    }
    EXPECT_NE(text.find("Ctrl+K : Montrer la coupe (Affichage)\n"), std::string::npos);
    EXPECT_NE(text.find("F5 : Recharger (Fichier)\n"), std::string::npos);
    EXPECT_NE(text.find("Ctrl+2 (pavé numérique) : Projection 2D (Options)\n"), std::string::npos);
    for (const char* key : {"Z / S", "A / W", "Q / D", "P / M", "F2", "Molette", "Échap"}) {
        EXPECT_NE(text.find(key), std::string::npos) << key;
    }
}

// A checkable item without its row in the toggle or choice tables would do
// nothing, and a row without its item could never be chosen.
TEST(CommandTables, CheckableItemsAreExactlyTheTogglesAndChoices) {
    std::set<Command> rows;
    for (const auto& toggle : view_toggles()) {
        rows.insert(toggle.command);
    }
    for (const auto& toggle : window_toggles()) {
        rows.insert(toggle.command);
    }
    for (const CutChoice& choice : cut_choices()) {
        rows.insert(choice.command);
    }
    for (const ChoiceItem& item : choice_items()) {
        rows.insert(item.command);
    }
    std::set<Command> checkable;
    for (const Menu& menu : main_menu()) {
        for (const MenuItem& item : menu.items) {
            for (const MenuItem& sub : item.items) {
                EXPECT_TRUE(sub.checkable || sub.is_separator()) << sub.text;
                checkable.insert(sub.command);
            }
            if (item.checkable) {
                checkable.insert(item.command);
            }
        }
    }
    EXPECT_EQ(checkable, rows);
}
