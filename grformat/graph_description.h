#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Option keys and values exactly as written in the file, ordered byte-wise by
// key. Setting a key that is present replaces its value.
using OptionMap = std::map<std::string, std::string>;

// One edge statement: `sources`, the arrow's direction code and `targets`,
// the numbers in text order with repeats kept, and the bracketed options.
struct EdgeGroup {
    std::vector<int> sources;
    std::vector<int> targets;
    int direction = 1;  // 1 for "->", 2 for "<->", 3 for "<-"
    OptionMap options;
};

// Everything a parse of a .gr text recorded, still as texts: the builder
// converts the values afterwards.
struct GraphDescription {
    OptionMap global_options;
    std::map<int, OptionMap> node_options;
    std::vector<EdgeGroup> edge_groups;
};

// An option key that its scope does not accept. Thrown by value and caught by
// reference to this base; deliberately not a std::exception, so that only the
// handlers written for it catch it.
class EUnknownOption {
  public:
    explicit EUnknownOption(std::string key) : option(std::move(key)) {}
    virtual ~EUnknownOption() = default;

    // "Global", "Node" or "Edge".
    virtual std::string scope_name() const { return "Global"; }

    std::string option;
    // Where the key begins in the text (1-based; the column in UTF-8
    // characters); 0 when not known, as for a key asked for by the builder.
    std::size_t line = 0;
    std::size_t column = 0;
};

class EUnknownNodeOption : public EUnknownOption {
  public:
    using EUnknownOption::EUnknownOption;
    std::string scope_name() const override { return "Node"; }
};

class EUnknownEdgeOption : public EUnknownOption {
  public:
    using EUnknownOption::EUnknownOption;
    std::string scope_name() const override { return "Edge"; }
};

// Accepted keys per scope: global "name", "directed", "force_matrix",
// "force_adj"; node "name", "size", "x", "y", "z"; edge "name", "weigth",
// "cap", "length", "style". Whole, case-sensitive texts.
bool is_global_option_key(const std::string& key);
bool is_node_option_key(const std::string& key);
bool is_edge_option_key(const std::string& key);

// The default text of a key, whatever its scope; empty for unknown keys.
std::string option_default(const std::string& key);

// Value of a global option, or its default. Throws EUnknownOption for a key
// the global scope does not accept.
std::string get_global_option(const GraphDescription& description, const std::string& key);

// Value of option `key` of node `node`, or its default. Creates an empty
// entry for a node that has none. Throws EUnknownNodeOption for a key the
// node scope does not accept.
std::string get_node_option(GraphDescription& description, const std::string& key, int node);

// One more than the largest node number among the node entries and every
// edge list, 0 for an empty description. Negative numbers never raise it.
// 64-bit, so that a number near the top of the int range cannot overflow.
std::int64_t node_count(const GraphDescription& description);

// Recording operations called by the grammar's actions. Each function object
// tells the grammar's lazy-function machinery its result type through the
// nested `result` template, whose arity is the call's.

// Stores a global option; throws EUnknownOption for a key not accepted.
struct add_option_impl {
    template <typename Map, typename Key, typename Value>
    struct result {
        using type = void;
    };
    void operator()(OptionMap& global_options, const std::string& key,
                    const std::string& value) const;
};

// Stores option `key` of node `node`, creating the node's entry first;
// throws EUnknownNodeOption for a key not accepted.
struct add_node_option_impl {
    template <typename Map, typename Node, typename Key, typename Value>
    struct result {
        using type = void;
    };
    void operator()(std::map<int, OptionMap>& node_options, int node, const std::string& key,
                    const std::string& value) const;
};

// Sets `key` to `value` in `map` and returns the map; throws
// EUnknownEdgeOption for a key not accepted. It sets in place, so the options
// of a statement are built in linear time whatever their number and size.
struct add_map_value_impl {
    template <typename Map, typename Key, typename Value>
    struct result {
        using type = OptionMap&;
    };
    OptionMap& operator()(OptionMap& map, const std::string& key, const std::string& value) const;
};

// Appends `n` to `list` and returns the list. It appends in place, so a long
// list is built in linear time.
struct append_liste_impl {
    template <typename List, typename N>
    struct result {
        using type = std::vector<int>&;
    };
    std::vector<int>& operator()(std::vector<int>& list, int n) const;
};

// Decimal text of `n`, as a text stream writes an int.
struct string_of_int_impl {
    template <typename N>
    struct result {
        using type = std::string;
    };
    std::string operator()(int n) const;
};
