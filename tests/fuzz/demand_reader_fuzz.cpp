// libFuzzer harness of the demand file's reader: the bytes of a file are
// read (parse_demand_text) and resolved against a graph of eight vertices
// (build_demand_set), some of them named, one name borne twice. A refusal is
// an answer; a crash, undefined behaviour, a leak, an exception or a set
// that breaks what DemandSet promises is a finding.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "builder/demand_builder.h"
#include "common/utf8.h"

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "demand reader invariant broken: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr int n = 8;
    static const std::vector<std::string> names = {"a", "b", "Évry", "", "d", "d", "6", "x_y"};
    const DemandChoice choice{DemandChoice::Kind::file, "fuzz.dem",
                              std::string(reinterpret_cast<const char*>(data), size)};
    static const Graph graph(n, {}, true, std::vector<Vector3>(n), std::vector<float>(n, 2.0f));
    const Expected<DemandSet, DemandRefusal> demands = build_demand_set(&choice, graph, names);
    if (!demands) {
        const DemandError& error = demands.error().error;
        check(!error.reason.empty() && is_message_utf8(error.reason),
              "a reason empty or not UTF-8");
        check(error.reason.size() < 1000, "a reason that quotes too much");
        check(error.place.line >= 0 && error.place.column >= 0 &&
                  (error.place.line == 0) == (error.place.column == 0),
              "a reason placed nowhere");
        check(static_cast<std::size_t>(error.place.line) <= max_demand_lines + 1 &&
                  static_cast<std::size_t>(error.place.column) <= max_demand_line_bytes + 2,
              "a place beyond the text");
        return 0;
    }
    check(demands->kind() == DemandKind::file && demands->size() > 0, "an empty set");
    std::set<std::pair<int, int>> pairs;
    double total = 0.0;
    for (const Commodity& c : demands->commodities()) {
        check(c.present && c.source >= 0 && c.source < n && c.sink >= 0 && c.sink < n,
              "a commodity out of range");
        check(c.source != c.sink, "a commodity from a vertex to itself");
        check(std::isfinite(c.demand) && c.demand > 0.0, "a demand not finite and positive");
        check(pairs.insert({c.source, c.sink}).second, "an ordered pair twice");
        total += c.demand;
    }
    check(total == demands->total_demand() && std::isfinite(total), "the total demand");
    int served = 0;
    for (int i = 0; i < demands->source_count(); ++i) {
        for (const int c : demands->commodities_of_source(i)) {
            check(demands->commodity(c).source == demands->sources()[i] &&
                      demands->source_index(c) == i,
                  "a commodity under another source");
            ++served;
        }
    }
    check(served == demands->size(), "a commodity without its source's flow");
    return 0;
}
