#include "shell/main_window_logic.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "shell/commands.h"
#include "shell/json_report.h"
#include "shell/load_messages.h"
#include "view/fit_view.h"
#include "view/force_layout.h"
#include "view/placement.h"

namespace fs = std::filesystem;

// One load on the worker thread: everything it reads and writes while it
// runs, and what it reported, for the window's thread to take over when it
// ends.
struct MainWindowLogic::LoadJob : LoadReporter {
    LoadJob(std::string file, RandomSource source, bool listings, ConsoleSink& relay,
            const ConsoleLog::Clock& clock)
        : path(std::move(file)),
          random(source),
          verbose(listings),
          log(std::make_unique<ConsoleLog>(relay, clock)),
          started_ms(clock()) {}

    void show_error(const std::string& caption, const std::string& text) override {
        errors.emplace_back(caption, text);
    }
    void set_title(const std::string& text) override { title = text; }
    void file_opened() override {
        if (on_file_opened) {
            on_file_opened();
        }
    }

    const std::string path;
    RandomSource random;
    const bool verbose;
    std::unique_ptr<ConsoleLog> log;
    const std::int64_t started_ms;
    std::function<void()> on_file_opened;

    // Written by the worker, read once it has ended.
    LoadedGraph state;
    LoadOutcome outcome = LoadOutcome::build_failed;
    std::optional<std::string> title;
    std::vector<std::pair<std::string, std::string>> errors;
};

void return_freed_memory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

std::string load_cancelled_text(const std::string& path) {
    return "Le chargement du graphe \"" + path + "\" a été annulé.";
}

std::string save_error_text(const std::string& path) {
    return "Impossible d'écrire le fichier \"" + path + "\".";
}

std::string progress_stage_text(const std::string& last_timer_label) {
    if (last_timer_label.empty()) {
        return "Lecture du fichier .gr...";
    }
    return "Dernière étape : " + last_timer_label;
}

std::string progress_elapsed_text(std::int64_t milliseconds) {
    const std::int64_t tenths = (milliseconds < 0 ? 0 : milliseconds) / 100;
    return "Temps écoulé : " + std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) +
           " s";
}

Expected<WindowCommandLine> parse_window_command_line(const std::vector<std::string>& args) {
    WindowCommandLine line;
    bool options_ended = false;
    for (const std::string& arg : args) {
        if (!options_ended && arg == "--") {
            options_ended = true;
        } else if (!options_ended && arg == "--help") {
            line.help = true;
        } else if (!options_ended && !arg.empty() && arg[0] == '-') {
            return fail("option inconnue : " + arg);
        } else if (arg.empty()) {
            return fail("nom de fichier vide");
        } else if (line.file) {
            return fail("un seul fichier à la fois : " + arg);
        } else {
            line.file = arg;
        }
    }
    return line;
}

bool write_file_atomically(const std::string& path, const std::string& content) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(content.data(), static_cast<std::streamsize>(content.size()));
        file.close();
        if (!file) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

MainWindowLogic::MainWindowLogic(WindowPlatform& platform, RandomSource random, LoadFunction load,
                                 ConsoleLog::Clock clock)
    : platform_(platform),
      load_(std::move(load)),
      clock_(std::move(clock)),
      relay_(platform.console_sink(),
             [&platform](std::function<void()> task) { platform.post(std::move(task)); }),
      log_(relay_, clock_),
      random_(random) {}

