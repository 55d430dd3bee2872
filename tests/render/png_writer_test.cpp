#include "view/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

TEST(PngWriter, WritesOpaqueRgbThatReadsBack) {
    RgbaImage image;
    image.width = 3;
    image.height = 2;
    // Alpha 0, as the view's clear colour leaves it.
    image.pixels = {255, 255, 255, 0,  200, 10, 20, 0,   0, 0, 0, 255,
                    1,   2,   3,   40, 60,  70, 80, 128, 9, 8, 7, 6};
    const std::string path = std::string(QUILLMERE_BINARY_DIR) + "/png_writer_test.png";
    std::string error;
    ASSERT_TRUE(write_png(path, image, &error)) << error;

    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&png, path.c_str()), 0) << png.message;
    EXPECT_EQ(png.width, 3u);
    EXPECT_EQ(png.height, 2u);
    EXPECT_EQ(png.format & PNG_FORMAT_FLAG_ALPHA, 0u);
    png.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(png));
    ASSERT_NE(png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr), 0) << png.message;
    for (int p = 0; p < 6; ++p) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(rgb[static_cast<std::size_t>(p * 3 + c)],
                      image.pixels[static_cast<std::size_t>(p * 4 + c)])
                << "pixel " << p << " channel " << c;
        }
    }
    std::remove(path.c_str());
}

TEST(PngWriter, ReportsWhatItCannotWrite) {
    RgbaImage image;
    image.width = 1;
    image.height = 1;
    image.pixels = {1, 2, 3, 4};
    std::string error;
    EXPECT_FALSE(write_png("/nonexistent-folder/picture.png", image, &error));
    EXPECT_NE(error.find("/nonexistent-folder/picture.png"), std::string::npos);

    RgbaImage empty;
    error.clear();
    EXPECT_FALSE(write_png(std::string(QUILLMERE_BINARY_DIR) + "/empty.png", empty, &error));
    EXPECT_FALSE(error.empty());
    image.pixels.pop_back();  // fewer bytes than 1 × 1 × 4
    EXPECT_FALSE(write_png(std::string(QUILLMERE_BINARY_DIR) + "/short.png", image));
}
