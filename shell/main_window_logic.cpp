#include "shell/main_window_logic.h"

#include <filesystem>
#include <string_view>
#include <utility>

#include "builder/demand_builder.h"
#include "shell/atomic_file.h"
#include "shell/json_report.h"
#include "shell/load_messages.h"
#include "view/fit_view.h"
#include "view/placement.h"

namespace fs = std::filesystem;

std::string save_error_text(const std::string& path) {
    return "Impossible d'écrire le fichier \"" + path + "\".";
}

std::string picture_error_text(const std::string& path) {
    return "Impossible d'écrire l'image\n" + path;
}

std::string loading_window_title(const std::string& path) {
    return loaded_window_title(path) + " (chargement...)";
}

std::string recent_missing_text(const std::string& path) {
    return "Le fichier « " + path + " » n'existe plus ; il est retiré des fichiers récents.";
}

MainWindowLogic::MainWindowLogic(WindowPlatform& platform, RandomSource random, LoadFunction load,
                                 ConsoleLog::Clock clock, PreferenceStore* store)
    : platform_(platform),
      clock_(std::move(clock)),
      relay_(platform.console_sink(),
             [&platform](std::function<void()> task) { platform.post(std::move(task)); }),
      log_(relay_, clock_),
      random_(random),
      own_store_(store == nullptr ? std::make_unique<MemoryPreferenceStore>() : nullptr),
      preferences_(store == nullptr ? *own_store_ : *store),
      runner_(
          platform, relay_, std::move(load), clock_,
          {[this] { file_opened(); }, [this](FinishedLoad done) { finish_load(std::move(done)); }}),
      layout_(platform, clock_),
      certifier_([&platform](std::function<void()> task) { platform.post(std::move(task)); }) {
    read_preferences();
}

void MainWindowLogic::read_preferences() {
    for (const auto& toggle : view_toggles()) {
        if (toggle.preference != nullptr) {
            settings_.*toggle.flag = preferences_.flag(toggle.preference, settings_.*toggle.flag);
        }
    }
    for (const auto& toggle : window_toggles()) {
        if (toggle.preference != nullptr) {
            flags_.*toggle.flag = preferences_.flag(toggle.preference, flags_.*toggle.flag);
        }
    }
    std::map<std::string, std::vector<std::string>> values;
    for (const ChoiceItem& item : choice_items()) {
        if (item.kept) {
            values[item.key].push_back(item.value);
        }
    }
    for (const auto& [key, allowed] : values) {
        choices_[key] = preferences_.choice(key, allowed, allowed.front());
    }
    if (choice(load_demands_key) == load_demands_all_pairs) {
        demands_.kind = DemandChoice::Kind::all_pairs;
    }
    recent_files_ = preferences_.recent_files();
}

MainWindowLogic::~MainWindowLogic() = default;

void MainWindowLogic::start() {
    if (settings_.mouse_look) {
        platform_.set_cursor_hidden(true);
    }
    last_cursor_pos_ = platform_.cursor_position();
    update_enabled();
    platform_.set_recent_files(recent_files_);
}

void MainWindowLogic::on_size(int width, int height) {
    settings_.client_width = width;
    settings_.client_height = height;
}

void MainWindowLogic::on_focus_lost() {
    settings_.mouse_look = false;
    apply_mouse_capture();
}

void MainWindowLogic::on_key_down(WindowKey key) {
    switch (key) {
        case WindowKey::escape:
            if (loading() || laying_out()) {
                cancel_running();
            } else {
                quit();
            }
            break;
        case WindowKey::f2:
            settings_.mouse_look = !settings_.mouse_look;
            apply_mouse_capture();
            break;
        case WindowKey::home:
            fit(/*choose_direction=*/false);
            break;
        case WindowKey::other:
            break;
    }
    platform_.request_frame();
}

void MainWindowLogic::on_wheel(double notches) {
    wheel_camera(notches, loaded_.scene(), settings_, camera_);
    platform_.request_frame();
}

void MainWindowLogic::on_left_button(bool down, ScreenPoint point) {
    dragging_ = down;
    drag_from_ = point;
}

void MainWindowLogic::on_mouse_move(ScreenPoint point) {
    // Mouse look already follows every motion.
    if (!dragging_ || settings_.mouse_look) {
        return;
    }
    look_with_mouse(point.x - drag_from_.x, point.y - drag_from_.y, camera_, settings_);
    drag_from_ = point;
    platform_.request_frame();
}

