#include "render/png_writer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/png_reader.h"
#include "tests/support/scratch_dir.h"

TEST(PngWriter, WritesOpaqueRgbThatReadsBack) {
    RgbaImage image;
    image.width = 3;
    image.height = 2;
    // Alpha 0, as the view's clear colour leaves it.
    image.pixels = {255, 255, 255, 0,  200, 10, 20, 0,   0, 0, 0, 255,
                    1,   2,   3,   40, 60,  70, 80, 128, 9, 8, 7, 6};
    const ScratchDir scratch("quillmere-png");
    const std::string path = scratch.path("picture.png").string();
    const Expected<void> written = write_png(path, image);
    ASSERT_TRUE(written) << written.error();

    const std::optional<Picture> picture = read_png(path);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 3);
    EXPECT_EQ(picture->height, 2);
    EXPECT_FALSE(picture->has_alpha);
    for (int p = 0; p < 6; ++p) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(picture->at(p % 3, p / 3)[static_cast<std::size_t>(c)],
                      image.pixels[static_cast<std::size_t>(p * 4 + c)])
                << "pixel " << p << " channel " << c;
        }
    }
}

TEST(PngWriter, ReportsWhatItCannotWrite) {
    RgbaImage image;
    image.width = 1;
    image.height = 1;
    image.pixels = {1, 2, 3, 4};
    const Expected<void> unwritable = write_png("/nonexistent-folder/picture.png", image);
    ASSERT_FALSE(unwritable);
    EXPECT_NE(unwritable.error().find("/nonexistent-folder/picture.png"), std::string::npos);

    const ScratchDir scratch("quillmere-png");
    const Expected<void> empty = write_png(scratch.path("empty.png").string(), RgbaImage{});
    ASSERT_FALSE(empty);
    EXPECT_FALSE(empty.error().empty());
    image.pixels.pop_back();  // fewer bytes than 1 × 1 × 4
    EXPECT_FALSE(write_png(scratch.path("short.png").string(), image));
}
