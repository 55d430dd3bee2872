#pragma once

#include <span>

// Command identifiers of the main window's menu and keyboard shortcuts.
inline constexpr int IDM_OPEN = 40002;
inline constexpr int IDM_ABOUT = 40004;
inline constexpr int IDM_QUIT = 40006;
inline constexpr int IDM_PROJECTION_3D = 40007;
inline constexpr int IDM_PROJECTION_2D = 40008;
inline constexpr int IDM_REDISTRIBUTE = 40014;
inline constexpr int IDM_TOGGLE_FLOW = 40017;
inline constexpr int IDM_VERBOSE = 40021;

// One entry of a drop-down menu: a command, or a separator line when
// `command` is 0. The text marks its mnemonic with "&" and carries the
// shortcut's text after a tab, shown as written.
struct MenuItem {
    int command = 0;
    const char* text = "";
    // Whether the item shows a check mark that follows a flag.
    bool checkable = false;

    bool is_separator() const { return command == 0; }
};

struct Menu {
    const char* title;
    std::span<const MenuItem> items;
};

// The menu bar, left to right.
std::span<const Menu> main_menu();

// A shortcut: Ctrl with a letter or a digit. A keypad shortcut answers only to
// the digit of the numeric keypad, never to the same digit of the main row.
struct Accelerator {
    char key;
    bool keypad;
    int command;
};

std::span<const Accelerator> accelerators();
