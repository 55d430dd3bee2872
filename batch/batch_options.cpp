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

// "WxH" with both sides decimal numbers from 1 to max_picture_side.
bool parse_size(const std::string& text, int& width, int& height) {
    constexpr int max_picture_side = 16384;
    const std::size_t cross = text.find('x');
    if (cross == std::string::npos) {
        return false;
    }
    const auto side = [](const char* begin, const char* end, int& value) {
        const auto [stop, error] = std::from_chars(begin, end, value);
        return begin != end && error == std::errc() && stop == end && value >= 1 &&
               value <= max_picture_side;
    };
    return side(text.data(), text.data() + cross, width) &&
           side(text.data() + cross + 1, text.data() + text.size(), height);
}

}  // namespace

std::optional<BatchOptions> parse_batch_options(const std::vector<std::string>& args,
                                                std::string& error) {
    BatchOptions options;
    bool have_path = false;
    bool options_done = false;     // after "--" every argument is a file
    bool picture_options = false;  // --size, --flow or --2d seen
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
        } else if (arg == "--png") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "--png needs a file";
                return std::nullopt;
            }
            options.png_path = args[++i];
        } else if (arg == "--size") {
            if (i + 1 >= args.size() ||
                !parse_size(args[i + 1], options.png_width, options.png_height)) {
                error = "--size needs WxH, from 1x1 to 16384x16384";
                return std::nullopt;
            }
            ++i;
            picture_options = true;
        } else if (arg == "--flow") {
            options.png_flow = true;
            picture_options = true;
        } else if (arg == "--2d") {
            options.png_2d = true;
            picture_options = true;
        } else {
            error = "unknown option: " + arg;
            return std::nullopt;
        }
    }
    if (!have_path) {
        error = "no file given";
        return std::nullopt;
    }
    if (picture_options && options.png_path.empty()) {
        error = "--size, --flow and --2d go with --png";
        return std::nullopt;
    }
    return options;
}
