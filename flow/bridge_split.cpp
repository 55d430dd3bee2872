#include "flow/bridge_split.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "flow/flow_model.h"
#include "flow/lp_engine.h"
#include "graph/arc_lists.h"
#include "graph/demand_set.h"

namespace {

// The undirected underlying graph's edges: each pair joined in either
// direction once, as (lower end, higher end).
struct Edges {
    std::vector<std::pair<int, int>> ends;
    // Per vertex: (neighbour, edge) for each edge at it.
    std::vector<std::vector<std::pair<int, int>>> at;
};

Edges undirected_edges(const ArcLists& arcs) {
    Edges edges;
    edges.at.resize(static_cast<std::size_t>(arcs.vertex_count()));
    for (int a = 0; a < arcs.arc_count(); ++a) {
        const Arc& arc = arcs.arcs()[a];
        if (arcs.reverse(a) >= 0 && arc.tail > arc.head) {
            continue;  // the pair is listed at its arc of lower tail
        }
        const int e = static_cast<int>(edges.ends.size());
        edges.ends.emplace_back(std::min(arc.tail, arc.head), std::max(arc.tail, arc.head));
        edges.at[arc.tail].emplace_back(arc.head, e);
        edges.at[arc.head].emplace_back(arc.tail, e);
    }
    return edges;
}

// The bridges of `edges` (Tarjan's low points, by an explicit stack), and the
// connected piece of every vertex.
struct Bridges {
    std::vector<bool> is_bridge;
    std::vector<int> piece;
};

Bridges find_bridges(const Edges& edges, int n) {
    Bridges found;
    found.is_bridge.assign(edges.ends.size(), false);
    found.piece.assign(static_cast<std::size_t>(n), -1);
    std::vector<int> entered(static_cast<std::size_t>(n), -1);
    std::vector<int> low(static_cast<std::size_t>(n), 0);
    struct Frame {
        int vertex;
        int via;  // the edge it was reached by, −1 at a root
        std::size_t next;
    };
    std::vector<Frame> stack;
    int clock = 0;
    for (int root = 0; root < n; ++root) {
        if (entered[root] >= 0) {
            continue;
        }
        entered[root] = low[root] = clock++;
        found.piece[root] = root;
        stack.push_back({root, -1, 0});
        while (!stack.empty()) {
            const int v = stack.back().vertex;
            if (stack.back().next < edges.at[v].size()) {
                const auto [w, e] = edges.at[v][stack.back().next++];
                if (e == stack.back().via) {
                    continue;
                }
                if (entered[w] < 0) {
                    entered[w] = low[w] = clock++;
                    found.piece[w] = root;
                    stack.push_back({w, e, 0});
                } else {
                    low[v] = std::min(low[v], entered[w]);
                }
                continue;
            }
            const int via = stack.back().via;
            stack.pop_back();
            if (!stack.empty()) {
                const int parent = stack.back().vertex;
                low[parent] = std::min(low[parent], low[v]);
                if (low[v] > entered[parent]) {
                    found.is_bridge[via] = true;
                }
            }
        }
    }
    return found;
}

// The blocks between the bridges, as a forest: each block but a root hangs
// from its parent by one bridge, `up` its end in the block and `down` its
// end in the parent.
struct BlockTree {
    std::vector<int> block;                 // per vertex
    std::vector<std::vector<int>> members;  // per block, ascending
    std::vector<int> local;                 // per vertex: its index in its block
    std::vector<int> parent;
    std::vector<int> up;
    std::vector<int> down;
    std::vector<int> depth;
};

BlockTree block_tree(const Edges& edges, const Bridges& bridges, int n) {
    BlockTree tree;
    tree.block.assign(static_cast<std::size_t>(n), -1);
    tree.local.assign(static_cast<std::size_t>(n), -1);
    for (int start = 0; start < n; ++start) {
        if (tree.block[start] >= 0) {
            continue;
        }
        const int b = static_cast<int>(tree.members.size());
        tree.members.emplace_back();
        std::vector<int> queue{start};
        tree.block[start] = b;
        for (std::size_t k = 0; k < queue.size(); ++k) {
            for (const auto& [w, e] : edges.at[queue[k]]) {
                if (!bridges.is_bridge[e] && tree.block[w] < 0) {
                    tree.block[w] = b;
                    queue.push_back(w);
                }
            }
        }
        std::sort(queue.begin(), queue.end());
        for (std::size_t k = 0; k < queue.size(); ++k) {
            tree.local[queue[k]] = static_cast<int>(k);
        }
        tree.members.back() = std::move(queue);
    }
    const std::size_t blocks = tree.members.size();
    tree.parent.assign(blocks, -2);
    tree.up.assign(blocks, -1);
    tree.down.assign(blocks, -1);
    tree.depth.assign(blocks, 0);
    for (std::size_t root = 0; root < blocks; ++root) {
        if (tree.parent[root] != -2) {
            continue;
        }
        tree.parent[root] = -1;
        std::vector<int> queue{static_cast<int>(root)};
        for (std::size_t k = 0; k < queue.size(); ++k) {
            const int b = queue[k];
            for (const int v : tree.members[b]) {
                for (const auto& [w, e] : edges.at[v]) {
                    const int c = tree.block[w];
                    if (bridges.is_bridge[e] && tree.parent[c] == -2) {
                        tree.parent[c] = b;
                        tree.up[c] = w;
                        tree.down[c] = v;
                        tree.depth[c] = tree.depth[b] + 1;
                        queue.push_back(c);
                    }
                }
            }
        }
    }
    return tree;
}

// What the commodities ask of one block: the demands entering and leaving
// it, between its own vertices, and for each which original sources they
// come from, with their demands.
struct BlockDemands {
    std::map<std::pair<int, int>, int> index;  // (entry, exit), local → commodity
    std::vector<Commodity> commodities;
    std::vector<std::map<int, double>> sources;  // per commodity: source index → demand
};

// Splits `flow`, one source's flow from `origin` on the arcs of `arcs`,
// into paths ending at vertices with `need` left, and hands each path (its
// arcs), its end and its amount to `deliver`. Flow around cycles and flow
// into a vertex with no need and nothing going on (rounding) is dropped.
template <class Deliver>
void split_into_paths(const ArcLists& arcs, int origin, std::vector<double> flow,
                      std::vector<double> need, Deliver deliver) {
    const int n = arcs.vertex_count();
    double left = 0.0;
    double largest = 0.0;
    for (const double x : need) {
        left += x;
    }
    for (const double x : flow) {
        largest = std::max(largest, x);
    }
    const double tiny = 1e-13 * std::max(left, largest);
    std::vector<int> next(static_cast<std::size_t>(n));
    for (int v = 0; v < n; ++v) {
        next[v] = arcs.out_begin(v);
    }
    std::vector<int> position(static_cast<std::size_t>(n), -1);
    std::vector<int> walk{origin};
    std::vector<int> path;
    position[origin] = 0;
    const auto restart = [&] {
        for (const int v : walk) {
            position[v] = -1;
        }
        walk.assign(1, origin);
        path.clear();
        position[origin] = 0;
    };
    while (left > tiny) {
        const int v = walk.back();
        if (v != origin && need[v] > tiny) {
            double amount = need[v];
            for (const int a : path) {
                amount = std::min(amount, flow[a]);
            }
            deliver(path, v, amount);
            for (const int a : path) {
                flow[a] -= amount;
            }
            need[v] -= amount;
            left -= amount;
            restart();
            continue;
        }
        while (next[v] < arcs.out_end(v) && flow[next[v]] <= tiny) {
            ++next[v];
        }
        if (next[v] == arcs.out_end(v)) {
            if (path.empty()) {
                return;  // nothing more leaves the origin
            }
            flow[path.back()] = 0.0;
            path.pop_back();
            position[v] = -1;
            walk.pop_back();
            continue;
        }
        const int a = next[v];
        const int w = arcs.arcs()[a].head;
        if (position[w] >= 0) {
            // A cycle back to w: cancel its least flow around it.
            double amount = flow[a];
            for (std::size_t k = position[w]; k < path.size(); ++k) {
                amount = std::min(amount, flow[path[k]]);
            }
            flow[a] -= amount;
            for (std::size_t k = position[w]; k < path.size(); ++k) {
                flow[path[k]] -= amount;
            }
            while (walk.back() != w) {
                position[walk.back()] = -1;
                walk.pop_back();
                path.pop_back();
            }
            continue;
        }
        path.push_back(a);
        position[w] = static_cast<int>(walk.size());
        walk.push_back(w);
    }
}

}  // namespace

