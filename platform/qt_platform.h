#pragma once

#include <QDir>
#include <QObject>
#include <string>

#include "platform/console_panel.h"
#include "platform/main_window.h"
#include "shell/main_window_logic.h"
#include "shell/window_platform.h"

class AboutBox;
class QFileDialog;

// The window system for the main window's logic, on Qt: owns the console
// panel, the logic and the main window (in that order, so that each exists
// before what uses it), and the dialogs.
//
// The dialogs are modal to the main window only and leave the event loop
// running, so the view keeps drawing while they are open; the open dialog's
// answer reaches the logic once the dialog has closed.
class QtPlatform final : public QObject, public WindowPlatform {
  public:
    // `random` is the source that loads and Redistribute draw from.
    explicit QtPlatform(RandomSource random);
    ~QtPlatform() override;

    // Shows the main window (title "Quillmere", 700 × 710 at (50, 50)) and
    // the console panel to its right, gives the main window the focus and
    // starts the logic. A GL context that proves unusable on the first
    // frame ends the program with status 1 after an error box.
    void start();

    MainWindow& main_window() { return window_; }
    ConsolePanel& console() { return console_; }
    MainWindowLogic& logic() { return logic_; }
    // The open dialog while it is up, else null.
    QFileDialog* open_dialog() const { return open_dialog_; }
    AboutBox* about_box() const { return about_box_; }

    void set_title(const std::string& title) override;
    void show_error(const std::string& caption, const std::string& text) override;
    void set_menu_check(int command, bool checked) override;
    void start_open_dialog() override;
    void show_about() override;
    void quit(int status) override;
    bool is_key_held(char letter) override;
    ScreenPoint cursor_position() override;
    void set_cursor_position(ScreenPoint point) override;
    void set_cursor_hidden(bool hidden) override;
    ScreenRect main_window_rect() override;
    void set_busy(bool busy) override;
    void export_picture(const std::string& proposed_name) override;
    void show_shortcuts(const std::string& text) override;
    ConsoleSink& console_sink() override { return console_; }

  private:
    void open_dialog_finished(int result);
    void give_back_focus();

    ConsolePanel console_;
    MainWindowLogic logic_;
    MainWindow window_;
    QFileDialog* open_dialog_ = nullptr;
    QString open_directory_ = QDir::currentPath();
    AboutBox* about_box_ = nullptr;
    class QMessageBox* shortcuts_box_ = nullptr;
    bool busy_ = false;
};

// The box shown when the window or its GL context cannot be made; it has no
// owner.
void show_start_failure();
