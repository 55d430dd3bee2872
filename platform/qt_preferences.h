#pragma once

#include <QSettings>
#include <memory>

#include "shell/preferences.h"

// The window's preferences in one settings file under the user's
// configuration folder, as Qt keeps them (an INI file,
// $XDG_CONFIG_HOME/Quillmere/tarvessa.ini, ~/.config by default). A file
// that cannot be read, or is not a settings file, counts as empty and is
// written anew at the first change.
class QtPreferenceStore final : public PreferenceStore {
  public:
    QtPreferenceStore();

    std::optional<std::string> value(const std::string& key) const override;
    void set_value(const std::string& key, const std::string& value) override;
    void clear() override;

  private:
    std::unique_ptr<QSettings> settings_;
};