void MainWindowLogic::export_command() {
    std::string name = "image.png";
    if (loaded_.graph() != nullptr && !loaded_path_.empty()) {
        const std::string stem = fs::path(loaded_path_).stem().string();
        if (!stem.empty()) {
            name = stem + ".png";
        }
    }
    const std::string folder = dialog_folder(FileDialogKind::export_image);
    // The dialog needs the cursor, as the open dialog does.
    const bool looking = settings_.mouse_look;
    settings_.mouse_look = false;
    apply_mouse_capture();
    dragging_ = false;
    const std::optional<std::string> path =
        platform_.choose_export_file(folder.empty() ? name : (fs::path(folder) / name).string());
    settings_.mouse_look = looking;
    apply_mouse_capture();
    if (!path) {
        return;
    }
    // Written whole beside the file, then renamed over it: a failure (a full
    // disk) leaves the file that was there, and nothing else.
    const std::string picture = platform_.view_png();
    if (picture.empty() || !write_file_atomically(*path, picture)) {
        platform_.show_error(caption_picture_error, picture_error_text(*path));
    }
}

void MainWindowLogic::on_close() {
    quit();
}

void MainWindowLogic::quit() {
    for (const PlacedWindow window : {PlacedWindow::main, PlacedWindow::console}) {
        if (const std::optional<WindowPlace> place = platform_.window_place(window)) {
            preferences_.set_window_place(window, *place);
        }
    }
    platform_.quit(0);
}

bool MainWindowLogic::on_command(Command command) {
    if (const auto* toggle = find_command(view_toggles(), command)) {
        flip(command, settings_.*toggle->flag, toggle->apply);
        if (toggle->preference != nullptr) {
            preferences_.set_flag(toggle->preference, settings_.*toggle->flag);
        }
    } else if (const auto* toggle = find_command(window_toggles(), command)) {
        flip(command, flags_.*toggle->flag, toggle->apply);
        if (toggle->preference != nullptr) {
            preferences_.set_flag(toggle->preference, flags_.*toggle->flag);
        }
    } else if (const ChoiceItem* item = find_command(choice_items(), command)) {
        if (std::string_view(item->key) == load_demands_key) {
            demand_command(*item);
        } else {
            choose(*item);
        }
    } else if (const CutChoice* choice = find_command(cut_choices(), command)) {
        settings_.*choice->flag = choice->value;
        settings_.show_cut = true;
        for (const Command item : {Command::show_cut, Command::cut_sweep, Command::cut_best}) {
            platform_.set_menu_check(item, command_checked(item));
        }
    } else if (!run_action(command)) {
        return false;
    }
    // The force layout changes the picture when it ends, not when it starts
    // or stops: a frame of a large graph would only hold up the window's
    // thread meanwhile.
    if (command != Command::force_layout) {
        platform_.request_frame();
    }
    return true;
}

void MainWindowLogic::choose(const ChoiceItem& item) {
    choices_[item.key] = item.value;
    if (item.kept) {
        preferences_.set_choice(item.key, item.value);
    }
    update_choice_checks(item.key);
}

void MainWindowLogic::update_choice_checks(const char* key) {
    for (const ChoiceItem& other : choice_items()) {
        if (std::string_view(other.key) == key) {
            platform_.set_menu_check(other.command, command_checked(other.command));
        }
    }
}

SolverChoice MainWindowLogic::solver_choice() const {
    return solver_choice_of(choice(load_solver_key)).value_or(SolverChoice::automatic);
}

const std::string& MainWindowLogic::choice(const std::string& key) const {
    static const std::string none;
    const auto found = choices_.find(key);
    return found == choices_.end() ? none : found->second;
}

void MainWindowLogic::flip(Command command, bool& flag, void (WindowPlatform::*apply)(bool)) {
    flag = !flag;
    if (apply != nullptr) {
        (platform_.*apply)(flag);
    }
    platform_.set_menu_check(command, flag);
}

bool MainWindowLogic::run_action(Command command) {
    switch (command) {
        case Command::open:
            open_command();
            break;
        case Command::open_demands:
            open_demands_command();
            break;
        case Command::reload:
            if (!last_path_.empty()) {
                load_file(last_path_);
            }
            break;
        case Command::save_results:
            save_command(SaveKind::results);
            break;
        case Command::save_console:
            save_command(SaveKind::console);
            break;
        case Command::about:
            platform_.show_about();
            break;
        case Command::quit:
            quit();
            break;
        case Command::projection_3d:
            reset_view_3d(settings_);
            break;
        case Command::projection_2d:
            reset_view_2d(camera_, settings_);
            // With "fit on load" the view from above holds the graph, as a
            // load shows it; without it, the fixed camera at height 40.
            if (settings_.fit_on_load) {
                fit(/*choose_direction=*/false);
            }
            apply_mouse_capture();
            break;
        case Command::redistribute:
            if (const Graph* graph = loaded_.graph()) {
                place_vertices(*graph, random_, loaded_.display_positions);
            }
            break;
        case Command::fit_view:
            fit(/*choose_direction=*/false);
            break;
        case Command::force_layout:
            force_layout_command();
            break;
        case Command::export_image:
            export_command();
            break;
        case Command::shortcuts:
            platform_.show_shortcuts(shortcuts_text());
            break;
        default:
            return false;
    }
    return true;
}

