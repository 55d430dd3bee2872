#include "common/utf8.h"

#include <gtest/gtest.h>

#include <string>

TEST(Utf8, DecodesOneCharacterAndTellsHowItStands) {
    using enum Utf8Status;
    const struct {
        std::string text;
        char32_t point;
        std::size_t length;
        Utf8Status status;
        std::size_t quoted;  // message_character_length
    } cases[] = {
        {"A", U'A', 1, valid, 1},
        {"\xC3\xA9", U'é', 2, valid, 2},
        {"\xE2\x82\xAC!", U'€', 3, valid, 3},
        {"\xF0\x9F\x98\x80", 0x1F600, 4, valid, 4},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4, valid, 4},
        {"\xC3", 0xFFFD, 1, malformed, 1},              // cut short by the end
        {"\xF0\x9F\x98", 0xFFFD, 1, malformed, 1},
        {"\xE2\x41\xAC", 0xFFFD, 1, malformed, 1},      // cut short by a byte that starts another
        {"\xC0\x80", 0, 2, overlong, 1},                 // C0 and C1 never start a character
        {"\xE0\x80\xAF", U'/', 3, overlong, 3},
        {"\xF0\x82\x82\xAC", U'€', 4, overlong, 4},
        {"\xED\xA0\x80", 0xD800, 3, surrogate, 3},
        {"\xF4\x90\x80\x80", 0x110000, 4, too_large, 4},
        {"\xF7\xBF\xBF\xBF", 0x1FFFFF, 4, too_large, 1},  // nor do F5 to F7
        {"\x80\x80", 0xFFFD, 1, malformed, 1},          // a stray continuation byte
        {"\xF8\x88\x80\x80\x80", 0xFFFD, 1, malformed, 1},
    };
    for (const auto& c : cases) {
        const Utf8Char read = decode_utf8(c.text, 0);
        EXPECT_EQ(read.point, c.point) << c.text;
        EXPECT_EQ(read.length, c.length) << c.text;
        EXPECT_EQ(read.status, c.status) << c.text;
        EXPECT_EQ(message_character_length(c.text, 0), c.quoted) << c.text;
    }
    EXPECT_EQ(decode_utf8("a\xC3\xA9", 1).point, U'é');  // read from inside a text
}

TEST(Utf8, MessageTextsHoldOnlySequencesCountedWhole) {
    EXPECT_TRUE(is_message_utf8("caf\xC3\xA9 \xE2\x82\xAC"));
    EXPECT_TRUE(is_message_utf8("\xED\xA0\x80"));  // a surrogate still counts whole
    EXPECT_FALSE(is_message_utf8("ab\xC3"));
    EXPECT_FALSE(is_message_utf8("\xC0\x80"));
    EXPECT_FALSE(is_message_utf8("\x80"));
}
