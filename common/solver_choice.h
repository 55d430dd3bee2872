#pragma once

#include <optional>
#include <string_view>

#include "common/lookup_table.h"

// The LP engines that solve the flow programs.
enum class SolverEngine { lp_solve, clp };

// The engine's name in the JSON report's "solver": "lp_solve", "clp".
constexpr const char* solver_engine_key(SolverEngine engine) {
    return engine == SolverEngine::clp ? "clp" : "lp_solve";
}

// The engine as the console, the legend and the messages name it:
// "lp_solve", "CLP".
constexpr const char* solver_engine_title(SolverEngine engine) {
    return engine == SolverEngine::clp ? "CLP" : "lp_solve";
}

// Which engine the user asks for: a fixed one, or the automatic choice by
// the size of the program (chosen_engine in flow/flow_lp.h).
enum class SolverChoice { automatic, lp_solve, clp };

// The choice's value on tarvessa-batch's command line and in the window's
// preferences: "auto", "lp_solve", "clp".
inline constexpr LookupRow<SolverChoice, const char*> solver_choice_keys[] = {
    {SolverChoice::automatic, "auto"},
    {SolverChoice::lp_solve, "lp_solve"},
    {SolverChoice::clp, "clp"},
};

constexpr const char* solver_choice_key(SolverChoice choice) {
    return look_up(solver_choice_keys, choice, "auto");
}

// The choice a key names, or nothing for any other text.
constexpr std::optional<SolverChoice> solver_choice_of(std::string_view key) {
    return key_named(solver_choice_keys, key);
}
