#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <utility>

#include <boost/spirit/include/classic_grammar.hpp>

#include "grformat/graph_description.h"

// The three kinds of statement, in the order a text must give them.
enum class StatementKind { global_option, node, edges };
inline constexpr std::size_t statement_kind_count = 3;

// What could have come where matching stopped; bits of a set.
enum ExpectedItem : unsigned {
    // The first character of a key, a node name or a value, and one more
    // character of one: a key or a name takes letters, digits and "_", a
    // value also "-" and ".".
    expected_key_start = 1u << 0,
    expected_key_more = 1u << 1,
    expected_name_start = 1u << 2,
    expected_name_more = 1u << 3,
    expected_value_start = 1u << 4,
    expected_value_more = 1u << 5,
    expected_node_number = 1u << 6,  // decimal digits fitting an unsigned 32-bit integer
    expected_list_number = 1u << 7,  // an integer fitting a signed 32-bit integer
    expected_equals = 1u << 8,
    expected_colon = 1u << 9,
    expected_semicolon = 1u << 10,
    expected_comma = 1u << 11,
    expected_open_bracket = 1u << 12,
    expected_close_bracket = 1u << 13,
    expected_arrow = 1u << 14,  // "->", "<->" or "<-"
};

// Where and why a text was not matched to its end, for the message that
// points at it. Positions are 1-based; columns count UTF-8 characters.
struct ParseFailure {
    std::size_t offset = 0;  // byte offset in the text
    std::size_t line = 1;
    std::size_t column = 1;
    // Everything was matched but whitespace after the last ";": the text
    // would be valid without it. `offset` is then the end of the text.
    bool trailing_blank = false;
    bool trailing_newline_only = false;  // that whitespace is one line end
    // Nothing of a statement matched where it should start: `offset` is
    // where the statement that failed begins, `statement_kinds` the kinds
    // that the language allows there (bits 1 << kind), `expected` is empty.
    bool at_statement_start = false;
    unsigned statement_kinds = 0;
    // Otherwise: what could have come at `offset` in the statement that read
    // furthest (in both when a node and an edge statement read as far).
    unsigned expected = 0;
    // The character at `offset` (up to 4 bytes of a UTF-8 character, or one
    // byte that is not one); empty at the end of the text.
    std::string found;
    // The "[" of the statement that is still open at `offset`; line 0 when
    // none is.
    std::size_t bracket_line = 0;
    std::size_t bracket_column = 0;
    // The failed statement begins with a letter or "_", as a global option
    // does, where the language no longer allows one; or it is a node
    // statement after the first edge statement.
    bool global_option_too_late = false;
    bool node_too_late = false;
    // A node statement whose number has a sign.
    bool signed_node_number = false;
    // A number was expected at `offset` and digits stand there (maybe after
    // a sign), too many for its type.
    bool number_too_large = false;
};

// Bookkeeping of one parse for its failure message: for the latest attempt
// of each statement kind, where it began, the furthest point it reached and
// what could have come there. Filled by the grammar's terminals as they fail.
struct ParseTracker {
    struct Attempt {
        const char* start = nullptr;
        const char* furthest = nullptr;
        unsigned expected = 0;
        const char* open_bracket = nullptr;  // at `furthest`
    };
    std::array<Attempt, statement_kind_count> attempts{};
    // The statement being matched, and its "[" while one is open.
    int current = -1;
    const char* open_bracket = nullptr;
    // Where the latest key that matched began (for unknown-key messages).
    const char* key_start = nullptr;

    // A terminal expecting `item` failed at `at`, inside the current statement.
    void note(const char* at, unsigned item) {
        if (current < 0) {
            return;
        }
        Attempt& attempt = attempts[static_cast<std::size_t>(current)];
        if (attempt.furthest == nullptr || at > attempt.furthest) {
            attempt.furthest = at;
            attempt.expected = 0;
        }
        if (at == attempt.furthest) {
            attempt.expected |= item;
            attempt.open_bracket = open_bracket;
        }
    }
};

// The grammar of the .gr language. Its actions record what they match into
// `description`; one object is made per text, parsed into once and dropped.
class gram_graph : public boost::spirit::classic::grammar<gram_graph> {
  public:
    template <typename ScannerT>
    struct definition;

    GraphDescription description;
    ParseTracker tracker;
};

struct ParseResult {
    const char* stop = nullptr;  // where matching ended
    bool matched = false;        // the start production matched (always, maybe on nothing)
    std::size_t length = 0;      // length of the match
    bool full = false;           // matched to the very end of the text
    // Where and why matching stopped; meaningful only when `full` is clear.
    ParseFailure failure;
};

// Parses the whole of `text` with `grammar`, recording into its description.
// Only a full match is a valid text: trailing whitespace, or any byte the
// language does not know (a NUL included), leaves `full` clear, and
// `failure` then says where and why. Unknown option keys raise the
// EUnknownOption family, which passes through with the line and column of
// the key filled in.
ParseResult parse_graph_text(const std::string& text, gram_graph& grammar);

// Line and column (1-based, columns in UTF-8 characters) of byte `offset`
// of `text`.
std::pair<std::size_t, std::size_t> text_position(const std::string& text, std::size_t offset);
