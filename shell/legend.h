#pragma once

#include <vector>

#include "view/overlay.h"
#include "view/scene_input.h"
#include "view/view_settings.h"

// The legend of what `input` shows (see legend_lines), naming lp_solve's
// status when the flow program did not reach its optimum. The window and
// tarvessa-batch's pictures both take it from here.
std::vector<LegendLine> legend_for(const SceneInput& input, const ViewSettings& settings);

// The lines the legend of `input` will have once its certificate is in, for
// the fitted view to keep clear of: legend_for's, with room for the three
// lines of a certificate while there is none yet (the window certifies every
// graph it loads, so its legend grows by them after the fit).
std::vector<LegendLine> legend_room_for(const SceneInput& input, const ViewSettings& settings);
