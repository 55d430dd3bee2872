#include "builder/graph_builder.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <list>
#include <locale>
#include <sstream>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t skip_blanks(std::string_view text, std::size_t i) {
    while (i < text.size() && is_blank(text[i])) {
        ++i;
    }
    return i;
}

std::size_t skip_digits(std::string_view text, std::size_t i) {
    while (i < text.size() && is_digit(text[i])) {
        ++i;
    }
    return i;
}

// The text of a node option as a float; refuses the load when it holds no
// number or overflows.
float node_float(GraphDescription& description, const char* key, int vertex) {
    const std::string text = get_node_option(description, key, vertex);
    const Expected<float, NumberError> value = extract_float(text);
    if (!value) {
        EGraphRefused refusal(value.error() == NumberError::overflow
                                  ? EGraphRefused::Reason::float_overflow
                                  : EGraphRefused::Reason::not_a_number);
        refusal.option = key;
        refusal.text = text;
        refusal.vertex = vertex;
        throw refusal;
    }
    return *value;
}

// Node statements take their number unsigned, so one above the int range
// arrives as a negative key; it is refused with the number as it was written.
void refuse_overflowed_node_numbers(const GraphDescription& description) {
    for (const auto& entry : description.node_options) {
        if (entry.first < 0) {
            EGraphRefused refusal(EGraphRefused::Reason::node_number_too_large);
            refusal.written = std::to_string(static_cast<std::uint32_t>(entry.first));
            throw refusal;
        }
    }
}

void refuse_negative_vertices(const GraphDescription& description) {
    for (const EdgeGroup& group : description.edge_groups) {
        for (const std::vector<int>* list : {&group.sources, &group.targets}) {
            for (int v : *list) {
                if (v < 0) {
                    EGraphRefused refusal(EGraphRefused::Reason::negative_vertex);
                    refusal.number = v;
                    throw refusal;
                }
            }
        }
    }
}

// `list` without its repeats, in the order of first appearance. Every pair of
// a group gets the same capacity, so a repeated number adds nothing but
// work: without this, a few hundred kilobytes of «0,0,…,0 -> 1,1,…,1» would
// take the builder hours. `seen` has one entry per vertex, all 0, and is
// left so. Precondition: every number in 0 … n − 1.
std::vector<int> distinct_vertices(const std::vector<int>& list, std::vector<char>& seen) {
    std::vector<int> distinct;
    distinct.reserve(std::min(list.size(), seen.size()));
    for (int v : list) {
        if (!seen[v]) {
            seen[v] = 1;
            distinct.push_back(v);
        }
    }
    for (int v : distinct) {
        seen[v] = 0;
    }
    return distinct;
}

// The edge groups taken one direction at a time, each inserted at the front:
// the list ends in reverse file order, so that when the graph applies it front
// to back the first group in the file is the last to write a shared cell.
// Preconditions: every vertex number in 0 … n − 1.
std::list<DirectedEdgesGroup> directed_groups(const GraphDescription& description, int n) {
    std::list<DirectedEdgesGroup> groups;
    std::vector<char> seen(static_cast<std::size_t>(n), 0);
    // Groups often share a capacity text (every group without "cap" has
    // ".1"), so each distinct text is read once; only valid ones are kept.
    std::unordered_map<std::string, float> read_caps;
    int group_number = 0;
    for (const EdgeGroup& group : description.edge_groups) {
        ++group_number;
        const auto found = group.options.find("cap");
        const std::string text =
            found != group.options.end() ? found->second : option_default("cap");
        auto known = read_caps.find(text);
        if (known == read_caps.end()) {
            const Expected<float, NumberError> reading = extract_float(text);
            const bool overflow = !reading && reading.error() == NumberError::overflow;
            const bool not_decimal = !reading && reading.error() == NumberError::not_decimal;
            // A "cap" text that begins with no number gives capacity 0.
            const float value = reading ? *reading : 0.0f;
            if (overflow || not_decimal || value < 0.0f) {
                EGraphRefused refusal(overflow      ? EGraphRefused::Reason::float_overflow
                                      : not_decimal ? EGraphRefused::Reason::not_a_number
                                                    : EGraphRefused::Reason::negative_capacity);
                refusal.option = "cap";
                refusal.text = text;
                refusal.group = group_number;
                throw refusal;
            }
            known = read_caps.emplace(text, value).first;
        }
        const float cap = known->second;
        std::vector<int> sources = distinct_vertices(group.sources, seen);
        std::vector<int> targets = distinct_vertices(group.targets, seen);
        switch (group.direction) {
            case 1:
                groups.push_front({std::move(sources), std::move(targets), cap});
                break;
            case 2:
                groups.push_front({targets, sources, cap});
                groups.push_front({std::move(sources), std::move(targets), cap});
                break;
            case 3:
                groups.push_front({std::move(targets), std::move(sources), cap});
                break;
            default:
                // The grammar yields no other code; such a group stores nothing.
                break;
        }
    }
    return groups;
}

