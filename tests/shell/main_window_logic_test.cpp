#include "shell/main_window_logic.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/random_source.h"
#include "shell/commands.h"
#include "view/camera.h"
#include "tests/support/scratch_dir.h"

namespace {

// Records every request of the logic and answers its queries from fields the
// test sets.
class FakePlatform : public WindowPlatform {
  public:
    void set_title(const std::string& title) override { titles.push_back(title); }
    void show_error(const std::string& caption, const std::string& text) override {
        errors.push_back({caption, text});
        busy_during_error = busy;
    }
    void set_menu_check(int command, bool checked) override { checks[command] = checked; }
    void start_open_dialog() override { ++open_dialogs; }
    void show_about() override { ++about_boxes; }
    void quit(int status) override { quits.push_back(status); }
    bool is_key_held(char letter) override { return held.count(letter) > 0; }
    ScreenPoint cursor_position() override { return cursor; }
    void set_cursor_position(ScreenPoint point) override { cursor = point; }
    void set_cursor_hidden(bool hidden) override { cursor_hidden = hidden; }
    ScreenRect main_window_rect() override { return rect; }
    void set_busy(bool b) override {
        busy = b;
        busy_changes.push_back(b);
    }
    ConsoleSink& console_sink() override { return sink; }

    std::vector<std::string> titles;
    std::vector<std::pair<std::string, std::string>> errors;
    std::map<int, bool> checks;
    int open_dialogs = 0;
    int about_boxes = 0;
    std::vector<int> quits;
    std::set<char> held;
    ScreenPoint cursor{5, 7};
    bool cursor_hidden = false;
    ScreenRect rect{50, 50, 751, 761};
    bool busy = false;
    bool busy_during_error = false;
    std::vector<bool> busy_changes;
    StringSink sink;
};

const std::string bottleneck = std::string(QUILLMERE_SOURCE_DIR) + "/examples/bottleneck.gr";

class MainWindowLogicTest : public ::testing::Test {
  protected:
    void SetUp() override { logic_.start(); }

    // The Open command followed by the dialog's answer.
    void open(const std::optional<std::string>& path) {
        ASSERT_TRUE(logic_.on_command(IDM_OPEN));
        logic_.on_open_dialog_answer(path);
    }

    ScratchDir scratch_{"quillmere-window-logic"};
    FakePlatform platform_;
    MainWindowLogic logic_{platform_, RandomSource(11)};
    const ScreenPoint centre_{400, 405};
};

}  // namespace

TEST(CommandTables, MenuTextsIdsAndSeparators) {
    const auto menus = main_menu();
    ASSERT_EQ(menus.size(), 4u);
    EXPECT_STREQ(menus[0].title, "&Fichier");
    EXPECT_STREQ(menus[1].title, "&Options");
    EXPECT_STREQ(menus[2].title, "Affic&hage");
    EXPECT_STREQ(menus[3].title, "&Aide");

    // Every item as (id, text), a separator as (0, "").
    std::vector<std::vector<std::pair<int, std::string>>> seen;
    for (const Menu& menu : menus) {
        auto& items = seen.emplace_back();
        for (const MenuItem& item : menu.items) {
            items.emplace_back(item.command, item.is_separator() ? "" : item.text);
        }
    }
    using Items = std::vector<std::pair<int, std::string>>;
    EXPECT_EQ(seen[0],
              (Items{{40002, "&Ouvrir un graphe...\tCtrl+O"}, {0, ""}, {40006, "&Quitter"}}));
    EXPECT_EQ(seen[1], (Items{{40007, "Projection &3D\tCtrl+3"},
                              {40008, "Projection &2D\tCtrl+2"},
                              {0, ""},
                              {40014, "&Redistribuer les sommets\tCtrl+R"},
                              {0, ""},
                              {40017, "Montrer/Cacher le maxflow\tCtrl+F"},
                              {0, ""},
                              {40021, "Verbose\tCtrl+V"}}));
    EXPECT_EQ(seen[2], (Items{{IDM_SHOW_LABELS, "&Numéros des sommets\tCtrl+L"},
                              {IDM_LABEL_ALL, "Numéros de &tous les sommets\tCtrl+T"},
                              {IDM_SHOW_LEGEND, "&Légende et résultat\tCtrl+G"},
                              {IDM_SHOW_CUT, "Montrer la &coupe\tCtrl+K"},
                              {IDM_SHOW_ARROWS, "&Flèches des arcs\tCtrl+H"},
                              {0, ""},
                              {IDM_FIT_VIEW, "Recadrer la &vue\tDébut"},
                              {IDM_FIT_ON_LOAD, "Recadrer à chaque c&hargement\tCtrl+U"},
                              {0, ""},
                              {IDM_FORCE_LAYOUT, "&Disposition par forces\tCtrl+B"},
                              {0, ""},
                              {IDM_EXPORT_IMAGE, "&Exporter l'image...\tCtrl+E"}}));
    EXPECT_EQ(seen[3], (Items{{IDM_SHORTCUTS, "&Raccourcis"}, {40004, "À &propos"}}));

    // Only the toggles carry a check mark.
    const std::set<int> toggles{IDM_TOGGLE_FLOW, IDM_VERBOSE,     IDM_SHOW_LABELS, IDM_LABEL_ALL,
                                IDM_SHOW_LEGEND, IDM_SHOW_CUT,    IDM_SHOW_ARROWS, IDM_FIT_ON_LOAD};
    for (const Menu& menu : menus) {
        for (const MenuItem& item : menu.items) {
            EXPECT_EQ(item.checkable, toggles.count(item.command) == 1) << item.command;
        }
    }
}

