#include "grformat/gram_graph.h"

// The closure machinery keeps a pointer to a frame on the parse's stack for as
// long as the rule runs; GCC 12 reports it as dangling although the frame
// outlives every use.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif

#include <cctype>
#include <string>
#include <vector>

#include <boost/spirit/include/classic_closure.hpp>
#include <boost/spirit/include/classic_core.hpp>
#include <boost/spirit/include/phoenix1_casts.hpp>
#include <boost/spirit/include/phoenix1_functions.hpp>
#include <boost/spirit/include/phoenix1_operators.hpp>
#include <boost/spirit/include/phoenix1_primitives.hpp>

namespace {

namespace sc = boost::spirit::classic;

// Working record of one option: its key text and value text.
struct option_closure : sc::closure<option_closure, std::string, std::string> {
    member1 key;
    member2 value;
};

// Working record of one node statement: its number.
struct node_closure : sc::closure<node_closure, int> {
    member1 number;
};

// Working record of one edge statement, appended to the description once its
// closing ";" has matched.
struct edges_group_closure
    : sc::closure<edges_group_closure, std::vector<int>, std::vector<int>, int, OptionMap> {
    member1 sources;
    member2 targets;
    member3 direction;
    member4 options;
};

// Appends a complete edge statement to the description's edge groups.
struct append_group_impl {
    template <typename Groups, typename Sources, typename Targets, typename Direction,
              typename Options>
    struct result {
        using type = void;
    };
    void operator()(std::vector<EdgeGroup>& groups, const std::vector<int>& sources,
                    const std::vector<int>& targets, int direction,
                    const OptionMap& options) const {
        groups.push_back(EdgeGroup{sources, targets, direction, options});
    }
};

const phoenix::function<add_option_impl> add_option;
const phoenix::function<add_node_option_impl> add_node_option;
const phoenix::function<add_map_value_impl> add_map_value;
const phoenix::function<append_liste_impl> append_liste;
const phoenix::function<string_of_int_impl> string_of_int;
const phoenix::function<append_group_impl> append_group;

}  // namespace

// Whitespace is skipped before every character parser, so it may stand
// between the characters of a key, a value or a name; the recorded text runs
// from the first to the last matched character. Numbers and arrows are
// matched contiguously. Alternatives are ordered and final; each repetition
// stops at the first statement that fails to match.
template <typename ScannerT>
struct gram_graph::definition {
    sc::rule<ScannerT> graph_file;
    sc::rule<ScannerT, option_closure::context_t> global_option, node_option, edge_option;
    sc::rule<ScannerT, node_closure::context_t> node;
    sc::rule<ScannerT, edges_group_closure::context_t> edges_group;

    explicit definition(const gram_graph& self) {
        using phoenix::arg1;
        using phoenix::arg2;
        using phoenix::construct_;
        using phoenix::val;
        using phoenix::var;
        using sc::alnum_p;
        using sc::ch_p;
        using sc::eps_p;
        using sc::int_p;
        using sc::str_p;
        using sc::uint_p;

        // The grammar writes into the description of the object it parses for.
        GraphDescription& d = const_cast<gram_graph&>(self).description;

        const auto name_chars = +(alnum_p | ch_p('_'));
        const auto value_chars = +(alnum_p | ch_p('_') | ch_p('-') | ch_p('.'));
        const auto text = construct_<std::string>(arg1, arg2);

        graph_file = *global_option >> *node >> *edges_group;

        // key "=" value ";" — recorded once the ";" has matched.
        global_option =
            (name_chars[global_option.key = text] >> '=' >>
             value_chars[global_option.value = text] >>
             ';')[add_option(var(d.global_options), global_option.key, global_option.value)];

        // number ":" name? ("[" options "]")? ";" — the name, or the number's
        // text when there is none, is recorded as soon as it is known.
        node = uint_p[node.number = arg1] >> ':' >>
               (name_chars[add_node_option(var(d.node_options), node.number,
                                           val(std::string("name")), text)] |
                eps_p[add_node_option(var(d.node_options), node.number, val(std::string("name")),
                                      string_of_int(node.number))]) >>
               !('[' >> !(node_option >> *(',' >> node_option)) >> ']') >> ';';

        node_option = (name_chars[node_option.key = text] >> '=' >>
                       value_chars[node_option.value = text])[add_node_option(
            var(d.node_options), node.number, node_option.key, node_option.value)];

        // liste arrow liste ("[" options "]")? ";"
        edges_group =
            (int_p[append_liste(edges_group.sources, arg1)] >>
             *(',' >> int_p[append_liste(edges_group.sources, arg1)]) >>
             (str_p("->")[edges_group.direction = 1] | str_p("<->")[edges_group.direction = 2] |
              str_p("<-")[edges_group.direction = 3]) >>
             int_p[append_liste(edges_group.targets, arg1)] >>
             *(',' >> int_p[append_liste(edges_group.targets, arg1)]) >>
             !('[' >> !(edge_option >> *(',' >> edge_option)) >> ']') >>
             ';')[append_group(var(d.edge_groups), edges_group.sources, edges_group.targets,
                               edges_group.direction, edges_group.options)];

        edge_option =
            (name_chars[edge_option.key = text] >> '=' >>
             value_chars[edge_option.value = text])[edges_group.options = add_map_value(
                                                        edges_group.options, edge_option.key,
                                                        edge_option.value)];
    }

    const sc::rule<ScannerT>& start() const { return graph_file; }
};

ParseResult parse_graph_text(const std::string& text, gram_graph& grammar) {
    const char* first = text.data();
    const char* const last = first + text.size();
    // Leading whitespace is skipped, so a text of whitespace only is a full
    // (empty) match; nothing is skipped after the last statement.
    while (first != last && std::isspace(static_cast<unsigned char>(*first))) {
        ++first;
    }
    const sc::parse_info<const char*> info = sc::parse(first, last, grammar, sc::space_p);
    ParseResult result;
    result.stop = info.stop;
    result.matched = info.hit;
    result.length = info.length;
    result.full = info.full;
    return result;
}
