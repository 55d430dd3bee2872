// The SNDlib native format, read by hand: each section is `NAME (` on a line
// of its own, one entry per line, and `)` alone on the line that closes it;
// `#` starts a comment. Entries are checked word by word, numbers strictly
// decimal, and the skipped sections (META, ADMISSIBLE_PATHS, which can run to
// megabytes) are passed over line by line without being split.

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "netformat/network_assembly.h"
#include "netformat/network_readers.h"
#include "netformat/text_scan.h"

namespace {

constexpr std::string_view sndlib_header = "?SNDlib native format; type: network; version: 1.0";

enum class Section { meta, nodes, links, demands, paths };

struct SectionName {
    std::string_view name;
    Section section;
};

constexpr std::array<SectionName, 5> section_names{{{"META", Section::meta},
                                                    {"NODES", Section::nodes},
                                                    {"LINKS", Section::links},
                                                    {"DEMANDS", Section::demands},
                                                    {"ADMISSIBLE_PATHS", Section::paths}}};

std::string_view trimmed(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t\r\v\f");
    if (first == std::string_view::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(" \t\r\v\f") - first + 1);
}

std::string_view without_comment(std::string_view line) {
    return line.substr(0, line.find('#'));
}

// The words of one entry line, taken in order, each checked for what the
// entry needs there.
class Entry {
  public:
    Entry(std::string_view text, std::string_view line, std::size_t offset)
        : text_(text), words_(split_words(line, offset, true)), end_(offset + line.size()) {}

    bool empty() const { return words_.empty(); }
    std::string_view first() const { return words_.front().text; }

    // A word that is not a bracket.
    Expected<Word, ImportError> word(std::string_view what) {
        if (i_ < words_.size() && words_[i_].text != "(" && words_[i_].text != ")") {
            return words_[i_++];
        }
        return fail(missing(what));
    }

    std::optional<ImportError> bracket(std::string_view bracket) {
        if (i_ < words_.size() && words_[i_].text == bracket) {
            ++i_;
            return std::nullopt;
        }
        return missing(quoted(bracket));
    }

    bool next_is(std::string_view word) const {
        return i_ < words_.size() && words_[i_].text == word;
    }

    Expected<double, ImportError> number(const std::string& what, bool non_negative) {
        const Expected<Word, ImportError> w = word(what);
        if (!w) {
            return fail(w.error());
        }
        const Expected<double, NumberProblem> value = parse_decimal(w->text);
        if (!value) {
            return fail(at(w->offset, number_message(what, w->text, value.error())));
        }
        if (non_negative && *value < 0.0) {
            return fail(at(w->offset, what + " négative : " + quoted(w->text)));
        }
        return *value;
    }

    std::optional<ImportError> finished() const {
        if (i_ < words_.size()) {
            return at(words_[i_].offset,
                      "fin de la ligne attendue au lieu de " + quoted(words_[i_].text));
        }
        return std::nullopt;
    }

    ImportError at(std::size_t offset, std::string what) const {
        return error_at(text_, offset, std::move(what));
    }

  private:
    ImportError missing(std::string_view what) const {
        if (i_ < words_.size()) {
            return at(words_[i_].offset,
                      std::string(what) + " attendu au lieu de " + quoted(words_[i_].text));
        }
        return at(end_, std::string(what) + " attendu avant la fin de la ligne");
    }

    std::string_view text_;
    std::vector<Word> words_;
    std::size_t end_;
    std::size_t i_ = 0;
};

class SndlibReader {
  public:
    // A byte-order mark is not part of the first line.
    explicit SndlibReader(std::string_view text)
        : text_(text.substr(text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0)),
          lines_(text_),
          network_(NetworkFormat::sndlib, false) {}

    Expected<ImportedNetwork, ImportError> read();

  private:
    std::optional<ImportError> header(std::string_view line);
    std::optional<ImportError> open_section(std::string_view line, Section& section);
    std::optional<ImportError> entry(Section section, std::string_view line);
    std::optional<ImportError> node(Entry& entry);
    std::optional<ImportError> link(Entry& entry);
    std::optional<ImportError> demand(Entry& entry);
    // The two nodes of `( source target )`.
    Expected<std::pair<int, int>, ImportError> ends(Entry& entry);