void MainWindowLogic::force_layout_command() {
    // A second Ctrl+B stops the layout that runs.
    if (laying_out()) {
        layout_.cancel();
        return;
    }
    const Graph* graph = loaded_.graph();
    if (graph == nullptr || loading()) {
        return;
    }
    layout_.start(*graph, random_,
                  [this](std::vector<Vector3> positions, const RandomSource& random) {
                      random_ = random;
                      loaded_.display_positions = std::move(positions);
                      fit(/*choose_direction=*/true);
                      platform_.request_frame();
                  });
}

void MainWindowLogic::cancel_running() {
    runner_.cancel();
    layout_.cancel();
}

void MainWindowLogic::on_progress_tick() {
    runner_.on_progress_tick();
    layout_.on_progress_tick();
}

void MainWindowLogic::open_command() {
    // One dialog at a time, and none while a load runs.
    if (can_load()) {
        const std::string folder = dialog_folder(FileDialogKind::open);
        start_file_dialog([&] { platform_.start_open_dialog(folder); });
    }
}

void MainWindowLogic::open_demands_command() {
    if (can_load()) {
        const std::string folder = dialog_folder(FileDialogKind::demands);
        start_file_dialog([&] { platform_.start_demands_dialog(folder); });
    }
}

void MainWindowLogic::demand_command(const ChoiceItem& item) {
    if (std::string_view(item.value) == load_demands_file) {
        // The file's item chooses a file, unless one is in force.
        if (choice(load_demands_key) != load_demands_file) {
            open_demands_command();
        }
        update_choice_checks(load_demands_key);
    } else if (choice(load_demands_key) != item.value) {
        choose_demands(item, DemandChoice{std::string_view(item.value) == load_demands_all_pairs
                                              ? DemandChoice::Kind::all_pairs
                                              : DemandChoice::Kind::default_set,
                                          "", ""});
    } else {
        update_choice_checks(load_demands_key);
    }
}

void MainWindowLogic::on_demands_dialog_answer(const std::optional<std::string>& path) {
    end_file_dialog();
    if (!path) {
        update_choice_checks(load_demands_key);
        return;
    }
    Expected<DemandChoice, DemandFileFailure> read = read_demand_file(*path);
    if (!read) {
        update_choice_checks(load_demands_key);
        platform_.show_error(read.error().caption, read.error().failure.message);
        return;
    }
    // A file that names a vertex the graph on show lacks is refused before
    // that graph goes.
    if (const ComputedGraph* shown = loaded_.current ? &*loaded_.current : nullptr) {
        const Expected<DemandSet, DemandRefusal> fits =
            build_demand_set(&*read, shown->graph, shown->names);
        if (!fits) {
            update_choice_checks(load_demands_key);
            platform_.show_error(caption_read_error, demand_refusal_text(fits.error(), *path));
            return;
        }
    }
    choose_demands(*find_command(choice_items(), Command::demands_file), std::move(*read));
}

void MainWindowLogic::choose_demands(const ChoiceItem& item, DemandChoice choice) {
    demands_ = std::move(choice);
    choose(item);
    if (loaded_.graph() != nullptr && !loaded_path_.empty()) {
        load_file(loaded_path_);
    }
}

void MainWindowLogic::save_command(SaveKind kind) {
    // One dialog at a time; the results need a graph on show.
    if (dialog_pending_ || (kind == SaveKind::results && !command_enabled(Command::save_results))) {
        return;
    }
    const bool results = kind == SaveKind::results;
    const std::string folder =
        dialog_folder(results ? FileDialogKind::save_results : FileDialogKind::save_console);
    // The graph's name in the folder the dialog was left in, else beside
    // the graph.
    fs::path suggested = last_path_.empty() ? fs::path("console.txt") : fs::path(last_path_);
    suggested.replace_extension(results ? ".json" : ".txt");
    if (!folder.empty()) {
        suggested = fs::path(folder) / suggested.filename();
    }
    start_file_dialog([&] { platform_.start_save_dialog(kind, suggested.string()); });
}

