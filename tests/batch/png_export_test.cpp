// Runs tarvessa-batch with --png and checks the picture it writes: its size,
// and the three commodity arches of a graph laid out in front of the camera.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "tests/support/png_reader.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/view_projection.h"

namespace fs = std::filesystem;

namespace {

const std::string batch_path = std::string(QUILLMERE_BINARY_DIR) + "/batch/tarvessa-batch";

// Six terminals in the plane x = 0, pair by pair at height −6 facing the start
// camera; each pair's only edge has the capacity that gives maxflow 0.1.
const std::string arches_gr =
    "name = Arches;\n"
    "0 : S0 [x = 0, y = -14, z = -6];\n"
    "1 : T0 [x = 0, y = -6, z = -6];\n"
    "2 : S1 [x = 0, y = -4, z = -6];\n"
    "3 : T1 [x = 0, y = 4, z = -6];\n"
    "4 : S2 [x = 0, y = 6, z = -6];\n"
    "5 : T2 [x = 0, y = 14, z = -6];\n"
    "0 <-> 1 [cap = 25];\n"
    "2 <-> 3 [cap = 20];\n"
    "4 <-> 5 [cap = 22.5];";

class PngRun : public ::testing::Test {
  protected:
    void SetUp() override { scratch_.write("arches.gr", arches_gr); }

    // Runs tarvessa-batch in the scratch directory; returns its exit status.
    int batch(const std::string& args) {
        const RunResult run = scratch_.run(batch_path, args);
        err_ = run.err;
        return run.status;
    }

    // The picture that tarvessa-batch writes with `args` (after --seed 1 and
    // the picture's name) from arches.gr.
    Picture picture(const std::string& args) {
        EXPECT_EQ(batch("--seed 1 --png p.png " + args + " arches.gr"), 0) << err_;
        std::optional<Picture> read = read_png(scratch_.path("p.png"));
        EXPECT_TRUE(read.has_value()) << args;
        return read ? *read : Picture{};
    }

    ScratchDir scratch_{"tarvessa-png"};
    std::string err_;
};

}  // namespace

