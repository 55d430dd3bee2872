#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"
#include "common/solver_choice.h"
#include "netformat/imported_network.h"

// tarvessa-batch's exit statuses.
enum BatchStatus : int {
    batch_success = 0,
    // The load was refused: the file cannot be opened, is invalid or cannot
    // become a graph here.
    batch_load_refused = 1,
    // A bad command line.
    batch_usage_error = 2,
    // The graph loaded, but its flow program did not reach a checked optimum
    // (solver status other than optimal, failed answer check, time limit).
    batch_not_optimal = 3,
    // The graph loaded, but the picture asked for with --png was not written.
    batch_picture_failed = 4,
};

// The command line of tarvessa-batch; see batch_help_text() for each option.
struct BatchOptions {
    bool verbose = false;
    bool json = false;
    // --certificate: the cut is certified (the flow bound, the best cut found
    // and whether it is proved optimal): in the JSON report and the picture's
    // legend. --cut best certifies it too.
    bool certificate = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    // Seed of the random source; the time when absent.
    std::optional<std::uint32_t> seed;
    // Longest processor time of the flow program's solve, in seconds; 0 for
    // no limit.
    double time_limit_seconds = 0.0;
    // The file to load; "-" for standard input.
    std::string path;
    // --demands: the commodities of the load, the default three ("default"),
    // one unit between every pair ("all-pairs") or those of a demand file
    // (its path).
    std::string demands = "default";
    // --format: the language the file is read in, whatever its content;
    // none to choose it by the content.
    std::optional<NetworkFormat> format;
    // --solver: the LP engine of the flow programs, or the automatic choice
    // by their size.
    SolverChoice solver = SolverChoice::automatic;

    // --png FILE: also writes the view of the loaded graph, as the window
    // would first show it, to this PNG file; empty when not asked for.
    std::string png_path;
    // --size WxH: the picture's size in pixels.
    int png_width = 700;
    int png_height = 700;
    // --flow: edges thickened and coloured by their flow.
    bool png_flow = false;
    // --2d: the view from above instead of the start camera.
    bool png_2d = false;
    // --camera start: the window's start camera (or the 2D command's view)
    // instead of one fitted to the whole graph.
    bool png_camera_start = false;
    // --layout force: the force layout instead of the load's random placement.
    bool png_layout_force = false;
    // --show-cut, --no-labels, --no-legend, --no-arrows.
    bool png_show_cut = false;
    // --cut best: the cut shown is the certified best cut, not the sweep's.
    bool png_best_cut = false;
    bool png_labels = true;
    bool png_legend = true;
    bool png_arrows = true;

    bool reads_standard_input() const { return path == "-"; }
    // Whether the cut is certified after the load.
    bool certifies() const { return certificate || png_best_cut; }
};

// "Utilisation : tarvessa-batch [OPTION]... FICHIER" and its line end.
std::string batch_usage_line();

// The text of --help: what the program does, every option with its value and
// default, the exit statuses and examples. French, UTF-8.
std::string batch_help_text();

// "tarvessa-batch <version>" and a line end.
std::string batch_version_text();

// Reads the arguments after the program name. Options come as "--name",
// "--name value" or "--name=value", in any order and anywhere before "--";
// every argument after "--", and every argument that does not begin with
// "-" (or is "-" itself), is the file. Fails, with a French message that
// names the option and quotes the bad value (cut to about 60 characters),
// for an unknown option, a missing or malformed value, a value given to an
// option that takes none, no file or more than one, a picture name that does
// not end in ".png", or a picture option without --png. "--help" and
// "--version" stop the reading at once and need no file.
Expected<BatchOptions> parse_batch_options(const std::vector<std::string>& args);
