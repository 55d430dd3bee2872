#include "shell/main_window_logic.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/random_source.h"
#include "shell/commands.h"
#include "shell/console_relay.h"
#include "view/camera.h"
#include "tests/support/report_schema.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_stage.h"

namespace {

using namespace std::chrono_literals;

struct Box {
    std::string caption;
    std::string text;
    bool error;

    bool operator==(const Box&) const = default;
};

// Records every request of the logic and answers its queries from fields the
// test sets. Posted tasks wait until the test runs them.
class FakePlatform : public WindowPlatform {
  public:
    void set_title(const std::string& title) override { titles.push_back(title); }
    void show_error(const std::string& caption, const std::string& text) override {
        boxes.push_back({caption, text, true});
        busy_during_box = busy;
    }
    void show_information(const std::string& caption, const std::string& text) override {
        boxes.push_back({caption, text, false});
        busy_during_box = busy;
    }
    void set_menu_check(Command command, bool checked) override { checks[command] = checked; }
    void set_menu_enabled(Command command, bool enabled) override {
        enabled_commands[command] = enabled;
    }
    void start_open_dialog(const std::string& folder) override {
        ++open_dialogs;
        open_folder = folder;
    }
    void start_demands_dialog(const std::string&) override { ++demands_dialogs; }
    void start_save_dialog(SaveKind kind, const std::string& suggested) override {
        save_dialogs.emplace_back(kind, suggested);
    }
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
    void request_frame() override { ++frame_requests; }
    void post(std::function<void()> task) override {
        std::lock_guard lock(mutex);
        posted.push_back(std::move(task));
    }
    void set_progress_ticks(bool on) override { ticking = on; }
    void show_progress(const std::string& caption, const std::string& stage,
                       const std::string& elapsed) override {
        progress = caption + " | " + stage + " | " + elapsed;
    }
    std::optional<std::string> choose_export_file(const std::string&) override {
        return export_answer;
    }
    std::string view_png() override { return picture; }
    void set_recent_files(const std::vector<std::string>& paths) override { recent = paths; }
    std::optional<WindowPlace> window_place(PlacedWindow window) override {
        return window == PlacedWindow::main ? main_place : std::nullopt;
    }
    void hide_progress() override { progress.clear(); }
    ConsoleSink& console_sink() override { return sink; }
    std::string console_text() override { return sink.text(); }
    void set_console_shown(bool shown) override { console_shown = shown; }

    // Runs the tasks posted so far, and those they post; returns how many.
    int run_posted() {
        int count = 0;
        for (;;) {
            std::function<void()> task;
            {
                std::lock_guard lock(mutex);
                if (posted.empty()) {
                    return count;
                }
                task = std::move(posted.front());
                posted.pop_front();
            }
            task();
            ++count;
        }
    }

    std::vector<std::string> titles;
    std::vector<Box> boxes;
    std::map<Command, bool> checks;
    std::map<Command, bool> enabled_commands;
    int open_dialogs = 0;
    int demands_dialogs = 0;
    std::string open_folder;
    std::optional<std::string> export_answer;
    std::string picture;
    std::vector<std::string> recent;
    std::optional<WindowPlace> main_place;
    std::vector<std::pair<SaveKind, std::string>> save_dialogs;
    int about_boxes = 0;
    std::vector<int> quits;
    std::set<char> held;
    ScreenPoint cursor{5, 7};
    bool cursor_hidden = false;
    ScreenRect rect{50, 50, 751, 761};
    bool busy = false;
    bool busy_during_box = false;
    std::vector<bool> busy_changes;
    int frame_requests = 0;
    bool ticking = false;
    std::string progress;
    bool console_shown = true;
    StringSink sink;

    std::mutex mutex;
    std::deque<std::function<void()>> posted;
};

class StubReporter : public LoadReporter {
  public:
    void show_error(const std::string&, const std::string&) override { ++errors; }
    void set_title(const std::string&) override {}
    int errors = 0;
};

// A load that first writes a timer line and releases the previous graph as
// the load command does on opening the file, then waits until the test lets
// it go on (to the real load command) or the load is cancelled.
struct GatedLoad {
    LoadOutcome operator()(const std::string& path, const StageContext& context,
                           LoadReporter& reporter, LoadedGraph& state) {
        context.log.append_line("début");
        reporter.file_opened();
        context.log.log_timer("Étape lente");
        started = true;
        while (!released) {
            if (context.cancel->load()) {
                return LoadOutcome::cancelled;
            }
            std::this_thread::sleep_for(1ms);
        }
        return load_graph_file(path, context, reporter, state);
    }

    std::atomic<bool> started{false};
    std::atomic<bool> released{false};
};

// A complete graph of 60 vertices, whose certificate takes seconds.
std::string complete_text() {
    std::string complete;
    for (int u = 0; u + 1 < 60; ++u) {
        complete += std::to_string(u) + " <->";
        for (int v = u + 1; v < 60; ++v) {
            complete += (v > u + 1 ? ", " : " ") + std::to_string(v);
        }
        complete += " [cap = " + std::to_string(1 + u % 7) + "];\n";
    }
    complete.pop_back();
    return complete;
}

const std::string examples = std::string(QUILLMERE_SOURCE_DIR) + "/examples/";
const std::string bottleneck = examples + "bottleneck.gr";

class MainWindowLogicTest : public ::testing::Test {
  protected:
    void SetUp() override { logic_.start(); }

