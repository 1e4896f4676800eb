#include "addressbook/ui/colour_palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "addressbook/ui/web_address.h"

using ctlite::ColourPalette;

namespace {

std::vector<int> ages(const ColourPalette& p) {
    std::vector<int> out;
    for (int i = 0; i < ColourPalette::kSize; ++i)
        out.push_back(p.age(i));
    return out;
}

void expectPermutation(const ColourPalette& p) {
    std::vector<int> sorted = ages(p);
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < ColourPalette::kSize; ++i)
        ASSERT_EQ(sorted[i], i + 1);
}

}  // namespace

TEST(ColourPalette, ChoosingTheOldestMakesItYoungestAndAgesTheRest) {
    ColourPalette p;
    std::vector<int> before = ages(p);
    EXPECT_EQ(p.age(10), 20);  // (255, 251, 240)
    p.choose(10);
    EXPECT_EQ(p.age(10), 1);
    for (int i = 0; i < ColourPalette::kSize; ++i) {
        if (i != 10) {
            EXPECT_EQ(p.age(i), before[i] + 1) << i;
        }
    }
    expectPermutation(p);
}

TEST(ColourPalette, ChoosingTheYoungestChangesNoAge) {
    ColourPalette p;
    std::vector<int> before = ages(p);
    p.choose(0);  // black, age 1
    EXPECT_EQ(ages(p), before);
    p.choose(5);  // age 11: the ten younger ones age, the older ones stay
    EXPECT_EQ(p.age(5), 1);
    EXPECT_EQ(p.age(0), 2);
    EXPECT_EQ(p.age(6), 13);  // was 13, older than 11
    expectPermutation(p);
}

TEST(ColourPalette, OtherColoursReplaceTheOldestButAreNeverAddedTwice) {
    ColourPalette p;
    const std::uint32_t pink = 0x00CCAAFF;
    int slot = p.chooseOther(pink);
    EXPECT_EQ(slot, 10);  // the colour of age 20
    EXPECT_EQ(p.colour(10), pink);
    EXPECT_EQ(p.age(10), 1);
    std::vector<int> before = ages(p);
    EXPECT_EQ(p.chooseOther(pink), 10);  // already there
    EXPECT_EQ(ages(p), before);
    EXPECT_EQ(p.chooseOther(0x000000FF), 13);  // red is in the palette already
    EXPECT_EQ(p.age(13), 1);
    EXPECT_EQ(p.find(pink), 10);
    expectPermutation(p);
}

TEST(HyperlinkFailure, ReasonsByResultCode) {
    EXPECT_EQ(ctlite::hyperlinkFailureReason(2), "The specified file was not found.");
    EXPECT_EQ(ctlite::hyperlinkFailureReason(26), "A sharing violation occurred. ");
    EXPECT_EQ(ctlite::hyperlinkFailureReason(31),
              "There is no application associated\nwith the given filename extension.");
    EXPECT_EQ(ctlite::hyperlinkFailureReason(33), "Unknown Error (33) occurred.");
    EXPECT_EQ(ctlite::hyperlinkFailureReason(-1), "Unknown Error (-1) occurred.");
}
