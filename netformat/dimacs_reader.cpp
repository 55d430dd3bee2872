// DIMACS maximum flow, read by hand rather than by igraph's reader, so that
// every refusal names its line and word: `c` comment lines (and blank lines)
// anywhere, one `p max N M` before any other line, `n ID s` and `n ID t`
// once each, and exactly M arc lines `a U V CAP`, vertices numbered from 1.

#include <string>
#include <string_view>
#include <vector>

#include "netformat/network_assembly.h"
#include "netformat/network_readers.h"
#include "netformat/text_scan.h"

namespace {

class DimacsReader {
  public:
    explicit DimacsReader(std::string_view text)
        : text_(text), lines_(text), network_(NetworkFormat::dimacs, true) {}

    Expected<ImportedNetwork, ImportError> read();

  private:
    std::optional<ImportError> problem(const std::vector<Word>& words);
    std::optional<ImportError> terminal(const std::vector<Word>& words);
    std::optional<ImportError> arc(const std::vector<Word>& words);
    // Word `i` as a vertex number from 1 to N: its index from 0.
    Expected<int, ImportError> vertex(const std::vector<Word>& words, std::size_t i,
                                      std::string_view what);
    // Checks that `words` has exactly `count` words.
    std::optional<ImportError> shape(const std::vector<Word>& words, std::size_t count,
                                     std::string_view form);
    ImportError at(std::size_t offset, std::string what) const {
        return error_at(text_, offset, std::move(what));
    }

