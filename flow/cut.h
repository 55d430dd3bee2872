#pragma once

#include "flow/cut_result.h"

class ConsoleLog;
struct FlowResult;

// Embeds the result's graph, picks the coordinate with the smallest ratio of
// capacity to separated demand and sweeps it for the best prefix cut.
CutResult extract_cut(const FlowResult& result, ConsoleLog& log, bool verbose);
