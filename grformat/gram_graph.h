#pragma once

#include <cstddef>
#include <string>

#include <boost/spirit/include/classic_grammar.hpp>

#include "grformat/graph_description.h"

// The grammar of the .gr language. Its actions record what they match into
// `description`; one object is made per text, parsed into once and dropped.
class gram_graph : public boost::spirit::classic::grammar<gram_graph> {
  public:
    template <typename ScannerT>
    struct definition;

    GraphDescription description;
};

struct ParseResult {
    const char* stop = nullptr;  // where matching ended
    bool matched = false;        // the start production matched (always, maybe on nothing)
    std::size_t length = 0;      // length of the match
    bool full = false;           // matched to the very end of the text
};

// Parses the whole of `text` with `grammar`, recording into its description.
// Only a full match is a valid text: trailing whitespace, or any byte the
// language does not know (a NUL included), leaves `full` clear. Unknown option
// keys raise the EUnknownOption family, which passes through unchanged.
ParseResult parse_graph_text(const std::string& text, gram_graph& grammar);
