#include "outside/jpeg/jpeg_to_bmp.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/jpeg_maker.h"

using namespace vortix;
using testing_support::JpegKind;
using testing_support::makeJpeg;

namespace {

std::uint32_t at32(const std::string& s, std::size_t i) {
    auto* p = reinterpret_cast<const unsigned char*>(s.data() + i);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Bgr {
    int b, g, r;
};

// The pixel at (x, y) counted from the top, in a 24-bit bottom-up bitmap.
Bgr pixelAt(const std::string& bmp, int x, int y) {
    int width = static_cast<int>(at32(bmp, 18)), height = static_cast<int>(at32(bmp, 22));
    std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::size_t i = at32(bmp, 10) + stride * static_cast<std::size_t>(height - 1 - y) + 3 * x;
    auto* p = reinterpret_cast<const unsigned char*>(bmp.data() + i);
    return {p[0], p[1], p[2]};
}

void expectNear(Bgr got, Bgr want, const char* where) {
    EXPECT_LE(std::abs(got.b - want.b), 12) << where << " blue " << got.b;
    EXPECT_LE(std::abs(got.g - want.g), 12) << where << " green " << got.g;
    EXPECT_LE(std::abs(got.r - want.r), 12) << where << " red " << got.r;
}

// Red top half, blue bottom half, in RGB sample order.
int redOverBlue(int, int y, int c, int height) {
    bool top = y < height / 2;
    return (c == 0 && top) || (c == 2 && !top) ? 240 : 10;
}

}  // namespace

TEST(JpegToBmp, ColourPictureBecomesABottomUpBitmapWithPaddedRows) {
    const int width = 37, height = 16;  // 111 bytes a row: one byte of padding
    for (bool progressive : {false, true}) {
        std::string jpeg = makeJpeg(
            width, height, JpegKind::Rgb,
            [](int x, int y, int c) { return redOverBlue(x, y, c, height); }, progressive);
        BmpConversion bmp = jpegToBmp(jpeg);
        ASSERT_TRUE(bmp.ok) << bmp.message;
        EXPECT_EQ(bmp.bmp.substr(0, 2), "BM");
        EXPECT_EQ(at32(bmp.bmp, 2), bmp.bmp.size());
        EXPECT_EQ(bmp.bmp.size(), 54u + 112u * height);
        EXPECT_EQ(at32(bmp.bmp, 10), 54u);
        EXPECT_EQ(at32(bmp.bmp, 14), 40u);
        EXPECT_EQ(at32(bmp.bmp, 18), static_cast<std::uint32_t>(width));
        EXPECT_EQ(at32(bmp.bmp, 22), static_cast<std::uint32_t>(height));  // bottom-up
        EXPECT_EQ(at32(bmp.bmp, 28) & 0xFFFF, 24u);
        expectNear(pixelAt(bmp.bmp, 3, 2), {10, 10, 240}, "top");
        expectNear(pixelAt(bmp.bmp, 30, 13), {240, 10, 10}, "bottom");
        // The last bytes of the file are the top row's end: red.
        EXPECT_GT(static_cast<unsigned char>(bmp.bmp[bmp.bmp.size() - 2]), 200);

        std::optional<BmpLayout> layout = readBmpLayout(bmp.bmp);
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->width, width);
        EXPECT_EQ(layout->bitsOffset, 54u);
    }
}

TEST(JpegToBmp, GrayAndCmykPicturesComeOutAsColour) {
    BmpConversion gray =
        jpegToBmp(makeJpeg(8, 8, JpegKind::Gray, [](int x, int, int) { return x < 4 ? 30 : 200; }));
    ASSERT_TRUE(gray.ok) << gray.message;
    expectNear(pixelAt(gray.bmp, 0, 0), {30, 30, 30}, "dark");
    expectNear(pixelAt(gray.bmp, 7, 7), {200, 200, 200}, "light");

    // Pure red in CMYK is C=0 M=255 Y=255 K=0, stored inverted.
    BmpConversion cmyk = jpegToBmp(makeJpeg(16, 16, JpegKind::AdobeCmyk, [](int, int y, int c) {
        int ink[2][4] = {{0, 255, 255, 0}, {0, 0, 0, 128}};  // red over mid grey
        return 255 - ink[y < 8 ? 0 : 1][c];
    }));
    ASSERT_TRUE(cmyk.ok) << cmyk.message;
    expectNear(pixelAt(cmyk.bmp, 4, 2), {0, 0, 255}, "red");
    expectNear(pixelAt(cmyk.bmp, 4, 13), {127, 127, 127}, "grey");
}

