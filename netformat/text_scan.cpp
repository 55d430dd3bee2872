#include "netformat/text_scan.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <system_error>

#include "common/message_text.h"

namespace {

bool digit(char c) {
    return c >= '0' && c <= '9';
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool starts_with_no_case(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// Length of the valid UTF-8 character at `at`, 0 when none starts there.
std::size_t utf8_length(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

}  // namespace

Expected<double, NumberProblem> parse_decimal(std::string_view word) {
    std::size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
        ++i;
    }
    const std::string_view body = word.substr(i);
    if (starts_with_no_case(body, "inf") || starts_with_no_case(body, "nan") ||
        starts_with_no_case(body, "0x")) {
        return fail(NumberProblem::not_decimal);
    }
    // The power of ten of the leading non-zero digit, to tell an overflow
    // from an underflow when the conversion is out of range.
    std::int64_t integer_digits = 0;
    std::int64_t leading = -1;
    std::int64_t mantissa_digits = 0;
    for (; i < word.size() && digit(word[i]); ++i, ++integer_digits, ++mantissa_digits) {
        if (leading < 0 && word[i] != '0') {
            leading = mantissa_digits;
        }
    }
    std::int64_t fraction_digits = 0;
    if (i < word.size() && word[i] == '.') {
        for (++i; i < word.size() && digit(word[i]); ++i, ++fraction_digits, ++mantissa_digits) {
            if (leading < 0 && word[i] != '0') {
                leading = mantissa_digits;
            }
        }
    }
    if (integer_digits + fraction_digits == 0) {
        return fail(NumberProblem::not_a_number);
    }
    std::int64_t exponent = 0;
    if (i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
            negative = word[i] == '-';
            ++i;
        }
        const std::size_t exponent_start = i;
        for (; i < word.size() && digit(word[i]); ++i) {
            exponent = std::min<std::int64_t>(exponent * 10 + (word[i] - '0'), 1'000'000'000);
        }
        if (i == exponent_start) {
            return fail(NumberProblem::not_a_number);
        }
        exponent = negative ? -exponent : exponent;
    }
    if (i != word.size()) {
        return fail(NumberProblem::not_a_number);
    }
    double value = 0.0;
    const char* first = word.data() + (word.front() == '+' ? 1 : 0);
    const std::from_chars_result result =
        std::from_chars(first, word.data() + word.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        if (leading >= 0 && integer_digits - leading - 1 + exponent > 0) {
            return fail(NumberProblem::too_large);
        }
        return 0.0;
    }
    if (result.ec != std::errc() || result.ptr != word.data() + word.size()) {
        return fail(NumberProblem::not_a_number);
    }
    return value;
}

std::optional<std::int64_t> parse_digits(std::string_view word) {
    std::int64_t value = 0;
    if (word.empty() || !digit(word.front())) {
        return std::nullopt;
    }
    const std::from_chars_result result =
        std::from_chars(word.data(), word.data() + word.size(), value);
    if (result.ec != std::errc() || result.ptr != word.data() + word.size()) {
        return std::nullopt;
    }
    return value;
}

std::string number_message(std::string_view what, std::string_view word, NumberProblem problem) {
    std::string text = std::string(what) + " : " + quoted(word);
    switch (problem) {
        case NumberProblem::not_a_number:
            return text + " n'est pas un nombre";
        case NumberProblem::not_decimal:
            return text +
                   " n'est pas un nombre décimal (infinis, NaN et nombres "
                   "hexadécimaux sont refusés)";
        case NumberProblem::too_large:
            return text + " est un nombre trop grand";
    }
    return text;
}

std::string as_utf8(std::string_view text) {
    bool valid = true;
    for (std::size_t i = 0; i < text.size() && valid;) {
        const std::size_t length = utf8_length(text, i);
        valid = length > 0;
        i += length;
    }
    if (valid) {
        return std::string(text);
    }
    std::string converted;
    converted.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            converted += c;
        } else {
            converted += static_cast<char>(0xC0 | (byte >> 6));
            converted += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return converted;
}

std::string quoted(std::string_view word) {
    return "« " + bounded_for_message(as_utf8(word)) + " »";
}

ImportError error_at(std::string_view text, std::size_t offset, std::string what) {
    offset = std::min(offset, text.size());
    ImportError error;
    error.line = 1;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++error.line;
            line_start = i + 1;
        }
    }
    error.column = 1;
    for (std::size_t i = line_start; i < offset;) {
        const std::size_t length = utf8_length(text, i);
        i += length == 0 ? 1 : length;
        ++error.column;
    }
    error.what = std::move(what);
    return error;
}

std::vector<Word> split_words(std::string_view line, std::size_t line_offset, bool brackets) {
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (blank(line[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        if (brackets && (line[i] == '(' || line[i] == ')')) {
            ++i;
        } else {
            while (i < line.size() && !blank(line[i]) &&
                   !(brackets && (line[i] == '(' || line[i] == ')'))) {
                ++i;
            }
        }
        words.push_back({line.substr(start, i - start), line_offset + start});
    }
    return words;
}

std::optional<std::string_view> LineReader::next() {
    if (at_ >= text_.size()) {
        return std::nullopt;
    }
    start_ = at_;
    ++number_;
    std::size_t end = at_;
    while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') {
        ++end;
    }
    std::string_view line = text_.substr(at_, end - at_);
    if (end < text_.size() && text_[end] == '\r' && end + 1 < text_.size() &&
        text_[end + 1] == '\n') {
        ++end;
    }
    at_ = end + 1;
    return line;
}