MainWindowLogic::~MainWindowLogic() {
    if (worker_.joinable()) {
        cancel_ = true;
        worker_.join();
    }
    stop_certificate();
}

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
            // One dialog at a time, and none while a load runs.
            if (can_load()) {
                start_file_dialog([this] { platform_.start_open_dialog(); });
            }
            break;
        case IDM_RELOAD:
            if (!last_path_.empty()) {
                load_file(last_path_);
            }
            break;
        case IDM_SAVE_RESULTS:
            if (command_enabled(IDM_SAVE_RESULTS) && !dialog_pending_) {
                const std::string suggested =
                    fs::path(last_path_).replace_extension(".json").string();
                start_file_dialog(
                    [&] { platform_.start_save_dialog(SaveKind::results, suggested); });
            }
            break;
        case IDM_SAVE_CONSOLE:
            if (!dialog_pending_) {
                const std::string suggested =
                    last_path_.empty() ? std::string("console.txt")
                                       : fs::path(last_path_).replace_extension(".txt").string();
                start_file_dialog(
                    [&] { platform_.start_save_dialog(SaveKind::console, suggested); });
            }
            break;
        case IDM_SHOW_CONSOLE:
            console_shown_ = !console_shown_;
            platform_.set_console_shown(console_shown_);
            platform_.set_menu_check(IDM_SHOW_CONSOLE, console_shown_);
            break;
        case IDM_ABOUT:
            platform_.show_about();
            break;
        case IDM_QUIT:
            platform_.quit(0);
            break;
        case IDM_PROJECTION_3D:
            reset_view_3d(settings_);
            break;
        case IDM_PROJECTION_2D:
            reset_view_2d(camera_, settings_);
            apply_mouse_capture();
            break;
        case IDM_REDISTRIBUTE:
            if (const Graph* graph = loaded_.graph()) {
                place_vertices(*graph, random_, loaded_.display_positions);
            }
            break;
        case IDM_TOGGLE_FLOW:
            settings_.show_flow = !settings_.show_flow;
            platform_.set_menu_check(IDM_TOGGLE_FLOW, settings_.show_flow);
            break;
        case IDM_VERBOSE:
            verbose_ = !verbose_;
            platform_.set_menu_check(IDM_VERBOSE, verbose_);
            break;
        case IDM_SHOW_LABELS:
            toggle(command, settings_.show_labels);
            break;
        case IDM_LABEL_ALL:
            toggle(command, settings_.label_all);
            break;
        case IDM_SHOW_LEGEND:
            toggle(command, settings_.show_legend);
            break;
        case IDM_SHOW_CUT:
            toggle(command, settings_.show_cut);
            break;
        case IDM_CUT_SWEEP:
        case IDM_CUT_BEST:
            // Choosing a cut shows it.
            settings_.show_best_cut = command == IDM_CUT_BEST;
            settings_.show_cut = true;
            for (const int item : {IDM_SHOW_CUT, IDM_CUT_SWEEP, IDM_CUT_BEST}) {
                platform_.set_menu_check(item, command_checked(item));
            }
            break;
        case IDM_SHOW_ARROWS:
            toggle(command, settings_.show_arrows);
            break;
        case IDM_FIT_ON_LOAD:
            toggle(command, settings_.fit_on_load);
            break;
        case IDM_FIT_VIEW:
            fit_view(loaded_.scene(), settings_, camera_);
            break;
        case IDM_FORCE_LAYOUT:
            if (const Graph* graph = loaded_.graph()) {
                force_layout(*graph, random_, loaded_.display_positions);
                fit_view(loaded_.scene(), settings_, camera_, /*choose_direction=*/true);
            }
            break;
        case IDM_EXPORT_IMAGE:
            export_command();
            break;
        case IDM_SHORTCUTS:
            platform_.show_shortcuts(shortcuts_text());
            break;
        default:
            return false;
    }
    platform_.request_frame();
    return true;
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
    console_shown_ = false;
    platform_.set_menu_check(IDM_SHOW_CONSOLE, false);
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
    stop_certificate();
    cancel_ = false;
    progress_shown_ = false;
    auto job = std::make_unique<LoadJob>(path, random_, verbose_, relay_, clock_);
    LoadJob* running = job.get();
    // The previous graph goes as soon as the file is open, as the load
    // command releases its own record then.
    running->on_file_opened = [this, running] {
        platform_.post([this, running] {
            if (job_.get() == running) {
                loaded_.current.reset();
                shown_log_.reset();
                update_enabled();
                platform_.request_frame();
            }
        });
    };
    job_ = std::move(job);
    relay_.hold();
    platform_.set_busy(true);
    update_enabled();
    platform_.set_progress_ticks(true);
    worker_ = std::thread([this, running] {
        StageContext context{*running->log, running->random, running->verbose, &cancel_};
        // The console panel cannot show the listings of a large graph.
        context.listing_limit = console_listing_limit;
        try {
            running->outcome = load_(running->path, context, *running, running->state);
        } catch (...) {
            // The load command handles its own errors; this is for a stand-in
            // that does not.
            running->outcome = LoadOutcome::build_failed;
            running->errors.emplace_back(caption_read_error, build_failure_text(""));
        }
        platform_.post([this, running] { finish_load(running); });
    });
    return true;
}

