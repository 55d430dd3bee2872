#include <array>
#include <cctype>
#include <string_view>

#include "netformat/network_readers.h"
#include "netformat/text_scan.h"

namespace {

struct FormatName {
    NetworkFormat format;
    std::string_view name;
    std::string_view title;
};

constexpr std::array<FormatName, 5> format_names{
    {{NetworkFormat::gr, "gr", ".gr"},
     {NetworkFormat::sndlib, "sndlib", "SNDlib"},
     {NetworkFormat::graphml, "graphml", "GraphML"},
     {NetworkFormat::gml, "gml", "GML"},
     {NetworkFormat::dimacs, "dimacs", "DIMACS max-flow"}}};

bool space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether the text opens, after comments and a few top-level pairs such as
// `Creator "…"` or `Version 1`, with `graph [`. Looks at most at a few
// dozen pairs.
bool opens_gml_graph(std::string_view text) {
    std::size_t i = 0;
    const auto skip_blanks = [&] {
        while (i < text.size() && (space(text[i]) || text[i] == '#')) {
            if (text[i] == '#') {
                while (i < text.size() && text[i] != '\n') {
                    ++i;
                }
            } else {
                ++i;
            }
        }
    };
    for (int pairs = 0; pairs < 32; ++pairs) {
        skip_blanks();
        const std::size_t key_start = i;
        while (i < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) {
            ++i;
        }
        const std::string_view key = text.substr(key_start, i - key_start);
        if (key.empty() || !std::isalpha(static_cast<unsigned char>(key.front()))) {
            return false;
        }
        skip_blanks();
        if (i == text.size() || text[i] == '[') {
            return key == "graph" && i < text.size();
        }
        if (text[i] == '"') {
            i = text.find('"', i + 1);
            if (i == std::string_view::npos) {
                return false;
            }
            ++i;
        } else {
            const std::size_t value_start = i;
            while (i < text.size() && !space(text[i]) && text[i] != '[' && text[i] != '#') {
                ++i;
            }
            if (!parse_decimal(text.substr(value_start, i - value_start))) {
                return false;
            }
        }
    }
    return false;
}

// Whether the first line that is neither blank nor a `c` comment is `p max`.
bool opens_dimacs_flow(std::string_view text) {
    LineReader lines(text);
    while (const std::optional<std::string_view> line = lines.next()) {
        const std::vector<Word> words = split_words(*line, 0, false);
        if (words.empty() || words.front().text == "c") {
            continue;
        }
        return words.size() >= 2 && words[0].text == "p" && words[1].text == "max";
    }
    return false;
}

}  // namespace

NetworkFormat detect_format(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    if (text.rfind("?SNDlib native format", 0) == 0) {
        return NetworkFormat::sndlib;
    }
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && text[first] == '<') {
        return NetworkFormat::graphml;
    }
    if (opens_gml_graph(text)) {
        return NetworkFormat::gml;
    }
    if (opens_dimacs_flow(text)) {
        return NetworkFormat::dimacs;
    }
    return NetworkFormat::gr;
}

std::optional<NetworkFormat> format_from_name(std::string_view name) {
    for (const FormatName& entry : format_names) {
        if (entry.name == name) {
            return entry.format;
        }
    }
    return std::nullopt;
}

std::string_view format_name(NetworkFormat format) {
    return format_names[static_cast<std::size_t>(format)].name;
}

std::string_view format_title(NetworkFormat format) {
    return format_names[static_cast<std::size_t>(format)].title;
}

Expected<ImportedNetwork, ImportError> read_network(NetworkFormat format, std::string_view text) {
    switch (format) {
        case NetworkFormat::sndlib:
            return read_sndlib(text);
        case NetworkFormat::graphml:
            return read_graphml(text);
        case NetworkFormat::gml:
            return read_gml(text);
        case NetworkFormat::dimacs:
            return read_dimacs_flow(text);
        case NetworkFormat::gr:
            break;
    }
    return fail(ImportError{0, 0, "le langage .gr se lit par grformat, pas par read_network"});
}