std::string MainWindowLogic::dialog_folder(FileDialogKind dialog) const {
    const std::string folder = preferences_.dialog_folder(dialog);
    std::error_code error;
    return !folder.empty() && fs::is_directory(folder, error) ? folder : std::string();
}

void MainWindowLogic::on_dialog_folder(FileDialogKind dialog, const std::string& folder) {
    preferences_.set_dialog_folder(dialog, folder);
}

void MainWindowLogic::open_recent(std::size_t index) {
    if (index >= recent_files_.size() || !can_load()) {
        return;
    }
    const std::string path = recent_files_[index];
    std::error_code error;
    if (fs::exists(path, error)) {
        load_file(path);
        return;
    }
    recent_files_.erase(recent_files_.begin() + static_cast<std::ptrdiff_t>(index));
    preferences_.set_recent_files(recent_files_);
    platform_.set_recent_files(recent_files_);
    update_enabled();
    platform_.request_frame();
    platform_.show_information(caption_recent_missing, recent_missing_text(path));
}

void MainWindowLogic::remember_recent(const std::string& path) {
    std::erase(recent_files_, path);
    recent_files_.insert(recent_files_.begin(), path);
    if (recent_files_.size() > recent_file_limit) {
        recent_files_.resize(recent_file_limit);
    }
    preferences_.set_recent_files(recent_files_);
    platform_.set_recent_files(recent_files_);
}

void MainWindowLogic::start_file_dialog(const std::function<void()>& show) {
    // The dialog takes the mouse; the state to give back is saved once, so
    // that a second request cannot save the released state over it.
    saved_mouse_look_ = settings_.mouse_look;
    settings_.mouse_look = false;
    apply_mouse_capture();
    dialog_pending_ = true;
    show();
}

void MainWindowLogic::end_file_dialog() {
    dialog_pending_ = false;
    settings_.mouse_look = saved_mouse_look_;
    apply_mouse_capture();
    platform_.request_frame();
}

void MainWindowLogic::on_open_dialog_answer(const std::optional<std::string>& path) {
    end_file_dialog();
    if (path) {
        load_file(*path);
    }
}

void MainWindowLogic::on_save_dialog_answer(SaveKind kind, const std::optional<std::string>& path) {
    end_file_dialog();
    if (path) {
        save(kind, *path);
    }
}

void MainWindowLogic::save(SaveKind kind, const std::string& path) {
    std::string content;
    if (kind == SaveKind::results) {
        if (loaded_.graph() == nullptr || shown_log_ == nullptr) {
            return;
        }
        nlohmann::json report = graph_report(loaded_, *shown_log_);
        // Saved at once, while the certificate is still being computed: the
        // report says that it is missing and why.
        if (certifying()) {
            report["certificate"] = nullptr;
            report["certificate_pending"] = true;
        }
        content = report.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    } else {
        // What a running load has written so far, up to this moment.
        relay_.flush();
        content = platform_.console_text();
    }
    if (!write_file_atomically(path, content)) {
        platform_.show_error(caption_save_error, save_error_text(path));
    }
}

void MainWindowLogic::on_console_closed() {
    flags_.console_shown = false;
    platform_.set_menu_check(Command::show_console, false);
}

bool MainWindowLogic::can_load() const {
    return !loading() && !dialog_pending_;
}

bool MainWindowLogic::load_file(const std::string& path) {
    if (!can_load()) {
        return false;
    }
    last_path_ = path;
    // The graph on show goes with this load, so its certificate and its
    // layout are not needed any more.
    certifier_.stop();
    layout_.stop();
    runner_.start(path, random_, flags_.verbose, choice(load_layout_key) == load_layout_force,
                  demands_, solver_choice());
    platform_.set_title(loading_window_title(path));
    update_enabled();
    return true;
}

void MainWindowLogic::file_opened() {
    // The previous graph goes as soon as the file is open, as the load
    // command releases its own record then.
    loaded_.current.reset();
    shown_log_.reset();
    update_enabled();
    platform_.request_frame();
}

