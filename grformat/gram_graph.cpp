#include "grformat/gram_graph.h"

// The closure machinery keeps a pointer to a frame on the parse's stack for as
// long as the rule runs; GCC 12 reports it as dangling although the frame
// outlives every use.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif

#include <algorithm>
#include <cctype>
#include <tuple>
#include <string>
#include <type_traits>
#include <vector>

#include <boost/spirit/include/classic_closure.hpp>
#include <boost/spirit/include/classic_core.hpp>
#include <boost/spirit/include/phoenix1_casts.hpp>
#include <boost/spirit/include/phoenix1_functions.hpp>
#include <boost/spirit/include/phoenix1_operators.hpp>
#include <boost/spirit/include/phoenix1_primitives.hpp>

#include "common/utf8.h"

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

// A terminal that tells the tracker what it expected when it fails, at the
// point where it would have started (after the skipped whitespace). It
// matches exactly what its subject matches.
template <typename Subject>
struct tracked_parser : sc::unary<Subject, sc::parser<tracked_parser<Subject>>> {
    using self_t = tracked_parser<Subject>;
    using base_t = sc::unary<Subject, sc::parser<self_t>>;
    template <typename ScannerT>
    struct result {
        using type = typename sc::parser_result<Subject, ScannerT>::type;
    };

    tracked_parser(const Subject& subject, ParseTracker* tracker, unsigned item)
        : base_t(subject), tracker_(tracker), item_(item) {}

    template <typename ScannerT>
    typename sc::parser_result<self_t, ScannerT>::type parse(const ScannerT& scan) const {
        scan.at_end();  // lets the skipper move to where the subject starts
        const char* const start = scan.first;
        auto hit = this->subject().parse(scan);
        if (!hit) {
            tracker_->note(start, item_);
        } else if (item_ == expected_open_bracket) {
            tracker_->open_bracket = start;
        } else if (item_ == expected_close_bracket) {
            tracker_->open_bracket = nullptr;
        }
        return hit;
    }

  private:
    ParseTracker* tracker_;
    unsigned item_;
};

// A whole key: remembers where it began, so that an unknown key can be
// located in the text.
template <typename Subject>
struct key_parser : sc::unary<Subject, sc::parser<key_parser<Subject>>> {
    using self_t = key_parser<Subject>;
    using base_t = sc::unary<Subject, sc::parser<self_t>>;
    template <typename ScannerT>
    struct result {
        using type = typename sc::parser_result<Subject, ScannerT>::type;
    };

    key_parser(const Subject& subject, ParseTracker* tracker)
        : base_t(subject), tracker_(tracker) {}

    template <typename ScannerT>
    typename sc::parser_result<self_t, ScannerT>::type parse(const ScannerT& scan) const {
        scan.at_end();
        const char* const start = scan.first;
        auto hit = this->subject().parse(scan);
        if (hit) {
            tracker_->key_start = start;
        }
        return hit;
    }

  private:
    ParseTracker* tracker_;
};

// One attempt at a statement of `kind`: the tracker's record of the kind's
// latest attempt starts afresh, and the terminals inside report to it.
template <typename Subject>
struct statement_parser : sc::unary<Subject, sc::parser<statement_parser<Subject>>> {
    using self_t = statement_parser<Subject>;
    using base_t = sc::unary<Subject, sc::parser<self_t>>;
    template <typename ScannerT>
    struct result {
        using type = typename sc::parser_result<Subject, ScannerT>::type;
    };

    statement_parser(const Subject& subject, ParseTracker* tracker, StatementKind kind)
        : base_t(subject), tracker_(tracker), kind_(static_cast<int>(kind)) {}

    template <typename ScannerT>
    typename sc::parser_result<self_t, ScannerT>::type parse(const ScannerT& scan) const {
        scan.at_end();
        ParseTracker::Attempt& attempt = tracker_->attempts[static_cast<std::size_t>(kind_)];
        attempt = ParseTracker::Attempt{};
        attempt.start = scan.first;
        tracker_->current = kind_;
        tracker_->open_bracket = nullptr;
        auto hit = this->subject().parse(scan);
        tracker_->current = -1;
        return hit;
    }

  private:
    ParseTracker* tracker_;
    int kind_;
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

