#include "grformat/graph_description.h"

#include <algorithm>
#include <array>
#include <sstream>

namespace {

template <std::size_t N>
bool is_one_of(const std::string& key, const std::array<const char*, N>& keys) {
    return std::any_of(keys.begin(), keys.end(), [&](const char* k) { return key == k; });
}

}  // namespace

bool is_global_option_key(const std::string& key) {
    static constexpr std::array<const char*, 4> keys = {"name", "directed", "force_matrix",
                                                        "force_adj"};
    return is_one_of(key, keys);
}

bool is_node_option_key(const std::string& key) {
    static constexpr std::array<const char*, 5> keys = {"name", "size", "x", "y", "z"};
    return is_one_of(key, keys);
}

bool is_edge_option_key(const std::string& key) {
    static constexpr std::array<const char*, 5> keys = {"name", "weigth", "cap", "length", "style"};
    return is_one_of(key, keys);
}

std::string option_default(const std::string& key) {
    if (key == "name") {
        return "";
    }
    if (key == "directed" || key == "force_matrix" || key == "force_adj") {
        return "0";
    }
    if (key == "size") {
        return "2";
    }
    if (key == "weigth") {
        return "1";
    }
    if (key == "cap") {
        return ".1";
    }
    if (key == "x" || key == "y" || key == "z") {
        return "0";
    }
    return "";
}

std::string get_global_option(const GraphDescription& description, const std::string& key) {
    if (!is_global_option_key(key)) {
        throw EUnknownOption(key);
    }
    const auto found = description.global_options.find(key);
    return found != description.global_options.end() ? found->second : option_default(key);
}

std::string get_node_option(GraphDescription& description, const std::string& key, int node) {
    if (!is_node_option_key(key)) {
        throw EUnknownNodeOption(key);
    }
    const OptionMap& options = description.node_options[node];
    const auto found = options.find(key);
    return found != options.end() ? found->second : option_default(key);
}

std::int64_t node_count(const GraphDescription& description) {
    std::int64_t largest = -1;
    for (const auto& entry : description.node_options) {
        largest = std::max<std::int64_t>(largest, entry.first);
    }
    for (const EdgeGroup& group : description.edge_groups) {
        for (int s : group.sources) {
            largest = std::max<std::int64_t>(largest, s);
        }
        for (int t : group.targets) {
            largest = std::max<std::int64_t>(largest, t);
        }
    }
    return largest + 1;
}

void add_option_impl::operator()(OptionMap& global_options, const std::string& key,
                                 const std::string& value) const {
    if (!is_global_option_key(key)) {
        throw EUnknownOption(key);
    }
    global_options[key] = value;
}

void add_node_option_impl::operator()(std::map<int, OptionMap>& node_options, int node,
                                      const std::string& key, const std::string& value) const {
    if (!is_node_option_key(key)) {
        throw EUnknownNodeOption(key);
    }
    node_options[node][key] = value;
}

OptionMap& add_map_value_impl::operator()(OptionMap& map, const std::string& key,
                                          const std::string& value) const {
    if (!is_edge_option_key(key)) {
        throw EUnknownEdgeOption(key);
    }
    map[key] = value;
    return map;
}

std::vector<int>& append_liste_impl::operator()(std::vector<int>& list, int n) const {
    list.push_back(n);
    return list;
}

std::string string_of_int_impl::operator()(int n) const {
    std::ostringstream text;
    text << n;
    return text.str();
}
