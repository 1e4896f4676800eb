#include "installer/common/sealed_block.h"

#include <gtest/gtest.h>

using namespace vortix;

namespace {
KeyDraw fixedDraw(std::uint32_t r1, std::uint32_t r2) {
    auto n = std::make_shared<int>(0);
    return [=] { return (*n)++ % 2 == 0 ? r1 : r2; };
}
}  // namespace

TEST(SealedBlock, LayoutOfOneLayer) {
    // step = 5 + 0 % 30 = 5, base = 0: the key runs 5, 10, ...
    std::string sealed = seal("AB", fixedDraw(0, 0));
    EXPECT_EQ(sealed, std::string("FL\x05\x00"
                                  "FL\x05\x00\x00\x00\x00\x00",
                                  12));
    // step = 5 + 31 % 30 = 6, base = 300 % 256 = 44: the key starts at 50.
    sealed = seal(std::string(1, '\xFF'), fixedDraw(31, 300));
    ASSERT_EQ(sealed.size(), 11u);
    EXPECT_EQ(static_cast<unsigned char>(sealed[0]), (0xFF + 50) % 256);
    EXPECT_EQ(sealed[1], 6);
    EXPECT_EQ(sealed[2], 44);
}

TEST(SealedBlock, RoundTripsAndDiffersEachTime) {
    std::string text(
        "Contavo Lite\0"
        "102\0\0\r\nShared:\r\n",
        27);
    for (int i = 0; i < 256; ++i)
        text.push_back(static_cast<char>(i));
    KeyDraw draw = clockKeyDraw();
    std::string a = sealTwice(text, draw), b = sealTwice(text, draw);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.size(), text.size() + 2 * kSealOverhead);
    EXPECT_EQ(unsealTwice(a), text);
    EXPECT_EQ(unsealTwice(b), text);
    // Even one layer differs when sealed again with the same draws.
    EXPECT_NE(seal(text, fixedDraw(7, 7)), seal(text, fixedDraw(7, 7)));
    EXPECT_EQ(unsealTwice(sealTwice("", draw)), "");
}

TEST(SealedBlock, AnyChangedByteIsCaught) {
    std::string sealed = sealTwice("Files:\r\nC:\\Program Files\\App\\app.exe\r\n", clockKeyDraw());
    for (std::size_t i = 0; i < sealed.size(); ++i) {
        std::string damaged = sealed;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x01);
        EXPECT_FALSE(unsealTwice(damaged)) << "byte " << i;
    }
    EXPECT_FALSE(unseal(std::string(9, '\0')));
    EXPECT_FALSE(unsealTwice(sealed.substr(1)));
}
