#pragma once

#include <algorithm>
#include <span>
#include <string>

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
    // How every load places its vertices: at random, or by the force layout.
    layout_random_on_load = 40117,
    layout_force_on_load = 40118,
    // The submenu of the files loaded last.
    recent_files = 40119,
    // Chooses a demand file and applies it to the graph on show.
    open_demands = 40120,
    // Which demands the loads take: every pair, the default three, a file.
    demands_all_pairs = 40121,
    demands_default = 40122,
    demands_file = 40123,
    // The submenu of the LP engine the loads solve with, and its items.
    solver_menu = 40124,
    solver_auto = 40125,
    solver_lp_solve = 40126,
    solver_clp = 40127,
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
    // Whether the item opens a submenu rather than running its command: the
    // items of `items`, or, when there are none, those the window fills in
    // itself (the recent files).
    bool submenu = false;
    std::span<const MenuItem> items = {};

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
    // The key under which the flag is kept between runs, or null for a flag
    // that every start resets.
    const char* preference = nullptr;
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

// A radio item of a choice kept between runs: choosing it sets the choice
// `key` to `value`, and it is checked while the choice has that value. The
// first item of a key gives the choice's value at first start (and when the
// kept one makes no sense). A new choice is its rows here, beside its radio
// items in the menu's table; the window keeps it with the preferences. An
// item that is not `kept` is a value of the run alone: choosing it leaves
// the kept value as it was, and it is never read back.
struct ChoiceItem {
    Command command;
    const char* key;
    const char* value;
    bool kept = true;
};

std::span<const ChoiceItem> choice_items();

// The choice of how loads place their vertices, and its value for the force
// layout.
inline constexpr const char* load_layout_key = "load/layout";
inline constexpr const char* load_layout_force = "force";

// The choice of the demands the loads take: the default three, all pairs,
// or a demand file. The file is chosen, and read, by its dialog in each run:
// its value is not kept.
inline constexpr const char* load_demands_key = "load/demands";
inline constexpr const char* load_demands_default = "default";
inline constexpr const char* load_demands_all_pairs = "all-pairs";
inline constexpr const char* load_demands_file = "file";

// The choice of the LP engine the loads, and their certificates, solve with:
// its values are solver_choice_key's ("auto", "lp_solve", "clp").
inline constexpr const char* load_solver_key = "load/solver";

// The row of `table` for `command`, or null.
template <typename Row>
const Row* find_command(std::span<const Row> table, Command command) {
    const auto found = std::ranges::find(table, command, &Row::command);
    return found == table.end() ? nullptr : &*found;
}
