#pragma once

#include <optional>
#include <string_view>

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
constexpr const char* solver_choice_key(SolverChoice choice) {
    switch (choice) {
        case SolverChoice::lp_solve:
            return "lp_solve";
        case SolverChoice::clp:
            return "clp";
        case SolverChoice::automatic:
            break;
    }
    return "auto";
}

// The choice a key names, or nothing for any other text.
constexpr std::optional<SolverChoice> solver_choice_of(std::string_view key) {
    for (const SolverChoice choice :
         {SolverChoice::automatic, SolverChoice::lp_solve, SolverChoice::clp}) {
        if (key == solver_choice_key(choice)) {
            return choice;
        }
    }
    return std::nullopt;
}
