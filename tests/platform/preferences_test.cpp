// The window's preferences in their settings file, through QSettings, in a
// configuration folder of the test's own.

#include <gtest/gtest.h>

#include <QSettings>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/qt_preferences.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

TEST(QtPreferences, SurviveARestartAndADamagedOrUnreadableFileGivesTheDefaults) {
    ScratchDir config("quillmere-config");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(config.dir().string()));
    const std::vector<std::string> recent{"/données/a, b.gr", "/x/y [2].gr"};
    {
        QtPreferenceStore store;
        Preferences kept(store);
        kept.set_flag("view/labels", false);
        kept.set_recent_files(recent);
        kept.set_window_place(PlacedWindow::console, {-5, 30, 420, 480});
    }
    const fs::path file = config.path("Quillmere/tarvessa.ini");
    {
        QtPreferenceStore store;
        const Preferences kept(store);
        EXPECT_FALSE(kept.flag("view/labels", true));
        EXPECT_EQ(kept.recent_files(), recent);
        EXPECT_EQ(kept.window_place(PlacedWindow::console), (WindowPlace{-5, 30, 420, 480}));
    }

    // A file that is no settings file counts as empty, even for what it
    // seems to hold, and is written anew at the first change; a folder in
    // its place neither.
    for (const bool folder : {false, true}) {
        fs::remove_all(file);
        if (folder) {
            fs::create_directory(file);
        } else {
            config.write("Quillmere/tarvessa.ini",
                         "\x01\x89PNG[[[\n=\n\xff\xfe[view\nlabels=false\n");
        }
        {
            QtPreferenceStore store;
            Preferences damaged(store);
            EXPECT_TRUE(damaged.flag("view/labels", true)) << folder;
            EXPECT_TRUE(damaged.recent_files().empty()) << folder;
            damaged.set_flag("view/arrows", false);
        }
        // The damaged file is replaced by a clean one; the folder stays.
        EXPECT_EQ(read_file(file), folder ? "" : "[view]\narrows=false\n");
    }
}
