// The main window's files: open (a graph, a demand file, a recent file),
// save (the console, the JSON report), export of the picture, and the file
// dialogs that ask for them.

#include "shell/main_window_logic.h"

#include <filesystem>
#include <string_view>
#include <utility>

#include "builder/demand_builder.h"
#include "shell/atomic_file.h"
#include "shell/json_report.h"
#include "shell/load_messages.h"

namespace fs = std::filesystem;

std::string save_error_text(const std::string& path) {
    return "Impossible d'écrire le fichier \"" + path + "\".";
}

std::string picture_error_text(const std::string& path) {
    return "Impossible d'écrire l'image\n" + path;
}
std::string recent_missing_text(const std::string& path) {
    return "Le fichier « " + path + " » n'existe plus ; il est retiré des fichiers récents.";
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
