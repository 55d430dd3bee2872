#include "common/console_log.h"

#include <chrono>
#include <sstream>

std::int64_t monotonic_milliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ConsoleLog::ConsoleLog(ConsoleSink& sink, Clock clock) : sink_(sink), clock_(std::move(clock)) {}

void ConsoleLog::append_line(std::string_view text) {
    std::string line(text);
    line += '\n';
    sink_.append(line);
}

void ConsoleLog::log_timer(std::string_view label) {
    const std::int64_t elapsed = clock_() - timer_mark_;
    const double seconds = static_cast<double>(elapsed) / 1000.0;
    std::ostringstream line;
    line << "** TIMER : " << label << " -> " << seconds << " s.\n";
    append_line(line.str());
    timings_.emplace_back(std::string(label), seconds);
    timer_mark_ = clock_();
}

void ConsoleLog::clear() {
    sink_.clear();
    timings_.clear();
}

void ConsoleLog::start_timer() {
    timer_mark_ = clock_();
}
