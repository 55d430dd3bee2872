#include "render/png_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

TEST(PngWriter, AFailedWriteLeavesThePreviousFileAndNothingElse) {
    const ScratchDir scratch("quillmere-png");
    const std::string path = scratch.write("picture.png", "the previous picture");
    // Noise does not compress: the PNG is far larger than the file size limit
    // that the child writes under.
    RgbaImage image;
    image.width = 256;
    image.height = 256;
    image.pixels.resize(256 * 256 * 4);
    std::uint32_t state = 1;
    for (auto& byte : image.pixels) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(write_png(path, image) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write did not fail";
    EXPECT_EQ(read_file(path), "the previous picture");
    EXPECT_EQ(scratch.entries(), std::vector<std::string>{"picture.png"});

    // Written in full, it replaces the file and leaves nothing beside it.
    ASSERT_TRUE(write_png(path, image));
    EXPECT_TRUE(read_png(path).has_value());
    EXPECT_EQ(scratch.entries(), std::vector<std::string>{"picture.png"});
}
