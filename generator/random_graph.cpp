#include "generator/random_graph.h"

#include <cmath>
#include <limits>
#include <ostream>
#include <sstream>

bool valid_vertex_total(int vertex_total) {
    return vertex_total >= 1 && vertex_total <= max_vertex_total;
}

bool valid_edge_total(int edge_total) {
    return edge_total >= 0 && edge_total <= max_edge_total;
}

bool valid_max_capacity(double max_capacity) {
    return std::isfinite(max_capacity) && max_capacity >= 0.0 &&
           std::isfinite(static_cast<float>(max_capacity));
}

std::string output_file_name(int vertex_total, int edge_total) {
    return "random_" + std::to_string(vertex_total) + "n_" + std::to_string(edge_total) + "a.gr";
}

int draw_endpoint(int draw, float vertex_total) {
    return static_cast<int>(draw / 32768.0 * vertex_total);
}

float draw_capacity(int draw, float max_capacity) {
    return static_cast<float>(draw / 32767.0 * max_capacity);
}

std::string capacity_text(float capacity) {
    std::ostringstream general;
    general << capacity;
    const std::string text = general.str();
    const auto exponent_at = text.find("e+");
    if (exponent_at == std::string::npos) {
        return text;
    }

    // Shift the mantissa's point right by the exponent, padding with zeros.
    std::string mantissa = text.substr(0, exponent_at);
    const int exponent = std::stoi(text.substr(exponent_at + 2));
    std::string sign;
    if (!mantissa.empty() && mantissa.front() == '-') {
        sign = "-";
        mantissa.erase(0, 1);
    }
    std::size_t integer_digits = mantissa.size();
    if (const auto point = mantissa.find('.'); point != std::string::npos) {
        integer_digits = point;
        mantissa.erase(point, 1);
    }
    const std::size_t shifted = integer_digits + static_cast<std::size_t>(exponent);
    if (mantissa.size() <= shifted) {
        return sign + mantissa + std::string(shifted - mantissa.size(), '0');
    }
    return sign + mantissa.substr(0, shifted) + "." + mantissa.substr(shifted);
}

bool write_random_graph(std::ostream& file, std::ostream& echo, const GraphRequest& request,
                        const std::function<int()>& draw) {
    if (request.edge_total <= 0) {
        // The viewer rejects any whitespace after the last statement.
        file << "directed = 1;";
        return static_cast<bool>(file);
    }
    file << "directed = 1; \n\n";

    const auto vertices = static_cast<float>(request.vertex_total);
    // Adding +0 turns a maximum of -0 into 0, so no capacity is written "-0".
    const auto max_capacity = static_cast<float>(request.max_capacity) + 0.0f;
    for (int i = 0; i < request.edge_total && file; ++i) {
        const int u = draw_endpoint(draw(), vertices);
        const int v = draw_endpoint(draw(), vertices);
        const float w = draw_capacity(draw(), max_capacity);
        file << "\n" << u << " <-> " << v << " [cap = " << capacity_text(w) << "];";
        echo << u << " <-> " << v << ", cap = " << w << "\n";
    }
    return static_cast<bool>(file);
}
