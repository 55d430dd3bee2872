#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "view/camera.h"
#include "view/scene_colours.h"
#include "view/scene_input.h"
#include "view/view_settings.h"

// What is written over the picture, the same in the window and in the
// pictures that tarvessa-batch renders: each one draws these in its own way.

// Size in pixels (the em) of the texts drawn over the picture, labels and
// legend, in the window and in the pictures alike.
inline constexpr int overlay_text_pixels = 13;

// What the drawer's font measures, in pixels: the height of one line of text
// and the width of a text (UTF-8) as drawn.
struct TextMetrics {
    int line_height = 0;
    std::function<int(const std::string&)> text_width;
};

// One line of the legend box: a text, the colour of the square shown before
// it (none for a line without one), whether it is a warning, and whether the
// load ramp stands before it instead of a square.
struct LegendLine {
    std::string text;
    std::optional<Rgb> swatch;
    bool warning = false;
    bool load_ramp = false;
};

// The legend of the graph on show, top to bottom:
//   for a set other than the default, "Demandes : <origin of the set>";
//   each commodity in its arch's colour: "Commodité w : s → t, demande d",
//   or "Commodité w : s → t, absente" when its sink is not a vertex: the
//   default set's three, another set's first six featured commodities
//   (DemandSet::featured), then "… et N autres (demande totale D)" for the
//   others and, when some have no arch, "Arches des 12 plus fortes demandes
//   seulement";
//   "Sources : 0, 2, 4" in the source colour, "Puits : 1, 3, 5" in the sink
//   colour (the terminals that exist; for a set other than the default each
//   vertex once, ascending, the first six and then "… et N autres");
//   with the cut shown, "Côté S de la coupe" in the cut's colour ("Côté S
//   de la meilleure coupe" when the best cut is the one shown);
//   with show-flow colouring the edges by their load (colours_by_load: a
//   set that cannot show by commodity, or asked for), the load ramp with
//   "Charge des arêtes (flot / capacité) : 0 → 1";
//   "maxflow = …"; "Solveur LP : CLP" when CLP answered the flow program;
//   "mincut = … (S : k sommets)", or "mincut : aucune coupe"
//   when none separates any demand;
//   with a certificate: "λ* = …", "meilleure coupe = … (S : k sommets)"
//   (or "meilleure coupe : aucune coupe") and, for a found cut, "coupe
//   optimale prouvée" or "écart ≤ ×g" (g rounded up to three significant
//   digits; "écart non borné" under a bound of 0); when λ* was not reached,
//   the warning "λ* non calculé (statut <engine> : code, name)" instead; "λ* : calcul en cours..."
//   while it is pending; "n sommets, m arcs" (m arêtes for an undirected graph); and, when the flow
//   program did not reach its optimum, the warning "Calcul non abouti (statut <engine> : code,
//   name)", <engine> being "lp_solve" or "CLP".
// Numbers are written as the console writes them. Empty (no box at all)
// when there is no drawable graph or the graph has no vertices.
std::vector<LegendLine> legend_lines(const SceneInput& input, const ViewSettings& settings);

// The lines the legend of `input` will have once its certificate is in, for
// the fitted view to keep clear of: legend_lines', with room for the three
// lines of a certificate while there is none yet (the window certifies every
// graph it loads, so its legend grows by them after the fit).
std::vector<LegendLine> legend_room_for(const SceneInput& input, const ViewSettings& settings);

// A vertex's label: its text and where it goes on the screen, in pixels from
// the drawing area's top-left corner: `x` is its left edge, `y` its vertical
// middle, just right of the sphere.
struct VertexLabel {
    int vertex = 0;
    std::string text;
    double x = 0.0;
    double y = 0.0;
};

// Longest name shown in a label, in bytes; a longer one is cut at a
// character boundary and ends with "…".
inline constexpr std::size_t label_name_limit = 40;

// The labels of the vertices that are in front of the camera and on the
// screen (or just off it): "i", or "i : name" for a vertex with a name. None
// when labels are off or nothing is drawable; above label_limit vertices
// only the terminals of the featured commodities (the default set's 0 … 5)
// unless every label is asked for.
std::vector<VertexLabel> vertex_labels(const SceneInput& input, const ViewSettings& settings,
                                       const Camera& camera);

// The labels that can be read, out of `labels` (vertex_labels'): one whose
// text (as `metrics` measure it, one line high, with a pixel of halo around)
// would overlap a label kept before it is left out. The terminals come
// first, then the other vertices by decreasing degree (the lower number
// first among equals); the labels kept come in that order.
std::vector<VertexLabel> legible_labels(std::vector<VertexLabel> labels, const SceneInput& input,
                                        const TextMetrics& metrics);

// `text` cut to at most `limit` bytes at a UTF-8 character boundary, with
// "…" after it when anything was cut.
std::string shortened(std::string_view text, std::size_t limit);
