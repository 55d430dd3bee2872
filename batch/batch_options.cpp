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

// Sets the flag that the option `arg` names; false when it names none.
bool apply_flag(const std::string& arg, BatchOptions& options, bool& picture_option) {
    if (arg == "--verbose") {
        options.verbose = true;
    } else if (arg == "--json") {
        options.json = true;
    } else if (arg == "--flow") {
        options.png_flow = true;
        picture_option = true;
    } else if (arg == "--2d") {
        options.png_2d = true;
        picture_option = true;
    } else {
        return false;
    }
    return true;
}

// Reads the value of the option `arg` from `value` (null when the command
// line ends after the option). Fails with the reason when the value is
// missing or malformed; gives false when `arg` takes no value.
Expected<bool> apply_valued(const std::string& arg, const std::string* value,
                            BatchOptions& options, bool& picture_option) {
    if (arg == "--seed") {
        if (value == nullptr) {
            return fail("--seed needs a number");
        }
        options.seed = parse_seed(*value);
        if (!options.seed) {
            return fail("bad seed: " + *value);
        }
    } else if (arg == "--png") {
        if (value == nullptr || value->empty()) {
            return fail("--png needs a file");
        }
        options.png_path = *value;
    } else if (arg == "--size") {
        if (value == nullptr || !parse_size(*value, options.png_width, options.png_height)) {
            return fail("--size needs WxH, from 1x1 to 16384x16384");
        }
        picture_option = true;
    } else {
        return false;
    }
    return true;
}

}  // namespace

Expected<BatchOptions> parse_batch_options(const std::vector<std::string>& args) {
    BatchOptions options;
    bool have_path = false;
    bool options_done = false;    // after "--" every argument is a file
    bool picture_option = false;  // --size, --flow or --2d seen
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_done || arg.size() < 2 || arg[0] != '-') {
            if (have_path) {
                return fail("only one file can be loaded");
            }
            options.path = arg;
            have_path = true;
            continue;
        }
        if (arg == "--") {
            options_done = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        }
        if (apply_flag(arg, options, picture_option)) {
            continue;
        }
        const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
        const Expected<bool> valued = apply_valued(arg, value, options, picture_option);
        if (!valued) {
            return fail(valued.error());
        }
        if (!*valued) {
            return fail("unknown option: " + arg);
        }
        ++i;
    }
    if (!have_path) {
        return fail("no file given");
    }
    if (picture_option && options.png_path.empty()) {
        return fail("--size, --flow and --2d go with --png");
    }
    return options;
}
