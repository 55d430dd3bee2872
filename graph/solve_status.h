#pragma once

#include <cstddef>
#include <string_view>

// How the solve of a flow program ended, whatever engine solved it. The
// engine's own ends come first (each engine maps its codes onto them); the
// last three are the flow computation's.
enum class SolveStatus {
    optimal,
    suboptimal,
    infeasible,
    unbounded,
    degenerate,
    numerical_failure,
    user_abort,
    timeout,
    running,
    presolved,
    no_memory,
    not_run,
    process_failed,
    process_break,
    feasible_found,
    no_feasible_found,
    fathomed,
    accuracy_error,
    unknown,       // a code the engine does not document
    not_solved,    // no program was solved (fewer than two vertices)
    check_failed,  // the engine's optimum does not satisfy the program in double precision
    cancelled,     // the load was cancelled before the solve ended
};

// Every status, in the enum's order: its name in the reports and on the
// console, its French words (the name stands for them when there are none),
// and the code the flow computation's own ends are reported with, which no
// engine gives (an engine's end is reported with the engine's own code).
struct SolveStatusRow {
    SolveStatus status;
    std::string_view name;
    std::string_view words;
    int own_code = 0;
};
inline constexpr SolveStatusRow solve_status_table[] = {
    {SolveStatus::optimal, "OPTIMAL", "solution optimale"},
    {SolveStatus::suboptimal, "SUBOPTIMAL",
     "solution sous-optimale : la résolution s'est arrêtée avant l'optimum"},
    {SolveStatus::infeasible, "INFEASIBLE", "programme sans solution"},
    {SolveStatus::unbounded, "UNBOUNDED", "programme non borné"},
    {SolveStatus::degenerate, "DEGENERATE", "programme dégénéré"},
    {SolveStatus::numerical_failure, "NUMFAILURE", "échec numérique de la résolution"},
    {SolveStatus::user_abort, "USERABORT", "résolution interrompue"},
    {SolveStatus::timeout, "TIMEOUT", "temps de résolution dépassé"},
    {SolveStatus::running, "RUNNING", ""},
    {SolveStatus::presolved, "PRESOLVED", "résolu par le prétraitement"},
    {SolveStatus::no_memory, "NOMEMORY", "mémoire insuffisante pour la résolution"},
    {SolveStatus::not_run, "NOTRUN", ""},
    {SolveStatus::process_failed, "PROCFAIL", ""},
    {SolveStatus::process_break, "PROCBREAK", ""},
    {SolveStatus::feasible_found, "FEASFOUND", ""},
    {SolveStatus::no_feasible_found, "NOFEASFOUND", ""},
    {SolveStatus::fathomed, "FATHOMED", ""},
    {SolveStatus::accuracy_error, "ACCURACYERROR", "précision insuffisante de la résolution"},
    {SolveStatus::unknown, "UNKNOWN", ""},
    {SolveStatus::not_solved, "NOT_SOLVED", "pas de programme linéaire (moins de deux sommets)",
     -100},
    {SolveStatus::check_failed, "CHECK_FAILED", "la solution trouvée ne passe pas la vérification",
     -101},
    {SolveStatus::cancelled, "CANCELLED", "calcul annulé", -102},
};

constexpr const SolveStatusRow& solve_status_row(SolveStatus status) {
    return solve_status_table[static_cast<std::size_t>(status)];
}

constexpr bool solve_status_table_in_order() {
    std::size_t i = 0;
    for (const SolveStatusRow& row : solve_status_table) {
        if (static_cast<std::size_t>(row.status) != i++) {
            return false;
        }
    }
    return i == static_cast<std::size_t>(SolveStatus::cancelled) + 1;
}
static_assert(solve_status_table_in_order(), "one row per status, in the enum's order");

// "OPTIMAL", "CANCELLED", …
constexpr std::string_view solve_status_name(SolveStatus status) {
    return solve_status_row(status).name;
}

// "solution optimale", "calcul annulé", …; the name for a status without words.
constexpr std::string_view solve_status_words(SolveStatus status) {
    const SolveStatusRow& row = solve_status_row(status);
    return row.words.empty() ? row.name : row.words;
}

// How a solve ended: its status and the code it is reported with.
struct SolveEnd {
    SolveStatus status = SolveStatus::not_solved;
    int code = solve_status_row(SolveStatus::not_solved).own_code;

    // One of the flow computation's own ends, with its code.
    static constexpr SolveEnd own(SolveStatus status) {
        return {status, solve_status_row(status).own_code};
    }
    // Whether the engine reported an optimum (that passed its check, if any).
    constexpr bool is_optimum() const {
        return status == SolveStatus::optimal || status == SolveStatus::presolved;
    }
    // Whether the solve was stopped rather than ended by its engine: a
    // cancel, the processor-time limit, or no memory for the program.
    constexpr bool is_stop() const {
        return status == SolveStatus::cancelled || status == SolveStatus::timeout ||
               status == SolveStatus::no_memory;
    }
    std::string_view name() const { return solve_status_name(status); }
};
