#include "shell/main_window_logic.h"

#include <filesystem>
#include <utility>

#include "builder/demand_builder.h"
#include "shell/atomic_file.h"
#include "shell/json_report.h"
#include "shell/load_messages.h"
#include "view/fit_view.h"
#include "view/force_layout.h"
#include "view/placement.h"

namespace fs = std::filesystem;

std::string save_error_text(const std::string& path) {
    return "Impossible d'écrire le fichier \"" + path + "\".";
}

MainWindowLogic::MainWindowLogic(WindowPlatform& platform, RandomSource random, LoadFunction load,
                                 ConsoleLog::Clock clock)
    : platform_(platform),
      clock_(std::move(clock)),
      relay_(platform.console_sink(),
             [&platform](std::function<void()> task) { platform.post(std::move(task)); }),
      log_(relay_, clock_),
      random_(random),
      runner_(
          platform, relay_, std::move(load), clock_,
          {[this] { file_opened(); }, [this](FinishedLoad done) { finish_load(std::move(done)); }}),
      certifier_([&platform](std::function<void()> task) { platform.post(std::move(task)); }) {}

MainWindowLogic::~MainWindowLogic() = default;

void MainWindowLogic::start() {
    if (settings_.mouse_look) {
        platform_.set_cursor_hidden(true);
    }
    last_cursor_pos_ = platform_.cursor_position();
    update_enabled();
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
            platform_.quit(0);
            break;
        case WindowKey::f2:
            settings_.mouse_look = !settings_.mouse_look;
            apply_mouse_capture();
            break;
        case WindowKey::home:
            fit_view(loaded_.scene(), settings_, camera_);
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
        const std::string stem = std::filesystem::path(loaded_path_).stem().string();
        if (!stem.empty()) {
            name = stem + ".png";
        }
    }
    // The dialog needs the cursor, as the open dialog does.
    const bool looking = settings_.mouse_look;
    settings_.mouse_look = false;
    apply_mouse_capture();
    dragging_ = false;
    platform_.export_picture(name);
    settings_.mouse_look = looking;
    apply_mouse_capture();
}

void MainWindowLogic::on_close() {
    platform_.quit(0);
}

bool MainWindowLogic::on_command(Command command) {
    if (const auto* toggle = find_command(view_toggles(), command)) {
        flip(command, settings_.*toggle->flag, toggle->apply);
    } else if (const auto* toggle = find_command(window_toggles(), command)) {
        flip(command, flags_.*toggle->flag, toggle->apply);
    } else if (const CutChoice* choice = find_command(cut_choices(), command)) {
        settings_.*choice->flag = choice->value;
        settings_.show_cut = true;
        for (const Command item : {Command::show_cut, Command::cut_sweep, Command::cut_best}) {
            platform_.set_menu_check(item, command_checked(item));
        }
    } else if (const DemandChoiceItem* item = find_command(demand_choices(), command)) {
        if (item->kind == DemandChoice::Kind::file) {
            // The file's item chooses a file, unless one is in force.
            if (demands_.kind != DemandChoice::Kind::file) {
                open_demands_command();
            }
            update_demand_checks();
        } else if (item->kind != demands_.kind) {
            choose_demands(DemandChoice{item->kind, "", ""});
        } else {
            update_demand_checks();
        }
    } else if (!run_action(command)) {
        return false;
    }
    platform_.request_frame();
    return true;
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
            platform_.quit(0);
            break;
        case Command::projection_3d:
            reset_view_3d(settings_);
            break;
        case Command::projection_2d:
            reset_view_2d(camera_, settings_);
            apply_mouse_capture();
            break;
        case Command::redistribute:
            if (const Graph* graph = loaded_.graph()) {
                place_vertices(*graph, random_, loaded_.display_positions);
            }
            break;
        case Command::fit_view:
            fit_view(loaded_.scene(), settings_, camera_);
            break;
        case Command::force_layout:
            if (const Graph* graph = loaded_.graph()) {
                force_layout(*graph, random_, loaded_.display_positions);
                fit_view(loaded_.scene(), settings_, camera_, /*choose_direction=*/true);
            }
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

void MainWindowLogic::open_command() {
    // One dialog at a time, and none while a load runs.
    if (can_load()) {
        start_file_dialog([this] { platform_.start_open_dialog(); });
    }
}

void MainWindowLogic::open_demands_command() {
    if (can_load()) {
        start_file_dialog([this] { platform_.start_demands_dialog(); });
    }
}

void MainWindowLogic::on_demands_dialog_answer(const std::optional<std::string>& path) {
    end_file_dialog();
    if (!path) {
        update_demand_checks();
        return;
    }
    Expected<DemandChoice, DemandFileFailure> read = read_demand_file(*path);
    if (!read) {
        update_demand_checks();
        platform_.show_error(read.error().caption, read.error().failure.message);
        return;
    }
    // A file that names a vertex the graph on show lacks is refused before
    // that graph goes.
    if (const ComputedGraph* shown = loaded_.current ? &*loaded_.current : nullptr) {
        const Expected<DemandSet, DemandRefusal> fits =
            build_demand_set(&*read, shown->graph, shown->names);
        if (!fits) {
            update_demand_checks();
            platform_.show_error(caption_read_error, demand_refusal_text(fits.error(), *path));
            return;
        }
    }
    choose_demands(std::move(*read));
}

void MainWindowLogic::choose_demands(DemandChoice choice) {
    demands_ = std::move(choice);
    update_demand_checks();
    if (loaded_.graph() != nullptr && !loaded_path_.empty()) {
        load_file(loaded_path_);
    }
}

void MainWindowLogic::update_demand_checks() {
    for (const DemandChoiceItem& item : demand_choices()) {
        platform_.set_menu_check(item.command, command_checked(item.command));
    }
}

void MainWindowLogic::save_command(SaveKind kind) {
    // One dialog at a time; the results need a graph on show.
    if (dialog_pending_ || (kind == SaveKind::results && !command_enabled(Command::save_results))) {
        return;
    }
    const std::string suggested =
        last_path_.empty() ? std::string("console.txt")
                           : fs::path(last_path_)
                                 .replace_extension(kind == SaveKind::results ? ".json" : ".txt")
                                 .string();
    start_file_dialog([&] { platform_.start_save_dialog(kind, suggested); });
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
        content = graph_report(loaded_, *shown_log_)
                      .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                  "\n";
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
    // The graph on show goes with this load, so its certificate is not
    // needed any more.
    certifier_.stop();
    runner_.start(path, random_, flags_.verbose, demands_);
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
                fit_view(loaded_.scene(), settings_, camera_, /*choose_direction=*/true);
            }
            certifier_.start(loaded_.current->graph, loaded_.current->demands,
                             loaded_.current->result.cut, random_,
                             [this](const CutCertificate& certificate, double seconds) {
                                 if (loaded_.current) {
                                     loaded_.current->certificate = certificate;
                                     loaded_.current->certificate_seconds = seconds;
                                 }
                                 platform_.request_frame();
                             });
            break;
        case LoadOutcome::cannot_open:
            // The graph on show stays, and with it its title.
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
         {Command::open, Command::open_demands, Command::reload, Command::save_results}) {
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
    if (const DemandChoiceItem* item = find_command(demand_choices(), command)) {
        return demands_.kind == item->kind;
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
            return !loading() && loaded_.graph() != nullptr;
        default:
            return true;
    }
}

SceneInput MainWindowLogic::scene_input() const {
    SceneInput input = loaded_.scene();
    input.certificate_pending = certifying();
    return input;
}
