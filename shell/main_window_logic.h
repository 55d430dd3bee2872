#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/console_log.h"
#include "common/demand_choice.h"
#include "common/random_source.h"
#include "common/solver_choice.h"
#include "shell/certifier.h"
#include "shell/commands.h"
#include "shell/console_relay.h"
#include "shell/layout_runner.h"
#include "shell/load_graph.h"
#include "shell/load_runner.h"
#include "shell/preferences.h"
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
// The box of a picture that could not be written.
inline constexpr const char* caption_picture_error = "Erreur d'écriture";
// "Impossible d'écrire l'image\n<path>".
std::string picture_error_text(const std::string& path);

// "Quillmere - [<path>] (chargement...)": the title from the start of a load
// until its end.
std::string loading_window_title(const std::string& path);

// What the view says in its centre while no graph is on show.
inline constexpr const char* empty_view_hint =
    "Ouvrez un graphe : Fichier → Ouvrir (Ctrl+O), ou déposez un fichier ici";
inline constexpr const char* empty_view_recent_heading = "Fichiers récents :";
// The box of a recent file that is gone.
inline constexpr const char* caption_recent_missing = "Fichier introuvable";
// "Le fichier « <path> » n'existe plus ; il est retiré des fichiers récents."
std::string recent_missing_text(const std::string& path);

// The main window's behaviour, free of any window system: it owns the view
// and command state and the graph on show, handles each event the window
// delivers, runs the load command through a LoadRunner and certifies the
// cut of each graph loaded through a Certifier. Everything it needs of the
// screen, the keyboard and the dialogs goes through a WindowPlatform.
//
// All calls come from the window's thread, one at a time. A load hands back
// the random source it drew from, and its graph record becomes the graph on
// show, once it has ended; so does the force layout its positions.
//
// The toggles and choices whose table rows name a preference, the recent
// files, the dialogs' folders and the windows' places are kept between runs
// in a PreferenceStore: read once at construction (a value that makes no
// sense counts as missing), written as soon as they change, the windows'
// places when the program ends by its own commands.
class MainWindowLogic {
  public:
    // `platform` must outlive the logic; its console sink receives the
    // console's lines from now on. `random` is the source that loads and the
    // Redistribute command draw from. `clock` (milliseconds) times the
    // progress box. `store`, if any, must outlive the logic; without one
    // the preferences last as long as the logic.
    MainWindowLogic(WindowPlatform& platform, RandomSource random,
                    LoadFunction load = load_graph_file,
                    ConsoleLog::Clock clock = monotonic_milliseconds,
                    PreferenceStore* store = nullptr);
    // Stops a load, a layout and a certificate that still run, and waits for
    // their threads.
    ~MainWindowLogic();

    MainWindowLogic(const MainWindowLogic&) = delete;
    MainWindowLogic& operator=(const MainWindowLogic&) = delete;

    // Start-up, once the main window shows: takes the cursor position as the
    // reference for mouse look, hides the cursor if mouse look is on, sets
    // the commands that need a file or a graph unavailable and fills the
    // recent files' menu.
    void start();

    // The drawing area's new size in pixels.
    void on_size(int width, int height);
    // The main window lost the keyboard focus: mouse look ends.
    void on_focus_lost();
    // Escape stops the load or the force layout that runs, and ends the
    // program with status 0 when neither runs; F2 toggles mouse look; Home
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
    // A file dialog closed in `folder`, where that dialog starts next time.
    void on_dialog_folder(FileDialogKind dialog, const std::string& folder);
    // Fichier → Fichiers récents, item `index`: loads that file as Open
    // does; a file that no longer exists leaves the list instead, with a
    // short box. Nothing while a load may not start.
    void open_recent(std::size_t index);
    // Where `window` was at the end of the last run, if that was kept.
    std::optional<WindowPlace> kept_window_place(PlacedWindow window) const {
        return preferences_.window_place(window);
    }
    // The files loaded last, the latest first (at most recent_file_limit).
    const std::vector<std::string>& recent_files() const { return recent_files_; }

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
    // Whether the force layout runs (Ctrl+B, on a thread of its own). A
    // second Ctrl+B, Escape, its progress box or a load stops it.
    bool laying_out() const { return layout_.running(); }
    // The progress box's Annuler: stops the load or the layout that runs.
    void cancel_running();
    // Called about ten times a second while a load or the layout runs: shows
    // the progress box once it has run for progress_delay_ms, and keeps it
    // current.
    void on_progress_tick();

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
    // Recharger, saving the results and the force layout wait for a running
    // load; Recharger needs a file chosen before, saving the results a graph
    // on show; the recent files' menu needs a recent file.
    bool command_enabled(Command command) const;
    // The value of a choice of choice_items() (its key).
    const std::string& choice(const std::string& key) const;
    // The LP engine the loads and their certificates solve with: the choice
    // of load_solver_key.
    SolverChoice solver_choice() const;

    // What a frame draws.
    SceneInput scene_input() const;
    // The lines that the view shows in its centre while it is empty (no
    // graph on show and no load running): the hint, then the recent files
    // under their heading, if any. Empty otherwise.
    std::vector<std::string> empty_view_lines() const;

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
    // The demands the loads take, until the user chooses others: at start
    // the default set, or all pairs when that was kept from the last run.
    const DemandChoice& demands() const { return demands_; }
    // The console as the window's thread writes to it, outside loads.
    ConsoleLog& log() { return log_; }

  private:
    // The commands that are neither toggles nor cut choices. False for an
    // unknown one.
    bool run_action(Command command);
    // Reads the toggles, choices and recent files kept from the last run.
    void read_preferences();
    // Sets a choice and the radio marks of its items.
    void choose(const ChoiceItem& item);
    void force_layout_command();
    // Puts `path` first among the recent files.
    void remember_recent(const std::string& path);
    // Ends the program with status 0, the windows' places kept.
    void quit();
    // The folder a dialog starts in: where it was left last, if that folder
    // still exists, else "".
    std::string dialog_folder(FileDialogKind dialog) const;
    // Flips a toggle's flag and shows its check mark; `apply`, if any, tells
    // the window system the new value.
    void flip(Command command, bool& flag, void (WindowPlatform::*apply)(bool));
    void open_command();
    void open_demands_command();
    // A demand item of the choice table: the default set or all pairs
    // become the demands in force; the file's item opens the demand dialog,
    // unless a file is in force.
    void demand_command(const ChoiceItem& item);
    // Makes `choice` the demands in force (`item` its row of the choice
    // table), shows it in the menu, and loads the graph on show again with
    // it.
    void choose_demands(const ChoiceItem& item, DemandChoice choice);
    // The radio marks of the choice `key` as its value is now.
    void update_choice_checks(const char* key);
    void save_command(SaveKind kind);
    void export_command();
    // Fits the view to the graph on show, out of the legend's box (sized
    // for the certificate's lines still to come).
    void fit(bool choose_direction);

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
    std::unique_ptr<MemoryPreferenceStore> own_store_;
    Preferences preferences_;
    // The value of each choice, by key.
    std::map<std::string, std::string> choices_;
    std::vector<std::string> recent_files_;
    // The demands in force: the choice of load_demands_key, with the file
    // chosen last while that choice is the file.
    DemandChoice demands_;

    // Last, so that they stop first: a load writes through the relay, and the
    // certificate reads the graph on show.
    LoadRunner runner_;
    LayoutRunner layout_;
    Certifier certifier_;
};
