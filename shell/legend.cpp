#include "shell/legend.h"

#include "flow/flow_lp.h"
#include "graph/cut_certificate.h"
#include "graph/flow_result.h"

std::vector<LegendLine> legend_for(const SceneInput& input, const ViewSettings& settings) {
    if (!input.drawable()) {
        return {};
    }
    const std::string bound_status =
        input.certificate != nullptr ? lp_status_text(input.certificate->lp_status) : "";
    return legend_lines(input, settings, lp_status_text(input.result->lp_status), bound_status);
}

std::vector<LegendLine> legend_room_for(const SceneInput& input, const ViewSettings& settings) {
    if (input.certificate != nullptr) {
        return legend_for(input, settings);
    }
    SceneInput without = input;
    without.certificate_pending = false;
    std::vector<LegendLine> lines = legend_for(without, settings);
    if (!lines.empty()) {
        for (const char* text :
             {"λ* = 0.00000000", "meilleure coupe = 0.00000000 (S : 0000 sommets)",
              "coupe optimale prouvée"}) {
            lines.push_back({text, std::nullopt});
        }
    }
    return lines;
}
