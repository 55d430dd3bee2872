#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "netformat/imported_network.h"

// What the hand-written readers share: strict numbers, text made UTF-8,
// places in the file, lines cut into words.

// Why a word gives no number.
enum class NumberProblem {
    not_a_number,  // not of the decimal form at all
    not_decimal,   // an infinity, a NaN or a hexadecimal number
    too_large,     // beyond the range of a double
};

// Reads a whole word as a decimal number: [sign] digits [. digits]
// [e|E [sign] digits], with at least one digit before or after the point,
// in any locale. "inf", "NaN", "0x1p3" and their like are refused as
// not_decimal; anything else that is not of that form as not_a_number; a
// number beyond the double range as too_large, while one too small for it
// reads as 0.
Expected<double, NumberProblem> parse_decimal(std::string_view word);

// Reads a whole word of decimal digits (no sign) that fits 63 bits.
std::optional<std::int64_t> parse_digits(std::string_view word);

// "<what> : « word » n'est pas un nombre" and the like, for `problem`.
std::string number_message(std::string_view what, std::string_view word, NumberProblem problem);

// `text` as UTF-8: itself when it is valid UTF-8, else read as Latin-1 (the
// encoding GML files were first defined in, and that of older exports).
std::string as_utf8(std::string_view text);

// A word quoted for a message: « word », cut after 60 characters.
std::string quoted(std::string_view word);

// The line and column (both 1-based, the column in UTF-8 characters) of byte
// `offset` of `text`.
ImportError error_at(std::string_view text, std::size_t offset, std::string what);

// A word of a line and where it starts in the whole text.
struct Word {
    std::string_view text;
    std::size_t offset = 0;
};

// The words of `line` (which starts at byte `line_offset` of the text),
// split at blanks; with `brackets`, every "(" and ")" is a word of its own
// even when glued to its neighbours.
std::vector<Word> split_words(std::string_view line, std::size_t line_offset, bool brackets);

// Walks the lines of a text, each without its line end (LF, CR LF or a
// lone CR at the very end).
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}
    // The next line, or none at the end of the text.
    std::optional<std::string_view> next();
    // Where the line last returned starts, and its number (1-based).
    std::size_t offset() const { return start_; }
    int number() const { return number_; }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t start_ = 0;
    int number_ = 0;
};
