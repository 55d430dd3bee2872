#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/demand_choice.h"
#include "common/stage_context.h"
#include "common/vector3.h"
#include "shell/pipeline.h"
#include "view/scene_input.h"

// How the load command shows what the user must see outside the console:
// message boxes in the window, standard error in the headless runner.
class LoadReporter {
  public:
    virtual ~LoadReporter() = default;
    // A blocking error message with its caption.
    virtual void show_error(const std::string& caption, const std::string& text) = 0;
    // The main window's title.
    virtual void set_title(const std::string& title) = 0;
    // The file is open and the previous graph has just been released.
    virtual void file_opened() {}
};

// The graph on show, its results and where its vertices are drawn; owned by
// the shell (the window's logic, or the runner).
struct LoadedGraph {
    // The current graph with its results; none before the first load and
    // after a failed one.
    std::optional<ComputedGraph> current;
    // One position per vertex of the current graph; after a failed load it
    // still holds the previous graph's, which nothing draws.
    std::vector<Vector3> display_positions;

    const Graph* graph() const { return current ? &current->graph : nullptr; }
    const FlowResult* result() const { return current ? &current->result : nullptr; }
    // What a frame draws: nothing without a current graph.
    SceneInput scene() const {
        return {graph(),
                result(),
                &display_positions,
                current ? &current->names : nullptr,
                current && current->certificate ? &*current->certificate : nullptr,
                false,
                current ? &current->demands : nullptr};
    }
};

// Loads the .gr file at `path` (UTF-8) and makes it the current graph.
//
// When the file cannot be opened (it is missing, unreadable, or not a
// regular file: the check is made on the opened file, and opening never
// blocks), reports it naming the file and the reason, appends that line to
// the console as it stands and keeps the previous graph. Otherwise clears
// the console, writes two separator lines and starts the timer. A file of
// more than max_file_bytes is refused.
// Then the previous graph is released at once; the stages of the load
// run (run_load_pipeline, with the .gr parse), then the title and the
// success lines. Any failure after the file is open is reported through
// `reporter`, ends the console with one line (read_failure_line) and leaves
// no current graph; `display_positions` changes only
// on success. Once the context's cancel
// flag is set, the load stops after the stage it is in (a stage that fails
// then counts as stopped too): no current graph, and nothing reported, which
// is left to the caller.
LoadOutcome load_graph_file(const std::string& path, const StageContext& context,
                            LoadReporter& reporter, LoadedGraph& state);

// The same load on the text that the open descriptor `fd` gives until its end
// (a pipe or a terminal as well as a file: tarvessa-batch's standard input).
// `name` stands for the path in the title and the success line. Nothing to
// open, so nothing keeps the previous graph; `fd` stays open.
LoadOutcome load_graph_stream(int fd, const std::string& name, const StageContext& context,
                              LoadReporter& reporter, LoadedGraph& state);

// The demand file at `path` as the loads take it: opened as a graph file is
// (regular files only, without blocking), read whole (at most
// max_file_bytes) and its text checked (parse_demand_text), so that a bad
// file is refused before any load. Each load then resolves the vertices it
// names against its own graph. Fails with the outcome (cannot_open, refused,
// read_failed or invalid_demands), the message and the box's caption.
struct DemandFileFailure {
    LoadFailure failure;
    const char* caption;
};
Expected<DemandChoice, DemandFileFailure> read_demand_file(const std::string& path);
