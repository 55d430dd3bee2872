#pragma once

#include <algorithm>
#include <span>
#include <string>

#include "common/demand_choice.h"
#include "shell/window_platform.h"
#include "view/view_settings.h"

// The commands of the main window's menu and keyboard shortcuts.
enum class Command {
    // No command: a menu's separator line, or a key that runs none.
    none = 0,
    open = 40002,
    about = 40004,
    quit = 40006,
    projection_3d = 40007,
    projection_2d = 40008,
    redistribute = 40014,
    toggle_flow = 40017,
    verbose = 40021,
    // The Affichage menu and the shortcut list of the Aide menu.
    show_labels = 40101,
    label_all = 40102,
    show_legend = 40103,
    show_cut = 40104,
    show_arrows = 40105,
    fit_view = 40106,
    fit_on_load = 40107,
    force_layout = 40108,
    export_image = 40109,
    shortcuts = 40110,
    // Loads the last file chosen again.
    reload = 40111,
    // Saves the JSON report of the graph on show.
    save_results = 40112,
    // Saves the console's text.
    save_console = 40113,
    // Shows or hides the console panel.
    show_console = 40114,
    // Which cut "Montrer la coupe" shows: the sweep's, or the certified best.
    cut_sweep = 40115,
    cut_best = 40116,
    // Chooses a demand file and applies it to the graph on show.
    open_demands = 40117,
    // Which demands the loads take: every pair, the default three, a file.
    demands_all_pairs = 40118,
    demands_default = 40119,
    demands_file = 40120,
};

// One entry of a drop-down menu: a command, or a separator line when
// `command` is none. The text marks its mnemonic with "&" and carries the
// shortcut's text after a tab, shown as written.
struct MenuItem {
    Command command = Command::none;
    const char* text = "";
    // Whether the item shows a check mark that follows a flag.
    bool checkable = false;
    // Non-zero for a choice: the checkable items of one group show radio
    // marks, exactly one of them checked.
    int radio_group = 0;

    bool is_separator() const { return command == Command::none; }
};

struct Menu {
    const char* title;
    std::span<const MenuItem> items;
};

// The menu bar, left to right.
std::span<const Menu> main_menu();

// A shortcut: Ctrl with a letter or a digit, or a function key alone. A
// keypad shortcut answers only to the digit of the numeric keypad, never to
// the same digit of the main row.
struct Accelerator {
    // The letter (upper case) or digit pressed with Ctrl; 0 for a function
    // key.
    char key;
    bool keypad;
    Command command;
    // n for the function key Fn, pressed without Ctrl; 0 otherwise.
    int function_key = 0;
};

std::span<const Accelerator> accelerators();

// The text of Aide → Raccourcis, one line per key: every menu item that shows
// a shortcut (taken from the menu tables, so a new item appears by itself),
// then the movement keys, Échap, F2, the mouse wheel and the left button.
std::string shortcuts_text();
// How a shortcut is written for the user: "Ctrl+O", "Ctrl+2 (pavé
// numérique)", "F5".
std::string shortcut_text(const Accelerator& accelerator);

// The flags of the window's own that the menu toggles, beside the view's
// settings.
struct WindowFlags {
    // The next loads also list capacities, flows and coordinates.
    bool verbose = false;
    bool console_shown = true;
};

// A menu command that flips one flag of `Flags` and shows it as its check
// mark.
template <typename Flags>
struct Toggle {
    Command command;
    bool Flags::*flag;
    // Tells the window system the new value, for a flag that it must follow.
    void (WindowPlatform::*apply)(bool) = nullptr;
};

// The toggles of the view's settings and those of the window's own flags:
// adding a toggle is one row in its table, beside its checkable item in the
// menu's.
std::span<const Toggle<ViewSettings>> view_toggles();
std::span<const Toggle<WindowFlags>> window_toggles();

// A radio item that chooses the cut "Montrer la coupe" shows: it sets the
// flag to its value, and is checked while the flag has it. Choosing a cut
// also shows it.
struct CutChoice {
    Command command;
    bool ViewSettings::*flag;
    bool value;
};

std::span<const CutChoice> cut_choices();

// A radio item that chooses the demands of the loads: it is checked while
// the demands in force are of its kind. The file's item opens the demand
// dialog, as Ouvrir des demandes does.
struct DemandChoiceItem {
    Command command;
    DemandChoice::Kind kind;
};

std::span<const DemandChoiceItem> demand_choices();

// The row of `table` for `command`, or null.
template <typename Row>
const Row* find_command(std::span<const Row> table, Command command) {
    const auto found = std::ranges::find(table, command, &Row::command);
    return found == table.end() ? nullptr : &*found;
}
