#pragma once

#include <cstdint>
#include <string>

#include "common/console_log.h"
#include "common/random_source.h"
#include "common/stage_context.h"

// What a stage of the load needs, for a test: a console kept in memory whose
// clock never moves, so that every timer line reads "0 s.", and a random
// source started from a fixed seed.
struct TestStage {
    explicit TestStage(std::uint32_t seed = 1) : random(seed) {}

    StageContext context(bool verbose = false) {
        StageContext context{log, random};
        context.verbose = verbose;
        return context;
    }
    const std::string& text() const { return sink.text(); }

    StringSink sink;
    ConsoleLog log{sink, [] { return std::int64_t{0}; }};
    RandomSource random;
};
