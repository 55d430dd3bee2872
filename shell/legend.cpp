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
