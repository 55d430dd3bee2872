// GML, read by hand. igraph 0.10.2's reader takes minutes on some files
// within the 16 MiB limit (its time grows with the square of a string's
// length, and of the number of keys in a list: a 16 MiB label took six
// minutes), so this one reads in one pass, in time and memory linear in the
// text, and names the line and column of what it refuses.
//
// The text is a list of `key value` pairs, a value being a number, a
// "string" (no escapes; HTML entities such as &amp; and &#233; stand for
// characters) or a [ list ]; `#` starts a comment that runs to the end of
// the line. Lists other than the graph, its nodes and edges (and a node's
// graphics) are checked and skipped, iteratively, so that no nesting can
// exhaust the stack.

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "netformat/network_assembly.h"
#include "netformat/network_readers.h"
#include "netformat/text_scan.h"

namespace {

// A bad_number is a word that starts like a number but is not a decimal one
// ("0x20", "1e400", "-inf"); it is refused where it stands, with the key it
// belongs to.
enum class TokenKind { key, number, bad_number, string, open, close, end };

struct Token {
    TokenKind kind = TokenKind::end;
    // The word, the string without its quotes, or the bracket.
    std::string_view text;
    std::size_t offset = 0;
    NumberProblem problem = NumberProblem::not_a_number;
};

bool key_start(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool key_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}
bool space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Appends code point `c` to `out` in UTF-8.
void append_utf8(std::uint32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A GML string as UTF-8, its entities replaced; an entity that is not one of
// XML's five or a valid character number stays as written.
std::string string_value(std::string_view raw) {
    const std::string text = as_utf8(raw);
    std::string out;
    out.reserve(text.size());
    constexpr std::array<std::pair<std::string_view, char>, 5> named{
        {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t end = text[i] == '&' ? text.find(';', i) : std::string::npos;
        if (end == std::string::npos || end - i > 10) {
            out += text[i];
            continue;
        }
        const std::string_view name = std::string_view(text).substr(i + 1, end - i - 1);
        bool replaced = false;
        for (const auto& [entity, c] : named) {
            if (name == entity) {
                out += c;
                replaced = true;
            }
        }
        if (!replaced && name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string_view digits = name.substr(hex ? 2 : 1);
            std::uint32_t code = 0;
            bool valid = !digits.empty();
            for (const char d : digits) {
                const int value = std::isdigit(static_cast<unsigned char>(d)) ? d - '0'
                                  : hex && std::isxdigit(static_cast<unsigned char>(d))
                                      ? std::tolower(static_cast<unsigned char>(d)) - 'a' + 10
                                      : -1;
                valid = valid && value >= 0;
                code = valid ? code * (hex ? 16 : 10) + static_cast<std::uint32_t>(value) : 0;
            }
            if (valid && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                append_utf8(code, out);
                replaced = true;
            }
        }
        if (replaced) {
            i = end;
        } else {
            out += text[i];
        }
    }
    return out;
}

class Lexer {
  public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Expected<Token, ImportError> next() {
        while (at_ < text_.size()) {
            if (space(text_[at_])) {
                ++at_;
            } else if (text_[at_] == '#') {
                while (at_ < text_.size() && text_[at_] != '\n' && text_[at_] != '\r') {
                    ++at_;
                }
            } else {
                break;
            }
        }
        const std::size_t start = at_;
        if (at_ == text_.size()) {
            return Token{TokenKind::end, {}, start};
        }
        const char c = text_[at_];
        if (c == '[' || c == ']') {
            ++at_;
            return Token{c == '[' ? TokenKind::open : TokenKind::close, text_.substr(start, 1),
                         start};
        }
        if (c == '"') {
            const std::size_t close = text_.find('"', start + 1);
            if (close == std::string_view::npos) {
                return fail(
                    error_at(text_, start, "chaîne ouverte ici et jamais refermée par « \" »"));
            }
            at_ = close + 1;
            return Token{TokenKind::string, text_.substr(start + 1, close - start - 1), start};
        }
        if (key_start(c)) {
            while (at_ < text_.size() && key_char(text_[at_])) {
                ++at_;
            }
            return Token{TokenKind::key, text_.substr(start, at_ - start), start};
        }
        while (at_ < text_.size() && !space(text_[at_]) && text_[at_] != '[' && text_[at_] != ']' &&
               text_[at_] != '"' && text_[at_] != '#') {
            ++at_;
        }
        const std::string_view word = text_.substr(start, at_ - start);
        const Expected<double, NumberProblem> number = parse_decimal(word);
        if (!number && number.error() == NumberProblem::not_a_number &&
            !std::isdigit(static_cast<unsigned char>(c)) && c != '-' && c != '+' && c != '.') {
            return fail(error_at(
                text_, start,
                "une clé, un nombre, une chaîne ou un crochet attendu au lieu de " + quoted(word)));
        }
        if (!number) {
            return Token{TokenKind::bad_number, word, start, number.error()};
        }
        return Token{TokenKind::number, word, start};
    }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
};

struct PendingNode {
    std::int64_t id = 0;
    std::string name;
    std::optional<ImportedPosition> position;
};

// What an edge gave, resolved once the whole graph is read (its nodes may
// come after it).
struct PendingEdge {
    std::size_t offset = 0;
    std::int64_t source = 0;
    std::int64_t target = 0;
    // The values of "capacity", "cap" and "weight", when given.
    std::array<std::optional<double>, 3> capacity;
};

constexpr std::array<std::string_view, 3> capacity_keys{"capacity", "cap", "weight"};

class GmlReader {
  public:
    explicit GmlReader(std::string_view text) : text_(text), lexer_(text) {}

    Expected<ImportedNetwork, ImportError> read();

  private:
    ImportError at(std::size_t offset, std::string what) const {
        return error_at(text_, offset, std::move(what));
    }
    // The value after a key: a number, a string or the opening of a list.
    Expected<Token, ImportError> value(const Token& key);
    // The next `key value` pair of the list `name` opened at `open` (its
    // "[" read), or false at its "]".
    Expected<bool, ImportError> next_pair(std::size_t open, std::string_view name, Token& key,
                                          Token& value);
    // Skips the rest of the list `name` opened at `open`.
    std::optional<ImportError> skip_list(std::size_t open, std::string_view name);
    std::optional<ImportError> graph(std::size_t open);
    std::optional<ImportError> node(std::size_t open);
    std::optional<ImportError> edge(std::size_t open);
    // The x, y, z of a graphics list.
    std::optional<ImportError> graphics(std::size_t open,
                                        std::array<std::optional<double>, 3>& xyz);
    Expected<double, ImportError> number(const Token& key, const Token& value);
    Expected<std::int64_t, ImportError> integer(const Token& key, const Token& value);
    // Refuses a second value for a key the reader uses.
    std::optional<ImportError> once(const Token& key, bool& seen);
    Expected<ImportedNetwork, ImportError> assemble();

    std::string_view text_;
    Lexer lexer_;
    std::optional<bool> directed_;
    std::vector<PendingNode> nodes_;
    std::unordered_map<std::int64_t, std::size_t> node_index_;
    std::vector<PendingEdge> edges_;
};

Expected<Token, ImportError> GmlReader::value(const Token& key) {
    Expected<Token, ImportError> token = lexer_.next();
    if (token && token->kind == TokenKind::bad_number) {
        return fail(
            at(token->offset, number_message(quoted(key.text), token->text, token->problem)));
    }
    if (token && token->kind == TokenKind::key) {
        // "inf" and "nan" read as keys; as a value they are refused numbers.
        if (const Expected<double, NumberProblem> number = parse_decimal(token->text);
            !number && number.error() == NumberProblem::not_decimal) {
            return fail(at(token->offset, number_message(quoted(key.text), token->text,
                                                         NumberProblem::not_decimal)));
        }
    }
    if (token && (token->kind == TokenKind::close || token->kind == TokenKind::end ||
                  token->kind == TokenKind::key)) {
        const std::string found =
            token->kind == TokenKind::end ? "la fin du fichier" : quoted(token->text);
        return fail(at(token->offset, "une valeur (nombre, chaîne ou liste) attendue après " +
                                          quoted(key.text) + " au lieu de " + found));
    }
    return token;
}

Expected<bool, ImportError> GmlReader::next_pair(std::size_t open, std::string_view name,
                                                 Token& key, Token& value) {
    const Expected<Token, ImportError> k = lexer_.next();
    if (!k) {
        return fail(k.error());
    }
    if (k->kind == TokenKind::close) {
        return false;
    }
    if (k->kind == TokenKind::end) {
        return fail(
            at(open, "la liste " + quoted(name) + " ouverte ici n'est jamais refermée par « ] »"));
    }
    if (k->kind != TokenKind::key) {
        return fail(at(k->offset, "une clé ou « ] » attendu au lieu de " + quoted(k->text)));
    }
    const Expected<Token, ImportError> v = this->value(*k);
    if (!v) {
        return fail(v.error());
    }
    key = *k;
    value = *v;
    return true;
}

std::optional<ImportError> GmlReader::skip_list(std::size_t open, std::string_view name) {
    for (int depth = 1; depth > 0;) {
        Token key;
        Token value;
        const Expected<bool, ImportError> more = next_pair(open, name, key, value);
        if (!more) {
            return more.error();
        }
        depth += !*more ? -1 : value.kind == TokenKind::open ? 1 : 0;
    }
    return std::nullopt;
}

Expected<double, ImportError> GmlReader::number(const Token& key, const Token& value) {
    if (value.kind != TokenKind::number) {
        return fail(at(value.offset, quoted(key.text) + " doit être un nombre"));
    }
    return *parse_decimal(value.text);
}

Expected<std::int64_t, ImportError> GmlReader::integer(const Token& key, const Token& value) {
    const bool negative = !value.text.empty() && value.text.front() == '-';
    const std::optional<std::int64_t> count =
        value.kind == TokenKind::number ? parse_digits(value.text.substr(negative ? 1 : 0))
                                        : std::nullopt;
    if (!count) {
        return fail(
            at(value.offset, quoted(key.text) + " doit être un entier : " + quoted(value.text)));
    }
    return negative ? -*count : *count;
}

std::optional<ImportError> GmlReader::once(const Token& key, bool& seen) {
    if (seen) {
        return at(key.offset, "la clé " + quoted(key.text) + " est donnée deux fois dans la liste");
    }
    seen = true;
    return std::nullopt;
}

Expected<ImportedNetwork, ImportError> GmlReader::read() {
    bool graph_seen = false;
    while (true) {
        const Expected<Token, ImportError> key = lexer_.next();
        if (!key) {
            return fail(key.error());
        }
        if (key->kind == TokenKind::end) {
            break;
        }
        if (key->kind != TokenKind::key) {
            return fail(at(key->offset, "une clé attendue au lieu de " + quoted(key->text)));
        }
        const Expected<Token, ImportError> v = value(*key);
        if (!v) {
            return fail(v.error());
        }
        if (v->kind != TokenKind::open) {
            continue;
        }
        std::optional<ImportError> error;
        if (key->text == "graph") {
            if (graph_seen) {
                return fail(at(key->offset,
                               "une seconde liste « graph » : un fichier ne donne "
                               "ici qu'un graphe"));
            }
            graph_seen = true;
            error = graph(v->offset);
        } else {
            error = skip_list(v->offset, key->text);
        }
        if (error) {
            return fail(*error);
        }
    }
    if (!graph_seen) {
        return fail(ImportError{0, 0, "aucune liste « graph [ … ] » dans le fichier"});
    }
    return assemble();
}

std::optional<ImportError> GmlReader::graph(std::size_t open) {
    bool directed_seen = false;
    Token key;
    Token value;
    while (true) {
        const Expected<bool, ImportError> more = next_pair(open, "graph", key, value);
        if (!more) {
            return more.error();
        }
        if (!*more) {
            return std::nullopt;
        }
        std::optional<ImportError> error;
        const bool list = value.kind == TokenKind::open;
        if (key.text == "directed") {
            if ((error = once(key, directed_seen))) {
                return error;
            }
            const Expected<std::int64_t, ImportError> flag = integer(key, value);
            if (!flag || (*flag != 0 && *flag != 1)) {
                return at(value.offset, "« directed » vaut 0 ou 1, pas " + quoted(value.text));
            }
            directed_ = *flag == 1;
        } else if (key.text == "node" && list) {
            error = node(value.offset);
        } else if (key.text == "edge" && list) {
            error = edge(value.offset);
        } else if (key.text == "node" || key.text == "edge") {
            error = at(value.offset, quoted(key.text) + " doit être une liste « [ … ] »");
        } else if (list) {
            error = skip_list(value.offset, key.text);
        }
        if (error) {
            return error;
        }
    }
}

std::optional<ImportError> GmlReader::graphics(std::size_t open,
                                               std::array<std::optional<double>, 3>& xyz) {
    std::array<bool, 3> seen{};
    Token key;
    Token value;
    while (true) {
        const Expected<bool, ImportError> more = next_pair(open, "graphics", key, value);
        if (!more) {
            return more.error();
        }
        if (!*more) {
            return std::nullopt;
        }
        const std::size_t axis = key.text == "x"   ? 0
                                 : key.text == "y" ? 1
                                 : key.text == "z" ? 2
                                                   : 3;
        if (axis < 3) {
            if (std::optional<ImportError> error = once(key, seen[axis])) {
                return error;
            }
            const Expected<double, ImportError> coordinate = number(key, value);
            if (!coordinate) {
                return coordinate.error();
            }
            xyz[axis] = *coordinate;
        } else if (value.kind == TokenKind::open) {
            if (std::optional<ImportError> error = skip_list(value.offset, key.text)) {
                return error;
            }
        }
    }
}

std::optional<ImportError> GmlReader::node(std::size_t open) {
    std::optional<std::int64_t> id;
    std::optional<std::string> name;
    std::optional<std::string> label;
    std::array<std::optional<double>, 3> xyz;
    std::array<std::optional<double>, 3> drawn;
    std::array<bool, 6> seen{};
    Token key;
    Token value;
    while (true) {
        const Expected<bool, ImportError> more = next_pair(open, "node", key, value);
        if (!more) {
            return more.error();
        }
        if (!*more) {
            break;
        }
        std::optional<ImportError> error;
        constexpr std::array<std::string_view, 6> used{"id", "name", "label", "x", "y", "z"};
        std::size_t k = 0;
        while (k < used.size() && used[k] != key.text) {
            ++k;
        }
        if (k < used.size() && (error = once(key, seen[k]))) {
            return error;
        }
        if (k == 0) {
            const Expected<std::int64_t, ImportError> number = integer(key, value);
            if (!number) {
                return number.error();
            }
            id = *number;
        } else if ((k == 1 || k == 2) && value.kind != TokenKind::open) {
            (k == 1 ? name : label) = value.kind == TokenKind::string ? string_value(value.text)
                                                                      : std::string(value.text);
        } else if (k >= 3 && k < used.size()) {
            const Expected<double, ImportError> coordinate = number(key, value);
            if (!coordinate) {
                return coordinate.error();
            }
            xyz[k - 3] = *coordinate;
        } else if (key.text == "graphics" && value.kind == TokenKind::open) {
            error = graphics(value.offset, drawn);
        } else if (value.kind == TokenKind::open) {
            error = skip_list(value.offset, key.text);
        }
        if (error) {
            return error;
        }
    }
    if (!id) {
        return at(open, "le nœud ouvert ici n'a pas d'« id »");
    }
    if (const auto [found, added] = node_index_.try_emplace(*id, nodes_.size()); !added) {
        return at(open, "un second nœud d'« id » " + std::to_string(*id));
    }
    if (!xyz[0] && !xyz[1] && !xyz[2]) {
        xyz = drawn;
    }
    std::optional<ImportedPosition> position;
    if (xyz[0].has_value() != xyz[1].has_value() || (xyz[2] && !xyz[0])) {
        return at(open,
                  "le nœud ouvert ici a une partie de ses coordonnées seulement : x et y "
                  "vont ensemble (z est facultatif)");
    }
    if (xyz[0]) {
        position = ImportedPosition{*xyz[0], *xyz[1], xyz[2].value_or(0.0)};
    }
    if (nodes_.size() >= static_cast<std::size_t>(import_max_vertices)) {
        return at(open, "plus de " + std::to_string(import_max_vertices) +
                            " sommets : le maximum est de " + std::to_string(import_max_vertices) +
                            " sommets");
    }
    std::string shown = name && !name->empty()     ? *name
                        : label && !label->empty() ? *label
                                                   : std::to_string(*id);
    nodes_.push_back({*id, std::move(shown), position});
    return std::nullopt;
}

std::optional<ImportError> GmlReader::edge(std::size_t open) {
    PendingEdge pending;
    pending.offset = open;
    std::array<bool, 5> seen{};
    Token key;
    Token value;
    while (true) {
        const Expected<bool, ImportError> more = next_pair(open, "edge", key, value);
        if (!more) {
            return more.error();
        }
        if (!*more) {
            break;
        }
        constexpr std::array<std::string_view, 5> used{"source", "target", "capacity", "cap",
                                                       "weight"};
        std::size_t k = 0;
        while (k < used.size() && used[k] != key.text) {
            ++k;
        }
        if (k < used.size()) {
            if (std::optional<ImportError> error = once(key, seen[k])) {
                return error;
            }
        }
        if (k < 2) {
            const Expected<std::int64_t, ImportError> end = integer(key, value);
            if (!end) {
                return end.error();
            }
            (k == 0 ? pending.source : pending.target) = *end;
        } else if (k < used.size()) {
            const Expected<double, ImportError> capacity = number(key, value);
            if (!capacity) {
                return capacity.error();
            }
            if (*capacity < 0.0) {
                return at(value.offset, "capacité négative : " + quoted(value.text));
            }
            pending.capacity[k - 2] = *capacity;
        } else if (value.kind == TokenKind::open) {
            if (std::optional<ImportError> error = skip_list(value.offset, key.text)) {
                return error;
            }
        }
    }
    if (!seen[0] || !seen[1]) {
        return at(open, std::string("l'arête ouverte ici n'a pas de « ") +
                            (seen[0] ? "target" : "source") + " »");
    }
    edges_.push_back(pending);
    return std::nullopt;
}

Expected<ImportedNetwork, ImportError> GmlReader::assemble() {
    NetworkAssembler network(NetworkFormat::gml, directed_.value_or(false));
    for (PendingNode& node : nodes_) {
        (void)network.add_vertex(std::move(node.name), node.position);
    }
    // The first of the capacity keys that any edge gives.
    std::size_t used = 0;
    while (used < capacity_keys.size() &&
           std::none_of(edges_.begin(), edges_.end(),
                        [used](const PendingEdge& edge) { return edge.capacity[used]; })) {
        ++used;
    }
    for (const PendingEdge& edge : edges_) {
        std::array<int, 2> ends{};
        for (int side = 0; side < 2; ++side) {
            const std::int64_t id = side == 0 ? edge.source : edge.target;
            const auto found = node_index_.find(id);
            if (found == node_index_.end()) {
                return fail(at(edge.offset, std::string("l'arête ouverte ici a pour ") +
                                                (side == 0 ? "source" : "cible") + " l'« id » " +
                                                std::to_string(id) + ", qu'aucun nœud ne porte"));
            }
            ends[static_cast<std::size_t>(side)] = static_cast<int>(found->second);
        }
        if (used < capacity_keys.size() && !edge.capacity[used]) {
            return fail(at(edge.offset, "l'arête ouverte ici n'a pas d'attribut " +
                                            quoted(capacity_keys[used]) +
                                            ", que d'autres arêtes donnent comme capacité"));
        }
        const double capacity = used < capacity_keys.size() ? *edge.capacity[used] : 1.0;
        if (std::optional<std::string> refused = network.add_edge(ends[0], ends[1], capacity)) {
            return fail(at(edge.offset, std::move(*refused)));
        }
    }
    network.note(used < capacity_keys.size()
                     ? "capacités : attribut " + quoted(capacity_keys[used]) + " des arêtes"
                     : "capacités : 1 pour chaque arête (aucun attribut « capacity », « cap » "
                       "ou « weight »)");
    return std::move(network).finish();
}

}  // namespace

Expected<ImportedNetwork, ImportError> read_gml(std::string_view text) {
    return GmlReader(text).read();
}