        // The grammar writes into the description of the object it parses for,
        // and tells its tracker where statements fail.
        GraphDescription& d = const_cast<gram_graph&>(self).description;
        ParseTracker* const t = &const_cast<gram_graph&>(self).tracker;
        const auto expect = [t](const auto& parser, unsigned item) {
            return tracked_parser<std::decay_t<decltype(parser)>>(parser, t, item);
        };
        const auto statement = [t](const auto& rule, StatementKind kind) {
            return statement_parser<std::decay_t<decltype(rule)>>(rule, t, kind);
        };

        // One or more characters of a class, "c >> *c" rather than "+c" only
        // to tell the first from the others in the tracker.
        const auto key_char = alnum_p | ch_p('_');
        const auto value_char = alnum_p | ch_p('_') | ch_p('-') | ch_p('.');
        const auto key = expect(key_char, expected_key_start) >>
                         *expect(key_char, expected_key_more);
        const auto name_chars = key_parser<std::decay_t<decltype(key)>>(key, t);
        const auto node_name = expect(key_char, expected_name_start) >>
                               *expect(key_char, expected_name_more);
        const auto value_chars = expect(value_char, expected_value_start) >>
                                 *expect(value_char, expected_value_more);
        const auto equals = expect(ch_p('='), expected_equals);
        const auto colon = expect(ch_p(':'), expected_colon);
        const auto semicolon = expect(ch_p(';'), expected_semicolon);
        const auto comma = expect(ch_p(','), expected_comma);
        const auto open_bracket = expect(ch_p('['), expected_open_bracket);
        const auto close_bracket = expect(ch_p(']'), expected_close_bracket);
        const auto node_number = expect(uint_p, expected_node_number);
        const auto list_number = expect(int_p, expected_list_number);
        const auto text = construct_<std::string>(arg1, arg2);

        graph_file = *statement(global_option, StatementKind::global_option) >>
                     *statement(node, StatementKind::node) >>
                     *statement(edges_group, StatementKind::edges);

        // key "=" value ";" — recorded once the ";" has matched.
        global_option =
            (name_chars[global_option.key = text] >> equals >>
             value_chars[global_option.value = text] >>
             semicolon)[add_option(var(d.global_options), global_option.key, global_option.value)];

        // number ":" name? ("[" options "]")? ";" — the name, or the number's
        // text when there is none, is recorded as soon as it is known.
        node = node_number[node.number = arg1] >> colon >>
               (node_name[add_node_option(var(d.node_options), node.number,
                                          val(std::string("name")), text)] |
                eps_p[add_node_option(var(d.node_options), node.number, val(std::string("name")),
                                      string_of_int(node.number))]) >>
               !(open_bracket >> !(node_option >> *(comma >> node_option)) >> close_bracket) >>
               semicolon;

        node_option = (name_chars[node_option.key = text] >> equals >>
                       value_chars[node_option.value = text])[add_node_option(
            var(d.node_options), node.number, node_option.key, node_option.value)];

        // liste arrow liste ("[" options "]")? ";"
        edges_group =
            (list_number[append_liste(edges_group.sources, arg1)] >>
             *(comma >> list_number[append_liste(edges_group.sources, arg1)]) >>
             expect(str_p("->")[edges_group.direction = 1] |
                        str_p("<->")[edges_group.direction = 2] |
                        str_p("<-")[edges_group.direction = 3],
                    expected_arrow) >>
             list_number[append_liste(edges_group.targets, arg1)] >>
             *(comma >> list_number[append_liste(edges_group.targets, arg1)]) >>
             !(open_bracket >> !(edge_option >> *(comma >> edge_option)) >> close_bracket) >>
             semicolon)[append_group(var(d.edge_groups), edges_group.sources, edges_group.targets,
                                     edges_group.direction, edges_group.options)];

        // Each option is set in the statement's own map, in place.
        edge_option = (name_chars[edge_option.key = text] >> equals >>
                       value_chars[edge_option.value = text])[add_map_value(
            edges_group.options, edge_option.key, edge_option.value)];
    }

    const sc::rule<ScannerT>& start() const { return graph_file; }
};

namespace {

bool is_blank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool is_letter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// The character at `at` as messages quote it (see message_character_length);
// empty at the end.
std::string character_at(const std::string& text, std::size_t at) {
    if (at >= text.size()) {
        return {};
    }
    return text.substr(at, message_character_length(text, at));
}

// Why a text that `grammar` did not match to its end stops where it does.
//
// The repetitions of the start production end at the first statement that
// fails, so the text stops where the last attempt at an edge statement
// began; the attempts at the other kinds that began there too are the ones
// that could have read it. A statement that begins with a letter can only
// be a global option (no node or edge statement does), and one that begins
// with a digit or a sign only a node or an edge statement (no accepted
// global key does); of those allowed, the one that read furthest tells what
// was expected, both when a node and an edge statement read as far.
ParseFailure explain_failure(const std::string& text, const char* stop,
                             const ParseTracker& tracker) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    ParseFailure failure;

