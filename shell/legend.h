#pragma once

#include <vector>

#include "view/overlay.h"
#include "view/scene_input.h"
#include "view/view_settings.h"

// The legend of what `input` shows (see legend_lines), naming lp_solve's
// status when the flow program did not reach its optimum. The window and
// tarvessa-batch's pictures both take it from here.
std::vector<LegendLine> legend_for(const SceneInput& input, const ViewSettings& settings);
