// GraphML through igraph: the text is checked first (check_graphml_text),
// then handed to igraph_read_graph_graphml from memory, with igraph's
// process-wide state set for the read and put back after it, under the lock
// that every use of igraph holds.

#include <igraph/igraph.h>

#include <locale.h>
#include <stdio.h>
#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/igraph_lock.h"
#include "netformat/graphml_check.h"
#include "netformat/network_assembly.h"
#include "netformat/network_readers.h"
#include "netformat/text_scan.h"

namespace {

// The first error igraph reported during the read, and its first warning;
// written by the handlers below, under the igraph lock.
std::string igraph_error_text;
std::string igraph_warning_text;

void record_error(const char* reason, const char* file, int line, igraph_error_t code) {
    if (igraph_error_text.empty() && reason != nullptr) {
        igraph_error_text = reason;
    }
    // Frees what igraph put on its cleanup stack, and returns the error code
    // to the caller instead of aborting.
    igraph_error_handler_ignore(reason, file, line, code);
}

void record_warning(const char* reason, const char*, int) {
    if (igraph_warning_text.empty() && reason != nullptr) {
        igraph_warning_text = reason;
    }
}

// igraph's state for one read: its error handler returns instead of aborting
// the program, the C attribute handler keeps the file's attributes, numbers
// read in the C locale whatever the program's; all put back at the end.
class IgraphSession {
  public:
    IgraphSession()
        : lock_(igraph_lock()),
          error_handler_(igraph_set_error_handler(record_error)),
          warning_handler_(igraph_set_warning_handler(record_warning)),
          attribute_table_(igraph_set_attribute_table(&igraph_cattribute_table)),
          c_locale_(newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr))),
          locale_(c_locale_ != static_cast<locale_t>(nullptr) ? uselocale(c_locale_)
                                                              : static_cast<locale_t>(nullptr)) {
        igraph_error_text.clear();
        igraph_warning_text.clear();
    }
    ~IgraphSession() {
        if (c_locale_ != static_cast<locale_t>(nullptr)) {
            uselocale(locale_);
            freelocale(c_locale_);
        }
        igraph_set_attribute_table(attribute_table_);
        igraph_set_warning_handler(warning_handler_);
        igraph_set_error_handler(error_handler_);
    }
    IgraphSession(const IgraphSession&) = delete;
    IgraphSession& operator=(const IgraphSession&) = delete;

  private:
    std::lock_guard<std::mutex> lock_;
    igraph_error_handler_t* error_handler_;
    igraph_warning_handler_t* warning_handler_;
    igraph_attribute_table_t* attribute_table_;
    locale_t c_locale_;
    locale_t locale_;
};

// A graph igraph made, destroyed while the session that made it holds.
class IgraphGraph {
  public:
    IgraphGraph() = default;
    ~IgraphGraph() {
        if (made) {
            igraph_destroy(&graph);
        }
    }
    IgraphGraph(const IgraphGraph&) = delete;
    IgraphGraph& operator=(const IgraphGraph&) = delete;

    igraph_t graph;
    bool made = false;
};

// The names and types of the vertex or edge attributes of a graph.
struct AttributeList {
    AttributeList() {
        igraph_strvector_init(&names, 0);
        igraph_vector_int_init(&types, 0);
    }
    ~AttributeList() {
        igraph_strvector_destroy(&names);
        igraph_vector_int_destroy(&types);
    }
    AttributeList(const AttributeList&) = delete;
    AttributeList& operator=(const AttributeList&) = delete;

    // The type of attribute `name`, or none.
    std::optional<igraph_attribute_type_t> type(std::string_view name) const {
        for (igraph_integer_t i = 0; i < igraph_strvector_size(&names); ++i) {
            if (name == igraph_strvector_get(&names, i)) {
                return static_cast<igraph_attribute_type_t>(VECTOR(types)[i]);
            }
        }
        return std::nullopt;
    }

    igraph_strvector_t names;
    igraph_vector_int_t types;
};

