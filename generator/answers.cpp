#include "generator/answers.h"

#include <charconv>
#include <istream>

namespace {

bool is_digit(int c) {
    return c >= '0' && c <= '9';
}

// The characters of `in` that a stream takes for a floating-point number,
// taken out of it: [sign] digits [. digits] [e|E [sign] digits].
std::string take_number_text(std::istream& in) {
    std::string text;
    const auto take_if = [&](auto accept) {
        const int c = in.peek();
        if (c != std::char_traits<char>::eof() && accept(c)) {
            text += static_cast<char>(in.get());
            return true;
        }
        return false;
    };
    const auto sign = [](int c) { return c == '+' || c == '-'; };
    take_if(sign);
    while (take_if(is_digit)) {
    }
    if (take_if([](int c) { return c == '.'; })) {
        while (take_if(is_digit)) {
        }
    }
    if (take_if([](int c) { return c == 'e' || c == 'E'; })) {
        take_if(sign);
        while (take_if(is_digit)) {
        }
    }
    return text;
}

// `text` whole as a decimal double (no "inf", "nan" or hexadecimal); a
// leading "+" is allowed.
std::optional<double> whole_double(std::string_view text) {
    if (text.find_first_not_of("0123456789+-.eE") != std::string_view::npos) {
        return std::nullopt;
    }
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text[0] == '-') {
            return std::nullopt;
        }
    }
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// A maximum capacity: a whole double that does not vanish in single
// precision, the viewer's (1e-50 would make every capacity 0).
std::optional<double> capacity_value(std::string_view text) {
    const std::optional<double> value = whole_double(text);
    if (value && *value > 0.0 && static_cast<float>(*value) == 0.0f) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

Answer read_count(std::istream& in, int& count) {
    if (!(in >> count)) {
        return in.eof() ? Answer::missing : Answer::invalid;
    }
    const int next = in.peek();
    return next == '.' || next == ',' ? Answer::invalid : Answer::ok;
}

Answer read_max_capacity(std::istream& in, double& max_capacity) {
    if (!(in >> std::ws) || in.peek() == std::char_traits<char>::eof()) {
        return Answer::missing;
    }
    const std::optional<double> value = capacity_value(take_number_text(in));
    if (!value || in.peek() == ',') {
        return Answer::invalid;
    }
    max_capacity = *value;
    return Answer::ok;
}

std::optional<int> parse_count(std::string_view text) {
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text[0] == '-') {
            return std::nullopt;
        }
    }
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parse_max_capacity(std::string_view text) {
    return capacity_value(text);
}

VarnockArgumentsOrError parse_varnock_arguments(const std::vector<std::string>& args) {
    VarnockArguments arguments;
    std::vector<std::string> values;
    const auto refuse = [](std::string message) {
        return VarnockArgumentsOrError{std::nullopt, std::move(message)};
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // A value may be negative: "-4" is a (refused) count, not an option.
        if (arg.size() < 2 || arg[0] != '-' || is_digit(arg[1]) || arg[1] == '.') {
            values.push_back(arg);
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            arguments.help = true;
            return {arguments, ""};
        }
        if (arg == "--version") {
            arguments.version = true;
            return {arguments, ""};
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (name != "--seed" && name != "--output") {
            return refuse("option inconnue « " + name.substr(0, 60) + " »");
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return refuse("l'option " + name + " attend une valeur");
        }
        if (name == "--seed") {
            std::uint32_t seed = 0;
            const char* end = value.data() + value.size();
            const auto [stop, error] = std::from_chars(value.data(), end, seed);
            if (value.empty() || error != std::errc() || stop != end) {
                return refuse("l'option --seed attend un entier de 0 à 4294967295, pas « " +
                              value.substr(0, 60) + " »");
            }
            arguments.seed = seed;
        } else {
            if (value.empty()) {
                return refuse("l'option --output attend un nom de fichier");
            }
            arguments.output = value;
        }
    }
    if (values.size() != 3) {
        return refuse("trois valeurs sont attendues (sommets, arêtes, capacité maximale), pas " +
                      std::to_string(values.size()));
    }
    arguments.vertices = values[0];
    arguments.edges = values[1];
    arguments.max_capacity = values[2];
    return {arguments, ""};
}
