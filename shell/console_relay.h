#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "common/console_log.h"

// Carries the console's text from a load running on another thread to the
// window's console, which only the window's thread may touch.
//
// While held, what is written is kept in a buffer and handed over in one
// piece by flush() on the window's thread; the first write after a flush
// asks for the next one through `post`, so however fast a load writes, the
// window appends once per turn of its event loop. While not held, writes go
// straight to the target and must come from the window's thread.
class ConsoleRelay : public ConsoleSink {
  public:
    // `post` runs a task on the window's thread later and may be called from
    // any thread; the relay calls it only while held.
    ConsoleRelay(ConsoleSink& target, std::function<void(std::function<void()>)> post);

    // Any thread while held; the window's thread otherwise.
    void append(std::string_view text) override;
    void clear() override;

    // The window's thread only. Holding starts a new load: the label seen
    // last is forgotten. Releasing flushes first.
    void hold();
    void release();
    bool held() const { return held_; }
    // Hands what was written since the last flush to the target: a clear
    // first if there was one (what was written before it is dropped), then
    // the text in one append.
    void flush();

    // The label of the last timer line written while held ("" before the
    // first); any thread.
    std::string last_timer_label() const;

  private:
    ConsoleSink& target_;
    std::function<void(std::function<void()>)> post_;
    bool held_ = false;

    mutable std::mutex mutex_;
    std::string pending_;
    bool clear_pending_ = false;
    bool flush_posted_ = false;
    std::string last_label_;
};
