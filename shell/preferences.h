#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Where the window's preferences are kept between runs: text values by key
// ("view/labels"). The Qt layer keeps them in one settings file under the
// user's configuration folder; the tests keep them in memory. A store whose
// file cannot be read or makes no sense answers as an empty one.
class PreferenceStore {
  public:
    virtual ~PreferenceStore() = default;
    // The value of `key`, or none when it has none.
    virtual std::optional<std::string> value(const std::string& key) const = 0;
    virtual void set_value(const std::string& key, const std::string& value) = 0;
    // Forgets every value.
    virtual void clear() = 0;
};

// A store that lives as long as the program: the preferences of a window
// that keeps none, and the tests'.
class MemoryPreferenceStore final : public PreferenceStore {
  public:
    std::optional<std::string> value(const std::string& key) const override;
    void set_value(const std::string& key, const std::string& value) override {
        values[key] = value;
    }
    void clear() override { values.clear(); }

    std::map<std::string, std::string> values;
};

// The file dialogs, each of which starts where it was left last.
enum class FileDialogKind { open, save_results, save_console, export_image, demands };

// The two windows whose place is remembered.
enum class PlacedWindow { main, console };

// A window's place on the screen in pixels: the top-left corner of its
// drawing area and its size.
struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const WindowPlace&) const = default;
};

// How many recent files Fichier → Fichiers récents and the empty view list.
inline constexpr std::size_t recent_file_limit = 5;

// The preferences as the window uses them: each read checks its value and
// falls back to the default when the value is missing or makes no sense
// (so a file edited by hand, or damaged, never stops the program), each
// write goes to the store at once.
class Preferences {
  public:
    explicit Preferences(PreferenceStore& store) : store_(store) {}

    // A flag: "true" or "false".
    bool flag(const std::string& key, bool fallback) const;
    void set_flag(const std::string& key, bool value);

    // One of `allowed`, or `fallback`.
    std::string choice(const std::string& key, std::span<const std::string> allowed,
                       const std::string& fallback) const;
    void set_choice(const std::string& key, const std::string& value);

    // The files loaded last, the latest first: at most recent_file_limit
    // full paths, none twice, none empty.
    std::vector<std::string> recent_files() const;
    void set_recent_files(const std::vector<std::string>& paths);

    // The folder the dialog was left in last, "" for none.
    std::string dialog_folder(FileDialogKind dialog) const;
    void set_dialog_folder(FileDialogKind dialog, const std::string& folder);

    // Where the window was at the end of the last run: none when not
    // recorded, or when its size is below 100 × 100 or its place or size
    // beyond 20 000 pixels.
    std::optional<WindowPlace> window_place(PlacedWindow window) const;
    void set_window_place(PlacedWindow window, const WindowPlace& place);

    // Back to the defaults, forgetting everything kept.
    void reset() { store_.clear(); }

  private:
    PreferenceStore& store_;
};