std::optional<ProgramSolve> solve_by_bridges(const ArcLists& arcs, const DemandSet& demands,
                                             bool shared_pairs, double tolerance,
                                             const PieceSolver& solve_piece,
                                             const std::function<void()>& formulated) {
    const int n = arcs.vertex_count();
    const int m = arcs.arc_count();
    const Edges edges = undirected_edges(arcs);
    const Bridges bridges = find_bridges(edges, n);
    if (std::find(bridges.is_bridge.begin(), bridges.is_bridge.end(), true) ==
        bridges.is_bridge.end()) {
        return std::nullopt;
    }
    const BlockTree tree = block_tree(edges, bridges, n);
    const std::size_t blocks = tree.members.size();

    // Walk every commodity's way through the blocks and bridges: its demand
    // goes to each block it crosses between two different vertices, and to
    // each bridge arc it crosses (`crossing`, per arc, and `flow`, per
    // source and arc, in units of λ until λ is known). A bridge arc it needs
    // that does not exist (one-way arcs) forces λ = 0.
    std::vector<BlockDemands> asked(blocks);
    std::vector<double> crossing(static_cast<std::size_t>(m), 0.0);
    std::vector<double> flow(static_cast<std::size_t>(demands.source_count()) * m, 0.0);
    bool missing_arc = false;
    std::vector<int> bridge_arcs;
    for (int c = 0; c < demands.size(); ++c) {
        const Commodity& commodity = demands.commodity(c);
        if (!commodity.present) {
            continue;
        }
        if (bridges.piece[commodity.source] != bridges.piece[commodity.sink]) {
            return std::nullopt;
        }
        const int i = demands.source_index(c);
        const double d = commodity.demand;
        const auto through = [&](int b, int entry, int exit) {
            if (entry == exit) {
                return;
            }
            BlockDemands& block = asked[b];
            const std::pair<int, int> key{tree.local[entry], tree.local[exit]};
            auto [at, added] =
                block.index.try_emplace(key, static_cast<int>(block.commodities.size()));
            if (added) {
                block.commodities.push_back({key.first, key.second, 0.0, true});
                block.sources.emplace_back();
            }
            block.commodities[at->second].demand += d;
            block.sources[at->second][i] += d;
        };
        const auto across = [&](int tail, int head) {
            const int a = arcs.find(tail, head);
            if (a < 0) {
                missing_arc = true;
                return;
            }
            if (crossing[a] == 0.0) {
                bridge_arcs.push_back(a);
            }
            crossing[a] += d;
            flow[static_cast<std::size_t>(i) * m + a] += d;
        };
        int from = tree.block[commodity.source];
        int entry = commodity.source;
        int to = tree.block[commodity.sink];
        int exit = commodity.sink;
        while (from != to) {
            if (tree.depth[from] >= tree.depth[to]) {
                through(from, entry, tree.up[from]);
                across(tree.up[from], tree.down[from]);
                entry = tree.down[from];
                from = tree.parent[from];
            } else {
                through(to, tree.up[to], exit);
                across(tree.down[to], tree.up[to]);
                exit = tree.down[to];
                to = tree.parent[to];
            }
        }
        through(from, entry, exit);
    }

    // Split only when the blocks' programs are at most half the whole one.
    std::vector<double> arcs_inside(blocks, 0.0);
    for (const Arc& arc : arcs.arcs()) {
        if (tree.block[arc.tail] == tree.block[arc.head]) {
            ++arcs_inside[tree.block[arc.tail]];
        }
    }
    double piece_columns = 0.0;
    for (std::size_t b = 0; b < blocks; ++b) {
        std::vector<int> entries;
        for (const Commodity& commodity : asked[b].commodities) {
            entries.push_back(commodity.source);
        }
        std::sort(entries.begin(), entries.end());
        const auto distinct = std::unique(entries.begin(), entries.end()) - entries.begin();
        piece_columns += static_cast<double>(distinct) * arcs_inside[b];
    }
    if (piece_columns > 0.5 * static_cast<double>(demands.source_count()) * m) {
        return std::nullopt;
    }

    // The bridges' bounds: an arc's capacity over the demand crossing it, a
    // shared pair's (at its arc of lower tail) over both directions'.
    double lambda = std::numeric_limits<double>::infinity();
    int binding_arc = -1;
    int binding_block = -1;
    for (const int crossed : bridge_arcs) {
        const int a =
            shared_pairs && !arcs.carries_pair_row(crossed) ? arcs.reverse(crossed) : crossed;
        const int reverse = arcs.reverse(a);
        const double demand =
            crossing[a] + (shared_pairs && reverse >= 0 ? crossing[reverse] : 0.0);
        const double bound = arcs.arcs()[a].capacity / demand;
        if (bound < lambda) {
            lambda = bound;
            binding_arc = a;
        }
    }

    // Each block on its own.
    ProgramSolve whole;
    whole.end = {SolveStatus::optimal, 0};
    whole.solver = SolverEngine::clp;
    struct Piece {
        ArcLists arcs;
        DemandSet demands;
        ProgramSolve solve;
        std::vector<int> original;  // per arc of the piece: the arc of `arcs`
        double demand_unit = 1.0;   // the piece's demands are the network's over it
    };
    std::vector<Piece> pieces(blocks);
    bool first = true;
    for (std::size_t b = 0; b < blocks; ++b) {
        if (asked[b].commodities.empty()) {
            continue;
        }
        const std::vector<int>& members = tree.members[b];
        std::vector<Arc> inside;
        for (const int v : members) {
            for (const Arc& arc : arcs.out_arcs(v)) {
                if (tree.block[arc.head] == static_cast<int>(b)) {
                    inside.push_back({tree.local[v], tree.local[arc.head], arc.capacity});
                }
            }
        }
        Piece& piece = pieces[b];
        piece.arcs = ArcLists(static_cast<int>(members.size()), std::move(inside));
        for (const Arc& arc : piece.arcs.arcs()) {
            piece.original.push_back(arcs.find(members[arc.tail], members[arc.head]));
        }
        // The demands in a unit near the capacities over λ, so that the
        // program's λ is near 1: in the network's unit the flows of a few
        // hubs carrying thousands of small demands put it near 1e-9, the
        // engines' tolerance.
        std::vector<Commodity> commodities = asked[b].commodities;
        double capacity = 0.0;
        double demand = 0.0;
        for (const Arc& arc : piece.arcs.arcs()) {
            capacity += arc.capacity;
        }
        for (const Commodity& commodity : commodities) {
            demand += commodity.demand;
        }
        // (program_scales' first: the geometric mean of the capacities.)
        const double scale = program_scales(piece.arcs, DemandSet()).front();
        piece.demand_unit =
            capacity > 0.0
                ? std::ldexp(1.0,
                             static_cast<int>(std::lround(std::log2(scale * demand / capacity))))
                : 1.0;
        for (Commodity& commodity : commodities) {
            commodity.demand /= piece.demand_unit;
        }
        piece.demands = DemandSet(demands.kind(), demands.origin(),
                                  static_cast<int>(members.size()), std::move(commodities));
        piece.solve = solve_piece(piece.arcs, piece.demands, first);
        piece.solve.solution.lambda /= piece.demand_unit;
        first = false;
        const SolveEnd end = piece.solve.end;
        if (!end.is_optimum()) {
            if (end.is_stop()) {
                ProgramSolve stopped;
                stopped.end = end;
                stopped.solver = piece.solve.solver;
                return stopped;
            }
            return std::nullopt;
        }
        whole.solver = piece.solve.solver;
        whole.fallback = whole.fallback || piece.solve.fallback;
        if (piece.solve.solution.lambda < lambda) {
            lambda = piece.solve.solution.lambda;
            binding_block = static_cast<int>(b);
            binding_arc = -1;
        }
    }
    if (first && formulated) {
        formulated();  // only bridges: no program was needed
    }
    if (missing_arc) {
        lambda = 0.0;
        binding_arc = binding_block = -1;
    }

    // The forced flows along the bridges, then each block's flows at λ,
    // handed back to the sources that entered it.
    for (const int a : bridge_arcs) {
        for (int i = 0; i < demands.source_count(); ++i) {
            flow[static_cast<std::size_t>(i) * m + a] *= lambda;
        }
    }
    for (std::size_t b = 0; b < blocks; ++b) {
        const Piece& piece = pieces[b];
        if (asked[b].commodities.empty()) {
            continue;
        }
        const double local_lambda = piece.solve.solution.lambda;
        const double factor = local_lambda > 0.0 ? lambda / local_lambda : 0.0;
        const int local_m = piece.arcs.arc_count();
        const FlowColumns columns = flow_columns(piece.arcs, piece.demands);
        for (int li = 0; li < piece.demands.source_count(); ++li) {
            std::vector<double> local(static_cast<std::size_t>(local_m));
            for (int la = 0; la < local_m; ++la) {
                local[la] = factor * piece.solve.solution.flow[columns.flow(li, la) - 1];
            }
            const std::span<const int> served = piece.demands.commodities_of_source(li);
            std::map<int, double> entering;
            for (const int lc : served) {
                for (const auto& [i, d] : asked[b].sources[lc]) {
                    entering[i] += d;
                }
            }
            if (entering.size() == 1) {
                const std::size_t i = static_cast<std::size_t>(entering.begin()->first);
                for (int la = 0; la < local_m; ++la) {
                    flow[i * m + piece.original[la]] += local[la];
                }
                continue;
            }
            std::vector<double> need(piece.arcs.vertex_count(), 0.0);
            std::vector<int> commodity_to(piece.arcs.vertex_count(), -1);
            for (const int lc : served) {
                const Commodity& commodity = asked[b].commodities[lc];
                need[commodity.sink] = lambda * commodity.demand;
                commodity_to[commodity.sink] = lc;
            }
            split_into_paths(
                piece.arcs, piece.demands.sources()[li], std::move(local), std::move(need),
                [&](const std::vector<int>& path, int sink, double amount) {
                    const int lc = commodity_to[sink];
                    const double total = asked[b].commodities[lc].demand;
                    for (const auto& [i, d] : asked[b].sources[lc]) {
                        const double share = amount * (d / total);
                        for (const int la : path) {
                            flow[static_cast<std::size_t>(i) * m + piece.original[la]] += share;
                        }
                    }
                });
        }
    }

    whole.solution.flow = std::move(flow);
    whole.solution.lambda = lambda;
    whole.lengths.assign(static_cast<std::size_t>(m), 0.0);
    if (binding_block >= 0) {
        const Piece& piece = pieces[binding_block];
        for (int la = 0; la < piece.arcs.arc_count(); ++la) {
            whole.lengths[piece.original[la]] = piece.solve.lengths[la];
        }
    } else if (binding_arc >= 0) {
        whole.lengths[binding_arc] = 1.0;
        if (shared_pairs && arcs.reverse(binding_arc) >= 0) {
            whole.lengths[arcs.reverse(binding_arc)] = 1.0;
        }
    }
    if (!check_solution(arcs, demands, program_scales(arcs, demands).front(), tolerance,
                        shared_pairs, whole.solution, whole.lengths)) {
        return std::nullopt;
    }
    return whole;
}
