#include "shell/load_graph.h"

#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <stdexcept>

#include "graph/graph_builder.h"
#include "grformat/gram_graph.h"
#include "shell/console_log.h"
#include "shell/load_messages.h"
#include "view/placement.h"

namespace {

// Opens `path` for reading. A directory counts as a file that cannot be
// opened (the stream would open it and then fail to read).
std::optional<std::ifstream> open_file(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return file;
}

// The whole content as text, CR LF pairs read as LF. Returns nothing on a
// read error.
std::optional<std::string> read_text(std::ifstream& file) {
    std::string raw;
    char buffer[1 << 16];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        raw.append(buffer, static_cast<std::size_t>(file.gcount()));
    }
    if (file.bad()) {
        return std::nullopt;
    }
    return text_mode_newlines(raw);
}

}  // namespace

std::string text_mode_newlines(std::string_view raw) {
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
            continue;
        }
        text += raw[i];
    }
    return text;
}

LoadOutcome load_graph_file(const std::string& path, ConsoleLog& log, bool verbose,
                            LoadReporter& reporter, LoadedGraph& state) {
    log.clear();
    log.append_line(load_separator_line);
    log.append_line(load_separator_line);
    log.start_timer();

    std::optional<std::ifstream> file = open_file(path);
    if (!file) {
        reporter.show_error(caption_open_error, text_cannot_open);
        return LoadOutcome::cannot_open;
    }

    // From here on no graph is current until the new one is ready.
    state.current_graph.reset();

    // The grammar object, and its description, live for this load only.
    auto grammar = std::make_unique<gram_graph>();
    LoadOutcome outcome = LoadOutcome::loaded;
    std::string caption = caption_read_error;
    std::string message;
    try {
        const std::optional<std::string> text = read_text(*file);
        file->close();
        if (!text) {
            outcome = LoadOutcome::read_failed;
            message = read_failure_text();
        } else if (!parse_graph_text(*text, *grammar).full) {
            outcome = LoadOutcome::invalid_text;
            message = text_invalid_file;
        } else {
            log.log_timer(timer_label_file_read);
            std::unique_ptr<Graph> graph = build_graph(grammar->description, log, verbose);
            std::vector<Vector3> positions;
            place_vertices(*graph, positions);
            log.log_timer(timer_label_placement);
            reporter.set_title(loaded_window_title(path));
            log.append_line("**");
            log.append_line(loaded_success_line(path));
            log.append_line("**");
            // Nothing draws during the load, so the graph and its positions can
            // become current together, once nothing else can fail.
            state.current_graph = std::move(graph);
            state.display_positions = std::move(positions);
        }
    } catch (const EUnknownOption& error) {
        outcome = LoadOutcome::unknown_option;
        message = unknown_option_text(error);
    } catch (const EGraphRefused& refusal) {
        outcome = LoadOutcome::refused;
        message = refusal_text(refusal);
    } catch (const std::bad_alloc&) {
        outcome = LoadOutcome::build_failed;
        message = out_of_memory_text();
    } catch (const std::exception& error) {
        outcome = LoadOutcome::build_failed;
        message = build_failure_text(error.what());
    } catch (...) {
        outcome = LoadOutcome::build_failed;
        message = build_failure_text("");
    }
    grammar.reset();
    if (outcome != LoadOutcome::loaded) {
        state.current_graph.reset();
        reporter.show_error(caption, message);
    }
    return outcome;
}