TEST(CommandTables, ShortcutsUseTheKeypadOnlyForTheProjections) {
    std::map<int, std::pair<char, bool>> by_command;
    for (const Accelerator& a : accelerators()) {
        EXPECT_TRUE(by_command.emplace(a.command, std::make_pair(a.key, a.keypad)).second);
    }
    const std::map<int, std::pair<char, bool>> expected{
        {IDM_OPEN, {'O', false}},         {IDM_TOGGLE_FLOW, {'F', false}},
        {IDM_PROJECTION_2D, {'2', true}}, {IDM_PROJECTION_3D, {'3', true}},
        {IDM_REDISTRIBUTE, {'R', false}}, {IDM_VERBOSE, {'V', false}},
        {IDM_SHOW_LABELS, {'L', false}},  {IDM_LABEL_ALL, {'T', false}},
        {IDM_SHOW_LEGEND, {'G', false}},  {IDM_SHOW_CUT, {'K', false}},
        {IDM_SHOW_ARROWS, {'H', false}},  {IDM_FIT_ON_LOAD, {'U', false}},
        {IDM_FORCE_LAYOUT, {'B', false}}, {IDM_EXPORT_IMAGE, {'E', false}}};
    EXPECT_EQ(by_command, expected);
    // No key serves two commands.
    std::set<std::pair<char, bool>> keys;
    for (const Accelerator& a : accelerators()) {
        EXPECT_TRUE(keys.emplace(a.key, a.keypad).second) << a.key;
    }
}

TEST(CommandTables, ShortcutListNamesEveryShortcutOfTheMenus) {
    const std::string text = shortcuts_text();
    for (const Menu& menu : main_menu()) {
        for (const MenuItem& item : menu.items) {
            const std::string full = item.is_separator() ? "" : item.text;
            const std::size_t tab = full.find('\t');
            if (tab != std::string::npos) {
                EXPECT_NE(text.find(full.substr(tab + 1)), std::string::npos) << full;
            }
        }
    }
    EXPECT_NE(text.find("Ctrl+K : Montrer la coupe (Affichage)\n"), std::string::npos);
    EXPECT_NE(text.find("Ctrl+2 (pavé numérique) : Projection 2D (Options)\n"), std::string::npos);
    for (const char* key : {"Z / S", "A / W", "Q / D", "P / M", "F2", "Molette", "Échap"}) {
        EXPECT_NE(text.find(key), std::string::npos) << key;
    }
}

TEST_F(MainWindowLogicTest, EveryMenuCommandIsHandledAndUnknownIdsAreNot) {
    // Commands that open nothing and end nothing; the others have their tests.
    for (int id : {IDM_PROJECTION_3D, IDM_REDISTRIBUTE, IDM_TOGGLE_FLOW, IDM_VERBOSE, IDM_ABOUT}) {
        EXPECT_TRUE(logic_.on_command(id)) << id;
    }
    EXPECT_EQ(platform_.about_boxes, 1);
    EXPECT_FALSE(logic_.on_command(40003));
    EXPECT_FALSE(logic_.on_command(0));
    EXPECT_TRUE(platform_.quits.empty());
}

