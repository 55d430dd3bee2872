#include "shell/load_graph.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "common/console_log.h"
#include "grformat/gram_graph.h"
#include "shell/load_messages.h"
#include "view/placement.h"

namespace {

// A file descriptor, closed when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_;
};

// Opens `path` for reading; only a regular file (or a link to one) counts.
// The check is made on the opened descriptor, so the path cannot be swapped
// for something else between the check and the open: the open does not
// block (a named pipe without a writer would otherwise wait for ever), the
// descriptor is refused unless it is a regular file, and only then does it
// block again as an ordinary file. A directory, a pipe or a device is thus a
// file that cannot be opened.
Descriptor open_regular_file(const std::string& path) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file) {
        return file;
    }
    struct stat info {};
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return Descriptor(-1);
    }
    return file;
}

enum class ReadStatus { complete, failed, too_large };

// Reads everything `fd` gives until its end into `text`, CR LF pairs read as
// LF; stops as soon as the content is longer than max_file_bytes.
ReadStatus read_text(int fd, std::string& text) {
    std::string raw;
    std::vector<char> buffer(std::size_t{1} << 16);
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return ReadStatus::failed;
        }
        if (got == 0) {
            break;
        }
        raw.append(buffer.data(), static_cast<std::size_t>(got));
        if (raw.size() > max_file_bytes) {
            return ReadStatus::too_large;
        }
    }
    text = text_mode_newlines(raw);
    return ReadStatus::complete;
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
    const ParseResult parse = parse_graph_text(text, *grammar);
    if (!parse.full) {
        return LoadFailure{LoadOutcome::invalid_text, invalid_text_message(parse.failure)};
    }
    context.log.log_timer(timer_label_file_read);
    BuiltGraph built = build_graph(grammar->description, context);
    grammar.reset();
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

// Reads the opened input and builds its graph, turning every error on the way
// into a failure with its message.
std::optional<LoadFailure> read_and_build(const std::string& path, int fd,
                                          const StageContext& context, LoadReporter& reporter,
                                          LoadedGraph& state) {
    try {
        std::string text;
        const ReadStatus read = read_text(fd, text);
        switch (read) {
            case ReadStatus::failed:
                return LoadFailure{LoadOutcome::read_failed, read_failure_text()};
            case ReadStatus::too_large:
                return LoadFailure{LoadOutcome::refused, file_too_large_text(max_file_bytes)};
            case ReadStatus::complete:
                break;
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

namespace {

// The load once the input is open: the previous graph goes, the text is read
// and built, and a failure gets its box.
LoadOutcome load_opened(int fd, const std::string& name, const StageContext& context,
                        LoadReporter& reporter, LoadedGraph& state) {
    // From here on no graph is current until the new one is ready.
    state.current.reset();
    const std::optional<LoadFailure> failure = read_and_build(name, fd, context, reporter, state);
    if (failure) {
        reporter.show_error(caption_read_error, failure->message);
        return failure->outcome;
    }
    return LoadOutcome::loaded;
}

void start_load(const StageContext& context) {
    context.log.clear();
    context.log.append_line(load_separator_line);
    context.log.append_line(load_separator_line);
    context.log.start_timer();
}

}  // namespace

LoadOutcome load_graph_file(const std::string& path, const StageContext& context,
                            LoadReporter& reporter, LoadedGraph& state) {
    start_load(context);
    const Descriptor file = open_regular_file(path);
    if (!file) {
        reporter.show_error(caption_open_error, text_cannot_open);
        return LoadOutcome::cannot_open;
    }
    return load_opened(file.get(), path, context, reporter, state);
}

LoadOutcome load_graph_stream(int fd, const std::string& name, const StageContext& context,
                              LoadReporter& reporter, LoadedGraph& state) {
    start_load(context);
    return load_opened(fd, name, context, reporter, state);
}
