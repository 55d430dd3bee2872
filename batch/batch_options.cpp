#include "batch/batch_options.h"

#include <charconv>

namespace {

std::optional<std::uint32_t> parse_seed(const std::string& text) {
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<BatchOptions> parse_batch_options(const std::vector<std::string>& args,
                                                std::string& error) {
    BatchOptions options;
    bool have_path = false;
    bool options_done = false;  // after "--" every argument is a file
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool is_option = !options_done && arg.size() > 1 && arg[0] == '-';
        if (!is_option) {
            if (have_path) {
                error = "only one file can be loaded";
                return std::nullopt;
            }
            options.path = arg;
            have_path = true;
        } else if (arg == "--") {
            options_done = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--seed") {
            if (i + 1 >= args.size()) {
                error = "--seed needs a number";
                return std::nullopt;
            }
            options.seed = parse_seed(args[++i]);
            if (!options.seed) {
                error = "bad seed: " + args[i];
                return std::nullopt;
            }
        } else {
            error = "unknown option: " + arg;
            return std::nullopt;
        }
    }
    if (!have_path) {
        error = "no file given";
        return std::nullopt;
    }
    return options;
}
