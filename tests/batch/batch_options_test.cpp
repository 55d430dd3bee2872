#include "batch/batch_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// The arguments of a command line written with single blanks between them.
std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> args;
    for (std::string word; in >> word;) {
        args.push_back(word);
    }
    return args;
}

}  // namespace

TEST(BatchOptions, BadCommandLinesAreRefusedWithTheirReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "no file given"},
        {"--verbose --json", "no file given"},
        {"a.gr b.gr", "only one file can be loaded"},
        {"--frobnicate x.gr", "unknown option: --frobnicate"},
        {"--seed", "--seed needs a number"},
        {"--seed abc x.gr", "bad seed: abc"},
        {"--seed -1 x.gr", "bad seed: -1"},
        {"--seed +1 x.gr", "bad seed: +1"},
        {"--seed 4294967296 x.gr", "bad seed: 4294967296"},
        {"--seed 12x x.gr", "bad seed: 12x"},
        {"--png", "--png needs a file"},
        {"--png out.png --size 0x10 x.gr", "--size needs WxH, from 1x1 to 16384x16384"},
        {"--png out.png --size 10 x.gr", "--size needs WxH, from 1x1 to 16384x16384"},
        {"--png out.png --size 10x x.gr", "--size needs WxH, from 1x1 to 16384x16384"},
        {"--png out.png --size x10 x.gr", "--size needs WxH, from 1x1 to 16384x16384"},
        {"--png out.png --size 16385x10 x.gr", "--size needs WxH, from 1x1 to 16384x16384"},
        {"--png out.png --size 10x-5 x.gr", "--size needs WxH, from 1x1 to 16384x16384"},
        {"--png out.png x.gr --size", "--size needs WxH, from 1x1 to 16384x16384"},
        {"--flow x.gr", "--size, --flow and --2d go with --png"},
        {"--2d x.gr", "--size, --flow and --2d go with --png"},
        {"--size 10x10 x.gr", "--size, --flow and --2d go with --png"},
    };
    for (const auto& [line, reason] : cases) {
        const Expected<BatchOptions> options = parse_batch_options(words(line));
        ASSERT_FALSE(options) << '"' << line << '"';
        EXPECT_EQ(options.error(), reason) << '"' << line << '"';
    }
}

TEST(BatchOptions, GoodCommandLinesSetTheirFields) {
    const Expected<BatchOptions> plain = parse_batch_options(words("x.gr"));
    ASSERT_TRUE(plain) << plain.error();
    EXPECT_EQ(plain->path, "x.gr");
    EXPECT_FALSE(plain->verbose || plain->json || plain->help || plain->seed.has_value());
    EXPECT_TRUE(plain->png_path.empty());

    const Expected<BatchOptions> full = parse_batch_options(
        words("--json x.gr --seed 4294967295 --verbose --png p.png --size 16384x1 --flow --2d"));
    ASSERT_TRUE(full) << full.error();
    EXPECT_EQ(full->path, "x.gr");
    EXPECT_TRUE(full->json && full->verbose && full->png_flow && full->png_2d);
    EXPECT_EQ(full->seed, 4294967295u);
    EXPECT_EQ(full->png_path, "p.png");
    EXPECT_EQ(full->png_width, 16384);
    EXPECT_EQ(full->png_height, 1);

    const Expected<BatchOptions> picture = parse_batch_options(words("--png p.png x.gr"));
    ASSERT_TRUE(picture) << picture.error();
    EXPECT_EQ(picture->png_width, 700);
    EXPECT_EQ(picture->png_height, 700);

    // After "--" a name that begins with a dash is a file; "-" alone always is.
    const Expected<BatchOptions> dashed = parse_batch_options(words("-- -dash.gr"));
    ASSERT_TRUE(dashed) << dashed.error();
    EXPECT_EQ(dashed->path, "-dash.gr");
    EXPECT_EQ(parse_batch_options(words("-"))->path, "-");

    // "--help" is enough, whatever follows it.
    const Expected<BatchOptions> help = parse_batch_options(words("--help --frobnicate"));
    ASSERT_TRUE(help) << help.error();
    EXPECT_TRUE(help->help);
}
