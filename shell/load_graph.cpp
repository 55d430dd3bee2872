#include "shell/load_graph.h"

#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <stdexcept>

#include "common/console_log.h"
#include "grformat/gram_graph.h"
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

// Whether the user asked to stop the load.
bool cancel_requested(const StageContext& context) {
    return context.cancel != nullptr && context.cancel->load();
}

// A load's failure: what it was and the text of its message box, whose
// caption is always caption_read_error.
struct LoadFailure {
    LoadOutcome outcome;
    std::string message;
};

// Parses the text, builds the graph (flow, embedding and cut), places it and
// writes the closing lines; makes it current only once nothing else can fail.
std::optional<LoadFailure> build_and_place(const std::string& path, const std::string& text,
                                           const StageContext& context, LoadReporter& reporter,
                                           LoadedGraph& state) {
    // The grammar object, and its description, live for this load only.
    auto grammar = std::make_unique<gram_graph>();
    if (!parse_graph_text(text, *grammar).full) {
        return LoadFailure{LoadOutcome::invalid_text, text_invalid_file};
    }
    context.log.log_timer(timer_label_file_read);
    if (cancel_requested(context)) {
        return LoadFailure{LoadOutcome::cancelled, ""};
    }
    BuiltGraph built = build_graph(grammar->description, context);
    grammar.reset();
    if (cancel_requested(context)) {
        return LoadFailure{LoadOutcome::cancelled, ""};
    }
    std::vector<Vector3> positions;
    place_vertices(built.graph, context.random, positions);
    context.log.log_timer(timer_label_placement);
    reporter.set_title(loaded_window_title(path));
    context.log.append_line("**");
    context.log.append_line(loaded_success_line(path));
    context.log.append_line("**");
    state.current = std::move(built);
    state.display_positions = std::move(positions);
    return std::nullopt;
}

// Reads the opened file and builds its graph, turning every error on the way
// into a failure with its message.
std::optional<LoadFailure> read_and_build(const std::string& path, std::ifstream& file,
                                          const StageContext& context, LoadReporter& reporter,
                                          LoadedGraph& state) {
    try {
        std::string text;
        const ReadStatus read = read_text(file, text);
        file.close();
        switch (read) {
            case ReadStatus::failed:
                return LoadFailure{LoadOutcome::read_failed, read_failure_text()};
            case ReadStatus::too_large:
                return LoadFailure{LoadOutcome::refused, file_too_large_text(max_file_bytes)};
            case ReadStatus::complete:
                break;
        }
        if (cancel_requested(context)) {
            return LoadFailure{LoadOutcome::cancelled, ""};
        }
        return build_and_place(path, text, context, reporter, state);
    } catch (const EUnknownOption& error) {
        return LoadFailure{LoadOutcome::unknown_option, unknown_option_text(error)};
    } catch (const EGraphRefused& refusal) {
        return LoadFailure{LoadOutcome::refused, refusal_text(refusal)};
    } catch (const std::bad_alloc&) {
        return LoadFailure{LoadOutcome::build_failed, out_of_memory_text()};
    } catch (const std::exception& error) {
        return LoadFailure{LoadOutcome::build_failed, build_failure_text(error.what())};
    } catch (...) {
        return LoadFailure{LoadOutcome::build_failed, build_failure_text("")};
    }
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

LoadOutcome load_graph_file(const std::string& path, const StageContext& context,
                            LoadReporter& reporter, LoadedGraph& state) {
    context.log.clear();
    context.log.append_line(load_separator_line);
    context.log.append_line(load_separator_line);
    context.log.start_timer();

    std::optional<std::ifstream> file = open_file(path);
    if (!file) {
        reporter.show_error(caption_open_error, text_cannot_open);
        return LoadOutcome::cannot_open;
    }

    // From here on no graph is current until the new one is ready.
    state.current.reset();
    reporter.file_opened();
    const std::optional<LoadFailure> failure =
        read_and_build(path, *file, context, reporter, state);
    if (failure) {
        if (failure->outcome == LoadOutcome::cancelled || cancel_requested(context)) {
            return LoadOutcome::cancelled;
        }
        reporter.show_error(caption_read_error, failure->message);
        return failure->outcome;
    }
    return LoadOutcome::loaded;
}
