#pragma once

#include <nlohmann/json.hpp>

// Checks, with GoogleTest assertions, that `report` has exactly the keys of
// the load report (schema_version 2, as the README documents them), each of
// its type and shape, and that they agree with one another: one name, size
// and position per vertex, edges and flows between vertices, the three
// commodities, the cut's ratio equal to its crossing capacity over its
// separated demand, the fixed timing keys.
void expect_report_schema(const nlohmann::json& report);
