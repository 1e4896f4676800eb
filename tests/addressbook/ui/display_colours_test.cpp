#include "addressbook/ui/display_colours.h"

#include <gtest/gtest.h>

using ctlite::DisplayColours;
using ctlite::displayColours;

TEST(DisplayColours, StoredValuesUnlessAllWhiteOrAllBlack) {
    const struct {
        const char* what;
        std::optional<std::uint32_t> background, text, link;
        DisplayColours expected;
    } cases[] = {
        {"nothing stored", {}, {}, {}, {0x000000, 0xFFFFFF, 0x00FF00}},
        {"a light scheme", 0xF0F8FF, 0x202020, 0xCC0000, {0xF0F8FF, 0x202020, 0xCC0000}},
        {"all white", 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, {0x000000, 0xFFFFFF, 0x00FF00}},
        {"all black", 0, 0, 0, {0x000000, 0xFFFFFF, 0x00FF00}},
        {"two white, link missing", 0xFFFFFF, 0xFFFFFF, {}, {0xFFFFFF, 0xFFFFFF, 0x00FF00}},
        {"background and text black, link missing", 0, 0, {}, {0, 0, 0x00FF00}},
        {"only the text stored", {}, 0x0000FF, {}, {0x000000, 0x0000FF, 0x00FF00}},
    };
    for (const auto& c : cases) {
        DisplayColours got = displayColours(c.background, c.text, c.link);
        EXPECT_EQ(got.background, c.expected.background) << c.what;
        EXPECT_EQ(got.text, c.expected.text) << c.what;
        EXPECT_EQ(got.link, c.expected.link) << c.what;
    }
}
