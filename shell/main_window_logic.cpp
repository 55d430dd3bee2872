#include "shell/main_window_logic.h"

#include "shell/commands.h"
#include <filesystem>

#include "view/fit_view.h"
#include "view/force_layout.h"
#include "view/placement.h"

namespace {

// Clears the busy cursor however the load ends.
class BusyScope {
  public:
    explicit BusyScope(WindowPlatform& platform) : platform_(platform) { platform_.set_busy(true); }
    ~BusyScope() { platform_.set_busy(false); }

    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    WindowPlatform& platform_;
};

}  // namespace

MainWindowLogic::MainWindowLogic(WindowPlatform& platform, RandomSource random)
    : platform_(platform), log_(platform.console_sink()), random_(random) {}

void MainWindowLogic::start() {
    if (settings_.mouse_look) {
        platform_.set_cursor_hidden(true);
    }
    last_cursor_pos_ = platform_.cursor_position();
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
}

void MainWindowLogic::on_wheel(double notches) {
    wheel_camera(notches, loaded_.scene(), settings_, camera_);
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
}

void MainWindowLogic::toggle(int command, bool& flag) {
    flag = !flag;
    platform_.set_menu_check(command, flag);
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

bool MainWindowLogic::on_command(int command) {
    switch (command) {
        case IDM_OPEN:
            open_command();
            return true;
        case IDM_ABOUT:
            platform_.show_about();
            return true;
        case IDM_QUIT:
            platform_.quit(0);
            return true;
        case IDM_PROJECTION_3D:
            reset_view_3d(settings_);
            return true;
        case IDM_PROJECTION_2D:
            reset_view_2d(camera_, settings_);
            apply_mouse_capture();
            return true;
        case IDM_REDISTRIBUTE:
            if (const Graph* graph = loaded_.graph()) {
                place_vertices(*graph, random_, loaded_.display_positions);
            }
            return true;
        case IDM_TOGGLE_FLOW:
            settings_.show_flow = !settings_.show_flow;
            platform_.set_menu_check(IDM_TOGGLE_FLOW, settings_.show_flow);
            return true;
        case IDM_VERBOSE:
            verbose_ = !verbose_;
            platform_.set_menu_check(IDM_VERBOSE, verbose_);
            return true;
        case IDM_SHOW_LABELS:
            toggle(command, settings_.show_labels);
            return true;
        case IDM_LABEL_ALL:
            toggle(command, settings_.label_all);
            return true;
        case IDM_SHOW_LEGEND:
            toggle(command, settings_.show_legend);
            return true;
        case IDM_SHOW_CUT:
            toggle(command, settings_.show_cut);
            return true;
        case IDM_SHOW_ARROWS:
            toggle(command, settings_.show_arrows);
            return true;
        case IDM_FIT_ON_LOAD:
            toggle(command, settings_.fit_on_load);
            return true;
        case IDM_FIT_VIEW:
            fit_view(loaded_.scene(), settings_, camera_);
            return true;
        case IDM_FORCE_LAYOUT:
            if (const Graph* graph = loaded_.graph()) {
                force_layout(*graph, random_, loaded_.display_positions);
                fit_view(loaded_.scene(), settings_, camera_, /*choose_direction=*/true);
            }
            return true;
        case IDM_EXPORT_IMAGE:
            export_command();
            return true;
        case IDM_SHORTCUTS:
            platform_.show_shortcuts(shortcuts_text());
            return true;
        default:
            return false;
    }
}

void MainWindowLogic::open_command() {
    // One dialog at a time: a second one would save the already released
    // mouse look over the state to restore.
    if (open_dialog_pending_) {
        return;
    }
    saved_mouse_look_ = settings_.mouse_look;
    settings_.mouse_look = false;
    apply_mouse_capture();
    open_dialog_pending_ = true;
    platform_.start_open_dialog();
}

void MainWindowLogic::on_open_dialog_answer(const std::optional<std::string>& path) {
    open_dialog_pending_ = false;
    settings_.mouse_look = saved_mouse_look_;
    apply_mouse_capture();
    if (path) {
        load(*path);
    }
}

void MainWindowLogic::load(const std::string& path) {
    BusyScope busy(platform_);
    StageContext context{log_, random_, verbose_};
    // The console panel cannot show the listings of a large graph.
    context.listing_limit = console_listing_limit;
    if (load_graph_file(path, context, *this, loaded_) == LoadOutcome::loaded) {
        loaded_path_ = path;
        if (settings_.fit_on_load) {
            fit_view(loaded_.scene(), settings_, camera_, /*choose_direction=*/true);
        }
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

bool MainWindowLogic::command_checked(int command) const {
    switch (command) {
        case IDM_TOGGLE_FLOW:
            return settings_.show_flow;
        case IDM_VERBOSE:
            return verbose_;
        case IDM_SHOW_LABELS:
            return settings_.show_labels;
        case IDM_LABEL_ALL:
            return settings_.label_all;
        case IDM_SHOW_LEGEND:
            return settings_.show_legend;
        case IDM_SHOW_CUT:
            return settings_.show_cut;
        case IDM_SHOW_ARROWS:
            return settings_.show_arrows;
        case IDM_FIT_ON_LOAD:
            return settings_.fit_on_load;
        default:
            return false;
    }
}

void MainWindowLogic::show_error(const std::string& caption, const std::string& text) {
    // The box waits for the user: show the normal cursor over it.
    platform_.set_busy(false);
    platform_.show_error(caption, text);
}

void MainWindowLogic::set_title(const std::string& title) {
    platform_.set_title(title);
}

SceneInput MainWindowLogic::scene_input() const {
    return loaded_.scene();
}
