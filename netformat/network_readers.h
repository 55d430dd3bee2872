#pragma once

#include <optional>
#include <string_view>

#include "common/expected.h"
#include "netformat/imported_network.h"

// Readers of the network languages other than .gr. Each takes the whole
// file's bytes (opened safely and bounded in size by the caller) and returns
// the network or why it was refused, never a part of it. Messages are French
// and name the line (and the column where one word is at fault) and what was
// expected there.

// The SNDlib native format: sections NODES, LINKS and DEMANDS (META and
// ADMISSIBLE_PATHS are skipped). Undirected; a link's capacity is its
// pre-installed capacity when positive, otherwise its first module's (0
// without modules); nodes keep their coordinates (longitude as x, latitude
// as y, z = 0); every non-zero demand becomes one, directed.
Expected<ImportedNetwork, ImportError> read_sndlib(std::string_view text);

// GraphML, read by igraph after a check of the text that refuses document
// type declarations (and with them every entity definition), encodings other
// than UTF-8, US-ASCII and ISO-8859-1/15, and shapes that would make igraph
// slow or large. Directed as the file says; capacity from the edge attribute
// "capacity", else "cap", else "weight", else 1; positions from the vertex
// attributes x, y (and z); names from "name", else "label", else the node id.
Expected<ImportedNetwork, ImportError> read_graphml(std::string_view text);

// GML: one `graph [ ... ]` list with `node [ id ... ]` and
// `edge [ source ... target ... ]` lists. Directed when `directed 1`;
// capacity, positions and names as for GraphML (positions also from a
// node's `graphics [ x y z ]`).
Expected<ImportedNetwork, ImportError> read_gml(std::string_view text);

// DIMACS maximum flow: `p max N M`, `n ID s`, `n ID t`, M lines `a U V CAP`,
// `c` comments. Directed, vertices named by their file number (1 to N), and
// one demand of value 1 from s to t, so that the concurrent flow is the
// maximum s-t flow.
Expected<ImportedNetwork, ImportError> read_dimacs_flow(std::string_view text);

// The language of a text by its content (not its name): SNDlib by its first
// line "?SNDlib native format…"; GraphML when the first thing after blanks
// (and a byte-order mark) is "<"; GML when, after comment lines and
// key-value pairs such as `Creator "…"`, the key `graph` opens a list;
// DIMACS when the first line that is not a comment (`c …`) or blank is
// `p max …`; .gr otherwise.
NetworkFormat detect_format(std::string_view text);

// The name a user gives a format (`--format`): gr, sndlib, graphml, gml,
// dimacs; none for any other.
std::optional<NetworkFormat> format_from_name(std::string_view name);
// That name.
std::string_view format_name(NetworkFormat format);
// The language's name in a message: "SNDlib", "GraphML", "GML",
// "DIMACS max-flow", ".gr".
std::string_view format_title(NetworkFormat format);

// The reader of `format` applied to `text`. Precondition: format is not gr,
// which grformat/ reads.
Expected<ImportedNetwork, ImportError> read_network(NetworkFormat format, std::string_view text);