    std::string_view text_;
    LineReader lines_;
    NetworkAssembler network_;
    std::unordered_map<std::string_view, int> node_index_;
    std::unordered_map<std::string_view, int> node_line_;
    std::array<int, 5> section_line_{};
    int links_ = 0;
    int links_from_module_ = 0;
    int links_without_capacity_ = 0;
};

Expected<ImportedNetwork, ImportError> SndlibReader::read() {
    bool first_line = true;
    // The section being read, from line `open_line`; 0 between sections.
    Section open = Section::meta;
    int open_line = 0;
    while (const std::optional<std::string_view> raw = lines_.next()) {
        const std::string_view line = *raw;
        if (first_line) {
            first_line = false;
            if (!line.empty() && line.front() == '?') {
                if (const std::optional<ImportError> error = header(line)) {
                    return fail(*error);
                }
                continue;
            }
        }
        const std::string_view content = trimmed(without_comment(line));
        if (content.empty()) {
            continue;
        }
        if (open_line == 0) {
            if (const std::optional<ImportError> error = open_section(line, open)) {
                return fail(*error);
            }
            open_line = lines_.number();
        } else if (content == ")") {
            open_line = 0;
        } else if (open != Section::meta && open != Section::paths) {
            if (const std::optional<ImportError> error = entry(open, line)) {
                return fail(*error);
            }
        }
    }
    if (open_line != 0) {
        const std::string_view name = section_names[static_cast<std::size_t>(open)].name;
        return fail(ImportError{open_line, 1,
                                "la section " + std::string(name) +
                                    " ouverte ici n'est pas refermée : « ) » attendu seul sur sa "
                                    "ligne avant la fin du fichier"});
    }
    if (section_line_[static_cast<int>(Section::nodes)] == 0) {
        return fail(ImportError{0, 0,
                                "aucune section NODES : un réseau SNDlib donne ses nœuds "
                                "dans « NODES ( … ) »"});
    }
    std::string convention = "capacités : préinstallées, sinon premier module";
    if (links_from_module_ > 0 || links_without_capacity_ > 0) {
        convention += " (sur " + std::to_string(links_) + " liens, " +
                      std::to_string(links_from_module_) + " prennent celle de leur premier module";
        if (links_without_capacity_ > 0) {
            convention +=
                ", " + std::to_string(links_without_capacity_) + " n'en ont aucune et valent 0";
        }
        convention += ")";
    }
    network_.note(std::move(convention));
    return std::move(network_).finish();
}

std::optional<ImportError> SndlibReader::header(std::string_view line) {
    if (trimmed(line) != sndlib_header) {
        return error_at(text_, lines_.offset(),
                        "en-tête " + quoted(trimmed(line)) + " : seul " + quoted(sndlib_header) +
                            " est lu (un réseau au format natif SNDlib)");
    }
    return std::nullopt;
}

std::optional<ImportError> SndlibReader::open_section(std::string_view line, Section& section) {
    Entry words(text_, without_comment(line), lines_.offset());
    const std::string expected =
        "une section (NODES, LINKS, DEMANDS, META ou ADMISSIBLE_PATHS suivi de « ( »)";
    const Expected<Word, ImportError> name = words.word(expected);
    if (!name) {
        return name.error();
    }
    const SectionName* found = nullptr;
    for (const SectionName& candidate : section_names) {
        if (candidate.name == name->text) {
            found = &candidate;
        }
    }
    if (found == nullptr) {
        return words.at(name->offset, expected + " attendu au lieu de " + quoted(name->text));
    }
    if (const std::optional<ImportError> error = words.bracket("(")) {
        return error;
    }
    if (const std::optional<ImportError> error = words.finished()) {
        return error;
    }
    int& seen = section_line_[static_cast<int>(found->section)];
    if (seen != 0) {
        return words.at(name->offset, "la section " + std::string(found->name) +
                                          " a déjà été donnée ligne " + std::to_string(seen));
    }
    if ((found->section == Section::links || found->section == Section::demands) &&
        section_line_[static_cast<int>(Section::nodes)] == 0) {
        return words.at(name->offset, "la section " + std::string(found->name) +
                                          " vient avant la section NODES, qui doit la précéder");
    }
    seen = lines_.number();
    section = found->section;
    return std::nullopt;
}

std::optional<ImportError> SndlibReader::entry(Section section, std::string_view line) {
    Entry words(text_, without_comment(line), lines_.offset());
    switch (section) {
        case Section::nodes:
            return node(words);
        case Section::links:
            return link(words);
        case Section::demands:
            return demand(words);
        case Section::meta:
        case Section::paths:
            break;
    }
    return std::nullopt;
}

std::optional<ImportError> SndlibReader::node(Entry& entry) {
    const Expected<Word, ImportError> id = entry.word("l'identifiant du nœud");
    if (!id) {
        return id.error();
    }
    if (const auto [found, added] = node_line_.try_emplace(id->text, lines_.number()); !added) {
        return entry.at(id->offset, "le nœud " + quoted(id->text) + " a déjà été déclaré ligne " +
                                        std::to_string(found->second));
    }
    if (const std::optional<ImportError> error = entry.bracket("(")) {
        return error;
    }
    const std::string of = " du nœud " + quoted(id->text);
    const Expected<double, ImportError> x = entry.number("longitude" + of, false);
    if (!x) {
        return x.error();
    }
    const Expected<double, ImportError> y = entry.number("latitude" + of, false);
    if (!y) {
        return y.error();
    }
    if (std::optional<ImportError> error = entry.bracket(")")) {
        return error;
    }
    if (std::optional<ImportError> error = entry.finished()) {
        return error;
    }
    node_index_.emplace(id->text, network_.vertex_count());
    if (std::optional<std::string> refused =
            network_.add_vertex(as_utf8(id->text), ImportedPosition{*x, *y, 0.0})) {
        return entry.at(id->offset, std::move(*refused));
    }
    return std::nullopt;
}

Expected<std::pair<int, int>, ImportError> SndlibReader::ends(Entry& entry) {
    if (std::optional<ImportError> error = entry.bracket("(")) {
        return fail(*error);
    }
    std::array<int, 2> found{};
    for (int k = 0; k < 2; ++k) {
        const Expected<Word, ImportError> id =
            entry.word(k == 0 ? "le nœud d'origine" : "le nœud d'arrivée");
        if (!id) {
            return fail(id.error());
        }
        const auto known = node_index_.find(id->text);
        if (known == node_index_.end()) {
            return fail(entry.at(id->offset, "nœud " + quoted(id->text) +
                                                 " inconnu : il n'est pas dans la section NODES"));
        }
        found[static_cast<std::size_t>(k)] = known->second;
    }
    if (std::optional<ImportError> error = entry.bracket(")")) {
        return fail(*error);
    }
    return std::pair{found[0], found[1]};
}

std::optional<ImportError> SndlibReader::link(Entry& entry) {
    const Expected<Word, ImportError> id = entry.word("l'identifiant du lien");
    if (!id) {
        return id.error();
    }
    const Expected<std::pair<int, int>, ImportError> nodes = ends(entry);
    if (!nodes) {
        return nodes.error();
    }
    const std::string of = " du lien " + quoted(id->text);
    const Expected<double, ImportError> installed =
        entry.number("capacité préinstallée" + of, true);
    if (!installed) {
        return installed.error();
    }
    for (const char* cost :
         {"coût de la capacité préinstallée", "coût de routage", "coût d'installation"}) {
        if (const Expected<double, ImportError> value = entry.number(cost + of, false); !value) {
            return value.error();
        }
    }
    if (std::optional<ImportError> error = entry.bracket("(")) {
        return error;
    }
    std::optional<double> first_module;
    while (!entry.next_is(")")) {
        const Expected<double, ImportError> module = entry.number("capacité de module" + of, true);
        if (!module) {
            return module.error();
        }
        if (const Expected<double, ImportError> cost = entry.number("coût de module" + of, false);
            !cost) {
            return cost.error();
        }
        if (!first_module) {
            first_module = *module;
        }
    }
    if (std::optional<ImportError> error = entry.bracket(")")) {
        return error;
    }
    if (std::optional<ImportError> error = entry.finished()) {
        return error;
    }
    double capacity = *installed;
    ++links_;
    if (capacity <= 0.0) {
        capacity = first_module.value_or(0.0);
        ++(first_module ? links_from_module_ : links_without_capacity_);
    }
    if (std::optional<std::string> refused =
            network_.add_edge(nodes->first, nodes->second, capacity)) {
        return entry.at(id->offset, std::move(*refused));
    }
    return std::nullopt;
}

std::optional<ImportError> SndlibReader::demand(Entry& entry) {
    const Expected<Word, ImportError> id = entry.word("l'identifiant de la demande");
    if (!id) {
        return id.error();
    }
    const Expected<std::pair<int, int>, ImportError> nodes = ends(entry);
    if (!nodes) {
        return nodes.error();
    }
    const std::string of = " de la demande " + quoted(id->text);
    if (const Expected<double, ImportError> unit = entry.number("unité de routage" + of, true);
        !unit) {
        return unit.error();
    }
    const Expected<double, ImportError> value = entry.number("valeur" + of, true);
    if (!value) {
        return value.error();
    }
    if (!entry.next_is("UNLIMITED")) {
        if (const Expected<double, ImportError> length =
                entry.number("longueur maximale des chemins" + of, true);
            !length) {
            return length.error();
        }
    } else {
        (void)entry.word("");
    }
    if (std::optional<ImportError> error = entry.finished()) {
        return error;
    }
    if (nodes->first == nodes->second) {
        return entry.at(id->offset,
                        "la demande " + quoted(id->text) + " va d'un nœud vers lui-même");
    }
    if (std::optional<std::string> refused =
            network_.add_demand(nodes->first, nodes->second, *value)) {
        return entry.at(id->offset, std::move(*refused));
    }
    return std::nullopt;
}

}  // namespace

Expected<ImportedNetwork, ImportError> read_sndlib(std::string_view text) {
    return SndlibReader(text).read();
}