    std::string_view text_;
    LineReader lines_;
    NetworkAssembler network_;
    int problem_line_ = 0;
    std::int64_t vertices_ = 0;
    std::int64_t announced_arcs_ = 0;
    // Where the p line gives the arc count.
    std::size_t announced_offset_ = 0;
    std::int64_t arcs_ = 0;
    // Source and sink (indices from 0) and the lines that gave them.
    int source_ = -1;
    int sink_ = -1;
    int source_line_ = 0;
    int sink_line_ = 0;
};

Expected<ImportedNetwork, ImportError> DimacsReader::read() {
    while (const std::optional<std::string_view> line = lines_.next()) {
        const std::vector<Word> words = split_words(*line, lines_.offset(), false);
        if (words.empty() || words.front().text == "c") {
            continue;
        }
        const std::string_view kind = words.front().text;
        std::optional<ImportError> error;
        if (kind == "p") {
            error = problem(words);
        } else if (problem_line_ == 0) {
            error =
                at(words.front().offset,
                   "la ligne « p max N M » attendue avant toute autre au lieu de " + quoted(kind));
        } else if (kind == "n") {
            error = terminal(words);
        } else if (kind == "a") {
            error = arc(words);
        } else {
            error = at(words.front().offset,
                       "une ligne « c », « n » ou « a » attendue au lieu de " + quoted(kind));
        }
        if (error) {
            return fail(*error);
        }
    }
    if (problem_line_ == 0) {
        return fail(ImportError{0, 0,
                                "aucune ligne « p max N M » : ce n'est pas un problème de "
                                "flot maximum DIMACS"});
    }
    if (source_ < 0 || sink_ < 0) {
        return fail(ImportError{0, 0,
                                std::string("aucune ligne « n ID ") + (source_ < 0 ? "s" : "t") +
                                    " » : le flot maximum va de la source s au puits t"});
    }
    if (arcs_ != announced_arcs_) {
        return fail(at(announced_offset_, "la ligne p annonce " + std::to_string(announced_arcs_) +
                                              " arcs, le fichier en donne " +
                                              std::to_string(arcs_)));
    }
    if (std::optional<std::string> refused = network_.add_demand(source_, sink_, 1.0)) {
        return fail(ImportError{0, 0, std::move(*refused)});
    }
    network_.note("une seule demande, de valeur 1, de la source " + std::to_string(source_ + 1) +
                  " au puits " + std::to_string(sink_ + 1) +
                  " : le débit concurrent est le flot maximum");
    return std::move(network_).finish();
}

std::optional<ImportError> DimacsReader::shape(const std::vector<Word>& words, std::size_t count,
                                               std::string_view form) {
    if (words.size() > count) {
        return at(words[count].offset, "fin de la ligne attendue au lieu de " +
                                           quoted(words[count].text) +
                                           " (forme : " + std::string(form) + ")");
    }
    if (words.size() < count) {
        return at(words.back().offset + words.back().text.size(),
                  "ligne incomplète (forme : " + std::string(form) + ")");
    }
    return std::nullopt;
}

std::optional<ImportError> DimacsReader::problem(const std::vector<Word>& words) {
    if (problem_line_ != 0) {
        return at(words.front().offset, "une seconde ligne p (la première est ligne " +
                                            std::to_string(problem_line_) + ")");
    }
    constexpr std::string_view form = "« p max N M »";
    if (std::optional<ImportError> error = shape(words, 4, form)) {
        return error;
    }
    if (words[1].text != "max") {
        return at(words[1].offset, "« max » attendu au lieu de " + quoted(words[1].text) +
                                       " : seul le problème de flot maximum est lu");
    }
    const std::optional<std::int64_t> n = parse_digits(words[2].text);
    const std::optional<std::int64_t> m = parse_digits(words[3].text);
    if (!n || !m) {
        const Word& bad = n ? words[3] : words[2];
        return at(bad.offset,
                  std::string(n ? "le nombre d'arcs" : "le nombre de sommets") +
                      " doit être un entier décimal positif ou nul : " + quoted(bad.text));
    }
    if (*n > import_max_vertices) {
        return at(words[2].offset, too_many_vertices_text(*n));
    }
    problem_line_ = lines_.number();
    vertices_ = *n;
    announced_arcs_ = *m;
    announced_offset_ = words[3].offset;
    for (std::int64_t v = 1; v <= vertices_; ++v) {
        (void)network_.add_vertex(std::to_string(v), std::nullopt);
    }
    return std::nullopt;
}

Expected<int, ImportError> DimacsReader::vertex(const std::vector<Word>& words, std::size_t i,
                                                std::string_view what) {
    const std::optional<std::int64_t> number = parse_digits(words[i].text);
    if (!number || *number < 1 || *number > vertices_) {
        return fail(at(words[i].offset, std::string(what) + " " + quoted(words[i].text) +
                                            " n'est pas un numéro de sommet de 1 à " +
                                            std::to_string(vertices_)));
    }
    return static_cast<int>(*number - 1);
}

std::optional<ImportError> DimacsReader::terminal(const std::vector<Word>& words) {
    if (std::optional<ImportError> error = shape(words, 3, "« n ID s » ou « n ID t »")) {
        return error;
    }
    const Expected<int, ImportError> v = vertex(words, 1, "le sommet");
    if (!v) {
        return v.error();
    }
    const std::string_view role = words[2].text;
    if (role != "s" && role != "t") {
        return at(words[2].offset, "« s » ou « t » attendu au lieu de " + quoted(role));
    }
    int& terminal = role == "s" ? source_ : sink_;
    int& terminal_line = role == "s" ? source_line_ : sink_line_;
    const char* name = role == "s" ? "la source" : "le puits";
    if (terminal >= 0) {
        return at(words.front().offset, std::string(name) + " a déjà été donné" +
                                            (role == "s" ? "e" : "") + " ligne " +
                                            std::to_string(terminal_line));
    }
    if (*v == (role == "s" ? sink_ : source_)) {
        return at(words[1].offset,
                  "la source et le puits sont le même sommet " + quoted(words[1].text));
    }
    terminal = *v;
    terminal_line = lines_.number();
    return std::nullopt;
}

std::optional<ImportError> DimacsReader::arc(const std::vector<Word>& words) {
    if (std::optional<ImportError> error = shape(words, 4, "« a U V CAP »")) {
        return error;
    }
    const Expected<int, ImportError> tail = vertex(words, 1, "l'origine");
    if (!tail) {
        return tail.error();
    }
    const Expected<int, ImportError> head = vertex(words, 2, "l'extrémité");
    if (!head) {
        return head.error();
    }
    const Expected<double, NumberProblem> capacity = parse_decimal(words[3].text);
    if (!capacity) {
        return at(words[3].offset, number_message("capacité", words[3].text, capacity.error()));
    }
    if (*capacity < 0.0) {
        return at(words[3].offset, "capacité négative : " + quoted(words[3].text));
    }
    ++arcs_;
    if (std::optional<std::string> refused = network_.add_edge(*tail, *head, *capacity)) {
        return at(words.front().offset, std::move(*refused));
    }
    return std::nullopt;
}

}  // namespace

Expected<ImportedNetwork, ImportError> read_dimacs_flow(std::string_view text) {
    return DimacsReader(text).read();
}
