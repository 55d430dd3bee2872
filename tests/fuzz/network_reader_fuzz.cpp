// libFuzzer harness of the network readers: the bytes of a file go through
// one reader (QUILLMERE_FUZZ_READER, one of sndlib, graphml, gml, dimacs:
// one fuzzer each), or through all four and the choice of a language when it
// is not set (the replay in ordinary builds). A refusal is an answer; a
// crash, undefined behaviour, a leak, an exception or a network that breaks
// what ImportedNetwork promises is a finding. GraphML goes through the whole
// adapter: the check of the text, igraph and libxml2.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "common/utf8.h"
#include "netformat/network_readers.h"

namespace {

#ifdef QUILLMERE_FUZZ_READER
constexpr std::array formats{NetworkFormat::QUILLMERE_FUZZ_READER};
#else
constexpr std::array formats{NetworkFormat::sndlib, NetworkFormat::graphml, NetworkFormat::gml,
                             NetworkFormat::dimacs};
#endif

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "network reader invariant broken: %s\n", what);
        std::abort();
    }
}

void check_network(const ImportedNetwork& network, NetworkFormat format) {
    check(network.format == format, "the network names another format");
    const int n = static_cast<int>(network.vertices.size());
    check(n <= import_max_vertices, "more vertices than the limit");
    check(network.arc_count() <= import_max_arcs, "more arcs than the limit");
    for (const ImportedVertex& v : network.vertices) {
        check(is_message_utf8(v.name), "a name that is not UTF-8");
        check(!v.position || (std::isfinite(v.position->x) && std::isfinite(v.position->y) &&
                              std::isfinite(v.position->z)),
              "a position that is not finite");
    }
    std::set<std::pair<int, int>> pairs;
    for (const ImportedEdge& e : network.edges) {
        check(e.tail >= 0 && e.tail < n && e.head >= 0 && e.head < n, "an edge out of range");
        check(e.tail != e.head, "a self-loop kept");
        check(std::isfinite(e.capacity) && e.capacity >= 0.0, "a capacity not finite or negative");
        const bool swap = !network.directed && e.head < e.tail;
        check(pairs.insert({swap ? e.head : e.tail, swap ? e.tail : e.head}).second,
              "a pair of vertices joined twice");
    }
    pairs.clear();
    for (const ImportedDemand& d : network.demands) {
        check(d.source >= 0 && d.source < n && d.target >= 0 && d.target < n,
              "a demand out of range");
        check(d.source != d.target, "a demand from a vertex to itself");
        check(std::isfinite(d.value) && d.value > 0.0, "a demand not finite and positive");
        check(pairs.insert({d.source, d.target}).second, "an ordered pair with two demands");
    }
    for (const std::string& note : network.notes) {
        check(!note.empty() && is_message_utf8(note), "a note empty or not UTF-8");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const NetworkFormat format : formats) {
        const Expected<ImportedNetwork, ImportError> read = read_network(format, text);
        if (read) {
            check_network(*read, format);
        } else {
            const ImportError& error = read.error();
            check(!error.what.empty() && is_message_utf8(error.text()), "a message empty or not UTF-8");
            check(error.line >= 0 && error.column >= 0 && (error.column == 0 || error.line > 0),
                  "a message placed nowhere");
        }
    }
    (void)detect_format(text);
    return 0;
}
