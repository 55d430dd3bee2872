// Runs tarvessa-batch with --png and checks the picture it writes: its size,
// and the three commodity arches of a graph laid out in front of the camera.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
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

    ScratchDir scratch_{"tarvessa-png"};
    std::string err_;
};

}  // namespace

TEST_F(PngRun, StartViewShowsTheThreeArches) {
    ASSERT_EQ(batch("--seed 1 --png out.png arches.gr"), 0) << err_;
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
    ASSERT_EQ(batch("--seed 1 --png top.png --size 320x200 --2d --flow arches.gr"), 0) << err_;
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