void MainWindowLogic::cancel_load() {
    if (!loading()) {
        return;
    }
    cancel_ = true;
    if (progress_shown_) {
        on_progress_tick();
    }
}

void MainWindowLogic::on_progress_tick() {
    if (!job_) {
        return;
    }
    const std::int64_t elapsed = clock_() - job_->started_ms;
    if (!progress_shown_ && elapsed < progress_delay_ms) {
        return;
    }
    progress_shown_ = true;
    const std::string stage =
        cancel_ ? std::string("Annulation...") : progress_stage_text(relay_.last_timer_label());
    platform_.show_progress(stage, progress_elapsed_text(elapsed));
}

void MainWindowLogic::finish_load(LoadJob* job) {
    if (job_.get() != job) {
        return;
    }
    worker_.join();
    relay_.release();
    platform_.set_progress_ticks(false);
    platform_.hide_progress();
    progress_shown_ = false;
    const std::unique_ptr<LoadJob> done = std::move(job_);
    random_ = done->random;
    platform_.set_busy(false);

    switch (done->outcome) {
        case LoadOutcome::loaded:
            loaded_ = std::move(done->state);
            shown_log_ = std::move(done->log);
            loaded_path_ = done->path;
            if (settings_.fit_on_load) {
                fit_view(loaded_.scene(), settings_, camera_, /*choose_direction=*/true);
            }
            start_certificate();
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
    if (done->title) {
        platform_.set_title(*done->title);
    }
    update_enabled();
    platform_.request_frame();
    report_outcome(*done);
}

void MainWindowLogic::start_certificate() {
    const std::uint64_t generation = ++certificate_generation_;
    certificate_cancel_ = false;
    // The thread reads the graph on show and its cut, which nothing changes
    // and nothing replaces while it runs: only a load replaces them, and it
    // stops the certificate first. Its result is handed over on the window's
    // thread.
    const Graph* graph = &loaded_.current->graph;
    const CutResult* sweep = &loaded_.current->result.cut;
    certifier_ = std::thread([this, generation, graph, sweep, random = random_]() mutable {
        NullSink sink;
        ConsoleLog log(sink);
        StageContext context{log, random, false, &certificate_cancel_};
        TimedCertificate timed = certify_stage(*graph, *sweep, context);
        platform_.post([this, generation, certificate = std::move(timed.certificate),
                        seconds = timed.seconds] {
            // A certificate stopped before it ended was joined then.
            if (generation != certificate_generation_) {
                return;
            }
            certifier_.join();
            if (loaded_.current) {
                loaded_.current->certificate = certificate;
                loaded_.current->certificate_seconds = seconds;
            }
            platform_.request_frame();
        });
    });
}

void MainWindowLogic::stop_certificate() {
    ++certificate_generation_;
    if (certifier_.joinable()) {
        certificate_cancel_ = true;
        certifier_.join();
    }
}

void MainWindowLogic::report_outcome(const LoadJob& job) {
    // The boxes wait for the user, so they come last, with everything else
    // already in its final state.
    const std::string path = job.path;
    std::vector<std::pair<std::string, std::string>> errors = job.errors;
    const bool cancelled = job.outcome == LoadOutcome::cancelled;
    if (cancelled) {
        log_.append_line(load_cancelled_line);
    }
    return_freed_memory();
    for (const auto& [caption, text] : errors) {
        platform_.show_error(caption, text);
    }
    if (cancelled) {
        platform_.show_information(caption_load_cancelled, load_cancelled_text(path));
    }
}

void MainWindowLogic::update_enabled() {
    for (const int command : {IDM_OPEN, IDM_RELOAD, IDM_SAVE_RESULTS}) {
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
        case IDM_CUT_SWEEP:
            return !settings_.show_best_cut;
        case IDM_CUT_BEST:
            return settings_.show_best_cut;
        case IDM_SHOW_ARROWS:
            return settings_.show_arrows;
        case IDM_FIT_ON_LOAD:
            return settings_.fit_on_load;
        case IDM_SHOW_CONSOLE:
            return console_shown_;
        default:
            return false;
    }
}

bool MainWindowLogic::command_enabled(int command) const {
    switch (command) {
        case IDM_OPEN:
            return !loading();
        case IDM_RELOAD:
            return !loading() && !last_path_.empty();
        case IDM_SAVE_RESULTS:
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
