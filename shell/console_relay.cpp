#include "shell/console_relay.h"

namespace {

// The label of a timer line "** TIMER : <label> -> <seconds> s.", or none.
std::string_view timer_label(std::string_view text) {
    constexpr std::string_view head = "** TIMER : ";
    if (text.substr(0, head.size()) != head) {
        return {};
    }
    text.remove_prefix(head.size());
    const std::size_t arrow = text.rfind(" -> ");
    return arrow == std::string_view::npos ? std::string_view{} : text.substr(0, arrow);
}

}  // namespace

ConsoleRelay::ConsoleRelay(ConsoleSink& target, std::function<void(std::function<void()>)> post)
    : target_(target), post_(std::move(post)) {}

void ConsoleRelay::append(std::string_view text) {
    if (!held_) {
        target_.append(text);
        return;
    }
    bool post = false;
    {
        std::lock_guard lock(mutex_);
        pending_ += text;
        if (const std::string_view label = timer_label(text); !label.empty()) {
            last_label_ = label;
        }
        post = !flush_posted_;
        flush_posted_ = true;
    }
    if (post) {
        post_([this] { flush(); });
    }
}

void ConsoleRelay::clear() {
    if (!held_) {
        target_.clear();
        return;
    }
    bool post = false;
    {
        std::lock_guard lock(mutex_);
        pending_.clear();
        clear_pending_ = true;
        post = !flush_posted_;
        flush_posted_ = true;
    }
    if (post) {
        post_([this] { flush(); });
    }
}

void ConsoleRelay::hold() {
    std::lock_guard lock(mutex_);
    held_ = true;
    last_label_.clear();
}

void ConsoleRelay::release() {
    flush();
    held_ = false;
}

void ConsoleRelay::flush() {
    std::string text;
    bool clear = false;
    {
        std::lock_guard lock(mutex_);
        text.swap(pending_);
        clear = clear_pending_;
        clear_pending_ = false;
        flush_posted_ = false;
    }
    if (clear) {
        target_.clear();
    }
    if (!text.empty()) {
        target_.append(text);
    }
}

std::string ConsoleRelay::last_timer_label() const {
    std::lock_guard lock(mutex_);
    return last_label_;
}