TEST_F(MainWindowLogicTest, TogglesFlipTheirFlagAndCheckMark) {
    // Both start off, and the menu is built unchecked from the same flags.
    EXPECT_FALSE(logic_.settings().show_flow);
    EXPECT_FALSE(logic_.verbose());
    EXPECT_FALSE(logic_.command_checked(IDM_TOGGLE_FLOW));
    EXPECT_FALSE(logic_.command_checked(IDM_VERBOSE));
    EXPECT_FALSE(logic_.command_checked(IDM_OPEN));

    logic_.on_command(IDM_TOGGLE_FLOW);
    EXPECT_TRUE(logic_.settings().show_flow);
    EXPECT_EQ(platform_.checks, (std::map<int, bool>{{IDM_TOGGLE_FLOW, true}}));
    logic_.on_command(IDM_VERBOSE);
    EXPECT_TRUE(logic_.verbose());
    EXPECT_TRUE(platform_.checks[IDM_VERBOSE]);
    EXPECT_TRUE(logic_.command_checked(IDM_VERBOSE));

    logic_.on_command(IDM_TOGGLE_FLOW);
    logic_.on_command(IDM_VERBOSE);
    EXPECT_FALSE(logic_.settings().show_flow);
    EXPECT_FALSE(logic_.verbose());
    EXPECT_EQ(platform_.checks,
              (std::map<int, bool>{{IDM_TOGGLE_FLOW, false}, {IDM_VERBOSE, false}}));
}

TEST_F(MainWindowLogicTest, DisplayTogglesStartAsTheyShouldAndFlip) {
    const struct {
        int command;
        bool ViewSettings::*flag;
        bool initially;
    } toggles[] = {
        {IDM_SHOW_LABELS, &ViewSettings::show_labels, true},
        {IDM_LABEL_ALL, &ViewSettings::label_all, false},
        {IDM_SHOW_LEGEND, &ViewSettings::show_legend, true},
        {IDM_SHOW_CUT, &ViewSettings::show_cut, false},
        {IDM_SHOW_ARROWS, &ViewSettings::show_arrows, true},
        {IDM_FIT_ON_LOAD, &ViewSettings::fit_on_load, true},
    };
    for (const auto& t : toggles) {
        EXPECT_EQ(logic_.settings().*t.flag, t.initially) << t.command;
        EXPECT_EQ(logic_.command_checked(t.command), t.initially) << t.command;
        ASSERT_TRUE(logic_.on_command(t.command));
        EXPECT_EQ(logic_.settings().*t.flag, !t.initially) << t.command;
        EXPECT_EQ(platform_.checks[t.command], !t.initially) << t.command;
    }
}

TEST_F(MainWindowLogicTest, LoadsFitTheCameraUnlessTurnedOffAndHomeFitsAgain) {
    logic_.on_size(700, 690);
    open(bottleneck);
    ASSERT_NE(logic_.loaded().graph(), nullptr);
    const Camera fitted = logic_.camera();
    EXPECT_NE(fitted.position, Camera{}.position);

    // With fitting off a load keeps the camera; Home fits it.
    logic_.on_command(IDM_FIT_ON_LOAD);
    logic_.camera() = Camera{};
    open(bottleneck);
    EXPECT_EQ(logic_.camera().position, Camera{}.position);
    logic_.on_key_down(WindowKey::home);
    EXPECT_NE(logic_.camera().position, Camera{}.position);

    // The force layout keeps the graph's vertex count and fits again.
    const std::vector<Vector3> before = logic_.loaded().display_positions;
    ASSERT_TRUE(logic_.on_command(IDM_FORCE_LAYOUT));
    EXPECT_EQ(logic_.loaded().display_positions.size(), before.size());
    EXPECT_NE(logic_.loaded().display_positions, before);
}

TEST_F(MainWindowLogicTest, WheelAndLeftDragMoveTheCameraOnlyWhileHeld) {
    if (logic_.settings().mouse_look) {
        logic_.on_key_down(WindowKey::f2);
    }
    ASSERT_FALSE(logic_.settings().mouse_look);
    const Camera start = logic_.camera();
    logic_.on_mouse_move({100, 100});  // no button held
    EXPECT_EQ(logic_.camera().view_direction, start.view_direction);

    logic_.on_left_button(true, {100, 100});
    logic_.on_mouse_move({140, 100});
    Camera turned = start;
    look_with_mouse(40, 0, turned, logic_.settings());
    EXPECT_EQ(logic_.camera().view_direction, turned.view_direction);
    logic_.on_left_button(false, {140, 100});
    logic_.on_mouse_move({200, 100});
    EXPECT_EQ(logic_.camera().view_direction, turned.view_direction);

    logic_.on_wheel(1.0);
    EXPECT_NE(logic_.camera().position, start.position);
}

