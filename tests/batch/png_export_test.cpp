// Runs tarvessa-batch with --png and checks the picture it writes: its size,
// and the three commodity arches of a graph laid out in front of the camera.

#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"

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

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<png_byte> rgb;

    std::array<int, 3> at(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

std::optional<Picture> read_png(const fs::path& path) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
        return std::nullopt;
    }
    png.format = PNG_FORMAT_RGB;
    Picture picture;
    picture.width = static_cast<int>(png.width);
    picture.height = static_cast<int>(png.height);
    picture.rgb.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, picture.rgb.data(), 0, nullptr) == 0) {
        return std::nullopt;
    }
    return picture;
}

bool dominated_by(const std::array<int, 3>& c, int channel) {
    for (int k = 0; k < 3; ++k) {
        if (k != channel && c[channel] < c[k] + 60) {
            return false;
        }
    }
    return true;
}

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
    // Each arch tops out 4 above its pair, at (0, c, −2) for c = −10, 0, 10;
    // seen from (25, 0, 0) with a 60° field of view.
    const double focal = 350.0 / std::tan(M_PI / 6.0) / 25.0;
    const double tops[3] = {-10, 0, 10};
    for (int w = 0; w < 3; ++w) {
        const int x = static_cast<int>(350 + tops[w] * focal);
        const int y = static_cast<int>(350 + 2 * focal);
        EXPECT_TRUE(dominated_by(picture->at(x, y), w)) << "commodity " << w;
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

TEST_F(PngRun, BadPictureOptionsAndUnwritableFiles) {
    for (const std::string args :
         {"--png", "--png out.png --size 0x10 arches.gr", "--png out.png --size 10 arches.gr",
          "--png out.png --size 10x arches.gr", "--png out.png --size 20000x10 arches.gr",
          "--flow arches.gr", "--2d arches.gr", "--size 10x10 arches.gr"}) {
        EXPECT_EQ(batch(args), 2) << args;
        EXPECT_NE(err_.find("Utilisation : tarvessa-batch"), std::string::npos) << args;
    }
    EXPECT_FALSE(fs::exists(scratch_.path("out.png")));

    // The graph loads, so the console is printed, but the picture fails.
    EXPECT_EQ(batch("--png no-such-dir/out.png arches.gr"), 4);
    EXPECT_NE(err_.find("no-such-dir/out.png"), std::string::npos) << err_;
    // A failed load writes no picture.
    EXPECT_EQ(batch("--png out.png missing.gr"), 1);
    EXPECT_FALSE(fs::exists(scratch_.path("out.png")));
}
