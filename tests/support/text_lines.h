#pragma once

#include <string>
#include <vector>

// The lines of `text` without their "\n"; a final line without one counts,
// an empty text has no lines.
std::vector<std::string> lines_of(const std::string& text);
