#include "tests/support/scratch_dir.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// `text` between single quotes for the shell; a quote inside becomes '\''.
std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text) {
        if (c == '\'') {
            result += "'\\''";
        } else {
            result += c;
        }
    }
    return result + "'";
}

}  // namespace

nlohmann::json RunResult::report() const {
    const std::size_t end = out.find_last_not_of('\n');
    const std::size_t start = out.rfind('\n', end);
    return nlohmann::json::parse(out.substr(start == std::string::npos ? 0 : start + 1));
}

ScratchDir::ScratchDir(const std::string& prefix) {
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
    }
    base_ = pattern;
    dir_ = base_ / "run";
    fs::create_directory(dir_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(base_, ignored);
}

std::string ScratchDir::write(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ / name, std::ios::binary) << content;
    return (dir_ / name).string();
}

std::vector<std::string> ScratchDir::entries() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

RunResult ScratchDir::run(const std::string& program, const std::string& args,
                          const std::string& input, int timeout_seconds) const {
    const fs::path in = base_ / "stdin";
    const fs::path out = base_ / "stdout";
    const fs::path err = base_ / "stderr";
    std::ofstream(in, std::ios::binary) << input;
    const std::string command = "cd " + quoted(dir_.string()) + " && timeout " +
                                std::to_string(timeout_seconds) + " " + quoted(program) + " " +
                                args + " < " + quoted(in.string()) + " > " + quoted(out.string()) +
                                " 2> " + quoted(err.string());
    const int raw = std::system(command.c_str());
    RunResult result;
    result.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = read_file(out);
    result.err = read_file(err);
    return result;
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
