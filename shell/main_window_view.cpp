// The main window's view: the size, keys, wheel and mouse that move the
// camera, the input of each frame, the captured cursor and the fit.

#include "shell/main_window_logic.h"

#include "view/fit_view.h"

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
