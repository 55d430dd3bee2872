#include "grformat/demand_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <utility>

#include "common/message_text.h"
#include "common/utf8.h"

bool is_vertex_number(std::string_view field) {
    if (field.empty()) {
        return false;
    }
    for (const char c : field) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

namespace {

constexpr std::string_view line_shape = " (une ligne : SOURCE CIBLE DEMANDE)";

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The column of byte `at` of a line whose bytes before it are valid UTF-8.
int column_of(std::string_view line, std::size_t at) {
    int column = 1;
    for (std::size_t i = 0; i < at && i < line.size(); ++i) {
        if (!is_utf8_continuation(line[i])) {
            ++column;
        }
    }
    return column;
}

// Whether `text` starts with `prefix`, in any case.
bool starts_with_folded(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != prefix[i]) {
            return false;
        }
    }
    return true;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Whether `text` is digits [. digits] [e [sign] digits], with at least one
// digit before the exponent, and its decimal magnitude: the power of ten of
// its first significant digit (0 when every digit is 0).
std::optional<long> decimal_magnitude(std::string_view text, bool& all_zero) {
    std::size_t i = 0;
    long integer_digits = 0;
    long leading_fraction_zeros = 0;
    bool seen_digit = false;
    all_zero = true;
    bool in_fraction = false;
    for (; i < text.size() && (is_digit(text[i]) || (text[i] == '.' && !in_fraction)); ++i) {
        if (text[i] == '.') {
            in_fraction = true;
            continue;
        }
        seen_digit = true;
        if (text[i] != '0') {
            all_zero = false;
        } else if (all_zero && in_fraction) {
            ++leading_fraction_zeros;
        }
        if (!in_fraction && !(all_zero && text[i] == '0')) {
            ++integer_digits;
        }
    }
    if (!seen_digit) {
        return std::nullopt;
    }
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negative = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
            ++i;
        }
        if (i == text.size()) {
            return std::nullopt;
        }
        for (; i < text.size() && is_digit(text[i]); ++i) {
            exponent = std::min(exponent * 10 + (text[i] - '0'), 100000L);
        }
        exponent = negative ? -exponent : exponent;
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    return exponent + (integer_digits > 0 ? integer_digits - 1 : -1 - leading_fraction_zeros);
}

// The demand a field gives, or why it gives none.
std::optional<std::string> read_demand(std::string_view field, double& demand) {
    const std::string quoted = "« " + bounded_for_message(field) + " »";
    const bool negative = field.front() == '-';
    const std::string_view unsigned_part =
        field.front() == '-' || field.front() == '+' ? field.substr(1) : field;
    if (starts_with_folded(unsigned_part, "nan")) {
        return "demande " + quoted + " : un NaN n'est pas une demande";
    }
    if (starts_with_folded(unsigned_part, "inf")) {
        return "demande " + quoted + " infinie";
    }
    if (starts_with_folded(unsigned_part, "0x")) {
        return "demande " + quoted + " hexadécimale : un nombre décimal est attendu";
    }
    bool all_zero = true;
    const std::optional<long> magnitude = decimal_magnitude(unsigned_part, all_zero);
    if (!magnitude) {
        return "demande " + quoted + " : ce n'est pas un nombre décimal positif";
    }
    if (all_zero) {
        return "demande nulle " + quoted + " : une demande est positive";
    }
    if (negative) {
        return "demande négative " + quoted + " : une demande est positive";
    }
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(unsigned_part.data(), unsigned_part.data() + unsigned_part.size(), value);
    if (error != std::errc() || end != unsigned_part.data() + unsigned_part.size() ||
        !std::isfinite(value) || !(value >= std::numeric_limits<double>::min())) {
        return *magnitude > 0 ? "demande " + quoted + " trop grande (au plus environ 1,8e308)"
                              : "demande " + quoted + " trop petite (au moins environ 2,2e-308)";
    }
    demand = value;
    return std::nullopt;
}

DemandError error_at(int line, int column, std::string reason) {
    return DemandError{{line, column}, std::move(reason)};
}

// One line's commodity (none for an empty or comment line), or why it is bad.
Expected<std::optional<DemandLine>, DemandError> read_line(std::string_view line, int number) {
    if (line.size() > max_demand_line_bytes) {
        return fail(
            error_at(number, column_of(line, max_demand_line_bytes),
                     "ligne de plus de " + std::to_string(max_demand_line_bytes) + " octets"));
    }
    for (std::size_t at = 0; at < line.size();) {
        const Utf8Char c = decode_utf8(line, at);
        if (c.status != Utf8Status::valid) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(line[at]));
            return fail(
                error_at(number, column_of(line, at),
                         std::string("octet ") + byte + " : le fichier n'est pas en UTF-8"));
        }
        at += c.length;
    }
    const std::string_view content = line.substr(0, line.find('#'));
    struct Field {
        std::string_view text;
        int column;
    };
    std::vector<Field> fields;
    std::size_t end_of_last = 0;
    for (std::size_t at = 0; at < content.size();) {
        if (is_blank(content[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < content.size() && !is_blank(content[end])) {
            ++end;
        }
        fields.push_back({content.substr(at, end - at), column_of(line, at)});
        end_of_last = end;
        at = end;
    }
    if (fields.empty()) {
        return std::optional<DemandLine>();
    }
    if (fields.size() < 3) {
        return fail(error_at(number, column_of(line, end_of_last) + 1,
                             std::string(fields.size() == 1 ? "il manque la cible et la demande"
                                                            : "il manque la demande") +
                                 std::string(line_shape)));
    }
    if (fields.size() > 3) {
        return fail(error_at(number, fields[3].column,
                             "champ en trop « " + bounded_for_message(fields[3].text) + " »" +
                                 std::string(line_shape)));
    }
    DemandLine parsed{std::string(fields[0].text),
                      {number, fields[0].column},
                      std::string(fields[1].text),
                      {number, fields[1].column},
                      0.0,
                      {number, fields[2].column}};
    if (const std::optional<std::string> reason = read_demand(fields[2].text, parsed.demand)) {
        return fail(error_at(number, fields[2].column, *reason));
    }
    return std::optional<DemandLine>(std::move(parsed));
}

}  // namespace

Expected<std::vector<DemandLine>, DemandError> parse_demand_text(std::string_view text) {
    constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
    if (text.substr(0, byte_order_mark.size()) == byte_order_mark) {
        text.remove_prefix(byte_order_mark.size());
    }
    std::vector<DemandLine> lines;
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        ++number;
        if (number > max_demand_lines) {
            return fail(error_at(static_cast<int>(number), 1,
                                 "plus de " + std::to_string(max_demand_lines) + " lignes"));
        }
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        Expected<std::optional<DemandLine>, DemandError> line =
            read_line(text.substr(start, end - start), static_cast<int>(number));
        if (!line) {
            return fail(line.error());
        }
        if (*line) {
            lines.push_back(std::move(**line));
        }
        start = end + 1;
    }
    if (lines.empty()) {
        return fail(error_at(0, 0,
                             "aucune demande : le fichier ne contient aucune ligne « SOURCE CIBLE "
                             "DEMANDE »"));
    }
    return lines;
}
