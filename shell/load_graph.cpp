#include "shell/load_graph.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

#include "builder/demand_builder.h"
#include "builder/graph_builder.h"
#include "common/console_log.h"
#include "shell/load_messages.h"

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
// file that cannot be opened. When it cannot, `reason` says why.
Descriptor open_regular_file(const std::string& path, std::string& reason) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file) {
        reason = open_failure_reason(errno);
        return file;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        reason = open_failure_reason(errno);
        return Descriptor(-1);
    }
    if (!S_ISREG(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? reason_directory : reason_not_regular_file;
        return Descriptor(-1);
    }
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        reason = open_failure_reason(errno);
        return Descriptor(-1);
    }
    return file;
}

// Runs the stages on the opened input, then writes the title and the closing
// lines and makes the graph current; turns every error on the way into a
// failure with its message.
std::optional<LoadFailure> run_stages(const std::string& path, int fd, const StageContext& context,
                                      LoadReporter& reporter, LoadedGraph& state) {
    try {
        // .gr is the only format read today.
        Expected<LoadProduct, LoadFailure> product = run_load_pipeline(fd, parse_gr, context);
        if (!product) {
            return product.error();
        }
        reporter.set_title(loaded_window_title(path));
        context.log.append_line("**");
        context.log.append_line(loaded_success_line(path));
        context.log.append_line("**");
        state.current = std::move(product->computed);
        state.display_positions = std::move(product->positions);
        return std::nullopt;
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

// The load once the input is open: the previous graph goes, the text is read
// and built, and a failure gets its box.
LoadOutcome load_opened(int fd, const std::string& name, const StageContext& context,
                        LoadReporter& reporter, LoadedGraph& state) {
    // From here on no graph is current until the new one is ready.
    state.current.reset();
    reporter.file_opened();
    const std::optional<LoadFailure> failure = run_stages(name, fd, context, reporter, state);
    if (failure) {
        const bool cancelled = context.cancel != nullptr && context.cancel->load();
        if (failure->outcome == LoadOutcome::cancelled || cancelled) {
            return LoadOutcome::cancelled;
        }
        // The console ends with the failure, as it does with a cancel.
        context.log.append_line(
            read_failure_line(failure->message, failure->outcome == LoadOutcome::invalid_demands));
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
    std::string reason;
    const Descriptor file = open_regular_file(path, reason);
    if (!file) {
        // The graph on show stays, and with it its console, which gains the
        // failure's line.
        context.log.append_line(cannot_open_line(path, reason));
        reporter.show_error(caption_open_error, cannot_open_text(path, reason));
        return LoadOutcome::cannot_open;
    }
    start_load(context);
    return load_opened(file.get(), path, context, reporter, state);
}

LoadOutcome load_graph_stream(int fd, const std::string& name, const StageContext& context,
                              LoadReporter& reporter, LoadedGraph& state) {
    start_load(context);
    return load_opened(fd, name, context, reporter, state);
}

Expected<DemandChoice, DemandFileFailure> read_demand_file(const std::string& path) {
    const auto failed = [](LoadOutcome outcome, std::string text, const char* caption) {
        return fail(DemandFileFailure{{outcome, std::move(text)}, caption});
    };
    std::string reason;
    const Descriptor file = open_regular_file(path, reason);
    if (!file) {
        return failed(LoadOutcome::cannot_open, demand_file_cannot_open_text(path, reason),
                      caption_open_error);
    }
    Expected<std::string, LoadFailure> text = read_stage(file.get());
    if (!text) {
        return text.error().outcome == LoadOutcome::refused
                   ? failed(LoadOutcome::refused, demand_file_too_large_text(path, max_file_bytes),
                            caption_read_error)
                   : failed(LoadOutcome::read_failed, demand_file_read_failure_text(path),
                            caption_read_error);
    }
    const Expected<std::vector<DemandLine>, DemandError> lines = parse_demand_text(*text);
    if (!lines) {
        return failed(LoadOutcome::invalid_demands,
                      demand_refusal_text(
                          DemandRefusal{DemandRefusal::Reason::bad_file, lines.error(), 0}, path),
                      caption_read_error);
    }
    return DemandChoice{DemandChoice::Kind::file, path, std::move(*text)};
}