TEST_F(PngRun, StartViewShowsTheThreeArches) {
    ASSERT_EQ(batch("--seed 1 --png out.png --camera start --no-labels --no-legend arches.gr"), 0) << err_;
    const std::optional<Picture> picture = read_png(scratch_.path("out.png"));
    ASSERT_TRUE(picture.has_value());
    ASSERT_EQ(picture->width, 700);
    ASSERT_EQ(picture->height, 700);
    // Each arch tops out 4 above its pair, at (0, c, −2) for c = −10, 0, 10.
    const float tops[3] = {-10, 0, 10};
    for (int w = 0; w < 3; ++w) {
        const Pixel top = project_start_view({0, tops[w], -2}, 700, 700);
        EXPECT_TRUE(dominated_by(picture->at(top.x, top.y), w)) << "commodity " << w;
    }
    // The corners are background.
    EXPECT_EQ(picture->at(0, 0), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(picture->at(699, 699), (std::array<int, 3>{255, 255, 255}));
}

TEST_F(PngRun, SizeAndTopViewAreApplied) {
    ASSERT_EQ(batch("--seed 1 --png top.png --size 320x200 --2d --flow --camera start --no-labels --no-legend arches.gr"), 0) << err_;
    const std::optional<Picture> picture = read_png(scratch_.path("top.png"));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 320);
    EXPECT_EQ(picture->height, 200);
    // From above, the arches lie along the y axis: the vertical centre line
    // of the picture (x = 0) is drawn, its left and right edges are not.
    EXPECT_NE(picture->at(160, 100), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(picture->at(10, 100), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(picture->at(310, 100), (std::array<int, 3>{255, 255, 255}));
}

TEST_F(PngRun, PictureThatCannotBeWrittenOrLoadThatFails) {
    // The graph loads, so the console is printed, but the picture fails.
    EXPECT_EQ(batch("--png no-such-dir/out.png arches.gr"), 4);
    EXPECT_NE(err_.find("no-such-dir/out.png"), std::string::npos) << err_;
    // A failed load writes no picture.
    EXPECT_EQ(batch("--png out.png missing.gr"), 1);
    EXPECT_FALSE(fs::exists(scratch_.path("out.png")));
}

namespace {

// How many pixels of the rectangle [x0, x1) × [y0, y1) (clipped to the
// picture) satisfy `test`.
int count_pixels(const Picture& p, int x0, int y0, int x1, int y1,
                 const std::function<bool(const std::array<int, 3>&)>& test) {
    int count = 0;
    for (int y = std::max(y0, 0); y < std::min(y1, p.height); ++y) {
        for (int x = std::max(x0, 0); x < std::min(x1, p.width); ++x) {
            count += test(p.at(x, y)) ? 1 : 0;
        }
    }
    return count;
}

bool not_white(const std::array<int, 3>& c) { return c != std::array<int, 3>{255, 255, 255}; }
// The cut's orange, lit or not: green well between red and blue (the lit
// red of a source or an arch has as much green as blue).
bool orange(const std::array<int, 3>& c) { return c[0] - c[1] > 40 && c[1] - c[2] > 50; }

}  // namespace

TEST_F(PngRun, OverlaysAppearOnlyWhenAsked) {
    // Vertex 0 from the start camera; its label "0 : S0" starts just right
    // of its sphere and changes the pixels there, and only there.
    const Pixel v0 = project_start_view({0, -14, -6}, 700, 700);
    const Picture plain = picture("--camera start --no-labels --no-legend");
    const Picture labelled = picture("--camera start --no-legend");
    const auto changed = [&](int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int y = std::max(y0, 0); y < std::min(y1, 700); ++y) {
            for (int x = std::max(x0, 0); x < std::min(x1, 700); ++x) {
                count += labelled.at(x, y) != plain.at(x, y) ? 1 : 0;
            }
        }
        return count;
    };
    EXPECT_GT(changed(v0.x, v0.y - 12, v0.x + 80, v0.y + 12), 40);
    EXPECT_EQ(changed(0, 0, 700, v0.y - 30), 0);

    // The legend's box in the top-left corner, over a corner that the start
    // view leaves white.
    const auto legend_ink = [](const Picture& p) { return count_pixels(p, 10, 10, 120, 60, not_white); };
    EXPECT_EQ(legend_ink(plain), 0);
    EXPECT_GT(legend_ink(picture("--camera start --no-labels")), 500);

    // The cut's colour only with the cut shown (the legend, which has an
    // orange square then, is left out).
    const auto orange_pixels = [](const Picture& p) { return count_pixels(p, 0, 0, p.width, p.height, orange); };
    EXPECT_EQ(orange_pixels(picture("--no-labels --no-legend")), 0);
    EXPECT_GT(orange_pixels(picture("--show-cut --no-labels --no-legend")), 50);
}

TEST_F(PngRun, ConesOnlyOnTheArcsOfADirectedGraph) {
    // The undirected graph looks the same with or without arrows.
    const Picture undirected = picture("--no-labels --no-legend");
    const Picture undirected_bare = picture("--no-labels --no-legend --no-arrows");
    EXPECT_EQ(undirected.rgb, undirected_bare.rgb);
    // The same graph directed: its arcs end in cones.
    std::string directed = "directed = 1;\n" + arches_gr;
    for (std::size_t at; (at = directed.find("<->")) != std::string::npos;) {
        directed.replace(at, 3, "->");
    }
    scratch_.write("arches.gr", directed);
    const Picture arrows = picture("--no-labels --no-legend");
    const Picture bare = picture("--no-labels --no-legend --no-arrows");
    EXPECT_NE(arrows.rgb, bare.rgb);
    EXPECT_GT(count_pixels(arrows, 0, 0, 700, 700, not_white),
              count_pixels(bare, 0, 0, 700, 700, not_white));
}

TEST_F(PngRun, FittedCameraAndForceLayoutKeepEveryTerminalInThePicture) {
    // A graph behind the start camera: the fitted picture still shows
    // each terminal's colour; the start camera shows none.
    std::string far = arches_gr;
    for (std::size_t at = 0; (at = far.find("x = 0", at)) != std::string::npos; at += 5) {
        far.replace(at, 5, "x = 3000");
    }
    scratch_.write("arches.gr", far);
    for (const std::string layout : {"random", "force"}) {
        const Picture fitted = picture("--no-labels --no-legend --layout " + layout);
        for (int w = 0; w < 3; ++w) {
            EXPECT_GT(count_pixels(fitted, 0, 0, 700, 700,
                                   [w](const std::array<int, 3>& c) { return dominated_by(c, w); }),
                      20)
                << layout << " commodity " << w;
        }
    }
    const Picture start = picture("--camera start --no-labels --no-legend");
    EXPECT_EQ(count_pixels(start, 0, 0, 700, 700, not_white), 0);
}

namespace {

// The longest run of consecutive pixels on row y that satisfy `test`.
int longest_run(const Picture& p, int y, const std::function<bool(const std::array<int, 3>&)>& test) {
    int longest = 0;
    for (int x = 0, run = 0; x < p.width; ++x) {
        run = test(p.at(x, y)) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

}  // namespace

TEST_F(PngRun, SmallShapesStayVisibleAndOutOfTheLegend) {
    // Two vertices 800 apart joined by one arc, seen from above: the arc, far
    // thinner than a pixel, is one unbroken line across the picture (the
    // terminals carry no flow, so nothing else is drawn).
    scratch_.write("far.gr",
                   "directed = 1;\n0 : A [x = -400];\n1 : B [x = 400];\n1 -> 0 [cap = 1];");
    EXPECT_EQ(batch("--seed 1 --png far.png --2d --no-labels --no-legend --no-arrows far.gr"), 0)
        << err_;
    const std::optional<Picture> far = read_png(scratch_.path("far.png"));
    ASSERT_TRUE(far.has_value());
    int run = 0;
    for (int y = 0; y < far->height; ++y) {
        run = std::max(run, longest_run(*far, y, not_white));
    }
    EXPECT_GT(run, 500);

    // A large vertex in the top-left corner of a window lower than the
    // legend's usual room: no ink touches the box from outside, as a vertex
    // partly under it would.
    scratch_.write("corner.gr",
                   "0 : a [x = 100, y = -100];\n1 : b [x = 100, y = 100];\n"
                   "2 : c [x = -100, y = -100];\n3 : d [x = 0, y = 0];\n4 : e [x = 50, y = 0];\n"
                   "5 : f [x = 0, y = -50];\n6 : g [size = 20, x = -100, y = 100];");
    EXPECT_EQ(batch("--seed 1 --png corner.png --size 700x400 --2d --no-labels corner.gr"), 0)
        << err_;
    const std::optional<Picture> corner = read_png(scratch_.path("corner.png"));
    ASSERT_TRUE(corner.has_value());
    // The box's grey border, from its top-left corner at (10, 10).
    const std::array<int, 3> border{128, 128, 128};
    int right = 10, bottom = 10;
    while (right + 1 < corner->width && corner->at(right + 1, 10) == border) {
        ++right;
    }
    while (bottom + 1 < corner->height && corner->at(10, bottom + 1) == border) {
        ++bottom;
    }
    ASSERT_GT(right, 100);
    ASSERT_GT(bottom, 100);
    EXPECT_EQ(count_pixels(*corner, right + 1, 0, right + 4, bottom + 4, not_white) +
                  count_pixels(*corner, 0, bottom + 1, right + 4, bottom + 4, not_white),
              0);
    EXPECT_GT(count_pixels(*corner, 0, 0, 700, 400, not_white) -
                  count_pixels(*corner, 0, 0, right + 1, bottom + 1, not_white),
              300);
}

TEST_F(PngRun, HugeFlowsLeaveTheGraphInSight) {
    // Capacities a million times larger: the arches and the terminals, sized
    // by the flow, are capped by the drawing's size instead of filling it.
    std::string huge = arches_gr;
    for (const auto& [from, to] : {std::pair{"cap = 25]", "cap = 25e6]"},
                                   {"cap = 20]", "cap = 20e6]"}, {"cap = 22.5]", "cap = 22.5e6]"}}) {
        huge.replace(huge.find(from), std::string(from).size(), to);
    }
    scratch_.write("arches.gr", huge);
    const Picture p = picture("--no-labels --no-legend");
    EXPECT_LT(count_pixels(p, 0, 0, p.width, p.height, not_white), p.width * p.height / 5);
}
