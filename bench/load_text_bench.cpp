// Load benchmark of large texts: time per MiB and peak memory of whole loads
// of files near the 16 MiB size limit whose shape stresses the reading and
// the parse rather than the flow program (the graphs are small): one
// statement with a 7 MiB name and 815 000 options, huge names, values and
// keys, long lists, many statements (tiny ones too), many options of one node,
// a sea of blanks, and a text that fails only at its very end.
//
//     load_text_bench               every case at its full size
//     load_text_bench 0.25          every case at a quarter of it
//     load_text_bench 1 lists keys  only the cases whose name holds a word
//
// Each load runs in a child process of its own (bench/child_load.h). A load
// that is refused (the unknown key, the invalid end) counts as long as it
// gives its message.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/child_load.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t mib = std::size_t{1} << 20;

struct Case {
    const char* name;
    // Makes the text, about `scale` times its full size.
    std::function<std::string(double scale)> text;
};

std::size_t scaled(std::size_t full, double scale) {
    return static_cast<std::size_t>(static_cast<double>(full) * scale);
}

// Statements u -> v [cap = c]; among 40 vertices until `bytes`.
std::string many_statements(std::size_t bytes) {
    std::string text = "directed = 1;";
    text.reserve(bytes + 64);
    for (int i = 0; text.size() < bytes; ++i) {
        const int u = i % 40;
        const int v = (i / 40 + u + 1) % 40;
        text.push_back('\n');
        text += std::to_string(u);
        text += " -> ";
        text += std::to_string(v);
        text += " [cap = ";
        text += std::to_string(1 + i % 97);
        text += "];";
    }
    return text;
}

// One edge statement whose two lists repeat 0 … 99 until `bytes`.
std::string long_lists(std::size_t bytes) {
    std::string sources = "0";
    std::string targets = "1";
    for (int i = 1; sources.size() + targets.size() < bytes; ++i) {
        sources.push_back(',');
        sources += std::to_string(i % 100);
        targets.push_back(',');
        targets += std::to_string((i + 1) % 100);
    }
    return sources + " -> " + targets + " [cap = 2];";
}

const std::vector<Case> cases = {
    {"huge_options",
     [](double scale) {
         std::string text = "0 -> 1 [name = " + std::string(scaled(7 * mib, scale), 'A');
         const std::size_t options = scaled(815'000, scale);
         text.reserve(text.size() + 10 * options + 2);
         for (std::size_t i = 0; i < options; ++i) {
             text += ", cap = 1";
         }
         return text + "];";
     }},
    {"long_node_name",
     [](double scale) { return "0 : " + std::string(scaled(15 * mib, scale), 'N') + ";0 -> 1;"; }},
    {"long_global_value",
     [](double scale) {
         return "name = " + std::string(scaled(15 * mib, scale), 'V') + ";0 -> 1;";
     }},
    {"spaced_name",
     [](double scale) {
         // Blanks between the characters of a name are skipped one by one.
         std::string name;
         name.reserve(scaled(15 * mib, scale));
         while (name.size() + 2 <= scaled(15 * mib, scale)) {
             name += "a ";
         }
         return "0 : " + name + "b;0 -> 1;";
     }},
    {"long_lists", [](double scale) { return long_lists(scaled(15 * mib, scale)); }},
    {"many_statements", [](double scale) { return many_statements(scaled(15 * mib, scale)); }},
    {"tiny_statements",
     [](double scale) {
         // The most statements a file can hold: each makes an edge group.
         std::string text;
         text.reserve(scaled(15 * mib, scale) + 8);
         while (text.size() < scaled(15 * mib, scale)) {
             text += "0->1;";
         }
         return text;
     }},
    {"many_node_options",
     [](double scale) {
         std::string text = "0 : a [size = 1";
         while (text.size() < scaled(15 * mib, scale)) {
             text += ", size = 2";
         }
         return text + "];0 -> 1;";
     }},
    {"blanks",
     [](double scale) {
         std::string text(scaled(15 * mib, scale) + 1, ' ');
         text.front() = '0';
         return text + "-> 1;";
     }},
    {"huge_unknown_key",
     [](double scale) {
         return "0 -> 1;\n1 -> 2 [" + std::string(scaled(15 * mib, scale), 'k') + " = 1];";
     }},
    {"invalid_at_the_end",
     [](double scale) { return many_statements(scaled(15 * mib, scale)) + "\n"; }},
};

}  // namespace

int main(int argc, char** argv) {
    double scale = 1.0;
    std::vector<std::string> filters;
    if (argc > 1) {
        scale = std::atof(argv[1]);
        if (scale <= 0.0 || scale > 1.0) {
            std::fprintf(stderr, "usage: load_text_bench [scale in (0, 1]] [case words...]\n");
            return 2;
        }
    }
    for (int i = 2; i < argc; ++i) {
        filters.emplace_back(argv[i]);
    }
    const fs::path dir =
        fs::temp_directory_path() / ("quillmere-load-text-" + std::to_string(getpid()));
    fs::create_directories(dir);

    std::printf("%-20s %9s %9s %9s %9s %9s  %s\n", "case", "MiB", "s", "s/MiB", "cpu s",
                "peak MiB", "outcome");
    for (const Case& c : cases) {
        bool wanted = filters.empty();
        for (const std::string& word : filters) {
            wanted = wanted || std::string(c.name).find(word) != std::string::npos;
        }
        if (!wanted) {
            continue;
        }
        const std::string text = c.text(scale);
        const fs::path path = dir / (std::string(c.name) + ".gr");
        std::ofstream(path, std::ios::binary) << text;
        const double size = static_cast<double>(text.size()) / static_cast<double>(mib);
        const ChildLoad load = load_in_child(path.string(), false, 300);
        std::printf("%-20s %9.2f %9.3f %9.4f %9.3f %9.1f  %s\n", c.name, size, load.seconds,
                    load.seconds / size, load.cpu_seconds, static_cast<double>(load.peak_kib) / 1024.0,
                    load.stopped ? "stopped at 300 s" : load.loaded ? "loaded" : "refused");
        std::fflush(stdout);
        fs::remove(path);
    }
    fs::remove_all(dir);
    return 0;
}
