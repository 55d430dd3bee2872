#pragma once

#include <QDir>
#include <QObject>
#include <QTimer>
#include <optional>
#include <string>

#include "platform/console_panel.h"
#include "platform/main_window.h"
#include "shell/main_window_logic.h"
#include "shell/window_platform.h"

class AboutBox;
class ProgressBox;
class QFileDialog;

// The window system for the main window's logic, on Qt: owns the console
// panel, the logic and the main window (in that order, so that each exists
// before what uses it), and the dialogs.
//
// The dialogs are modal to the main window only and leave the event loop
// running, so the view stays live while they are open; a file dialog's
// answer reaches the logic once the dialog has closed. The progress box of
// a long load is not modal at all.
class QtPlatform final : public QObject, public WindowPlatform {
  public:
    // `random` is the source that loads and Redistribute draw from; `load`
    // the load command (a stand-in in some tests); `preferences` where the
    // preferences are kept, if anywhere (it must outlive the platform).
    explicit QtPlatform(RandomSource random, LoadFunction load = load_graph_file,
                        PreferenceStore* preferences = nullptr);
    // Stops a load that still runs.
    ~QtPlatform() override;

    // Shows the main window (title "Quillmere", 700 × 710 at (50, 50)) and
    // the console panel to its right, or each where it was at the end of the
    // last run if that is on a screen, gives the main window the focus and
    // starts the logic; then loads `file` (a path as the user gave it), if
    // any, as Open does. A GL context that proves unusable on the first
    // frame ends the program with status 1 after an error box.
    void start(const std::optional<std::string>& file = std::nullopt);

    MainWindow& main_window() { return window_; }
    ConsolePanel& console() { return console_; }
    MainWindowLogic& logic() { return logic_; }
    // The file dialog (open or save) while it is up, else null.
    QFileDialog* file_dialog() const { return file_dialog_; }
    AboutBox* about_box() const { return about_box_; }
    // The progress box, once a load has shown it.
    ProgressBox* progress_box() const { return progress_box_; }

    void set_title(const std::string& title) override;
    void show_error(const std::string& caption, const std::string& text) override;
    void show_information(const std::string& caption, const std::string& text) override;
    void set_menu_check(Command command, bool checked) override;
    void set_menu_enabled(Command command, bool enabled) override;
    void start_open_dialog(const std::string& folder) override;
    void start_demands_dialog(const std::string& folder) override;
    void start_save_dialog(SaveKind kind, const std::string& suggested) override;
    void show_about() override;
    void quit(int status) override;
    bool is_key_held(char letter) override;
    ScreenPoint cursor_position() override;
    void set_cursor_position(ScreenPoint point) override;
    void set_cursor_hidden(bool hidden) override;
    ScreenRect main_window_rect() override;
    void set_busy(bool busy) override;
    std::optional<std::string> choose_export_file(const std::string& proposed) override;
    std::string view_png() override;
    void set_recent_files(const std::vector<std::string>& paths) override;
    std::optional<WindowPlace> window_place(PlacedWindow window) override;
    void show_shortcuts(const std::string& text) override;
    TextMetrics overlay_text_metrics() override;
    void request_frame() override;
    void post(std::function<void()> task) override;
    void set_progress_ticks(bool on) override;
    void show_progress(const std::string& caption, const std::string& stage,
                       const std::string& elapsed) override;
    void hide_progress() override;
    ConsoleSink& console_sink() override { return console_; }
    std::string console_text() override;
    void set_console_shown(bool shown) override;

  private:
    // Shows `dialog` as the file dialog of `kind`; `answer` gets the chosen
    // full path, or none, once it has closed.
    void open_file_dialog(QFileDialog* dialog, FileDialogKind kind,
                          std::function<void(const std::optional<std::string>&)> answer);
    // Puts `widget` at `place` if that is on a screen; false otherwise.
    static bool restore_place(QWidget& widget, const std::optional<WindowPlace>& place);
    void give_back_focus();
    void show_box(int icon, const std::string& caption, const std::string& text);
    // The busy cursor shows over the whole program during a load, except
    // while mouse look hides the cursor.
    void apply_cursor();

    ConsolePanel console_;
    MainWindowLogic logic_;
    MainWindow window_;
    QFileDialog* file_dialog_ = nullptr;
    AboutBox* about_box_ = nullptr;
    class QMessageBox* shortcuts_box_ = nullptr;
    ProgressBox* progress_box_ = nullptr;
    QTimer progress_timer_;
    bool busy_ = false;
    bool cursor_hidden_ = false;
    bool override_cursor_ = false;
};

// The box shown when the window or its GL context cannot be made; it has no
// owner.
void show_start_failure();