// Each stored directed edge opens one flow direction of the program, each
// undirected edge two; their number bounds the time of the solve.
void refuse_too_many_arcs(const Graph& graph) {
    std::int64_t arcs = 0;
    for (const auto& row : graph.matrix()) {
        for (const EdgeCell& c : row) {
            arcs += c.present ? 1 : 0;
        }
    }
    if (!graph.directed()) {
        arcs *= 2;
    }
    if (arcs > max_arc_count) {
        EGraphRefused refusal(EGraphRefused::Reason::too_many_arcs);
        refusal.number = arcs;
        throw refusal;
    }
}

}  // namespace

Expected<float, NumberError> extract_float(std::string_view text) {
    const std::size_t start = skip_blanks(text, 0);
    std::size_t i = start;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const auto starts_with = [&](const char* prefix) {
        for (std::size_t k = 0; prefix[k] != '\0'; ++k) {
            const char c = i + k < text.size() ? text[i + k] : '\0';
            if (std::tolower(static_cast<unsigned char>(c)) != prefix[k]) {
                return false;
            }
        }
        return true;
    };
    if (starts_with("inf") || starts_with("nan") || starts_with("0x")) {
        return fail(NumberError::not_decimal);
    }
    const std::size_t integer_end = skip_digits(text, i);
    std::size_t mantissa_digits = integer_end - i;
    i = integer_end;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fraction_end = skip_digits(text, i + 1);
        mantissa_digits += fraction_end - (i + 1);
        i = fraction_end;
    }
    if (mantissa_digits == 0) {
        return fail(NumberError::not_a_number);
    }
    // The exponent counts only when it has digits: "2e" and "2e-" read as 2.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        const std::size_t exponent_end = skip_digits(text, j);
        if (exponent_end > j) {
            i = exponent_end;
        }
    }
    // The prefix is well formed, so the classic-locale stream fails on it only
    // when the value is out of range, and then yields ±max.
    std::istringstream stream{std::string(text.substr(start, i - start))};
    stream.imbue(std::locale::classic());
    float value = 0.0f;
    stream >> value;
    if (stream.fail()) {
        return fail(NumberError::overflow);
    }
    return value;
}

std::optional<bool> extract_nonzero_integer(std::string_view text) {
    std::size_t i = skip_blanks(text, 0);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const std::size_t end = skip_digits(text, i);
    if (end == i) {
        return std::nullopt;
    }
    for (std::size_t k = i; k < end; ++k) {
        if (text[k] != '0') {
            return true;
        }
    }
    return false;
}

BuiltGraph build_graph(GraphDescription& description) {
    refuse_overflowed_node_numbers(description);
    refuse_negative_vertices(description);
    const std::int64_t count = node_count(description);
    if (count > max_vertex_count) {
        EGraphRefused refusal(EGraphRefused::Reason::too_many_vertices);
        refusal.number = count;
        throw refusal;
    }
    const int n = static_cast<int>(count);

    std::vector<float> sizes;
    std::vector<Vector3> positions;
    std::vector<std::string> names;
    sizes.reserve(n);
    positions.reserve(n);
    names.reserve(n);
    for (int v = 0; v < n; ++v) {
        names.push_back(get_node_option(description, "name", v));
        sizes.push_back(node_float(description, "size", v));
        const float x = node_float(description, "x", v);
        const float y = node_float(description, "y", v);
        const float z = node_float(description, "z", v);
        positions.emplace_back(x, y, z);
    }

    const std::list<DirectedEdgesGroup> groups = directed_groups(description, n);

    const std::string directed_text = get_global_option(description, "directed");
    const std::optional<bool> directed = extract_nonzero_integer(directed_text);
    if (!directed) {
        EGraphRefused refusal(EGraphRefused::Reason::not_an_integer);
        refusal.option = "directed";
        refusal.text = directed_text;
        throw refusal;
    }

    Graph graph(n, groups, *directed, std::move(positions), std::move(sizes));
    refuse_too_many_arcs(graph);

    return BuiltGraph{std::move(graph), std::move(names)};
}
