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

// Opens `path` for reading. Only a regular file (or a link to one) counts:
// a directory would open and then fail to read, and opening a named pipe
// would wait for a writer for ever.
std::optional<std::ifstream> open_file(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) || error) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return file;
}

enum class ReadStatus { complete, failed, too_large };

// Reads the whole content into `text`, CR LF pairs read as LF; stops as soon
// as the content is longer than max_file_bytes.
ReadStatus read_text(std::ifstream& file, std::string& text) {
    std::string raw;
    char buffer[1 << 16];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        raw.append(buffer, static_cast<std::size_t>(file.gcount()));
        if (raw.size() > max_file_bytes) {
            return ReadStatus::too_large;
        }
    }
    if (file.bad()) {
        return ReadStatus::failed;
    }
    text = text_mode_newlines(raw);
    return ReadStatus::complete;
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
        std::string text;
        const ReadStatus read = read_text(*file, text);
        file->close();
        if (read == ReadStatus::failed) {
            outcome = LoadOutcome::read_failed;
            message = read_failure_text();
        } else if (read == ReadStatus::too_large) {
            outcome = LoadOutcome::refused;
            message = file_too_large_text(max_file_bytes);
        } else if (!parse_graph_text(text, *grammar).full) {
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
