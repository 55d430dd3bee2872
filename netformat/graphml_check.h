#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "netformat/imported_network.h"

// What the check of a GraphML text counted: the elements named node, edge and
// key (whatever their namespace prefix), in the whole text.
struct GraphmlCounts {
    std::int64_t nodes = 0;
    std::int64_t edges = 0;
    std::int64_t keys = 0;
};

// The most <key> declarations a GraphML file may make, and the most pieces
// (runs of text, entity or character references, nested elements) the text
// of one <data> or <default> element may have. igraph keeps one value of
// every key for every vertex or edge, and joins the pieces of a value in
// time that grows with the square of their number (four million "&gt;" in
// one value took five minutes); real files use a dozen keys and values of a
// few pieces.
inline constexpr int graphml_max_keys = 100;
inline constexpr int graphml_max_value_pieces = 1000;

// Checks a GraphML text before igraph (and libxml2 under it) reads it, in one
// pass and linear time, and refuses:
// - a document type declaration (<!DOCTYPE …>), and with it every entity
//   definition: an external entity could read a local file, and entities
//   defined from one another can expand to gigabytes ("billion laughs").
//   igraph 0.10.2 defines no entity of the file and fetches nothing itself,
//   but this does not rest on that; GraphML needs no DTD. Any other "<!"
//   declaration but comments and CDATA sections is refused too;
// - a NUL byte, a UTF-16 or UTF-32 byte-order mark, and any encoding named in
//   the XML declaration other than UTF-8, US-ASCII, ISO-8859-1, ISO-8859-15
//   and windows-1252, so that what this check reads is what libxml2 reads
//   (UTF-7 or UTF-16 could hide a declaration from it);
// - a text whose first character (after blanks and a UTF-8 byte-order mark)
//   is not "<";
// - more than import_max_vertices node elements, more than import_max_arcs
//   edge elements (even though parallel edges may merge later), more than
//   graphml_max_keys key elements, a <data> or <default> of more than
//   graphml_max_value_pieces pieces;
// - a value of a key named x, y or z (for nodes) or capacity, cap or weight
//   (for edges) that is not a decimal number as read_gml reads them, or a
//   negative capacity.
// Text that is not well-formed is left to libxml2 to report, except where
// this check refuses it first.
std::optional<ImportError> check_graphml_text(std::string_view text, GraphmlCounts& counts);
