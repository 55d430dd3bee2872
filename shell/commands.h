#pragma once

#include <span>
#include <string>

// Command identifiers of the main window's menu and keyboard shortcuts.
inline constexpr int IDM_OPEN = 40002;
inline constexpr int IDM_ABOUT = 40004;
inline constexpr int IDM_QUIT = 40006;
inline constexpr int IDM_PROJECTION_3D = 40007;
inline constexpr int IDM_PROJECTION_2D = 40008;
inline constexpr int IDM_REDISTRIBUTE = 40014;
inline constexpr int IDM_TOGGLE_FLOW = 40017;
inline constexpr int IDM_VERBOSE = 40021;
// The Affichage menu and the shortcut list of the Aide menu.
inline constexpr int IDM_SHOW_LABELS = 40101;
inline constexpr int IDM_LABEL_ALL = 40102;
inline constexpr int IDM_SHOW_LEGEND = 40103;
inline constexpr int IDM_SHOW_CUT = 40104;
inline constexpr int IDM_SHOW_ARROWS = 40105;
inline constexpr int IDM_FIT_VIEW = 40106;
inline constexpr int IDM_FIT_ON_LOAD = 40107;
inline constexpr int IDM_FORCE_LAYOUT = 40108;
inline constexpr int IDM_EXPORT_IMAGE = 40109;
inline constexpr int IDM_SHORTCUTS = 40110;
// Loads the last file chosen again.
inline constexpr int IDM_RELOAD = 40111;
// Saves the JSON report of the graph on show.
inline constexpr int IDM_SAVE_RESULTS = 40112;
// Saves the console's text.
inline constexpr int IDM_SAVE_CONSOLE = 40113;
// Shows or hides the console panel.
inline constexpr int IDM_SHOW_CONSOLE = 40114;
// Which cut "Montrer la coupe" shows: the sweep's, or the certified best.
inline constexpr int IDM_CUT_SWEEP = 40115;
inline constexpr int IDM_CUT_BEST = 40116;

// One entry of a drop-down menu: a command, or a separator line when
// `command` is 0. The text marks its mnemonic with "&" and carries the
// shortcut's text after a tab, shown as written.
struct MenuItem {
    int command = 0;
    const char* text = "";
    // Whether the item shows a check mark that follows a flag.
    bool checkable = false;
    // Non-zero for a choice: the checkable items of one group show radio
    // marks, exactly one of them checked.
    int radio_group = 0;

    bool is_separator() const { return command == 0; }
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
    int command;
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
