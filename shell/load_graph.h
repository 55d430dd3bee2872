#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "builder/graph_builder.h"
#include "common/stage_context.h"
#include "common/vector3.h"
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
    // The current graph with its flow result; none before the first load and
    // after a failed one.
    std::optional<BuiltGraph> current;
    // One position per vertex of the current graph; after a failed load it
    // still holds the previous graph's, which nothing draws.
    std::vector<Vector3> display_positions;

    const Graph* graph() const { return current ? &current->graph : nullptr; }
    const FlowResult* result() const { return current ? &current->result : nullptr; }
    // What a frame draws: nothing without a current graph.
    SceneInput scene() const {
        return {graph(), result(), &display_positions, current ? &current->names : nullptr,
                current && current->certificate ? &*current->certificate : nullptr};
    }
};

// The largest file a load reads, 16 MiB. A graph at the vertex and arc
// limits with every edge in its own statement takes well under 1 MB; larger
// files only repeat statements. The description and the builder's lists take up to some
// 60 bytes per byte of text, so a file at this limit stays within about
// 1 GiB and 10 s; a larger one is refused before it is read whole.
inline constexpr std::size_t max_file_bytes = std::size_t{16} << 20;

enum class LoadOutcome {
    loaded,
    cannot_open,     // the previous graph is kept
    read_failed,     // the file opened but could not be read to its end
    invalid_text,    // not matched to its very end
    unknown_option,  // an option key its scope does not accept
    refused,         // a file too large, or a description that cannot become a graph here
    build_failed,    // memory ran out, or another error, while building
    cancelled,       // the context's cancel flag stopped it; nothing is reported
};

// The bytes of a file as a text-mode read gives them: every CR LF pair becomes
// one LF; a lone CR, and every other byte, stays as it is.
std::string text_mode_newlines(std::string_view raw);

// Loads the .gr file at `path` (UTF-8) and makes it the current graph.
//
// Clears the console, writes two separator lines and starts the timer. When
// the file cannot be opened (it is missing, unreadable, or not a regular
// file: the check is made on the opened file, and opening never blocks),
// reports it and keeps the previous graph. A file of more than
// max_file_bytes is refused.
// Otherwise the previous graph is released at once; the text (a CR LF pair
// read as one LF) is parsed, built (flow, embedding and cut included, with
// their listings when `verbose`) and placed (drawing from the context's
// random source), with a timer line after the read and after the placement;
// then the title and the success lines. Any failure after the file is open
// is reported through `reporter` and leaves no current graph;
// `display_positions` changes only on success. Once the context's cancel
// flag is set, the load stops at the next stage (a stage that fails then
// counts as stopped too): no current graph, and nothing reported, which is
// left to the caller.
LoadOutcome load_graph_file(const std::string& path, const StageContext& context,
                            LoadReporter& reporter, LoadedGraph& state);

// The same load on the text that the open descriptor `fd` gives until its end
// (a pipe or a terminal as well as a file: tarvessa-batch's standard input).
// `name` stands for the path in the title and the success line. Nothing to
// open, so nothing keeps the previous graph; `fd` stays open.
LoadOutcome load_graph_stream(int fd, const std::string& name, const StageContext& context,
                              LoadReporter& reporter, LoadedGraph& state);
