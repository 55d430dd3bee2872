#pragma once

#include <optional>
#include <string>

#include "common/console_log.h"
#include "common/random_source.h"
#include "shell/load_graph.h"
#include "shell/window_platform.h"
#include "view/camera.h"
#include "view/scene_input.h"
#include "view/view_settings.h"

// The keys that the main window handles itself; the movement letters are
// polled instead (see frame_input).
enum class WindowKey { escape, f2, home, other };

// The main window's behaviour, free of any window system: it owns the view
// and command state and the graph on show, handles each event the window
// delivers, and runs the load command. Everything it needs of the screen,
// the keyboard and the dialogs goes through a WindowPlatform.
//
// All calls come from the window's thread, one at a time, except that
// frame_input may run while an error box of the load is open: by then the
// load has left its state whole.
class MainWindowLogic : public LoadReporter {
  public:
    // `platform` must outlive the logic; its console sink receives the
    // console's lines from now on. `random` is the source that loads and the
    // Redistribute command draw from.
    MainWindowLogic(WindowPlatform& platform, RandomSource random);

    // Start-up, once the main window shows: takes the cursor position as the
    // reference for mouse look, and hides the cursor if mouse look is on.
    void start();

    // The drawing area's new size in pixels.
    void on_size(int width, int height);
    // The main window lost the keyboard focus: mouse look ends.
    void on_focus_lost();
    // Escape ends the program with status 0; F2 toggles mouse look; Home
    // fits the view to the graph.
    void on_key_down(WindowKey key);
    // The close box: ends the program with status 0.
    void on_close();
    // Runs a menu or shortcut command. Returns false for an unknown id.
    bool on_command(int command);
    // The open dialog's answer: the chosen full path, or none when it was
    // cancelled. Restores mouse look as it was before the dialog, then loads
    // the file, if any.
    void on_open_dialog_answer(const std::optional<std::string>& path);

    // The mouse wheel turned by `notches` (positive away from the user).
    void on_wheel(double notches);
    // The left button went down or up at `point`: while it is held, the
    // cursor's motion turns (3D) or pans (2D) the view as mouse look does.
    void on_left_button(bool down, ScreenPoint point);
    // The cursor moved to `point` over the drawing area.
    void on_mouse_move(ScreenPoint point);

    // The camera-input step at the start of every frame: the movement keys
    // "ZAWQDSPM" as held now, then, with mouse look on, the cursor's motion
    // since the last reading.
    void frame_input();

    // Makes the cursor match mouse look: hidden and on the window's centre
    // while it is on, shown while it is off.
    void apply_mouse_capture();
    // Moves the cursor to the centre of the main window and takes that as
    // the reference for the next motion.
    void recenter_cursor();

    // Whether the menu shows `command` checked: the toggles of the Options and
    // Affichage menus follow their flags, other commands are never checked.
    bool command_checked(int command) const;

    // Load reports, forwarded to the window.
    void show_error(const std::string& caption, const std::string& text) override;
    void set_title(const std::string& title) override;

    // What a frame draws.
    SceneInput scene_input() const;

    ViewSettings& settings() { return settings_; }
    const ViewSettings& settings() const { return settings_; }
    Camera& camera() { return camera_; }
    const Camera& camera() const { return camera_; }
    bool verbose() const { return verbose_; }
    bool saved_mouse_look() const { return saved_mouse_look_; }
    bool open_dialog_pending() const { return open_dialog_pending_; }
    const LoadedGraph& loaded() const { return loaded_; }
    ConsoleLog& log() { return log_; }

  private:
    void open_command();
    void load(const std::string& path);
    // Runs `toggle` on one of the Affichage flags and shows its check mark.
    void toggle(int command, bool& flag);
    void export_command();

    WindowPlatform& platform_;
    ConsoleLog log_;
    ViewSettings settings_;
    Camera camera_;
    bool verbose_ = false;
    bool saved_mouse_look_ = settings_.mouse_look;
    bool open_dialog_pending_ = false;
    ScreenPoint last_cursor_pos_;
    RandomSource random_;
    LoadedGraph loaded_;
    // The file of the graph on show, for the name that the picture export
    // proposes.
    std::string loaded_path_;
    bool dragging_ = false;
    ScreenPoint drag_from_;
};
