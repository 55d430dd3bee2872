#include "shell/preferences.h"

#include <algorithm>
#include <array>
#include <sstream>

#include "common/lookup_table.h"

namespace {

const char* dialog_key(FileDialogKind dialog) {
    static constexpr LookupRow<FileDialogKind, const char*> keys[] = {
        {FileDialogKind::open, "dialogs/open"},
        {FileDialogKind::save_results, "dialogs/save_results"},
        {FileDialogKind::save_console, "dialogs/save_console"},
        {FileDialogKind::export_image, "dialogs/export_image"},
        {FileDialogKind::demands, "dialogs/demands"},
    };
    return look_up(keys, dialog, "dialogs/open");
}

const char* window_key(PlacedWindow window) {
    return window == PlacedWindow::main ? "windows/main" : "windows/console";
}

std::string recent_key(std::size_t index) {
    return "recent/" + std::to_string(index + 1);
}

// The largest place or size that a screen arrangement gives.
constexpr int largest_pixels = 20000;
constexpr int smallest_side = 100;

}  // namespace

std::optional<std::string> MemoryPreferenceStore::value(const std::string& key) const {
    const auto found = values.find(key);
    return found == values.end() ? std::nullopt : std::optional(found->second);
}

bool Preferences::flag(const std::string& key, bool fallback) const {
    const std::optional<std::string> text = store_.value(key);
    if (text == "true") {
        return true;
    }
    if (text == "false") {
        return false;
    }
    return fallback;
}

void Preferences::set_flag(const std::string& key, bool value) {
    store_.set_value(key, value ? "true" : "false");
}

std::string Preferences::choice(const std::string& key, std::span<const std::string> allowed,
                                const std::string& fallback) const {
    const std::optional<std::string> text = store_.value(key);
    return text && std::ranges::find(allowed, *text) != allowed.end() ? *text : fallback;
}

void Preferences::set_choice(const std::string& key, const std::string& value) {
    store_.set_value(key, value);
}

std::vector<std::string> Preferences::recent_files() const {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < recent_file_limit; ++i) {
        const std::optional<std::string> path = store_.value(recent_key(i));
        if (path && !path->empty() && std::ranges::find(paths, *path) == paths.end()) {
            paths.push_back(*path);
        }
    }
    return paths;
}

void Preferences::set_recent_files(const std::vector<std::string>& paths) {
    for (std::size_t i = 0; i < recent_file_limit; ++i) {
        store_.set_value(recent_key(i), i < paths.size() ? paths[i] : std::string());
    }
}

std::string Preferences::dialog_folder(FileDialogKind dialog) const {
    return store_.value(dialog_key(dialog)).value_or("");
}

void Preferences::set_dialog_folder(FileDialogKind dialog, const std::string& folder) {
    store_.set_value(dialog_key(dialog), folder);
}

std::optional<WindowPlace> Preferences::window_place(PlacedWindow window) const {
    const std::optional<std::string> text = store_.value(window_key(window));
    if (!text) {
        return std::nullopt;
    }
    std::istringstream in(*text);
    WindowPlace place;
    std::string rest;
    if (!(in >> place.x >> place.y >> place.width >> place.height) || (in >> rest)) {
        return std::nullopt;
    }
    const auto within = [](int value, int low) { return value >= low && value <= largest_pixels; };
    if (!within(place.x, -largest_pixels) || !within(place.y, -largest_pixels) ||
        !within(place.width, smallest_side) || !within(place.height, smallest_side)) {
        return std::nullopt;
    }
    return place;
}

void Preferences::set_window_place(PlacedWindow window, const WindowPlace& place) {
    store_.set_value(window_key(window), std::to_string(place.x) + " " + std::to_string(place.y) +
                                             " " + std::to_string(place.width) + " " +
                                             std::to_string(place.height));
}
