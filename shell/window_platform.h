#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/preferences.h"

#include "view/overlay.h"

class ConsoleSink;
enum class Command;

// A point on the screen, in pixels.
struct ScreenPoint {
    int x = 0;
    int y = 0;

    bool operator==(const ScreenPoint&) const = default;
};

// A rectangle on the screen: left and top inside, right and bottom just
// outside.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What a save dialog saves.
enum class SaveKind {
    results,  // the JSON report of the graph on show
    console,  // the console's text
};

// What the main window's logic needs of the window system. The Qt layer
// implements it for the real program, a fake one in the tests. Every call
// comes from the window's thread, except post.
class WindowPlatform {
  public:
    virtual ~WindowPlatform() = default;

    // Sets the main window's title.
    virtual void set_title(const std::string& title) = 0;
    // Shows an error box owned by the main window and returns once the user
    // has dismissed it.
    virtual void show_error(const std::string& caption, const std::string& text) = 0;
    // The same with the information icon, for what is no failure.
    virtual void show_information(const std::string& caption, const std::string& text) = 0;
    // Shows or clears the check mark of a menu command.
    virtual void set_menu_check(Command command, bool checked) = 0;
    // Makes a menu command and its shortcut available or not.
    virtual void set_menu_enabled(Command command, bool enabled) = 0;
    // Shows the open-file dialog in `folder` ("" for the current directory)
    // and returns at once; the answer arrives later through
    // MainWindowLogic::on_open_dialog_answer. Every file dialog, when it
    // closes, tells MainWindowLogic::on_dialog_folder where it was left.
    virtual void start_open_dialog(const std::string& folder) = 0;
    // Shows a save dialog for `kind`, proposing the file `suggested` (a full
    // path, or a name in the current directory), and returns at once; the
    // answer arrives later through MainWindowLogic::on_save_dialog_answer.
    virtual void start_save_dialog(SaveKind kind, const std::string& suggested) = 0;
    // Shows the open dialog of a demand file ("Demandes (*.dem *.txt)") in
    // `folder`, as start_open_dialog does; the answer arrives later through
    // MainWindowLogic::on_demands_dialog_answer.
    virtual void start_demands_dialog(const std::string& folder) { (void)folder; }
    // Shows the about box and returns at once.
    virtual void show_about() = 0;
    // Ends the program, once the current event is handled, with `status`.
    virtual void quit(int status) = 0;

    // Whether the letter key `letter` (upper case) is held down now.
    virtual bool is_key_held(char letter) = 0;
    virtual ScreenPoint cursor_position() = 0;
    virtual void set_cursor_position(ScreenPoint point) = 0;
    // Hides or shows the cursor; either call may be repeated.
    virtual void set_cursor_hidden(bool hidden) = 0;
    // The main window's outer rectangle on the screen.
    virtual ScreenRect main_window_rect() = 0;
    // Shows or stops showing the busy cursor; either call may be repeated.
    virtual void set_busy(bool busy) = 0;

    // Shows the save dialog of "Exporter l'image..." proposing the file
    // `proposed` (as start_save_dialog does) and returns once it is closed:
    // the chosen full path, or none.
    virtual std::optional<std::string> choose_export_file(const std::string& proposed) {
        (void)proposed;
        return std::nullopt;
    }
    // The view as it is now, labels and legend included, at the drawing
    // area's size, as the bytes of a PNG file; "" when it cannot be drawn.
    virtual std::string view_png() { return {}; }
    // Fills Fichier → Fichiers récents with `paths`, the latest first; each
    // item calls MainWindowLogic::open_recent with its index.
    virtual void set_recent_files(const std::vector<std::string>& paths) { (void)paths; }
    // Where the window is now, to be found there at the next start; none
    // when the window system cannot say.
    virtual std::optional<WindowPlace> window_place(PlacedWindow window) {
        (void)window;
        return std::nullopt;
    }
    // Shows the list of keys and shortcuts and returns at once.
    virtual void show_shortcuts(const std::string& text) { (void)text; }
    // How the font of the labels and the legend measures text, so that the
    // fitted view keeps out of the legend's box; without a measure (no
    // font), the fit keeps no room for it.
    virtual TextMetrics overlay_text_metrics() { return {}; }

    // Asks for a frame to be drawn soon; nothing draws until something asks.
    virtual void request_frame() = 0;

    // Runs `task` on the window's thread after the events already waiting.
    // May be called from any thread; tasks run in the order they were posted.
    virtual void post(std::function<void()> task) = 0;

    // Starts or stops calling MainWindowLogic::on_progress_tick about ten
    // times a second.
    virtual void set_progress_ticks(bool on) = 0;
    // Shows the progress box of a load or of the force layout (or updates
    // it): its caption, the stage line, the elapsed time line and a button
    // that calls MainWindowLogic::cancel_running.
    virtual void show_progress(const std::string& caption, const std::string& stage,
                               const std::string& elapsed) = 0;
    // Takes the progress box away, if it is up.
    virtual void hide_progress() = 0;

    // Where the console's lines go: the console panel.
    virtual ConsoleSink& console_sink() = 0;
    // The console panel's whole text, UTF-8.
    virtual std::string console_text() = 0;
    // Shows the console panel beside the main window, or hides it.
    virtual void set_console_shown(bool shown) = 0;
};
