#include "bench/bench_graphs.h"

#include <cmath>
#include <random>
#include <sstream>

namespace {

// Writes one edge with its capacity, drawn from `engine` as `capacities` says.
class EdgeWriter {
  public:
    EdgeWriter(std::ostringstream& text, Capacities capacities, std::mt19937& engine)
        : text_(text), capacities_(capacities), engine_(engine) {}

    void operator()(int u, int v) {
        text_ << '\n' << u << " -> " << v;
        if (capacities_ == Capacities::equal) {
            text_ << " [cap = 10]";
        } else if (capacities_ == Capacities::random) {
            text_ << " [cap = " << capacity_(engine_) << "]";
        } else if (capacities_ == Capacities::wide) {
            // Six significant digits never need an exponent in this range.
            text_ << " [cap = " << std::pow(10.0, decade_(engine_)) << "]";
        }
        text_ << ';';
    }

  private:
    std::ostringstream& text_;
    Capacities capacities_;
    std::mt19937& engine_;
    std::uniform_int_distribution<int> capacity_{1, 100};
    std::uniform_real_distribution<double> decade_{-3.0, 3.0};
};

}  // namespace

std::string random_graph_text(int n, int edges, bool directed, Capacities capacities,
                              unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> vertex(0, n - 1);
    std::ostringstream text;
    text << "directed = " << (directed ? 1 : 0) << ";\n" << n - 1 << " : ;";
    EdgeWriter edge(text, capacities, engine);
    for (int e = 0; e < edges; ++e) {
        const int u = vertex(engine);
        int v = vertex(engine);
        while (v == u) {
            v = vertex(engine);
        }
        edge(u, v);
    }
    return text.str();
}

std::string complete_graph_text(int n, bool directed, Capacities capacities, unsigned seed,
                                double density) {
    std::mt19937 engine(seed);
    std::bernoulli_distribution kept(density);
    std::ostringstream text;
    text << "directed = " << (directed ? 1 : 0) << ";\n" << n - 1 << " : ;";
    EdgeWriter edge(text, capacities, engine);
    for (int u = 0; u < n; ++u) {
        for (int v = directed ? 0 : u + 1; v < n; ++v) {
            if (u != v && (density >= 1.0 || kept(engine))) {
                edge(u, v);
            }
        }
    }
    return text.str();
}