    bool only_blanks = stop != end;
    for (const char* p = stop; p != end && only_blanks; ++p) {
        only_blanks = is_blank(*p);
    }
    if (only_blanks) {
        failure.trailing_blank = true;
        failure.trailing_newline_only = end - stop == 1 && *stop == '\n';
        failure.offset = text.size();
    } else {
        const ParseTracker::Attempt& last =
            tracker.attempts[static_cast<std::size_t>(StatementKind::edges)];
        const char* const start = last.start != nullptr ? last.start : stop;
        const bool letter = start != end && is_letter(*start);
        unsigned allowed = 0;
        const ParseTracker::Attempt* chosen[statement_kind_count] = {};
        const char* furthest = start;
        for (std::size_t k = 0; k < statement_kind_count; ++k) {
            const ParseTracker::Attempt& attempt = tracker.attempts[k];
            if (attempt.start != start) {
                continue;
            }
            allowed |= 1u << k;
            const bool global = k == static_cast<std::size_t>(StatementKind::global_option);
            if (global != letter || attempt.furthest == nullptr) {
                continue;
            }
            chosen[k] = &attempt;
            furthest = std::max(furthest, attempt.furthest);
        }
        failure.offset = static_cast<std::size_t>(furthest - begin);
        if (furthest == start) {
            failure.at_statement_start = true;
            failure.statement_kinds = allowed;
        } else {
            for (const ParseTracker::Attempt* attempt : chosen) {
                if (attempt != nullptr && attempt->furthest == furthest) {
                    failure.expected |= attempt->expected;
                    if (attempt->open_bracket != nullptr) {
                        std::tie(failure.bracket_line, failure.bracket_column) = text_position(
                            text, static_cast<std::size_t>(attempt->open_bracket - begin));
                    }
                }
            }
        }
        const unsigned global_bit = 1u << static_cast<unsigned>(StatementKind::global_option);
        const unsigned node_bit = 1u << static_cast<unsigned>(StatementKind::node);
        failure.global_option_too_late = letter && (allowed & global_bit) == 0;
        // A number then ":" where only edge statements may come.
        const bool colon_found = furthest != end && *furthest == ':';
        failure.node_too_late = !letter && (allowed & node_bit) == 0 && colon_found;
        failure.signed_node_number =
            (allowed & node_bit) != 0 && colon_found && start != end && (*start == '-' || *start == '+');
    }
    const char* at = begin + failure.offset;
    if (at != end && (*at == '-' || *at == '+')) {
        ++at;
    }
    failure.number_too_large =
        (failure.at_statement_start ||
         (failure.expected & (expected_node_number | expected_list_number)) != 0) &&
        at != end && std::isdigit(static_cast<unsigned char>(*at)) != 0;
    failure.found = character_at(text, failure.offset);
    std::tie(failure.line, failure.column) = text_position(text, failure.offset);
    return failure;
}

}  // namespace

std::pair<std::size_t, std::size_t> text_position(const std::string& text, std::size_t offset) {
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if (!is_utf8_continuation(text[i])) {
            ++column;
        }
    }
    return {line, column};
}

ParseResult parse_graph_text(const std::string& text, gram_graph& grammar) {
    const char* first = text.data();
    const char* const last = first + text.size();
    // Leading whitespace is skipped, so a text of whitespace only is a full
    // (empty) match; nothing is skipped after the last statement.
    while (first != last && std::isspace(static_cast<unsigned char>(*first))) {
        ++first;
    }
    sc::parse_info<const char*> info;
    try {
        info = sc::parse(first, last, grammar, sc::space_p);
    } catch (EUnknownOption& error) {
        // The key that was just recorded is the latest one matched.
        if (grammar.tracker.key_start != nullptr) {
            std::tie(error.line, error.column) =
                text_position(text, static_cast<std::size_t>(grammar.tracker.key_start - text.data()));
        }
        throw;
    }
    ParseResult result;
    result.stop = info.stop;
    result.matched = info.hit;
    result.length = info.length;
    result.full = info.full;
    if (!result.full) {
        result.failure = explain_failure(text, info.stop, grammar.tracker);
    }
    return result;
}
