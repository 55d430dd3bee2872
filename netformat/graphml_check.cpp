#include "netformat/graphml_check.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <unordered_map>
#include <vector>

#include "netformat/network_assembly.h"
#include "netformat/text_scan.h"

namespace {

bool xml_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool equal_no_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string_view local_name(std::string_view name) {
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

struct Attribute {
    std::string_view name;
    std::string_view value;
};

struct Tag {
    std::string_view name;
    std::vector<Attribute> attributes;
    bool closing = false;
    bool self_closing = false;
    // Just after its ">".
    std::size_t end = 0;

    std::string_view attribute(std::string_view wanted) const {
        for (const Attribute& a : attributes) {
            if (a.name == wanted) {
                return a.value;
            }
        }
        return {};
    }
};

// What a <key> declares, for the keys whose values are checked here.
struct KeyUse {
    std::string_view name;
    bool checked = false;
    bool capacity = false;
};

// The keys whose values the reader takes as numbers: x, y, z of nodes and
// the capacity candidates of edges.
KeyUse key_use(const Tag& tag) {
    KeyUse use;
    use.name = tag.attribute("attr.name");
    if (use.name.empty()) {
        use.name = tag.attribute("id");
    }
    const std::string_view target = tag.attribute("for");
    for (const std::string_view axis : {"x", "y", "z"}) {
        use.checked = use.checked || (target == "node" && use.name == axis);
    }
    for (const std::string_view capacity : {"capacity", "cap", "weight"}) {
        use.capacity = use.capacity || (target == "edge" && use.name == capacity);
    }
    use.checked = use.checked || use.capacity;
    return use;
}

class GraphmlCheck {
  public:
    GraphmlCheck(std::string_view text, GraphmlCounts& counts) : text_(text), counts_(counts) {}

    std::optional<ImportError> run();

  private:
    ImportError at(std::size_t offset, std::string what) const {
        return error_at(text_, offset, std::move(what));
    }
    ImportError too_many_pieces() const {
        return at(value_start_, "valeur de plus de " + std::to_string(graphml_max_value_pieces) +
                                    " morceaux (textes, références d'entité, éléments)");
    }
    std::optional<ImportError> encoding(std::size_t start);
    // Reads the tag that starts at `start` ("<"), or refuses it.
    std::optional<ImportError> read_tag(std::size_t start, Tag& tag) const;
    std::optional<ImportError> start_tag(std::size_t start, const Tag& tag);
    // Checks the text of a value of `use`, which starts at `from`.
    std::optional<ImportError> number_value(std::size_t from, const KeyUse& use) const;

    std::string_view text_;
    GraphmlCounts& counts_;
    std::unordered_map<std::string_view, KeyUse> keys_;
    // The key being declared, for its <default>.
    KeyUse open_key_;
    // Inside a <data> or <default>: its start, its depth and its pieces.
    std::size_t value_start_ = 0;
    int value_depth_ = 0;
    int value_pieces_ = 0;
};

std::optional<ImportError> GraphmlCheck::run() {
    if (text_.substr(0, 2) == "\xFE\xFF" || text_.substr(0, 2) == "\xFF\xFE" ||
        text_.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4)) {
        return at(0,
                  "texte en UTF-16 ou UTF-32 : seuls UTF-8, US-ASCII, ISO-8859-1, "
                  "ISO-8859-15 et windows-1252 sont lus");
    }
    if (const std::size_t nul = text_.find('\0'); nul != std::string_view::npos) {
        return at(nul, "octet nul : ce n'est pas un texte XML lisible ici");
    }
    std::size_t i = text_.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (i < text_.size() && xml_space(text_[i])) {
        ++i;
    }
    if (i == text_.size() || text_[i] != '<') {
        return at(i, "« < » attendu : un document GraphML commence par une balise");
    }
    if (text_.substr(i, 5) == "<?xml" && i + 5 < text_.size() && xml_space(text_[i + 5])) {
        if (std::optional<ImportError> error = encoding(i)) {
            return error;
        }
    }
    while (i < text_.size()) {
        const std::size_t markup = std::min(text_.find('<', i), text_.size());
        if (value_depth_ > 0) {
            for (std::size_t k = i; k < markup; ++k) {
                value_pieces_ += text_[k] == '&' ? 1 : 0;
            }
            value_pieces_ += markup > i ? 1 : 0;
            if (value_pieces_ > graphml_max_value_pieces) {
                return too_many_pieces();
            }
        }
        if (markup == text_.size()) {
            break;
        }
        const std::string_view rest = text_.substr(markup);
        std::size_t next = 0;
        if (rest.substr(0, 4) == "<!--" || rest.substr(0, 9) == "<![CDATA[" ||
            rest.substr(0, 2) == "<?") {
            const std::string_view close = rest[1] == '?' ? "?>" : rest[2] == '-' ? "-->" : "]]>";
            const std::size_t end = text_.find(close, markup + 2);
            if (end == std::string_view::npos) {
                return at(markup, "« " + std::string(rest.substr(0, rest[1] == '?' ? 2 : 4)) +
                                      " » ouvert ici et jamais refermé par « " +
                                      std::string(close) + " »");
            }
            next = end + close.size();
        } else if (rest.substr(0, 2) == "<!") {
            return at(markup, rest.substr(0, 9) == "<!DOCTYPE"
                                  ? "déclaration de type de document refusée : ses entités "
                                    "pourraient lire des fichiers ou grossir sans fin, et "
                                    "GraphML n'en a pas besoin"
                                  : "déclaration « <! » refusée (seuls les commentaires et les "
                                    "sections CDATA sont lus)");
        } else {
            Tag tag;
            if (std::optional<ImportError> error = read_tag(markup, tag)) {
                return error;
            }
            if (!tag.closing) {
                if (std::optional<ImportError> error = start_tag(markup, tag)) {
                    return error;
                }
            } else if (value_depth_ > 0) {
                --value_depth_;
            }
            next = tag.end;
        }
        if (value_depth_ > 0 && ++value_pieces_ > graphml_max_value_pieces) {
            return too_many_pieces();
        }
        i = next;
    }
    if (counts_.nodes > import_max_vertices) {
        return ImportError{0, 0, too_many_vertices_text(counts_.nodes)};
    }
    if (counts_.edges > import_max_arcs) {
        return ImportError{0, 0,
                           "le fichier a " + std::to_string(counts_.edges) +
                               " éléments « edge » : le maximum est de " +
                               std::to_string(import_max_arcs) + " arcs"};
    }
    return std::nullopt;
}

std::optional<ImportError> GraphmlCheck::encoding(std::size_t start) {
    const std::size_t end = text_.find("?>", start);
    const std::string_view declaration =
        text_.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    const std::size_t key = declaration.find("encoding");
    if (key == std::string_view::npos) {
        return std::nullopt;
    }
    std::size_t k = key + 8;
    while (k < declaration.size() && (xml_space(declaration[k]) || declaration[k] == '=')) {
        ++k;
    }
    const char quote = k < declaration.size() ? declaration[k] : '\0';
    const std::size_t close =
        quote == '"' || quote == '\'' ? declaration.find(quote, k + 1) : std::string_view::npos;
    const std::string_view name = close == std::string_view::npos
                                      ? declaration.substr(key)
                                      : declaration.substr(k + 1, close - k - 1);
    for (const std::string_view accepted :
         {"UTF-8", "US-ASCII", "ISO-8859-1", "ISO-8859-15", "windows-1252"}) {
        if (equal_no_case(name, accepted)) {
            return std::nullopt;
        }
    }
    return at(start + key, "encodage " + quoted(name) +
                               " refusé : seuls UTF-8, US-ASCII, ISO-8859-1, ISO-8859-15 et "
                               "windows-1252 sont lus");
}

std::optional<ImportError> GraphmlCheck::read_tag(std::size_t start, Tag& tag) const {
    std::size_t i = start + 1;
    tag.closing = i < text_.size() && text_[i] == '/';
    i += tag.closing ? 1 : 0;
    const std::size_t name_start = i;
    while (i < text_.size() && !xml_space(text_[i]) && text_[i] != '>' && text_[i] != '/') {
        ++i;
    }
    tag.name = text_.substr(name_start, i - name_start);
    if (tag.name.empty()) {
        return at(start, "nom d'élément attendu après « < »");
    }
    while (true) {
        while (i < text_.size() && xml_space(text_[i])) {
            ++i;
        }
        if (i == text_.size()) {
            return at(start, "balise ouverte ici et jamais refermée par « > »");
        }
        if (text_[i] == '>' || (text_[i] == '/' && i + 1 < text_.size() && text_[i + 1] == '>')) {
            tag.self_closing = text_[i] == '/';
            tag.end = i + (tag.self_closing ? 2 : 1);
            return std::nullopt;
        }
        const std::size_t attribute_start = i;
        while (i < text_.size() && !xml_space(text_[i]) && text_[i] != '=' && text_[i] != '>') {
            ++i;
        }
        const std::string_view name = text_.substr(attribute_start, i - attribute_start);
        while (i < text_.size() && xml_space(text_[i])) {
            ++i;
        }
        if (tag.closing || name.empty() || i == text_.size() || text_[i] != '=') {
            return at(attribute_start,
                      "attribut de la forme nom=\"valeur\" attendu dans la balise");
        }
        ++i;
        while (i < text_.size() && xml_space(text_[i])) {
            ++i;
        }
        const char quote = i < text_.size() ? text_[i] : '\0';
        const std::size_t close =
            quote == '"' || quote == '\'' ? text_.find(quote, i + 1) : std::string_view::npos;
        if (close == std::string_view::npos) {
            return at(attribute_start, "valeur d'attribut entre guillemets attendue");
        }
        tag.attributes.push_back({name, text_.substr(i + 1, close - i - 1)});
        i = close + 1;
    }
}

std::optional<ImportError> GraphmlCheck::start_tag(std::size_t start, const Tag& tag) {
    const std::string_view name = local_name(tag.name);
    if (value_depth_ > 0) {
        value_depth_ += tag.self_closing ? 0 : 1;
        return std::nullopt;
    }
    if (name == "node") {
        ++counts_.nodes;
    } else if (name == "edge") {
        ++counts_.edges;
    } else if (name == "key") {
        if (++counts_.keys > graphml_max_keys) {
            return at(start,
                      "plus de " + std::to_string(graphml_max_keys) + " déclarations « key »");
        }
        open_key_ = key_use(tag);
        keys_[tag.attribute("id")] = open_key_;
    } else if (name == "data" || name == "default") {
        const auto found = keys_.find(tag.attribute("key"));
        const KeyUse use = name == "default"      ? open_key_
                           : found == keys_.end() ? KeyUse{}
                                                  : found->second;
        if (use.checked) {
            if (std::optional<ImportError> error =
                    number_value(tag.self_closing ? start : tag.end, use)) {
                return error;
            }
        }
        if (!tag.self_closing) {
            value_start_ = start;
            value_depth_ = 1;
            value_pieces_ = 0;
        }
    }
    return std::nullopt;
}

std::optional<ImportError> GraphmlCheck::number_value(std::size_t from, const KeyUse& use) const {
    const std::string what = "valeur de " + quoted(use.name);
    const std::size_t end = std::min(text_.find('<', from), text_.size());
    std::string_view value = text_.substr(from, end - from);
    if (text_.substr(end, 2) != "</" || value.find('&') != std::string_view::npos) {
        return at(from, what + " : un nombre décimal attendu, sans entité ni élément");
    }
    while (!value.empty() && xml_space(value.front())) {
        value.remove_prefix(1);
        ++from;
    }
    while (!value.empty() && xml_space(value.back())) {
        value.remove_suffix(1);
    }
    const Expected<double, NumberProblem> number = parse_decimal(value);
    if (!number) {
        return at(from, number_message(what, value, number.error()));
    }
    if (use.capacity && *number < 0.0) {
        return at(from, "capacité négative : " + quoted(value));
    }
    return std::nullopt;
}

}  // namespace

std::optional<ImportError> check_graphml_text(std::string_view text, GraphmlCounts& counts) {
    return GraphmlCheck(text, counts).run();
}
