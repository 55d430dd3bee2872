#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/console_log.h"
#include "common/random_source.h"
#include "shell/certifier.h"
#include "shell/commands.h"
#include "shell/console_relay.h"
#include "shell/load_graph.h"
#include "shell/load_runner.h"
#include "shell/window_platform.h"
#include "view/camera.h"
#include "view/scene_input.h"
#include "view/view_settings.h"

// The keys that the main window handles itself; the movement letters are
// polled instead (see frame_input).
enum class WindowKey { escape, f2, home, other };

// The main window's title while no graph is on show.
inline constexpr const char* main_window_title = "Quillmere";

// The box of a file that could not be saved.
inline constexpr const char* caption_save_error = "Erreur d'enregistrement";
// "Impossible d'écrire le fichier \"<path>\"."
std::string save_error_text(const std::string& path);

// The main window's behaviour, free of any window system: it owns the view
// and command state and the graph on show, handles each event the window
// delivers, runs the load command through a LoadRunner and certifies the
// cut of each graph loaded through a Certifier. Everything it needs of the
// screen, the keyboard and the dialogs goes through a WindowPlatform.
//
// All calls come from the window's thread, one at a time. A load hands back
// the random source it drew from, and its graph record becomes the graph on
// show, once it has ended.
class MainWindowLogic {
  public:
    // `platform` must outlive the logic; its console sink receives the
    // console's lines from now on. `random` is the source that loads and the
    // Redistribute command draw from. `clock` (milliseconds) times the
    // progress box.
    MainWindowLogic(WindowPlatform& platform, RandomSource random,
                    LoadFunction load = load_graph_file,
                    ConsoleLog::Clock clock = monotonic_milliseconds);
    // Stops a load and a certificate that still run, and waits for their
    // threads.
    ~MainWindowLogic();

    MainWindowLogic(const MainWindowLogic&) = delete;
    MainWindowLogic& operator=(const MainWindowLogic&) = delete;

    // Start-up, once the main window shows: takes the cursor position as the
    // reference for mouse look, hides the cursor if mouse look is on, and
    // sets the commands that need a file or a graph unavailable.
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
    // Runs a menu or shortcut command. Returns false for none.
    bool on_command(Command command);
    // The open dialog's answer: the chosen full path, or none when it was
    // cancelled. Restores mouse look as it was before the dialog, then loads
    // the file, if any.
    void on_open_dialog_answer(const std::optional<std::string>& path);
    // The demand dialog's answer, likewise: the file is read and checked
    // (read_demand_file, and against the graph on show: a bad one gets its
    // error box and changes nothing), becomes the demands in force, and the
    // graph on show is loaded again with them.
    void on_demands_dialog_answer(const std::optional<std::string>& path);
    // A save dialog's answer: the chosen full path, or none when it was
    // cancelled. Restores mouse look, then writes the file; a failure shows
    // an error box.
    void on_save_dialog_answer(SaveKind kind, const std::optional<std::string>& path);
    // The console panel was closed (close box or Escape).
    void on_console_closed();

    // Whether a load may start now: none runs and no dialog is waiting for
    // its answer.
    bool can_load() const;
    // Starts loading the file at `path` (a full path), as Open does with the
    // file chosen; for a file named on the command line or dropped on a
    // window. Does nothing and returns false when a load may not start now.
    bool load_file(const std::string& path);
    // Whether a load runs.
    bool loading() const { return runner_.running(); }
    // Whether the cut of the graph on show is being certified. Each
    // successful load starts it, on a thread of its own, once the graph
    // shows; the certificate joins the graph when it ends. A new load, or
    // the end of the logic, stops it first.
    bool certifying() const { return certifier_.running(); }
    // Asks the running load to stop; it then ends as a cancelled load.
    void cancel_load() { runner_.cancel(); }
    // Called about ten times a second while a load runs: shows the progress
    // box once the load has run for progress_delay_ms, and keeps it current.
    void on_progress_tick() { runner_.on_progress_tick(); }

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
    // Whether the picture may change by itself before the next event: a
    // movement key is held or mouse look is on. While it holds, the view
    // draws frame after frame; otherwise it waits for request_frame.
    bool needs_next_frame();

    // Makes the cursor match mouse look: hidden and on the window's centre
    // while it is on, shown while it is off.
    void apply_mouse_capture();
    // Moves the cursor to the centre of the main window and takes that as
    // the reference for the next motion.
    void recenter_cursor();

    // Whether the menu shows `command` checked: the toggles of the Options and
    // Affichage menus (the console's included) follow their flags, the cut
    // choices the cut shown, the demand choices the demands in force; other
    // commands are never checked.
    bool command_checked(Command command) const;
    // Whether `command` is available now: Open, Ouvrir des demandes,
    // Recharger and the saves wait for a running load; Recharger needs a file chosen before, saving
    // the results a graph on show.
    bool command_enabled(Command command) const;

    // What a frame draws.
    SceneInput scene_input() const;

    ViewSettings& settings() { return settings_; }
    const ViewSettings& settings() const { return settings_; }
    Camera& camera() { return camera_; }
    const Camera& camera() const { return camera_; }
    bool verbose() const { return flags_.verbose; }
    bool saved_mouse_look() const { return saved_mouse_look_; }
    // Whether a file dialog waits for its answer.
    bool open_dialog_pending() const { return dialog_pending_; }
    bool console_shown() const { return flags_.console_shown; }
    const LoadedGraph& loaded() const { return loaded_; }
    // The file the last load was started with ("" before the first).
    const std::string& last_path() const { return last_path_; }
    // The demands the loads take, until the user chooses others: the
    // default set at start.
    const DemandChoice& demands() const { return demands_; }
    // The console as the window's thread writes to it, outside loads.
    ConsoleLog& log() { return log_; }

  private:
    // The commands that are neither toggles nor cut choices. False for an
    // unknown one.
    bool run_action(Command command);
    // Flips a toggle's flag and shows its check mark; `apply`, if any, tells
    // the window system the new value.
    void flip(Command command, bool& flag, void (WindowPlatform::*apply)(bool));
    void open_command();
    void open_demands_command();
    // Makes `choice` the demands in force, shows it in the menu, and loads
    // the graph on show again with it.
    void choose_demands(DemandChoice choice);
    void update_demand_checks();
    void save_command(SaveKind kind);
    void export_command();

    void start_file_dialog(const std::function<void()>& show);
    void end_file_dialog();
    void file_opened();
    void finish_load(FinishedLoad done);
    void update_enabled();
    void save(SaveKind kind, const std::string& path);

    WindowPlatform& platform_;
    ConsoleLog::Clock clock_;
    ConsoleRelay relay_;
    ConsoleLog log_;
    ViewSettings settings_;
    WindowFlags flags_;
    Camera camera_;
    bool saved_mouse_look_ = settings_.mouse_look;
    bool dialog_pending_ = false;
    ScreenPoint last_cursor_pos_;
    RandomSource random_;
    LoadedGraph loaded_;
    // The file of the graph on show, for the name that the picture export
    // proposes.
    std::string loaded_path_;
    bool dragging_ = false;
    ScreenPoint drag_from_;
    // The console log of the load that made the graph on show, whose timings
    // the saved results give.
    std::unique_ptr<ConsoleLog> shown_log_;
    std::string last_path_;
    DemandChoice demands_;

    // Last, so that they stop first: a load writes through the relay, and the
    // certificate reads the graph on show.
    LoadRunner runner_;
    Certifier certifier_;
};
