#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// What a program started by ScratchDir::run did.
struct RunResult {
    // The exit status as the shell saw it: 124 when the time limit stopped
    // the program, -1 when the shell itself did not exit.
    int status = -1;
    std::string out;
    std::string err;

    // The JSON report that tarvessa-batch --json prints as the last line of
    // standard output; throws when that line is not JSON.
    nlohmann::json report() const;
};

// A fresh directory under the system's temporary directory, removed with all
// its contents on destruction. Tests write their inputs into dir() and run
// programs there; the captured streams are kept beside dir(), not in it, so
// that dir() holds only what the test and the program put there.
class ScratchDir {
  public:
    // `prefix` starts the directory's name, to tell whose a leftover one is.
    // Throws when no directory can be made.
    explicit ScratchDir(const std::string& prefix = "quillmere-test");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& dir() const { return dir_; }
    std::filesystem::path path(const std::string& name) const { return dir_ / name; }

    // Writes `content` byte for byte to `name` in dir(); returns its full path.
    std::string write(const std::string& name, const std::string& content) const;

    // The names of the entries of dir(), in no particular order.
    std::vector<std::string> entries() const;

    // Runs `program` with `args` (a shell fragment, quoted where needed) in
    // dir(), with `input` as its standard input, and captures both output
    // streams. The program is stopped after `timeout_seconds`, so that one
    // that waits for ever fails the test instead of hanging it.
    RunResult run(const std::string& program, const std::string& args,
                  const std::string& input = "", int timeout_seconds = 60) const;

  private:
    std::filesystem::path base_;
    std::filesystem::path dir_;
};

// The whole content of the file at `path`, or "" when it cannot be opened.
std::string read_file(const std::filesystem::path& path);
