#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <type_traits>

// A fixed table that maps the values of a small set (an enum, a library's
// status codes) to what they stand for: one row per value, written once, so
// that a name, a code or a French word is never spelled in two switches.
template <class Key, class Value>
struct LookupRow {
    Key key;
    Value value;
};

// The value of `key`'s row, or `fallback` when no row holds it.
template <class Key, class Value, std::size_t N>
constexpr Value look_up(const LookupRow<Key, Value> (&rows)[N], const Key& key,
                        const std::type_identity_t<Value>& fallback) {
    for (const LookupRow<Key, Value>& row : rows) {
        if (row.key == key) {
            return row.value;
        }
    }
    return fallback;
}

// The key whose row holds the name `name`, or nothing: the reverse of
// look_up for tables of names (text given on a command line or read back
// from a settings file).
template <class Key, std::size_t N>
constexpr std::optional<Key> key_named(const LookupRow<Key, const char*> (&rows)[N],
                                       std::string_view name) {
    for (const LookupRow<Key, const char*>& row : rows) {
        if (name == row.value) {
            return row.key;
        }
    }
    return std::nullopt;
}