// igraph's message as the reader's: "Line 3: <libxml2's words>" names the line.
ImportError igraph_failure(const std::string& reason) {
    if (reason.rfind("Graph index was too large", 0) == 0) {
        return ImportError{0, 0, "aucun élément « graph » GraphML dans le fichier"};
    }
    ImportError error;
    std::string_view words = reason;
    if (words.rfind("Line ", 0) == 0) {
        const char* digits = words.data() + 5;
        const std::from_chars_result read =
            std::from_chars(digits, words.data() + words.size(), error.line);
        if (read.ec == std::errc() && read.ptr < words.data() + words.size() && *read.ptr == ':') {
            words = words.substr(static_cast<std::size_t>(read.ptr + 1 - words.data()));
        } else {
            error.line = 0;
        }
    }
    while (!words.empty() && (words.front() == ' ' || words.back() == '\n')) {
        words = words.front() == ' ' ? words.substr(1) : words.substr(0, words.size() - 1);
    }
    error.what = "GraphML illisible pour igraph : " + quoted(words);
    return error;
}

// The text of a vertex attribute: a string as it is, a number written
// shortest, a boolean as true or false; empty when the vertex has none.
std::string vertex_text(const igraph_t& graph, const char* name, igraph_attribute_type_t type,
                        igraph_integer_t v) {
    if (type == IGRAPH_ATTRIBUTE_STRING) {
        return as_utf8(VAS(&graph, name, v));
    }
    if (type == IGRAPH_ATTRIBUTE_BOOLEAN) {
        return VAB(&graph, name, v) ? "true" : "false";
    }
    const double value = VAN(&graph, name, v);
    if (std::isnan(value)) {
        return {};
    }
    char buffer[32];
    const std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}

// A number of a vertex or edge attribute: none when the element has no
// value, an error text when the value is not a finite decimal number.
struct NumberRead {
    std::optional<double> value;
    std::optional<std::string> problem;
};

NumberRead attribute_number(bool is_vertex, const igraph_t& graph, const char* name,
                            igraph_attribute_type_t type, igraph_integer_t element) {
    NumberRead read;
    const std::string what = "valeur de " + quoted(name);
    if (type == IGRAPH_ATTRIBUTE_NUMERIC) {
        const double value = is_vertex ? VAN(&graph, name, element) : EAN(&graph, name, element);
        if (std::isinf(value)) {
            read.problem = what + " infinie";
        } else if (!std::isnan(value)) {
            read.value = value;
        }
    } else if (type == IGRAPH_ATTRIBUTE_STRING) {
        const std::string_view text =
            is_vertex ? VAS(&graph, name, element) : EAS(&graph, name, element);
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        if (first != std::string_view::npos) {
            const std::string_view word =
                text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
            const Expected<double, NumberProblem> value = parse_decimal(word);
            if (value) {
                read.value = *value;
            } else {
                read.problem = number_message(what, word, value.error());
            }
        }
    } else {
        read.problem = what + " : un nombre attendu, pas un booléen";
    }
    return read;
}