TEST_F(MainWindowLogicTest, VerboseReachesTheLoad) {
    const std::string capacity_listing = "(0,0) = 0 ; (0,1) = 0 ;";
    open(bottleneck);
    EXPECT_EQ(platform_.sink.text().find(capacity_listing), std::string::npos);
    logic_.on_command(IDM_VERBOSE);
    open(bottleneck);
    EXPECT_NE(platform_.sink.text().find(capacity_listing), std::string::npos);
}

TEST_F(MainWindowLogicTest, EscapeCloseBoxAndQuitEndWithStatusZero) {
    logic_.on_key_down(WindowKey::other);
    EXPECT_TRUE(platform_.quits.empty());
    logic_.on_key_down(WindowKey::escape);
    logic_.on_close();
    logic_.on_command(IDM_QUIT);
    EXPECT_EQ(platform_.quits, (std::vector<int>{0, 0, 0}));
}

TEST_F(MainWindowLogicTest, ProjectionCommandsSwitchTheViewAnd2DReleasesTheCursor) {
    logic_.on_key_down(WindowKey::f2);
    ASSERT_TRUE(platform_.cursor_hidden);

    logic_.on_command(IDM_PROJECTION_2D);
    EXPECT_FALSE(logic_.settings().perspective_3d);
    EXPECT_FALSE(logic_.settings().mouse_look);
    EXPECT_FALSE(platform_.cursor_hidden);

    logic_.on_command(IDM_PROJECTION_3D);
    EXPECT_TRUE(logic_.settings().perspective_3d);
}

TEST_F(MainWindowLogicTest, F2CapturesTheCursorAndFocusLossReleasesIt) {
    EXPECT_FALSE(logic_.settings().mouse_look);
    logic_.on_key_down(WindowKey::f2);
    EXPECT_TRUE(logic_.settings().mouse_look);
    EXPECT_TRUE(platform_.cursor_hidden);
    EXPECT_EQ(platform_.cursor, centre_);

    logic_.on_focus_lost();
    EXPECT_FALSE(logic_.settings().mouse_look);
    EXPECT_FALSE(platform_.cursor_hidden);
    // Losing the focus again changes nothing.
    logic_.on_focus_lost();
    EXPECT_FALSE(logic_.settings().mouse_look);

    logic_.on_key_down(WindowKey::f2);
    logic_.on_key_down(WindowKey::f2);
    EXPECT_FALSE(logic_.settings().mouse_look);
    EXPECT_FALSE(platform_.cursor_hidden);
}

TEST_F(MainWindowLogicTest, RecentringTruncatesTowardZero) {
    // A window partly left of and above the screen's origin.
    platform_.rect = ScreenRect{-101, -11, 0, 0};
    logic_.recenter_cursor();
    EXPECT_EQ(platform_.cursor, (ScreenPoint{-50, -5}));
}

TEST_F(MainWindowLogicTest, OpenDialogSavesAndRestoresMouseLook) {
    logic_.on_key_down(WindowKey::f2);
    logic_.on_command(IDM_OPEN);
    EXPECT_EQ(platform_.open_dialogs, 1);
    EXPECT_TRUE(logic_.saved_mouse_look());
    EXPECT_FALSE(logic_.settings().mouse_look);
    EXPECT_FALSE(platform_.cursor_hidden);

    // A second Open while the dialog runs neither opens another dialog nor
    // saves the released state over the one to restore.
    logic_.on_command(IDM_OPEN);
    EXPECT_EQ(platform_.open_dialogs, 1);
    EXPECT_TRUE(logic_.saved_mouse_look());

    // Cancelling restores mouse look and touches neither console nor graph.
    platform_.sink.append("earlier text\n");
    platform_.cursor = ScreenPoint{1, 1};
    logic_.on_open_dialog_answer(std::nullopt);
    EXPECT_TRUE(logic_.settings().mouse_look);
    EXPECT_TRUE(platform_.cursor_hidden);
    EXPECT_EQ(platform_.cursor, centre_);
    EXPECT_EQ(platform_.sink.text(), "earlier text\n");
    EXPECT_EQ(logic_.loaded().graph(), nullptr);
    EXPECT_TRUE(platform_.busy_changes.empty());
    EXPECT_FALSE(logic_.open_dialog_pending());

    // With mouse look off before the dialog, it stays off after it.
    logic_.on_key_down(WindowKey::f2);
    open(std::nullopt);
    EXPECT_FALSE(logic_.settings().mouse_look);
    EXPECT_FALSE(platform_.cursor_hidden);
    EXPECT_EQ(platform_.open_dialogs, 2);
}

