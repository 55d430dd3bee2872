#pragma once

#include <string>

// Writes `content` to `path`, replacing the file only once the whole text is
// written (through a temporary file beside it). False when it cannot.
bool write_file_atomically(const std::string& path, const std::string& content);