Expected<ImportedNetwork, ImportError> convert(const igraph_t& graph, const GraphmlCounts& counts) {
    const igraph_integer_t n = igraph_vcount(&graph);
    if (n > import_max_vertices) {
        return fail(ImportError{0, 0, too_many_vertices_text(n)});
    }
    if (n > counts.nodes) {
        return fail(ImportError{0, 0,
                                "une arête nomme un nœud qu'aucun élément « node » ne "
                                "déclare"});
    }
    AttributeList graph_attributes;
    AttributeList vertex_attributes;
    AttributeList edge_attributes;
    igraph_cattribute_list(&graph, &graph_attributes.names, &graph_attributes.types,
                           &vertex_attributes.names, &vertex_attributes.types,
                           &edge_attributes.names, &edge_attributes.types);
    NetworkAssembler network(NetworkFormat::graphml, igraph_is_directed(&graph));
    const std::optional<igraph_attribute_type_t> id_type = vertex_attributes.type("id");
    std::vector<std::string> ids;
    for (igraph_integer_t v = 0; v < n; ++v) {
        const std::string& id = ids.emplace_back(id_type ? vertex_text(graph, "id", *id_type, v)
                                                         : std::to_string(v + 1));
        std::string name;
        for (const char* candidate : {"name", "label", "id"}) {
            if (const auto type = vertex_attributes.type(candidate); type && name.empty()) {
                name = vertex_text(graph, candidate, *type, v);
            }
        }
        std::array<std::optional<double>, 3> xyz;
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const char* key = axis == 0 ? "x" : axis == 1 ? "y" : "z";
            if (const auto type = vertex_attributes.type(key)) {
                NumberRead read = attribute_number(true, graph, key, *type, v);
                if (read.problem) {
                    return fail(ImportError{0, 0, "nœud " + quoted(id) + " : " + *read.problem});
                }
                xyz[axis] = read.value;
            }
        }
        if (xyz[0].has_value() != xyz[1].has_value() || (xyz[2] && !xyz[0])) {
            return fail(ImportError{0, 0,
                                    "le nœud " + quoted(id) +
                                        " a une partie de ses coordonnées seulement : x "
                                        "et y vont ensemble (z est facultatif)"});
        }
        std::optional<ImportedPosition> position;
        if (xyz[0]) {
            position = ImportedPosition{*xyz[0], *xyz[1], xyz[2].value_or(0.0)};
        }
        (void)network.add_vertex(name.empty() ? id : std::move(name), position);
    }
    const char* capacity_key = nullptr;
    std::optional<igraph_attribute_type_t> capacity_type;
    for (const char* candidate : {"capacity", "cap", "weight"}) {
        if (const auto type = edge_attributes.type(candidate); type && !capacity_key) {
            capacity_key = candidate;
            capacity_type = type;
        }
    }
    const igraph_integer_t m = igraph_ecount(&graph);
    for (igraph_integer_t e = 0; e < m; ++e) {
        igraph_integer_t from = 0;
        igraph_integer_t to = 0;
        igraph_edge(&graph, e, &from, &to);
        double capacity = 1.0;
        if (capacity_key != nullptr) {
            const NumberRead read = attribute_number(false, graph, capacity_key, *capacity_type, e);
            const std::string edge = "l'arête de " + quoted(ids[static_cast<std::size_t>(from)]) +
                                     " à " + quoted(ids[static_cast<std::size_t>(to)]);
            if (read.problem) {
                return fail(ImportError{0, 0, edge + " : " + *read.problem});
            }
            if (!read.value) {
                return fail(ImportError{0, 0,
                                        edge + " n'a pas de valeur pour " + quoted(capacity_key) +
                                            ", que d'autres arêtes donnent comme capacité"});
            }
            if (*read.value < 0.0) {
                return fail(ImportError{0, 0, edge + " : capacité négative"});
            }
            capacity = *read.value;
        }
        if (std::optional<std::string> refused =
                network.add_edge(static_cast<int>(from), static_cast<int>(to), capacity)) {
            return fail(ImportError{0, 0, std::move(*refused)});
        }
    }
    network.note(capacity_key != nullptr
                     ? "capacités : attribut " + quoted(capacity_key) + " des arêtes"
                     : "capacités : 1 pour chaque arête (aucun attribut « capacity », « cap » "
                       "ou « weight »)");
    if (!igraph_warning_text.empty()) {
        network.note("avertissement d'igraph : " + quoted(igraph_warning_text));
    }
    return std::move(network).finish();
}

}  // namespace

Expected<ImportedNetwork, ImportError> read_graphml(std::string_view text) {
    GraphmlCounts counts;
    if (std::optional<ImportError> refused = check_graphml_text(text, counts)) {
        return fail(*refused);
    }
    const IgraphSession session;
    // igraph reads a stream: the bytes are given as one, without a copy.
    FILE* stream = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (stream == nullptr) {
        return fail(ImportError{0, 0, "le texte n'a pas pu être passé à igraph"});
    }
    IgraphGraph read;
    const igraph_error_t status = igraph_read_graph_graphml(&read.graph, stream, 0);
    fclose(stream);
    if (status != IGRAPH_SUCCESS) {
        return fail(igraph_failure(igraph_error_text));
    }
    read.made = true;
    return convert(read.graph, counts);
}