    std::string write(const std::string& name, const std::string& content) {
        return scratch_.write(name, content);
    }

    // Runs the window's side until the load, and the certificate it starts,
    // or the force layout have ended.
    void finish_load() {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (logic_.loading() || logic_.certifying() || logic_.laying_out()) {
            platform_.run_posted();
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the load did not end";
            std::this_thread::sleep_for(1ms);
        }
    }

    // The Open command followed by the dialog's answer, and the whole load.
    void open(const std::optional<std::string>& path) {
        ASSERT_TRUE(logic_.on_command(Command::open));
        logic_.on_open_dialog_answer(path);
        finish_load();
    }

    ScratchDir scratch_{"quillmere-window-logic"};
    FakePlatform platform_;
    std::atomic<std::int64_t> now_ms_{1000};
    GatedLoad gate_;
    // Loads through the gate only while `gated_` is set.
    bool gated_ = false;
    MainWindowLogic logic_{platform_, RandomSource(11),
                           [this](const std::string& path, const StageContext& context,
                                  LoadReporter& reporter, LoadedGraph& state) {
                               return gated_ ? gate_(path, context, reporter, state)
                                             : load_graph_file(path, context, reporter, state);
                           },
                           [this] { return now_ms_.load(); }};
    const ScreenPoint centre_{400, 405};
};

// The menu's enabled commands while nothing runs: opening always, the rest
// once a file has been loaded.
std::map<Command, bool> menu_when_idle(bool graph_shown) {
    return {{Command::open, true},
            {Command::open_demands, true},
            {Command::reload, graph_shown},
            {Command::save_results, graph_shown},
            {Command::force_layout, graph_shown},
            {Command::recent_files, graph_shown}};
}

}  // namespace

TEST_F(MainWindowLogicTest, EveryMenuCommandIsHandledAndUnknownIdsAreNot) {
    // Commands that open nothing and end nothing; the others have their tests.
    for (Command id : {Command::projection_3d, Command::redistribute, Command::toggle_flow,
                       Command::verbose, Command::about, Command::reload, Command::save_results}) {
        EXPECT_TRUE(logic_.on_command(id)) << static_cast<int>(id);
    }
    EXPECT_EQ(platform_.about_boxes, 1);
    // Without a file or a graph, neither Recharger nor saving the results
    // does anything.
    EXPECT_FALSE(logic_.loading());
    EXPECT_TRUE(platform_.save_dialogs.empty());
    EXPECT_FALSE(logic_.on_command(static_cast<Command>(40003)));
    EXPECT_FALSE(logic_.on_command(Command::none));
    EXPECT_TRUE(platform_.quits.empty());
    // At start the menu greys out what needs a file or a graph.
    EXPECT_EQ(platform_.enabled_commands,
              menu_when_idle(/*graph_shown=*/false));
}

TEST_F(MainWindowLogicTest, TogglesFlipTheirFlagAndCheckMark) {
    // Flow and verbose start off, the console shown; the menu is built from
    // the same flags.
    EXPECT_FALSE(logic_.command_checked(Command::toggle_flow));
    EXPECT_FALSE(logic_.command_checked(Command::verbose));
    EXPECT_TRUE(logic_.command_checked(Command::show_console));
    EXPECT_FALSE(logic_.command_checked(Command::open));

    for (Command id : {Command::toggle_flow, Command::verbose, Command::show_console}) {
        logic_.on_command(id);
    }
    EXPECT_TRUE(logic_.settings().show_flow);
    EXPECT_TRUE(logic_.verbose());
    EXPECT_FALSE(platform_.console_shown);
    EXPECT_EQ(platform_.checks, (std::map<Command, bool>{{Command::toggle_flow, true},
                                                     {Command::verbose, true},
                                                     {Command::show_console, false}}));
    for (Command id : {Command::toggle_flow, Command::verbose, Command::show_console}) {
        logic_.on_command(id);
    }
    EXPECT_FALSE(logic_.settings().show_flow);
    EXPECT_FALSE(logic_.verbose());
    EXPECT_TRUE(platform_.console_shown);
    EXPECT_EQ(platform_.checks, (std::map<Command, bool>{{Command::toggle_flow, false},
                                                     {Command::verbose, false},
                                                     {Command::show_console, true}}));

    // Closing the panel clears the mark; the command then shows it again.
    logic_.on_console_closed();
    EXPECT_FALSE(platform_.checks[Command::show_console]);
    logic_.on_command(Command::show_console);
    EXPECT_TRUE(platform_.console_shown);
    EXPECT_TRUE(platform_.checks[Command::show_console]);
}

