#include "shell/main_window_logic.h"

#include <string_view>
#include <utility>

#include "shell/load_messages.h"
#include "view/placement.h"

std::string loading_window_title(const std::string& path) {
    return loaded_window_title(path) + " (chargement...)";
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
