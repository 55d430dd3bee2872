#pragma once

#include <QMainWindow>
#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/file_drop.h"
#include "shell/commands.h"

class GlView;
class MainWindowLogic;
class QAction;
class QActionGroup;
class QKeyEvent;
class QMenu;

// The command of the Ctrl + keypad digit shortcut that `event` presses, or
// none. The same digit of the main row, or the keypad's key without Num Lock
// (an arrow then), gives none.
Command keypad_command(const QKeyEvent& event);

// The main window: the menu bar built from the command tables with their
// shortcuts (and the recent files' submenu), the GL view filling the rest,
// and the translation of the window's events (keys, focus, close, a graph
// file dropped on it) into calls to the logic.
class MainWindow : public QMainWindow {
  public:
    explicit MainWindow(MainWindowLogic& logic);

    GlView* view() const { return view_; }
    // The menu action of `command`, or null for a command without one.
    QAction* action(Command command) const;

    // Whether the letter key (Qt::Key_A … Qt::Key_Z) is held down, as far as
    // this window has seen its presses and releases since it last had the
    // focus.
    bool is_key_held(int qt_key) const { return held_keys_.count(qt_key) > 0; }

    // Runs the command of a Ctrl + keypad digit shortcut pressed in this
    // window or in the console panel. Returns false, doing nothing, for any
    // other key or while a modal dialog is up.
    bool run_keypad_shortcut(const QKeyEvent& event);

    void set_drop_handler(GraphDropHandler handler) { drop_ = std::move(handler); }

    // Fills Fichier → Fichiers récents with one item per path, numbered from
    // 1; choosing one calls `choose` with its index.
    void set_recent_files(const std::vector<std::string>& paths,
                          const std::function<void(std::size_t)>& choose);
    QMenu* recent_menu() const { return recent_menu_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void build_menu();
    // Adds `items` to `menu`, a submenu's own items into it, each radio item
    // to the group of its number in `groups`.
    void add_menu_items(QMenu* menu, std::span<const MenuItem> items,
                        std::map<int, QActionGroup*>& groups);

    MainWindowLogic& logic_;
    GlView* view_;
    std::map<Command, QAction*> actions_;
    QMenu* recent_menu_ = nullptr;
    std::set<int> held_keys_;
    GraphDropHandler drop_;
};
