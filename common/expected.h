#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

// The error of an operation that failed, kept apart from a value so that an
// Expected<E, E> stays unambiguous. Make one with `fail(error)`.
template <typename E>
struct Unexpected {
    E error;
};

template <typename E>
Unexpected<E> fail(E error) {
    return Unexpected<E>{std::move(error)};
}

inline Unexpected<std::string> fail(const char* message) {
    return Unexpected<std::string>{message};
}

// How an operation reports a failure: either a value of type T or an error
// of type E (by default a message for the user; a LoadFailure for the stages
// of a load). Test it
// before reading the value:
//
//     const Expected<Image> image = render(...);
//     if (!image) return fail(image.error());
//     use(*image);
template <typename T, typename E = std::string>
class [[nodiscard]] Expected {
  public:
    Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    template <typename F>
    Expected(Unexpected<F> failure) : state_(std::in_place_index<1>, std::move(failure.error)) {}

    bool has_value() const { return state_.index() == 0; }
    explicit operator bool() const { return has_value(); }

    // Preconditions: has_value() for the value, !has_value() for the error.
    T& operator*() { return std::get<0>(state_); }
    const T& operator*() const { return std::get<0>(state_); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    const E& error() const { return std::get<1>(state_); }

  private:
    std::variant<T, E> state_;
};

// An operation with nothing to return but its success.
template <typename E>
class [[nodiscard]] Expected<void, E> {
  public:
    Expected() = default;
    template <typename F>
    Expected(Unexpected<F> failure) : error_(std::move(failure.error)) {}

    bool has_value() const { return !error_.has_value(); }
    explicit operator bool() const { return has_value(); }
    // Precondition: !has_value().
    const E& error() const { return *error_; }

  private:
    std::optional<E> error_;
};
