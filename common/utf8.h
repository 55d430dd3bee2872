#pragma once

#include <cstddef>
#include <string_view>

// Reading UTF-8 text one character at a time. Every place that splits,
// counts or decodes user text or our own French texts reads it here.

// How the bytes of one character stand.
enum class Utf8Status {
    valid,
    overlong,   // a value written with more bytes than it needs (C0 80, E0 80 AF)
    surrogate,  // U+D800 to U+DFFF, which UTF-16 keeps for its pairs
    too_large,  // above U+10FFFF (F4 90 80 80 and up)
    // No sequence at all: a stray continuation byte, a byte F8 to FF, or a
    // lead byte whose continuation bytes are cut short by the end of the
    // text or by a byte that does not continue it.
    malformed,
};

// One character: its code point, the bytes it takes and how they stand. A
// sequence that is complete but overlong, a surrogate or too large keeps its
// whole length and the value its bits spell; a malformed one is one byte
// long and reads as U+FFFD.
struct Utf8Char {
    char32_t point = 0xFFFD;
    std::size_t length = 1;
    Utf8Status status = Utf8Status::malformed;
};

// The character that starts at byte `at` (< text.size()) of `text`. The lead
// byte tells the length by its high bits: 0xxxxxxx one byte, 110xxxxx two,
// 1110xxxx three, 11110xxx four.
Utf8Char decode_utf8(std::string_view text, std::size_t at);

// The bytes of the character at `at` as messages count and quote it: a
// complete sequence whose lead byte can start a character (C2 to F4), whatever
// value it spells (an overlong form, a surrogate or a value up to U+13FFFF
// included); 1 for any other byte, which counts as a character of its own.
std::size_t message_character_length(std::string_view text, std::size_t at);

// Whether every byte of `text` is ASCII or part of a character that
// message_character_length counts whole: the sequences a text shown to the
// user may hold.
bool is_message_utf8(std::string_view text);

// Whether `byte` continues a character (10xxxxxx) rather than starting one;
// counting the bytes that do not is counting the characters of valid UTF-8.
constexpr bool is_utf8_continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}