TEST(JpegToBmp, ScaleAndProgress) {
    std::string jpeg = makeJpeg(64, 40, JpegKind::Rgb,
                                [](int x, int y, int c) { return redOverBlue(x, y, c, 40); });
    JpegOptions quarter;
    quarter.scaleDenominator = 4;
    quarter.fast = true;
    std::vector<int> told;
    BmpConversion bmp = jpegToBmp(jpeg, quarter, [&](int percent) {
        told.push_back(percent);
        return true;
    });
    ASSERT_TRUE(bmp.ok) << bmp.message;
    EXPECT_EQ(at32(bmp.bmp, 18), 16u);
    EXPECT_EQ(at32(bmp.bmp, 22), 10u);
    ASSERT_EQ(told.size(), 10u);
    EXPECT_EQ(told.front(), 10);
    EXPECT_EQ(told.back(), 100);

    quarter.scaleDenominator = 3;
    EXPECT_FALSE(jpegToBmp(jpeg, quarter).ok);

    bmp = jpegToBmp(jpeg, {}, [](int percent) { return percent < 50; });
    EXPECT_FALSE(bmp.ok);
    EXPECT_EQ(bmp.message, "The conversion was cancelled.");
    EXPECT_TRUE(bmp.bmp.empty());
}

TEST(JpegToBmp, DamagedOrForeignBytesFailWithLibjpegsMessage) {
    std::string jpeg = makeJpeg(32, 32, JpegKind::Rgb, [](int x, int y, int) { return x * y; });
    BmpConversion bmp = jpegToBmp(jpeg.substr(0, jpeg.size() / 2));
    EXPECT_FALSE(bmp.ok);
    EXPECT_EQ(bmp.message, "The JPEG file ends too early.");

    for (std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{20}, std::size_t{200}})
        EXPECT_FALSE(jpegToBmp(jpeg.substr(0, n)).ok) << n;

    bmp = jpegToBmp("GIF89a and so on");
    EXPECT_FALSE(bmp.ok);
    EXPECT_NE(bmp.message.find("Not a JPEG file"), std::string::npos) << bmp.message;
    EXPECT_EQ(jpegToBmp("").message, "The JPEG file is empty.");

    // A frame header that claims 65000 x 65000 pixels is refused, not allocated.
    std::string huge = jpeg;
    std::size_t sof = huge.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    huge[sof + 5] = huge[sof + 7] = static_cast<char>(0xFD);
    huge[sof + 6] = huge[sof + 8] = static_cast<char>(0xE8);
    bmp = jpegToBmp(huge);
    EXPECT_FALSE(bmp.ok);
    EXPECT_NE(bmp.message.find("too large"), std::string::npos) << bmp.message;
}

// Scans that send the same coefficients again cost a pass over the picture each;
// past the limit the file is refused, however many scans follow.
TEST(JpegToBmp, ProgressiveFilesAreReadToAtMostTheScanLimit) {
    auto wave = [](int x, int y, int c) { return (x * 7 + y * 3 + c * 50) % 256; };
    const std::string plain = testing_support::makeWholeScanJpeg(40, 24, wave);
    BmpConversion original = jpegToBmp(plain);
    ASSERT_TRUE(original.ok);
    // The file has 4 scans; its last one is sent again until the file has exactly
    // the limit, then one more.
    BmpConversion atLimit = jpegToBmp(testing_support::repeatScan(plain, 3, kMaxJpegScans - 4));
    EXPECT_TRUE(atLimit.ok) << atLimit.message;
    EXPECT_EQ(atLimit.bmp, original.bmp);
    BmpConversion over = jpegToBmp(testing_support::repeatScan(plain, 3, kMaxJpegScans - 3));
    EXPECT_FALSE(over.ok);
    EXPECT_EQ(over.message, "The JPEG file has more than 200 scans.");
}

TEST(BmpLayout, RefusesFilesWhoseRowsDoNotFit) {
    std::string bmp = jpegToBmp(makeJpeg(5, 3, JpegKind::Rgb, [](int, int, int) { return 9; })).bmp;
    ASSERT_TRUE(readBmpLayout(bmp));
    EXPECT_FALSE(readBmpLayout(bmp.substr(0, bmp.size() - 1)));
    EXPECT_FALSE(readBmpLayout(bmp.substr(0, 40)));
    std::string wide = bmp;
    wide[21] = 0x7F;  // width near 2^31
    EXPECT_FALSE(readBmpLayout(wide));
    std::string rle = bmp;
    rle[30] = 1;
    EXPECT_FALSE(readBmpLayout(rle));
}
