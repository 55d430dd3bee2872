#include "shell/window_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(WindowCommandLine, AcceptsOneFileAndHelp) {
    struct Row {
        std::vector<std::string> args;
        std::string expected;  // the file, "help", "none", or "error: <message>"
        bool reset = false;    // --reset-settings
    };
    const Row rows[] = {
        {{}, "none"},
        {{"grid.gr"}, "grid.gr"},
        {{"--help"}, "help"},
        {{"--", "-odd.gr"}, "-odd.gr"},
        {{"--", "--help"}, "--help"},
        {{"--reset-settings", "grid.gr"}, "grid.gr", true},
        {{"--", "--reset-settings"}, "--reset-settings"},
        {{"-x"}, "error: option inconnue : -x"},
        {{"--seed", "1"}, "error: option inconnue : --seed"},
        {{"a.gr", "b.gr"}, "error: un seul fichier à la fois : b.gr"},
        {{""}, "error: nom de fichier vide"},
    };
    for (const Row& row : rows) {
        const Expected<WindowCommandLine> line = parse_window_command_line(row.args);
        const std::string got = !line         ? "error: " + line.error()
                                : line->help  ? std::string("help")
                                : line->file ? *line->file
                                              : std::string("none");
        EXPECT_EQ(got, row.expected) << (row.args.empty() ? "" : row.args[0]);
        EXPECT_EQ(line && line->reset_settings, row.reset) << got;
    }
}
