#include "view/legend_box.h"

#include <gtest/gtest.h>

// A font 15 pixels high whose characters are all 7 pixels wide.
const TextMetrics metrics{15, [](const std::string& text) { return 7 * int(text.size()); }};

TEST(LegendBox, RowsUnderEachOtherWithTheSquaresBeforeTheTexts) {
    const LegendBox box = layout_legend(
        {{"ab", source_colour}, {"abcd", std::nullopt}, {"warn", std::nullopt, true}}, metrics);
    // 8 of padding, an 11-pixel square, 6 of gap, 28 of text; rows 18 apart.
    EXPECT_EQ(box.panel, (PixelRect{10, 10, 61, 67}));
    EXPECT_EQ(box.background_alpha, 230);
    ASSERT_EQ(box.rows.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(box.rows[i].text_left, 35);
        EXPECT_EQ(box.rows[i].text_top, 18 + 18 * i);
    }
    ASSERT_TRUE(box.rows[0].swatch);
    EXPECT_EQ(box.rows[0].swatch->square, (PixelRect{18, 20, 11, 11}));
    EXPECT_FALSE(box.rows[1].swatch);
    EXPECT_GT(box.rows[2].colour.r, 0.5f);  // a warning in red
    EXPECT_EQ(box.border_sides()[3], (PixelRect{70, 10, 1, 67}));

    // The load ramp's row: 48 columns from pale to dark, its text after them.
    const LegendBox ramp =
        layout_legend({{"ab", source_colour}, {"charge", std::nullopt, false, true}}, metrics);
    ASSERT_EQ(ramp.rows[1].ramp.size(), 48u);
    EXPECT_EQ(ramp.rows[1].ramp.front().square, (PixelRect{18, 38, 1, 11}));
    EXPECT_GT(ramp.rows[1].ramp.front().colour.g, ramp.rows[1].ramp.back().colour.g);
    EXPECT_EQ(ramp.rows[1].text_left, 18 + 48 + 6);
    EXPECT_EQ(ramp.panel.width, 8 + 48 + 6 + 42 + 8);

    // Without any square the texts start at the padding.
    EXPECT_EQ(layout_legend({{"ab", std::nullopt}}, metrics).rows[0].text_left, 18);
    EXPECT_TRUE(layout_legend({}, metrics).rows.empty());
}
