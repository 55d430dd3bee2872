#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The longest piece of user text (a key, a value, a name, an argument) that a
// message quotes whole, in characters.
inline constexpr std::size_t message_quote_limit = 60;

// `text` as a message quotes it: whole when it has at most `limit`
// characters, else its first `limit` characters followed by "…", so that a
// huge key or value cannot make a huge message. Counts and cuts UTF-8
// characters, never inside one; a byte that is not part of valid UTF-8 counts
// as one character.
std::string bounded_for_message(std::string_view text, std::size_t limit = message_quote_limit);
