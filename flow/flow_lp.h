#pragma once

#include <functional>
#include <span>
#include <vector>

#include "common/solver_choice.h"
#include "common/stage_context.h"
#include "flow/flow_model.h"
#include "graph/flow_result.h"

class ArcLists;
class DemandSet;
class LpEngine;
struct EngineAnswer;

// The most arcs (an undirected edge counting two) on which the automatic
// choice solves the default set's programs with lp_solve: every example and
// every graph of the tests' console baselines, whose results and texts stay
// lp_solve's. Above it, and for every other demand set, CLP solves them, 10
// to 70 times faster (the figures are in clp_engine.cpp).
inline constexpr int lp_solve_arc_limit = 2000;

// The engine that `choice` solves the programs of a graph of `arc_count`
// arcs with `demands` with first: the engine named, or for automatic
// lp_solve for the default set on at most lp_solve_arc_limit arcs and CLP
// for everything else. The certificate's program takes its graph's choice.
SolverEngine chosen_engine(SolverChoice choice, int arc_count, const DemandSet& demands);

// How an engine's answer ends a solve, in the statuses of every engine,
// with the engine's own code: lp_solve's through lp_solve_end; CLP's
// outcomes optimal, infeasible, unbounded, timeout, numerical failure and no
// memory as those statuses, any other (an exception included) as unknown,
// with CLP's status() (−1 when it has none). A cancel is the flow
// computation's own cancelled, whichever engine.
SolveEnd engine_end(SolverEngine engine, const EngineAnswer& answer);

// One engine of the order in which a program is solved, and the name its
// answers are reported under.
struct EngineStep {
    const LpEngine* engine;
    SolverEngine name;
};

// The engines tried, in order, when `first` is chosen for a program with
// `demands`: lp_solve alone; or CLP's primal simplex (the default set) or
// its always-perturbed dual simplex (any other set), then CLP's other
// simplex, then lp_solve.
std::vector<EngineStep> engine_steps(SolverEngine first, const DemandSet& demands);

// What solve_program found: how it ended, which step's engine gave that end
// (`fallback` when not the first step's), and for a checked optimum the
// solution in the network's units and the capacity rows' duals as lengths.
struct ProgramSolve {
    SolveEnd end;
    SolverEngine solver = SolverEngine::lp_solve;
    bool fallback = false;
    FlowSolution solution;
    std::vector<double> lengths;
};

// Solves the program of `arcs` and `demands` (the bound's with
// `shared_pairs`) with each step's engine at each of the program's scales
// in turn, until an optimum passes the double-precision check (check_answer)
// or the solve is stopped (cancel, the context's processor-time limit, which
// spans every attempt, or no memory). When no attempt succeeds the end is
// the first attempt's (check_failed for an optimum that failed its check).
// `formulated` is called once the first program is handed to its engine.
ProgramSolve solve_program(std::span<const EngineStep> steps, const ArcLists& arcs,
                           const DemandSet& demands, const StageContext& context,
                           bool shared_pairs, const std::function<void()>& formulated = {});

// Solves the maximum concurrent flow program of the network `arcs` with the
// commodities of `demands` and returns the flows (by source), maxflow, how
// the solve ended and which engine answered (no cut: that is the sweep's);
// writes nothing, but calls `formulated`, when set, once the first program
// is formulated and handed to its engine.
//
// The program has one column per source and arc (formulate_flow_program),
// its capacities scaled by each of program_scales in turn; λ and the flows
// are scaled back. The engines are the context's choice (chosen_engine) and
// its fallbacks (engine_steps), as solve_program tries them.
//
// Without a present commodity (the default set below two vertices) there is
// no program: the status stays not_solved and it counts as reached_optimum. Otherwise the result is
// reached_optimum only when an engine ends optimal and the check passes;
// any other end leaves maxflow and every flow at 0, with the status of the
// first attempt, or cancelled when the context's `cancel` was set (before
// or during the solve), or timeout when the solve used up the context's
// `cpu_limit_seconds` of processor time, counted on the calling thread's
// clock (CLOCK_THREAD_CPUTIME_ID), so that other work on the machine does
// not shorten it.
FlowResult solve_flow_lp(const ArcLists& arcs, const DemandSet& demands,
                         const StageContext& context, const std::function<void()>& formulated = {});

// How lp_solve's status code `code` ends a solve: its status (unknown for a
// code lp_solve does not document), with the code kept.
SolveEnd lp_solve_end(int code);

// The maximum concurrent flow of the commodities of `demands` in the
// undirected network `pairs` (pair_network's), where the flows of both directions of a
// pair share its capacity: λ*, which bounds from below the ratio of every
// cut (capacity crossing in either direction over separated demand), with
// the dual lengths of the pairs' capacity rows. Solved at the same scales,
// with the same fallbacks from the engine `first`, and checked as
// solve_flow_lp's program, cancel and processor-time limit included.
//
// Without a present commodity λ* is 0 and counts as reached. Otherwise
// reached_optimum only for a checked optimum; lambda and lengths are then
// set (lengths[a] for arc a of `pairs`, equal on both arcs of a pair), else
// 0 and empty.
struct PairFlowBound {
    SolveEnd solve;
    SolverEngine solver = SolverEngine::lp_solve;
    bool reached_optimum = false;
    double lambda = 0.0;
    std::vector<double> lengths;
};
PairFlowBound solve_pair_flow_bound(const ArcLists& pairs, const DemandSet& demands,
                                    const StageContext& context, SolverEngine first);
