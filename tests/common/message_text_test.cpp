#include "common/message_text.h"

#include <gtest/gtest.h>

#include <string>

TEST(BoundedForMessage, CutsAfterTheLimitOnACharacterBoundary) {
    const struct {
        std::string text;
        std::size_t limit;
        std::string quoted;
    } cases[] = {
        {"", 3, ""},
        {"abc", 3, "abc"},
        {"abcd", 3, "abc…"},
        {"éèàù", 2, "éè…"},          // two-byte characters count once
        {"a\xE2\x82\xAC" "bc", 2, "a\xE2\x82\xAC…"},  // a three-byte one is kept whole
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bounded_for_message(c.text, c.limit), c.quoted) << c.text;
    }
    EXPECT_EQ(bounded_for_message(std::string(1 << 20, 'x')), std::string(60, 'x') + "…");
}
