#include "bench/child_load.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <time.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "common/allocator_tuning.h"
#include "common/random_source.h"
#include "common/console_log.h"
#include "shell/load_graph.h"

namespace {

class NullSink : public ConsoleSink {
  public:
    void append(std::string_view) override {}
    void clear() override {}
};

class SilentReporter : public LoadReporter {
  public:
    void show_error(const std::string& caption, const std::string& text) override {
        std::cerr << caption << ": " << text << '\n';
    }
    void set_title(const std::string&) override {}
};

// Separates the timings from the console's text in what the child sends.
const std::string console_mark = "--\n";

double process_cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The child's side: loads `path` and writes to `fd` a line "ok seconds cpu",
// one line "seconds label" per timing, the mark, the inspector's line, the
// mark and the console's text.
[[noreturn]] void load_and_report(const std::string& path, bool keep_console,
                                  const LoadInspector& inspect, const ChildOptions& options,
                                  int fd) {
    RandomSource random(1);
    StringSink kept;
    NullSink dropped;
    ConsoleLog log(keep_console ? static_cast<ConsoleSink&>(kept) : dropped);
    SilentReporter reporter;
    LoadedGraph state;
    const std::int64_t start = monotonic_milliseconds();
    const double cpu_start = process_cpu_seconds();
    StageContext context{log, random};
    context.demands = &options.demands;
    context.solver = options.solver;
    const LoadOutcome outcome = load_graph_file(path, context, reporter, state);
    double certificate_seconds = -1.0;
    if (options.certify && outcome == LoadOutcome::loaded) {
        ComputedGraph& computed = *state.current;
        const TimedCertificate timed =
            certify_stage(computed.graph, computed.demands, computed.result.cut, context);
        computed.certificate = timed.certificate;
        certificate_seconds = timed.seconds;
    }
    const double cpu = process_cpu_seconds() - cpu_start;
    const std::int64_t end = monotonic_milliseconds();
    std::ostringstream report;
    report << (outcome == LoadOutcome::loaded ? 1 : 0) << ' ' << (end - start) / 1000.0 << ' '
           << cpu << '\n';
    for (const auto& [label, seconds] : log.timings()) {
        report << seconds << ' ' << label << '\n';
    }
    if (certificate_seconds >= 0.0) {
        report << certificate_seconds << " certificate\n";
    }
    report << console_mark;
    if (inspect && outcome == LoadOutcome::loaded) {
        report << inspect(state);
    }
    report << '\n' << console_mark << kept.text();
    const std::string text = report.str();
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put <= 0) {
            _exit(1);
        }
        done += static_cast<std::size_t>(put);
    }
    _exit(0);
}

}  // namespace

ChildLoad load_in_child(const std::string& path, bool keep_console, unsigned limit_seconds,
                        const LoadInspector& inspect, const ChildOptions& options) {
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (child == 0) {
        close(fds[0]);
        keep_freed_memory_for_loads();
        if (limit_seconds > 0) {
            alarm(limit_seconds);
        }
        load_and_report(path, keep_console, inspect, options, fds[1]);
    }
    close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);

    ChildLoad load;
    load.peak_kib = usage.ru_maxrss;
    load.stopped = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
    const std::size_t split = text.find(console_mark);
    std::istringstream in(text.substr(0, split));
    int ok = 0;
    in >> ok >> load.seconds >> load.cpu_seconds;
    load.loaded = ok == 1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    double seconds = 0.0;
    std::string label;
    while (in >> seconds && std::getline(in >> std::ws, label)) {
        load.stages.emplace_back(label, seconds);
    }
    if (split != std::string::npos) {
        const std::size_t second = text.find(console_mark, split + console_mark.size());
        const std::size_t begin = split + console_mark.size();
        if (second != std::string::npos) {
            load.inspection = text.substr(begin, second - begin - 1);
            load.console = text.substr(second + console_mark.size());
        }
    }
    return load;
}