TEST_F(MainWindowLogicTest, DisplayTogglesStartAsTheyShouldAndFlip) {
    const struct {
        Command command;
        bool ViewSettings::*flag;
        bool initially;
    } toggles[] = {
        {Command::show_labels, &ViewSettings::show_labels, true},
        {Command::label_all, &ViewSettings::label_all, false},
        {Command::show_legend, &ViewSettings::show_legend, true},
        {Command::show_cut, &ViewSettings::show_cut, false},
        {Command::show_arrows, &ViewSettings::show_arrows, true},
        {Command::fit_on_load, &ViewSettings::fit_on_load, true},
    };
    for (const auto& t : toggles) {
        EXPECT_EQ(logic_.settings().*t.flag, t.initially) << static_cast<int>(t.command);
        EXPECT_EQ(logic_.command_checked(t.command), t.initially) << static_cast<int>(t.command);
        ASSERT_TRUE(logic_.on_command(t.command));
        EXPECT_EQ(logic_.settings().*t.flag, !t.initially) << static_cast<int>(t.command);
        EXPECT_EQ(platform_.checks[t.command], !t.initially) << static_cast<int>(t.command);
    }
}

TEST_F(MainWindowLogicTest, EveryLoadCertifiesItsCutAndEitherCutCanBeShown) {
    open(bottleneck);
    ASSERT_NE(logic_.loaded().graph(), nullptr);
    const SceneInput scene = logic_.scene_input();
    ASSERT_NE(scene.certificate, nullptr);
    EXPECT_TRUE(scene.certificate->bound_reached);
    EXPECT_TRUE(scene.certificate->proved_optimal);

    // Picking a cut shows it; the two choices are exclusive.
    EXPECT_TRUE(logic_.command_checked(Command::cut_sweep));
    ASSERT_TRUE(logic_.on_command(Command::cut_best));
    EXPECT_TRUE(logic_.settings().show_cut && logic_.settings().show_best_cut);
    EXPECT_EQ(platform_.checks[Command::show_cut], true);
    EXPECT_EQ(platform_.checks[Command::cut_best], true);
    EXPECT_EQ(platform_.checks[Command::cut_sweep], false);
    ASSERT_TRUE(logic_.on_command(Command::cut_sweep));
    EXPECT_FALSE(logic_.settings().show_best_cut);
    EXPECT_EQ(platform_.checks[Command::cut_sweep], true);
}

