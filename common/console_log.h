#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Where the console's text goes: the console panel in the window, a string in
// tests, standard output in the headless runner.
class ConsoleSink {
  public:
    virtual ~ConsoleSink() = default;
    // Appends `text` at the very end and shows it at once.
    virtual void append(std::string_view text) = 0;
    // Empties the console.
    virtual void clear() = 0;
};

// A console whose text goes nowhere.
class NullSink : public ConsoleSink {
  public:
    void append(std::string_view) override {}
    void clear() override {}
};

// Keeps the console's text in memory.
class StringSink : public ConsoleSink {
  public:
    void append(std::string_view text) override { text_ += text; }
    void clear() override { text_.clear(); }
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// Milliseconds of a monotonic 64-bit clock; durations measured with it are
// never negative.
std::int64_t monotonic_milliseconds();

// The only output channel of the computations: plain lines and "timer" lines
// that say how long each stage took. Lines end with "\n".
class ConsoleLog {
  public:
    using Clock = std::function<std::int64_t()>;

    explicit ConsoleLog(ConsoleSink& sink, Clock clock = monotonic_milliseconds);

    // Writes `text` followed by a line end. Text holding its own line ends
    // shows as several lines.
    void append_line(std::string_view text);

    // Writes "** TIMER : <label> -> <seconds> s." and an empty line, the
    // seconds being the time since the last mark in the stream's default
    // format (15 ms prints as 0.015), then starts a new interval after the
    // line is written.
    void log_timer(std::string_view label);

    // Empties the console and forgets the recorded timings.
    void clear();

    // Starts a new timing interval now.
    void start_timer();

    // Every timer line written since the last clear(), as (label, seconds).
    const std::vector<std::pair<std::string, double>>& timings() const { return timings_; }

  private:
    ConsoleSink& sink_;
    Clock clock_;
    std::int64_t timer_mark_ = 0;
    std::vector<std::pair<std::string, double>> timings_;
};