TEST_F(MainWindowLogicTest, FrameInputPollsKeysThenMouse) {
    platform_.held = {'Z', 'P'};
    logic_.frame_input();
    EXPECT_EQ(logic_.camera().position, Vector3(23.0f, 0.0f, 0.0f));
    EXPECT_DOUBLE_EQ(logic_.settings().position_scale, 1.025);
    platform_.held.clear();

    // Mouse look off: the cursor's motion changes nothing.
    platform_.cursor = ScreenPoint{300, 5};
    logic_.frame_input();
    EXPECT_EQ(logic_.camera().view_direction, Vector3(-1.0f, 0.0f, 0.0f));
    EXPECT_EQ(platform_.cursor, (ScreenPoint{300, 5}));

    // Mouse look on: a motion to the right turns the view right (towards +y
    // when looking along −x) and the cursor goes back to the centre.
    logic_.on_key_down(WindowKey::f2);
    platform_.cursor = ScreenPoint{centre_.x + 100, centre_.y};
    logic_.frame_input();
    const Vector3 turned = logic_.camera().view_direction;
    EXPECT_GT(turned.y, 0.2f);
    EXPECT_NEAR(turned.length(), 1.0, 1e-6);
    EXPECT_EQ(platform_.cursor, centre_);

    // No motion since the recentring: no turn.
    logic_.frame_input();
    EXPECT_EQ(logic_.camera().view_direction, turned);
}

TEST_F(MainWindowLogicTest, RedistributeWithoutAGraphDoesNothing) {
    logic_.on_command(IDM_REDISTRIBUTE);
    EXPECT_EQ(logic_.loaded().graph(), nullptr);
    EXPECT_TRUE(logic_.loaded().display_positions.empty());
    EXPECT_EQ(logic_.scene_input().graph, nullptr);
}

TEST_F(MainWindowLogicTest, RedistributeDrawsNewPlacesForTheGraph) {
    open(scratch_.write("three.gr", "0 -> 1, 2;"));
    const std::vector<Vector3> before = logic_.loaded().display_positions;
    ASSERT_EQ(before.size(), 3u);
    logic_.on_command(IDM_REDISTRIBUTE);
    const std::vector<Vector3>& after = logic_.loaded().display_positions;
    ASSERT_EQ(after.size(), 3u);
    EXPECT_NE(after, before);
}

TEST_F(MainWindowLogicTest, SuccessfulLoadThroughTheOpenDialog) {
    logic_.on_key_down(WindowKey::f2);
    open(bottleneck);

    EXPECT_TRUE(platform_.errors.empty());
    EXPECT_EQ(platform_.titles, std::vector<std::string>{"Quillmere - [" + bottleneck + "]"});
    const SceneInput scene = logic_.scene_input();
    ASSERT_NE(scene.graph, nullptr);
    EXPECT_NE(scene.result, nullptr);
    EXPECT_EQ(scene.graph->vertex_count(), 6);
    EXPECT_EQ(scene.display_positions->size(), 6u);
    // Busy for the load only; mouse look restored as it was.
    EXPECT_EQ(platform_.busy_changes, (std::vector<bool>{true, false}));
    EXPECT_TRUE(logic_.settings().mouse_look);
    EXPECT_TRUE(platform_.cursor_hidden);
}

TEST_F(MainWindowLogicTest, FailedLoadShowsItsBoxWithoutTheBusyCursorAndLeavesNoGraph) {
    open(std::string(QUILLMERE_SOURCE_DIR) + "/examples/ring.gr");
    ASSERT_TRUE(logic_.loaded().current.has_value());
    platform_.titles.clear();
    platform_.busy_changes.clear();

    open(scratch_.write("edge.gr", "0 -> 1 [weight = 2];"));
    ASSERT_EQ(platform_.errors.size(), 1u);
    EXPECT_EQ(platform_.errors[0].first, "Erreur de lecture du fichier");
    EXPECT_FALSE(platform_.busy_during_error);
    EXPECT_FALSE(platform_.busy);
    EXPECT_EQ(logic_.scene_input().graph, nullptr);
    EXPECT_EQ(logic_.scene_input().result, nullptr);
    EXPECT_TRUE(platform_.titles.empty());
}