TEST_F(MainWindowLogicTest, ANewLoadStopsTheCertificateOfThePreviousGraph) {
    // A complete graph, whose certificate takes far longer than the load of
    // the small graph that follows it at once.
    ASSERT_TRUE(logic_.load_file(write("complete.gr", complete_text())));
    while (logic_.loading()) {
        platform_.run_posted();
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(logic_.certifying());
    EXPECT_TRUE(logic_.scene_input().certificate_pending);
    ASSERT_TRUE(logic_.load_file(examples + "dumbbell.gr"));
    finish_load();
    const CutCertificate* certificate = logic_.scene_input().certificate;
    ASSERT_NE(certificate, nullptr);
    EXPECT_NEAR(certificate->lower_bound, 6.0 / 675.0, 1e-9);
    EXPECT_EQ(certificate->best_cut.members.size(), 10u);
}

TEST_F(MainWindowLogicTest, LoadsFitTheCameraUnlessTurnedOffAndHomeFitsAgain) {
    logic_.on_size(700, 690);
    open(bottleneck);
    ASSERT_NE(logic_.loaded().graph(), nullptr);
    const Camera fitted = logic_.camera();
    EXPECT_NE(fitted.position, Camera{}.position);
    // The 2D command fits the graph too, unless fitting is off (below).
    logic_.on_command(Command::projection_2d);
    EXPECT_NE(logic_.camera().position.z, 40.0f);
    logic_.on_command(Command::projection_3d);

    // With fitting off a load keeps the camera; Home fits it.
    logic_.on_command(Command::fit_on_load);
    logic_.camera() = Camera{};
    open(bottleneck);
    EXPECT_EQ(logic_.camera().position, Camera{}.position);
    logic_.on_key_down(WindowKey::home);
    EXPECT_NE(logic_.camera().position, Camera{}.position);
    logic_.on_command(Command::projection_2d);
    EXPECT_EQ(logic_.camera().position.z, 40.0f);
    logic_.on_command(Command::projection_3d);

    // The force layout keeps the graph's vertex count and fits again.
    const std::vector<Vector3> before = logic_.loaded().display_positions;
    ASSERT_TRUE(logic_.on_command(Command::force_layout));
    finish_load();
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
    const int frames = platform_.frame_requests;
    logic_.on_mouse_move({140, 100});
    EXPECT_GT(platform_.frame_requests, frames);
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
    logic_.on_command(Command::verbose);
    open(bottleneck);
    EXPECT_NE(platform_.sink.text().find(capacity_listing), std::string::npos);
}

TEST_F(MainWindowLogicTest, EscapeCloseBoxAndQuitEndWithStatusZero) {
    logic_.on_key_down(WindowKey::other);
    EXPECT_TRUE(platform_.quits.empty());
    logic_.on_key_down(WindowKey::escape);
    logic_.on_close();
    logic_.on_command(Command::quit);
    EXPECT_EQ(platform_.quits, (std::vector<int>{0, 0, 0}));
}

TEST_F(MainWindowLogicTest, ProjectionCommandsSwitchTheViewAnd2DReleasesTheCursor) {
    logic_.on_key_down(WindowKey::f2);
    ASSERT_TRUE(platform_.cursor_hidden);

    logic_.on_command(Command::projection_2d);
    EXPECT_FALSE(logic_.settings().perspective_3d);
    EXPECT_FALSE(logic_.settings().mouse_look);
    EXPECT_FALSE(platform_.cursor_hidden);

    logic_.on_command(Command::projection_3d);
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
    logic_.on_command(Command::open);
    EXPECT_EQ(platform_.open_dialogs, 1);
    EXPECT_TRUE(logic_.saved_mouse_look());
    EXPECT_FALSE(logic_.settings().mouse_look);
    EXPECT_FALSE(platform_.cursor_hidden);

    // A second Open (or a save) while the dialog runs neither opens another
    // dialog nor saves the released state over the one to restore; no load
    // starts meanwhile.
    logic_.on_command(Command::open);
    logic_.on_command(Command::save_console);
    EXPECT_EQ(platform_.open_dialogs, 1);
    EXPECT_TRUE(platform_.save_dialogs.empty());
    EXPECT_TRUE(logic_.saved_mouse_look());
    EXPECT_FALSE(logic_.load_file(examples + "ring.gr"));

    // Cancelling restores mouse look and touches neither console nor graph.
    platform_.sink.append("earlier text\n");
    platform_.cursor = ScreenPoint{1, 1};
    logic_.on_open_dialog_answer(std::nullopt);
    EXPECT_TRUE(logic_.settings().mouse_look);
    EXPECT_TRUE(platform_.cursor_hidden);
    EXPECT_EQ(platform_.cursor, centre_);
    EXPECT_EQ(platform_.sink.text(), "earlier text\n");
    EXPECT_EQ(logic_.loaded().graph(), nullptr);
    EXPECT_FALSE(logic_.loading());
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

TEST_F(MainWindowLogicTest, FramesFollowOneAnotherOnlyWhileSomethingMoves) {
    EXPECT_FALSE(logic_.needs_next_frame());
    platform_.held = {'M'};
    EXPECT_TRUE(logic_.needs_next_frame());
    // A letter that moves nothing does not keep the view drawing.
    platform_.held = {'X'};
    EXPECT_FALSE(logic_.needs_next_frame());
    platform_.held.clear();
    logic_.on_key_down(WindowKey::f2);
    EXPECT_TRUE(logic_.needs_next_frame());
    logic_.on_key_down(WindowKey::f2);
    EXPECT_FALSE(logic_.needs_next_frame());

    // Every command and every load's end ask for one frame.
    platform_.frame_requests = 0;
    logic_.on_command(Command::toggle_flow);
    EXPECT_EQ(platform_.frame_requests, 1);
    open(examples + "ring.gr");
    EXPECT_GE(platform_.frame_requests, 3);
}

TEST_F(MainWindowLogicTest, RedistributeWithoutAGraphDoesNothing) {
    logic_.on_command(Command::redistribute);
    EXPECT_EQ(logic_.loaded().graph(), nullptr);
    EXPECT_TRUE(logic_.loaded().display_positions.empty());
    EXPECT_EQ(logic_.scene_input().graph, nullptr);
}

TEST_F(MainWindowLogicTest, RedistributeDrawsNewPlacesForTheGraph) {
    open(scratch_.write("three.gr", "0 -> 1, 2;"));
    const std::vector<Vector3> before = logic_.loaded().display_positions;
    ASSERT_EQ(before.size(), 3u);
    logic_.on_command(Command::redistribute);
    const std::vector<Vector3>& after = logic_.loaded().display_positions;
    ASSERT_EQ(after.size(), 3u);
    EXPECT_NE(after, before);
}

// The load draws from a copy of the random source and hands it back, so the
// window's draws are those of loads run on its own thread.
TEST_F(MainWindowLogicTest, LoadsDrawFromTheWindowsRandomSourceInTurn) {
    const std::string path = write("three.gr", "0 -> 1, 2;");
    open(path);
    open(path);
    const std::vector<Vector3> second = logic_.loaded().display_positions;

    TestStage stage(11);
    StubReporter reporter;
    LoadedGraph state;
    ASSERT_EQ(load_graph_file(path, stage.context(), reporter, state), LoadOutcome::loaded);
    ASSERT_EQ(load_graph_file(path, stage.context(), reporter, state), LoadOutcome::loaded);
    EXPECT_EQ(second, state.display_positions);
}

TEST_F(MainWindowLogicTest, SuccessfulLoadRunsOffTheWindowsThread) {
    logic_.on_key_down(WindowKey::f2);
    const std::string path = examples + "bottleneck.gr";
    ASSERT_TRUE(logic_.on_command(Command::open));
    logic_.on_open_dialog_answer(path);
    // The answer returns with the load running; its lines wait for the
    // window's thread.
    EXPECT_TRUE(logic_.loading());
    EXPECT_TRUE(platform_.busy);
    EXPECT_TRUE(platform_.ticking);
    EXPECT_FALSE(platform_.enabled_commands[Command::open]);
    finish_load();

    // The load's own lines and texts are the load command's tests'; here
    // its title reaches the window and its lines the window's console.
    EXPECT_TRUE(platform_.boxes.empty());
    // The title names the file from the start of the load.
    EXPECT_EQ(platform_.titles,
              (std::vector<std::string>{"Quillmere - [" + path + "] (chargement...)",
                                        "Quillmere - [" + path + "]"}));
    EXPECT_NE(platform_.sink.text().find("a été chargé avec succès."), std::string::npos);
    EXPECT_EQ(logic_.last_path(), path);

    const SceneInput scene = logic_.scene_input();
    ASSERT_NE(scene.graph, nullptr);
    EXPECT_NE(scene.result, nullptr);
    EXPECT_EQ(scene.graph->vertex_count(), 6);
    EXPECT_EQ(scene.display_positions->size(), 6u);
    // Busy for the load only; mouse look restored as it was; the progress
    // box never showed for so short a load.
    EXPECT_EQ(platform_.busy_changes, (std::vector<bool>{true, false}));
    EXPECT_FALSE(platform_.ticking);
    EXPECT_TRUE(platform_.progress.empty());
    EXPECT_TRUE(logic_.settings().mouse_look);
    EXPECT_TRUE(platform_.cursor_hidden);
    EXPECT_EQ(platform_.enabled_commands,
              menu_when_idle(/*graph_shown=*/true));
}

TEST_F(MainWindowLogicTest, SlowLoadShowsProgressRefusesSecondLoadsAndCancels) {
    open(examples + "ring.gr");
    ASSERT_NE(logic_.loaded().graph(), nullptr);
    platform_.titles.clear();
    gated_ = true;

    ASSERT_TRUE(logic_.load_file(examples + "grid.gr"));
    while (!gate_.started) {
        std::this_thread::sleep_for(1ms);
    }
    platform_.run_posted();
    // The file is open: the previous graph is gone and the lines so far are
    // in the console, while the load goes on.
    EXPECT_TRUE(logic_.loading());
    EXPECT_EQ(logic_.loaded().graph(), nullptr);
    EXPECT_NE(platform_.sink.text().find("début\n** TIMER : Étape lente"), std::string::npos);

    // The progress box waits half a second, then gives the last stage and
    // the time.
    now_ms_ += 499;
    logic_.on_progress_tick();
    EXPECT_TRUE(platform_.progress.empty());
    now_ms_ += 1;
    logic_.on_progress_tick();
    EXPECT_EQ(platform_.progress,
              "Chargement | Dernière étape : Étape lente | Temps écoulé : 0,5 s");

    // Another load is refused while this one runs, whichever way it comes.
    EXPECT_FALSE(logic_.can_load());
    EXPECT_FALSE(logic_.load_file(examples + "ring.gr"));
    logic_.on_command(Command::open);
    logic_.on_command(Command::reload);
    logic_.on_command(Command::save_results);
    EXPECT_EQ(platform_.open_dialogs, 1);
    EXPECT_TRUE(platform_.save_dialogs.empty());
    EXPECT_FALSE(platform_.enabled_commands[Command::open]);
    EXPECT_FALSE(platform_.enabled_commands[Command::reload]);

    // Escape cancels it, rather than ending the program.
    now_ms_ += 700;
    logic_.on_key_down(WindowKey::escape);
    EXPECT_TRUE(platform_.quits.empty());
    EXPECT_EQ(platform_.progress, "Chargement | Annulation... | Temps écoulé : 1,2 s");
    finish_load();

    // The end of a failed load: no graph, the plain title, the console's
    // last line, and the box after everything else.
    EXPECT_EQ(logic_.loaded().graph(), nullptr);
    EXPECT_EQ(platform_.titles.back(), "Quillmere");
    EXPECT_TRUE(platform_.sink.text().ends_with("Étape lente -> 1 s.\n\n** Chargement annulé.\n"))
        << platform_.sink.text();
    EXPECT_EQ(platform_.boxes,
              (std::vector<Box>{{"Chargement annulé",
                                 "Le chargement du graphe \"" + examples + "grid.gr\" a été annulé.",
                                 false}}));
    EXPECT_FALSE(platform_.busy_during_box);
    EXPECT_TRUE(platform_.progress.empty());
    EXPECT_FALSE(platform_.ticking);

    // The next load runs as usual.
    gated_ = false;
    logic_.on_command(Command::reload);
    finish_load();
    ASSERT_NE(logic_.loaded().graph(), nullptr);
    EXPECT_EQ(platform_.titles.back(), "Quillmere - [" + examples + "grid.gr]");
}

TEST_F(MainWindowLogicTest, QuittingDuringALoadStopsIt) {
    gated_ = true;
    {
        MainWindowLogic other(platform_, RandomSource(1),
                              [this](const std::string& path, const StageContext& context,
                                     LoadReporter& reporter, LoadedGraph& state) {
                                  return gate_(path, context, reporter, state);
                              });
        ASSERT_TRUE(other.load_file(examples + "ring.gr"));
        while (!gate_.started) {
            std::this_thread::sleep_for(1ms);
        }
        // Destroyed with its load waiting at the gate: the load must see the
        // cancel, or this never returns.
    }
    std::lock_guard lock(platform_.mutex);
    platform_.posted.clear();
}

TEST_F(MainWindowLogicTest, FailedLoadsAndTheTitle) {
    struct Row {
        std::string name;
        std::string text;  // "" for a file that does not exist
        bool graph_stays;
        std::string caption;
    };
    const Row rows[] = {
        // A statement without its ";".
        {"unfinished.gr", "0 -> 1", false, "Erreur de lecture du fichier"},
        // The graph on show stays, and so does its title.
        {"missing.gr", "", true, "Erreur d'ouverture"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open(examples + "ring.gr");
        ASSERT_NE(logic_.loaded().graph(), nullptr);
        platform_.titles.clear();
        platform_.boxes.clear();
        const std::string path = row.text.empty() ? scratch_.path(row.name).string()
                                                  : write(row.name, row.text);
        const std::string console = platform_.sink.text();
        open(path);
        // The console of the graph that stays stays too; either way it ends
        // with the failure.
        EXPECT_EQ(platform_.sink.text().starts_with(console), row.graph_stays);
        EXPECT_TRUE(platform_.sink.text().ends_with(
            row.graph_stays ? "** Erreur d'ouverture : " + path + " : fichier introuvable\n"
                            : "** Erreur de lecture du fichier .gr : Fichier .gr invalide — ligne "
                              "1, colonne 7 : « ; », « , » ou « [ » attendu au lieu de la fin du "
                              "texte\n"))
            << platform_.sink.text();
        ASSERT_EQ(platform_.boxes.size(), 1u);
        EXPECT_EQ(platform_.boxes[0].caption, row.caption);
        EXPECT_TRUE(platform_.boxes[0].error);
        EXPECT_FALSE(platform_.busy_during_box);
        EXPECT_EQ(logic_.loaded().graph() != nullptr, row.graph_stays);
        // The title names the new file during the load, then the graph on
        // show again, or none.
        EXPECT_EQ(platform_.titles,
                  (std::vector<std::string>{
                      "Quillmere - [" + path + "] (chargement...)",
                      row.graph_stays ? "Quillmere - [" + examples + "ring.gr]" : "Quillmere"}));
        // Recharger tries the file chosen last, not the one on show.
        EXPECT_EQ(logic_.last_path(), path);
        EXPECT_TRUE(logic_.command_enabled(Command::reload));
    }
}

TEST_F(MainWindowLogicTest, ReloadReadsTheFileAgain) {
    const std::string path = write("grows.gr", "0 -> 1;");
    open(path);
    ASSERT_EQ(logic_.loaded().graph()->vertex_count(), 2);
    write("grows.gr", "0 -> 1, 2, 3;");
    logic_.on_command(Command::reload);
    finish_load();
    ASSERT_NE(logic_.loaded().graph(), nullptr);
    EXPECT_EQ(logic_.loaded().graph()->vertex_count(), 4);
}

// The load command itself stops at the first stage boundary once cancelled:
// nothing reported, no graph, what was written stays.
TEST_F(MainWindowLogicTest, LoadCommandStopsBetweenStagesOnceCancelled) {
    TestStage stage;
    StubReporter reporter;
    LoadedGraph state;
    ASSERT_EQ(load_graph_file(examples + "ring.gr", stage.context(), reporter, state),
              LoadOutcome::loaded);
    std::atomic<bool> cancel{true};
    StageContext context = stage.context();
    context.cancel = &cancel;
    EXPECT_EQ(load_graph_file(examples + "grid.gr", context, reporter, state),
              LoadOutcome::cancelled);
    EXPECT_EQ(state.graph(), nullptr);
    EXPECT_EQ(reporter.errors, 0);
    EXPECT_EQ(stage.text(), "================================\n================================\n");
}

TEST_F(MainWindowLogicTest, SavesTheResultsAndTheConsole) {
    const std::string path = examples + "bottleneck.gr";
    open(path);
    logic_.on_command(Command::save_results);
    logic_.on_command(Command::save_console);
    ASSERT_EQ(platform_.save_dialogs.size(), 1u) << "one dialog at a time";
    EXPECT_EQ(platform_.save_dialogs[0],
              std::make_pair(SaveKind::results, examples + "bottleneck.json"));
    const std::string results = scratch_.path("résultats.json").string();
    logic_.on_save_dialog_answer(SaveKind::results, results);
    const nlohmann::json report = nlohmann::json::parse(read_file(results));
    EXPECT_EQ(report["vertices"], 6);
    expect_report_schema(report);

    logic_.on_command(Command::save_console);
    EXPECT_EQ(platform_.save_dialogs[1],
              std::make_pair(SaveKind::console, examples + "bottleneck.txt"));
    const std::string console = scratch_.path("console.txt").string();
    logic_.on_save_dialog_answer(SaveKind::console, console);
    EXPECT_EQ(read_file(console), platform_.sink.text());
    EXPECT_TRUE(platform_.boxes.empty());

    // A file that cannot be written: a box, and nothing left behind.
    logic_.on_command(Command::save_console);
    const std::string nowhere = scratch_.path("absent/console.txt").string();
    logic_.on_save_dialog_answer(SaveKind::console, nowhere);
    EXPECT_EQ(platform_.boxes,
              (std::vector<Box>{{"Erreur d'enregistrement",
                                 "Impossible d'écrire le fichier \"" + nowhere + "\".", true}}));
    EXPECT_EQ(scratch_.entries().size(), 2u);
}

// Ouvrir des demandes applies a file to the graph on show; the radio items
// switch to all pairs and back to the default, each time loading the graph
// again; a bad file changes nothing but shows its box; the set in force
// stays for the next loads.
TEST_F(MainWindowLogicTest, DemandMenuRecomputesTheGraphOnShowWithTheSetChosen) {
    open(examples + "grid.gr");
    EXPECT_TRUE(logic_.command_checked(Command::demands_default));
    ASSERT_TRUE(logic_.on_command(Command::open_demands));
    EXPECT_EQ(platform_.demands_dialogs, 1);
    logic_.on_demands_dialog_answer(examples + "grid.dem");
    finish_load();
    ASSERT_NE(logic_.loaded().graph(), nullptr);
    EXPECT_EQ(logic_.loaded().current->demands.kind(), DemandKind::file);
    EXPECT_EQ(logic_.loaded().current->demands.size(), 5);
    EXPECT_TRUE(platform_.checks[Command::demands_file]);
    EXPECT_FALSE(platform_.checks[Command::demands_default]);
    EXPECT_NE(platform_.console_text().find("** Demandes : 5 commodités"), std::string::npos);
    // The file's item with a file in force opens no dialog.
    ASSERT_TRUE(logic_.on_command(Command::demands_file));
    EXPECT_EQ(platform_.demands_dialogs, 1);

    const std::string bad = write("bad.dem", "S00 S99 5\n");
    ASSERT_TRUE(logic_.on_command(Command::open_demands));
    logic_.on_demands_dialog_answer(bad);
    EXPECT_FALSE(logic_.loading());
    ASSERT_FALSE(platform_.boxes.empty());
    EXPECT_EQ(platform_.boxes.back().text.rfind("Fichier de demandes invalide\n", 0), 0u);
    EXPECT_EQ(logic_.demands().kind, DemandChoice::Kind::file);

    ASSERT_TRUE(logic_.on_command(Command::demands_all_pairs));
    finish_load();
    EXPECT_EQ(logic_.loaded().current->demands.kind(), DemandKind::all_pairs);
    EXPECT_TRUE(platform_.checks[Command::demands_all_pairs]);
    EXPECT_FALSE(platform_.checks[Command::demands_file]);
    // F5 keeps the set in force.
    logic_.on_command(Command::reload);
    finish_load();
    EXPECT_EQ(logic_.loaded().current->demands.kind(), DemandKind::all_pairs);
    ASSERT_TRUE(logic_.on_command(Command::demands_default));
    finish_load();
    EXPECT_TRUE(logic_.loaded().current->demands.is_default());
}

// What the user chose comes back at the next start: the toggles and
// choices that name a preference, the recent files, each dialog's folder
// and the main window's place; a value that makes no sense counts as none.
TEST_F(MainWindowLogicTest, PreferencesComeBackAtTheNextStart) {
    MemoryPreferenceStore store;
    {
        MainWindowLogic first(platform_, RandomSource(1), load_graph_file, monotonic_milliseconds,
                              &store);
        for (const Command command : {Command::show_labels, Command::toggle_flow,
                                      Command::layout_force_on_load, Command::demands_all_pairs}) {
            first.on_command(command);
        }
        ASSERT_TRUE(first.load_file(bottleneck));
        while (first.loading() || first.certifying()) {
            platform_.run_posted();
        }
        // A demand file is in force for this run only.
        first.on_command(Command::open_demands);
        first.on_demands_dialog_answer(write("one.dem", "0 1 5\n"));
        ASSERT_EQ(first.demands().kind, DemandChoice::Kind::file);
        while (first.loading() || first.certifying()) {
            platform_.run_posted();
        }
        first.on_dialog_folder(FileDialogKind::save_console, scratch_.dir().string());
        first.on_dialog_folder(FileDialogKind::open, scratch_.path("gone").string());
        platform_.main_place = WindowPlace{10, 20, 800, 600};
        first.on_close();
    }
    MainWindowLogic second(platform_, RandomSource(1), load_graph_file, monotonic_milliseconds,
                           &store);
    second.start();
    EXPECT_FALSE(second.settings().show_labels);
    EXPECT_FALSE(second.settings().show_flow) << "show-flow is not kept";
    EXPECT_TRUE(second.command_checked(Command::layout_force_on_load));
    EXPECT_TRUE(second.command_checked(Command::demands_all_pairs));
    EXPECT_EQ(second.demands().kind, DemandChoice::Kind::all_pairs);
    EXPECT_EQ(platform_.recent, std::vector<std::string>{bottleneck});
    EXPECT_EQ(second.kept_window_place(PlacedWindow::main), (WindowPlace{10, 20, 800, 600}));
    // A folder that is gone leaves the dialog in the current directory; the
    // save dialog proposes its file in the folder it was left in.
    second.on_command(Command::open);
    EXPECT_EQ(platform_.open_folder, "");
    second.on_open_dialog_answer(std::nullopt);
    second.on_command(Command::save_console);
    EXPECT_EQ(platform_.save_dialogs.back().second, scratch_.path("console.txt").string());

    const std::pair<const char*, const char*> nonsense[] = {
        {"view/labels", "peut-être"},  {"load/layout", "spirale"},   {"load/demands", "file"},
        {"windows/main", "10 20 800"}, {"windows/main", "0 0 50 50"}};
    for (const auto& [key, value] : nonsense) {
        MemoryPreferenceStore bad;
        bad.set_value(key, value);
        MainWindowLogic third(platform_, RandomSource(1), load_graph_file, monotonic_milliseconds,
                              &bad);
        EXPECT_TRUE(third.settings().show_labels) << key;
        EXPECT_TRUE(third.command_checked(Command::layout_random_on_load)) << key;
        EXPECT_TRUE(third.command_checked(Command::demands_default)) << key;
        EXPECT_EQ(third.kept_window_place(PlacedWindow::main), std::nullopt) << key;
    }
}

// With "Disposition au chargement : par forces" every load places the
// vertices by the force layout after its own stages.
TEST_F(MainWindowLogicTest, LoadsPlaceByForceWhenChosen) {
    logic_.on_command(Command::layout_force_on_load);
    open(bottleneck);
    EXPECT_NE(platform_.sink.text().find("** TIMER : Disposition par forces calculée -> "),
              std::string::npos);
    EXPECT_EQ(platform_.titles.back(), "Quillmere - [" + bottleneck + "]");
}

// Ctrl+B runs on a thread of its own, as a load does: the progress box after
// half a second, stopped by a second Ctrl+B or Escape (the positions then
// stay, and the program goes on), and by a load.
TEST_F(MainWindowLogicTest, ForceLayoutRunsOffTheWindowsThreadAndStops) {
    std::string ring;  // 400 vertices: quick to load, long enough to lay out
    for (int v = 0; v < 400; ++v) {
        ring += std::to_string(v) + " <-> " + std::to_string((v + 1) % 400) + (v < 399 ? ";\n" : ";");
    }
    open(write("ring400.gr", ring));
    const std::vector<Vector3> before = logic_.loaded().display_positions;
    for (const auto stop : {+[](MainWindowLogic& l) { l.on_command(Command::force_layout); },
                            +[](MainWindowLogic& l) { l.on_key_down(WindowKey::escape); }}) {
        ASSERT_TRUE(logic_.on_command(Command::force_layout));
        EXPECT_TRUE(logic_.laying_out() && platform_.busy);
        now_ms_ += 500;
        logic_.on_progress_tick();
        EXPECT_EQ(platform_.progress, "Disposition par forces | Calcul de la disposition par "
                                      "forces... | Temps écoulé : 0,5 s");
        stop(logic_);
        finish_load();
        EXPECT_EQ(logic_.loaded().display_positions, before);
        EXPECT_TRUE(platform_.progress.empty() && !platform_.busy && platform_.quits.empty());
    }
    ASSERT_TRUE(logic_.on_command(Command::force_layout));
    ASSERT_TRUE(logic_.load_file(examples + "ring.gr"));
    EXPECT_FALSE(logic_.laying_out());
}

// The recent files follow the loads; one that is gone leaves the list with
// a box. The empty view shows the hint above them.
TEST_F(MainWindowLogicTest, RecentFilesAndTheEmptyView) {
    EXPECT_EQ(logic_.empty_view_lines(), std::vector<std::string>{empty_view_hint});
    const std::string gone = write("gone.gr", "0 -> 1;");
    const std::string ring = examples + "ring.gr";
    for (const std::string& path : {gone, ring, bottleneck, gone}) {
        open(path);
    }
    EXPECT_EQ(logic_.recent_files(), (std::vector<std::string>{gone, bottleneck, ring}));
    EXPECT_TRUE(logic_.empty_view_lines().empty()) << "a graph is on show";
    std::filesystem::remove(gone);
    logic_.open_recent(0);
    EXPECT_EQ(platform_.recent, (std::vector<std::string>{bottleneck, ring}));
    EXPECT_EQ(platform_.boxes.back().text,
              "Le fichier « " + gone + " » n'existe plus ; il est retiré des fichiers récents.");
    logic_.open_recent(1);
    finish_load();
    open(write("bad.gr", "0 -> 1"));
    EXPECT_EQ(logic_.empty_view_lines(), (std::vector<std::string>{
                                             empty_view_hint, "", "Fichiers récents :", ring,
                                             bottleneck}));
}

// Saved while the certificate is still being computed, the results say so
// rather than leave it out silently.
TEST_F(MainWindowLogicTest, ResultsSavedDuringTheCertificateSayItIsPending) {
    ASSERT_TRUE(logic_.load_file(write("complete.gr", complete_text())));
    while (logic_.loading()) {
        platform_.run_posted();
    }
    ASSERT_TRUE(logic_.certifying());
    logic_.on_command(Command::save_results);
    logic_.on_save_dialog_answer(SaveKind::results, scratch_.path("pending.json").string());
    const auto report = nlohmann::json::parse(read_file(scratch_.path("pending.json")));
    expect_report_schema(report);
    EXPECT_TRUE(report.contains("certificate_pending"));
}

// The picture is written whole beside the file, then renamed over it: a
// write that fails (here on a file size limit, as on a full disk) keeps the
// file that was there, leaves nothing else, and says so.
TEST_F(MainWindowLogicTest, ExportedPictureReplacesAFileOnlyOnceWrittenWhole) {
    open(bottleneck);
    const std::string keep = write("keep.png", "earlier picture");
    platform_.export_answer = keep;
    platform_.picture = std::string(100000, 'p');
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    logic_.on_command(Command::export_image);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(read_file(keep), "earlier picture");
    EXPECT_EQ(scratch_.entries(), std::vector<std::string>{"keep.png"});
    EXPECT_EQ(platform_.boxes.back().text, "Impossible d'écrire l'image\n" + keep);
    // Without the limit it is replaced.
    logic_.on_command(Command::export_image);
    EXPECT_EQ(read_file(keep), platform_.picture);
}