void MainWindowLogic::finish_load(FinishedLoad done) {
    random_ = done.random;
    switch (done.outcome) {
        case LoadOutcome::loaded:
            loaded_ = std::move(done.state);
            shown_log_ = std::move(done.log);
            loaded_path_ = done.path;
            if (settings_.fit_on_load) {
                fit(/*choose_direction=*/true);
            }
            certifier_.start(loaded_.current->graph, loaded_.current->demands,
                             loaded_.current->result.cut, random_,
                             [this](const CutCertificate& certificate, double seconds) {
                                 if (loaded_.current) {
                                     loaded_.current->certificate = certificate;
                                     loaded_.current->certificate_seconds = seconds;
                                 }
                                 platform_.request_frame();
                             },
                             solver_choice());
            remember_recent(done.path);
            break;
        case LoadOutcome::cannot_open:
            // The graph on show stays, and with it its title.
            platform_.set_title(loaded_.graph() != nullptr ? loaded_window_title(loaded_path_)
                                                           : std::string(main_window_title));
            break;
        default:
            loaded_.current.reset();
            shown_log_.reset();
            platform_.set_title(main_window_title);
            break;
    }
    if (done.title) {
        platform_.set_title(*done.title);
    }
    update_enabled();
    platform_.request_frame();
}

void MainWindowLogic::update_enabled() {
    for (const Command command :
         {Command::open, Command::open_demands, Command::reload, Command::save_results,
          Command::force_layout, Command::recent_files}) {
        platform_.set_menu_enabled(command, command_enabled(command));
    }
}

void MainWindowLogic::frame_input() {
    poll_movement_keys([this](char key) { return platform_.is_key_held(key); }, camera_, settings_);
    if (!settings_.mouse_look) {
        return;
    }
    const ScreenPoint cursor = platform_.cursor_position();
    if (cursor == last_cursor_pos_) {
        return;
    }
    const int dx = cursor.x - last_cursor_pos_.x;
    const int dy = cursor.y - last_cursor_pos_.y;
    last_cursor_pos_ = cursor;
    look_with_mouse(dx, dy, camera_, settings_);
    recenter_cursor();
}

bool MainWindowLogic::needs_next_frame() {
    if (settings_.mouse_look) {
        return true;
    }
    for (const char* key = movement_keys; *key != '\0'; ++key) {
        if (platform_.is_key_held(*key)) {
            return true;
        }
    }
    return false;
}

void MainWindowLogic::apply_mouse_capture() {
    if (settings_.mouse_look) {
        recenter_cursor();
        platform_.set_cursor_hidden(true);
    } else {
        platform_.set_cursor_hidden(false);
    }
}

void MainWindowLogic::recenter_cursor() {
    const ScreenRect rect = platform_.main_window_rect();
    // Integer division truncates toward zero, also left of or above the
    // screen's origin.
    const ScreenPoint centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    platform_.set_cursor_position(centre);
    last_cursor_pos_ = centre;
}

bool MainWindowLogic::command_checked(Command command) const {
    if (const auto* toggle = find_command(view_toggles(), command)) {
        return settings_.*toggle->flag;
    }
    if (const auto* toggle = find_command(window_toggles(), command)) {
        return flags_.*toggle->flag;
    }
    if (const CutChoice* choice = find_command(cut_choices(), command)) {
        return settings_.*choice->flag == choice->value;
    }
    if (const ChoiceItem* item = find_command(choice_items(), command)) {
        return choice(item->key) == item->value;
    }
    return false;
}

bool MainWindowLogic::command_enabled(Command command) const {
    switch (command) {
        case Command::open:
        case Command::open_demands:
            return !loading();
        case Command::reload:
            return !loading() && !last_path_.empty();
        case Command::save_results:
        case Command::force_layout:
            return !loading() && loaded_.graph() != nullptr;
        case Command::recent_files:
            return !loading() && !recent_files_.empty();
        default:
            return true;
    }
}

void MainWindowLogic::fit(bool choose_direction) {
    const SceneInput input = scene_input();
    PixelRect legend;
    if (settings_.show_legend) {
        const TextMetrics metrics = platform_.overlay_text_metrics();
        if (metrics.text_width) {
            legend = layout_legend(legend_room_for(input, settings_), metrics).panel;
        }
    }
    fit_view(input, settings_, camera_, choose_direction, legend);
}

SceneInput MainWindowLogic::scene_input() const {
    SceneInput input = loaded_.scene();
    input.certificate_pending = certifying();
    return input;
}

std::vector<std::string> MainWindowLogic::empty_view_lines() const {
    if (loaded_.graph() != nullptr || loading()) {
        return {};
    }
    std::vector<std::string> lines{empty_view_hint};
    if (!recent_files_.empty()) {
        lines.emplace_back();
        lines.emplace_back(empty_view_recent_heading);
        lines.insert(lines.end(), recent_files_.begin(), recent_files_.end());
    }
    return lines;
}
